#include "scenario/script.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scenario/keys.h"
#include "vcl/controls.h"

namespace scenario {
namespace {

using Words = std::vector<std::string>;

struct SplitCase {
    const char* name;
    const char* line;
    Words words;
};

TEST(SplitLine, SplitsOnBlanksAndJoinsQuotedParts) {
    const SplitCase cases[] = {
        {"blank line", "   \t ", {}},
        {"comment line", "  # type medFilial \"x\"", {}},
        {"plain words, tabs and a carriage return", "type\tmedFilial  0001\r", {"type", "medFilial", "0001"}},
        {"a quoted argument keeps its blanks", "type medFilial \"a  b\"", {"type", "medFilial", "a  b"}},
        {"an empty quoted argument is still an argument", "type medFilial \"\"", {"type", "medFilial", ""}},
        {"escaped quote and backslash", R"(sql "x = \"a\\b\"")", {"sql", R"(x = "a\b")"}},
        {"N=\"VALUE\" is one word",
         R"(expect call GeraSaida 3="0 2" 4=null)",
         {"expect", "call", "GeraSaida", "3=0 2", "4=null"}},
        {"# inside a line is text", "pick #1", {"pick", "#1"}},
        {"accented text passes through",
         "expect message \"Filial não cadastrada\"",
         {"expect", "message", "Filial não cadastrada"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitLine(c.line, "f.zrm", 1), c.words) << c.name;
    }
}

TEST(SplitLine, MalformedQuotingNamesFileAndLine) {
    const struct {
        const char* line;
        const char* message;
    } cases[] = {
        {"type medFilial \"abc", "f.zrm:7: unterminated quoted text"},
        {"type medFilial \"abc\\", "f.zrm:7: unterminated quoted text"},
        {"type medFilial \"a\\nb\"", "f.zrm:7: unknown escape \\n in a quoted text"},
    };
    for (const auto& c : cases) {
        try {
            SplitLine(c.line, "f.zrm", 7);
            ADD_FAILURE() << "no error for " << c.line;
        } catch (const ScriptError& error) {
            EXPECT_STREQ(error.what(), c.message);
            EXPECT_EQ(error.Line(), 7);
        }
    }
}

TEST(ParseScript, KeepsLineNumbersAcrossCommentsAndBlankLines) {
    const Script script = ParseScript(
        "# opening\n"
        "\n"
        "open\r\n"
        "   expect focus medFilial\n"
        "key dbgNotaFiscal space ctrl",
        "open.zrm");
    ASSERT_EQ(script.commands.size(), 3u);
    EXPECT_EQ(script.file, "open.zrm");
    EXPECT_EQ(script.commands[0].line, 3);
    EXPECT_EQ(script.commands[0].Name(), "open");
    EXPECT_EQ(script.commands[1].line, 4);
    EXPECT_EQ(script.commands[1].Arg(1), "medFilial");
    EXPECT_EQ(script.commands[2].line, 5);
    EXPECT_EQ(script.commands[2].ArgCount(), 3u);
}

TEST(ParseScript, AcceptsEveryCommandOfTheLanguage) {
    const char* text = R"zrm(db empty
sql "INSERT INTO FILIAL VALUES ('0001', 'X', '01', 'S')"
server fake
reply getSerie "[\"\", null]"
filial 0001
open
focus medFilial
tab
tab shift
type medFilial "1"
click btpFilial
key dbgItensNota x ctrl shift alt
col dbgItensNota QTENVIADA
row dbgNotaFiscal 2
cellclick dbgNotaFiscal
titleclick dbgNotaFiscal IDMARCADO
edit dbgItensNota "1,5"
pick 1
pick none
expect message "Filial não cadastrada"
expect some-message
expect no-message
expect focus frmGeracao.medFilial
expect text edtNmFilial ""
expect global boPesqFilial true
expect field cdsItensNota QTENVIADA "1,5"
expect rows cdsNotaFiscalGrid 0
expect state cdsItensNota edit
expect call getNotasFiscais 1=null 8="S"
expect no-call
expect picklist "Filial" 3
expect col dbgItensNota QTENVIADA
expect editing dbgItensNota on
expect columns dbgNotaFiscal "4|Inscrição"
expect maxlength medFilial 4
expect form frmGeracao closed
expect busy off
expect cursor -11
expect sql "SELECT COUNT(*) FROM NOTASAIDA" 0
)zrm";
    EXPECT_EQ(ParseScript(text, "all.zrm").commands.size(), 39u);
}

TEST(ParseScript, RejectsMalformedCommandsBeforeRunning) {
    const struct {
        const char* line;
        const char* message;
    } cases[] = {
        {"opne", "x.zrm:2: unknown command \"opne\""},
        {"open now", "x.zrm:2: open takes 0 arguments, found 1"},
        {"type medFilial", "x.zrm:2: type takes 2 arguments, found 1"},
        {"key medFilial", "x.zrm:2: key takes 2 to 5 arguments, found 1"},
        {"db full", "x.zrm:2: db must be demo|empty, found \"full\""},
        {"row dbgNotaFiscal 0", "x.zrm:2: the row must be a whole number from 1, found \"0\""},
        {"pick first", "x.zrm:2: pick must be a whole number from 1, found \"first\""},
        {"key medFilial f13", "x.zrm:2: unknown key \"f13\""},
        {"key medFilial a meta", "x.zrm:2: a key modifier must be ctrl|shift|alt, found \"meta\""},
        {"expect", "x.zrm:2: expect takes at least 1 argument, found 0"},
        {"expect colour medFilial", "x.zrm:2: unknown expectation \"colour\""},
        {"expect rows cdsItensNota many", "x.zrm:2: rows must be a whole number, found \"many\""},
        {"expect state cdsItensNota editing",
         "x.zrm:2: the state must be inactive|browse|edit|insert, found \"editing\""},
        {"expect call GeraSaida 0=x",
         "x.zrm:2: a call argument is written N=\"VALUE\" with N from 1, found \"0=x\""},
        {"expect call GeraSaida S",
         "x.zrm:2: a call argument is written N=\"VALUE\" with N from 1, found \"S\""},
        {"expect busy yes", "x.zrm:2: busy must be on|off, found \"yes\""},
    };
    for (const auto& c : cases) {
        try {
            ParseScript(std::string("open\n") + c.line + "\n", "x.zrm");
            ADD_FAILURE() << "no error for " << c.line;
        } catch (const ScriptError& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
    }
}

TEST(LoadScript, AnUnreadableFileIsAScriptError) {
    EXPECT_THROW(LoadScript("/nonexistent/none.zrm"), ScriptError);
}

TEST(Keys, NamedKeysAndCharactersBecomeKeyDownAndKeyPress) {
    const struct {
        const char* name;
        unsigned shift;
        int virtualKey;
        std::optional<char> character;
    } cases[] = {
        {"space", 0, vcl::vk::Space, ' '},
        {"space", vcl::shift::Ctrl, vcl::vk::Space, ' '},
        {"enter", 0, vcl::vk::Return, '\r'},
        {"enter", vcl::shift::Ctrl, vcl::vk::Return, std::nullopt},  // a short-cut types nothing
        {"escape", 0, vcl::vk::Escape, '\x1b'},
        {"delete", 0, vcl::vk::Delete, std::nullopt},
        {"tab", vcl::shift::Shift, vcl::vk::Tab, std::nullopt},
        {"a", 0, 'A', 'a'},
        {"a", vcl::shift::Ctrl, 'A', '\x01'},
        {"a", vcl::shift::Alt, 'A', std::nullopt},
        {",", 0, 188, ','},
        {"7", 0, '7', '7'},
        {"f1", 0, vcl::vk::F1, std::nullopt},
        {"f2", 0, vcl::vk::F2, std::nullopt},
        {"f12", 0, vcl::vk::F12, std::nullopt},
        {"pageup", 0, vcl::vk::Prior, std::nullopt},
        {"pagedown", 0, vcl::vk::Next, std::nullopt},
        {"home", vcl::shift::Ctrl, vcl::vk::Home, std::nullopt},
        {"end", 0, vcl::vk::End, std::nullopt},
    };
    for (const auto& c : cases) {
        const auto stroke = ParseKey(c.name);
        ASSERT_TRUE(stroke) << c.name;
        const KeyStroke typed = WithModifiers(*stroke, c.shift);
        EXPECT_EQ(typed.virtualKey, c.virtualKey) << c.name;
        EXPECT_EQ(typed.character, c.character) << c.name << " with " << c.shift;
    }
    EXPECT_FALSE(ParseKey("ab"));
    EXPECT_FALSE(ParseKey(""));
}

}  // namespace
}  // namespace scenario
