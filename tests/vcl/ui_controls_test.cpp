// Edits, the mask edit, speed buttons and alignment.
#include <gtest/gtest.h>

#include "vcl/forms.h"

namespace vcl {
namespace {

TEST(Edit, ChangeEventFiresWheneverTheTextChangesByTypingOrCode) {
    TEdit edit(nullptr, "medFilial");
    std::vector<std::string> seen;
    edit.OnChange = [&](TObject* sender) { seen.push_back(static_cast<TEdit*>(sender)->Text()); };
    edit.SetText("0001");
    edit.SetText("0001");  // same text: no change
    edit.TypeText("0002");
    char key = static_cast<char>(vk::Back);
    edit.KeyPress(key);
    key = '9';
    edit.KeyPress(key);
    edit.Clear();
    EXPECT_EQ(seen, (std::vector<std::string>{"0001", "0002", "000", "0009", ""}));
}

TEST(Edit, TypingIsCutToMaxLengthInCharactersAndReadOnlyRefusesIt) {
    TEdit edit(nullptr, "medSerieNf");
    edit.MaxLength = 5;
    edit.TypeText("São Paulo");  // 'ã' is two bytes but one character
    EXPECT_EQ(edit.Text(), "São P");
    char key = 'x';
    edit.KeyPress(key);  // full: nothing added
    EXPECT_EQ(edit.Text(), "São P");
    edit.SetText("abc");  // code is not cut
    EXPECT_EQ(edit.Text(), "abc");

    edit.ReadOnly = true;
    edit.TypeText("zz");
    EXPECT_EQ(edit.Text(), "abc");
}

struct MaskCase {
    const char* name;
    const char* mask;
    const char* typed;
    const char* text;
    const char* shown;
};

class MaskTyping : public ::testing::TestWithParam<MaskCase> {};

TEST_P(MaskTyping, KeepsOnlyWhatFitsTheMask) {
    const MaskCase& c = GetParam();
    TMaskEdit edit(nullptr, "medNum");
    edit.EditMask = c.mask;
    edit.TypeText(c.typed);
    EXPECT_EQ(edit.Text(), c.text);
    EXPECT_EQ(edit.DisplayText(), c.shown);
}

TEST(MaskEdit, TextSetByCodeIsShownInTheMaskPositions) {
    TMaskEdit edit(nullptr, "medData");
    edit.EditMask = "00/00;0;_";
    edit.TypeText("1");
    EXPECT_EQ(edit.DisplayText(), "1_/__");
    edit.SetText("0912");
    EXPECT_EQ(edit.DisplayText(), "09/12");
}

INSTANTIATE_TEST_SUITE_P(
    Masks, MaskTyping,
    ::testing::Values(MaskCase{"two_digits", "99;0; ", "12", "12", "12"},
                      MaskCase{"one_digit_shows_a_blank", "99;0; ", "7", "7", "7 "},
                      MaskCase{"extra_digits_are_cut", "99;0; ", "123", "12", "12"},
                      MaskCase{"letters_are_refused", "99;0; ", "a1b", "1", "1 "},
                      MaskCase{"typed_blank_is_not_stored", "99;0; ", " 5", "5", " 5"},
                      MaskCase{"empty", "99;0; ", "", "", "  "},
                      MaskCase{"literals_not_saved", "00/00;0;_", "1231", "1231", "12/31"},
                      MaskCase{"typed_literal_passes", "00/00;0;_", "12/31", "1231", "12/31"},
                      MaskCase{"literals_saved", "00/00;1;_", "1231", "12/31", "12/31"},
                      MaskCase{"upper_case_letters", ">LL;0;_", "sp", "SP", "SP"},
                      MaskCase{"no_mask_types_freely", "", "abc", "abc", "abc"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SpeedButton, ClickRunsTheHandlerOnlyWhenUsableAndNeverMovesTheFocus) {
    TForm form(nullptr, "frm");
    auto& edit = form.Make<TEdit>("medFilial");
    edit.SetParent(&form);
    auto& panel = form.Make<TPanel>("panBotoes");
    panel.SetParent(&form);
    auto& button = form.Make<TSpeedButton>("sbtConfirmar");
    button.SetParent(&panel);
    int clicks = 0;
    button.OnClick = [&](TObject*) { ++clicks; };
    form.FocusControl(&edit);

    button.Click();
    button.Enabled = false;
    button.Click();
    button.Enabled = true;
    panel.Visible = false;  // inside a hidden parent
    button.Click();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(form.ActiveControl(), &edit);
}

TEST(Align, PanelsShareTheGroupBoxClientAreaAsTheScreenLaysThemOut) {
    TForm form(nullptr, "frm");
    auto& group = form.Make<TGroupBox>("grbFiltroPadrao");
    group.SetParent(&form);
    group.SetBounds(0, 0, 1201, 450);
    auto& filtro = form.Make<TPanel>("panFiltro");
    filtro.SetParent(&group);
    filtro.Align = TAlign::Top;
    filtro.BevelOuter = TBevelCut::None;
    filtro.Height = 99;
    auto& notas = form.Make<TPanel>("panNotaFiscal");
    notas.SetParent(&group);
    notas.Align = TAlign::Client;
    auto& produtos = form.Make<TPanel>("panProdutos");
    produtos.SetParent(&group);
    produtos.Align = TAlign::Bottom;
    produtos.Height = 188;
    auto& grid = form.Make<TEdit>("dbgNotaFiscal");
    grid.SetParent(&notas);
    grid.Align = TAlign::Client;
    auto& splitter = form.Make<TSplitter>("splNfItem");
    splitter.SetParent(&notas);
    splitter.Align = TAlign::Bottom;
    splitter.Height = 3;

    auto bounds = [](const TControl& c) {
        TRect r = c.BoundsRect();
        return std::vector<int>{r.Left, r.Top, r.Width(), r.Height()};
    };
    EXPECT_EQ(bounds(filtro), (std::vector<int>{2, 15, 1197, 99}));
    EXPECT_EQ(bounds(notas), (std::vector<int>{2, 114, 1197, 146}));
    EXPECT_EQ(bounds(produtos), (std::vector<int>{2, 260, 1197, 188}));
    // Inside the raised bevel of panNotaFiscal: the splitter at the bottom, the grid above it.
    EXPECT_EQ(bounds(splitter), (std::vector<int>{1, 142, 1195, 3}));
    EXPECT_EQ(bounds(grid), (std::vector<int>{1, 1, 1195, 141}));

    produtos.Visible = false;  // a hidden control takes no room
    EXPECT_EQ(bounds(notas), (std::vector<int>{2, 114, 1197, 334}));

    group.Realign();  // stores the aligned bounds
    EXPECT_EQ(notas.Height, 334);
    EXPECT_EQ(grid.Width, 1195);
}

TEST(Parent, AControlCannotBePlacedInsideItself) {
    TPanel outer(nullptr, "outer");
    TPanel inner(nullptr, "inner");
    inner.SetParent(&outer);
    EXPECT_THROW(outer.SetParent(&inner), Exception);
    EXPECT_EQ(outer.Parent(), nullptr);
    EXPECT_TRUE(outer.Contains(&inner));
}

}  // namespace
}  // namespace vcl
