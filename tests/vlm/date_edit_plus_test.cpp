#include "vlm/date_edit_plus.h"

#include <gtest/gtest.h>

#include "test_support.h"
#include "vcl/exceptions.h"

namespace vlm {
namespace {

using testing::MessageLog;

class DateEditPlusTest : public ::testing::Test {
protected:
    ScriptedServices services;
    TDateEditPlus depDtSaida{nullptr, "depDtSaida", services};
};

TEST_F(DateEditPlusTest, TypingKeepsDigitsAndSlashesAndShapesEightDigits) {
    const std::pair<const char*, const char*> cases[] = {
        {"05/03/2026", "05/03/2026"},
        {"05032026", "05/03/2026"},
        {"5a/3b/26", "5/3/26"},
        {"", ""},
        {"01/01/20261234", "01/01/2026"},
        {"  /  /    ", ""},
        {"/", ""},
    };
    for (const auto& [typed, shown] : cases) {
        depDtSaida.TypeText(typed);
        EXPECT_EQ(depDtSaida.Text(), shown) << typed;
    }
}

TEST_F(DateEditPlusTest, GetDateReadsAValidDateAndRaisesOtherwise) {
    depDtSaida.SetText("29/02/2024");
    EXPECT_EQ(depDtSaida.GetDate(), vcl::TDate::FromYmd(2024, 2, 29));
    depDtSaida.SetDate(vcl::TDate::FromYmd(2026, 12, 9));
    EXPECT_EQ(depDtSaida.Text(), "09/12/2026");
    for (const char* text : {"", "  /  /    ", "29/02/2023", "31/04/2026", "1/1/26x", "99/99/9999"}) {
        depDtSaida.SetText(text);
        EXPECT_THROW((void)depDtSaida.GetDate(), vcl::EConvertError) << text;
        EXPECT_FALSE(depDtSaida.Date().has_value()) << text;
    }
}

TEST_F(DateEditPlusTest, CheckValidDateAcceptsEmptyAndValidAndReportsInvalid) {
    for (const char* accepted : {"", "  /  /    ", "01/01/2026"}) {
        depDtSaida.SetText(accepted);
        EXPECT_NO_THROW(depDtSaida.CheckValidDate()) << accepted;
    }
    EXPECT_TRUE(services.Events().empty());
    depDtSaida.SetText("31/02/2026");
    EXPECT_THROW(depDtSaida.CheckValidDate(), vcl::EAbort);
    EXPECT_EQ(MessageLog(services), std::vector<std::string>{"Error:Data inválida: 31/02/2026"});
}

}  // namespace
}  // namespace vlm
