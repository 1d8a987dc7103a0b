// The package's entry points: one screen however often IniProc runs, a new
// one after the screen was closed and freed, the default cursor afterwards.
#include <gtest/gtest.h>

#include "module_fixture.h"
#include "package/unit_globals.h"

namespace {

using namespace zrm_test;

TEST(Package, IniProcTwiceCreatesOneScreenAndShowsItEachTime) {
    ModuleFixture module;
    Cli_zrm90000::TfrmRemessaAnalise* first = Cli_zrm90000::frmRemessaAnalise;
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(Cli_zrm90000::boIdCriado);
    EXPECT_EQ(first->ActiveControl(), first->medFilial);

    const vcl::Variant params = vcl::Variant::Null();
    EXPECT_TRUE(module.application.Dispatch([&] { IniProc(&params); }));
    EXPECT_EQ(Cli_zrm90000::frmRemessaAnalise, first);
    EXPECT_TRUE(first->Visible());
    EXPECT_EQ(module.screen.Cursor, 0);
    EXPECT_EQ(zrm::UnitGlobalText("boIdCriado"), "true");
}

TEST(Package, ClosedScreenIsFreedAndTheNextIniProcCreatesAnother) {
    ModuleFixture module;
    module.application.Dispatch([&] { module.Form().Close(); });
    EXPECT_EQ(Cli_zrm90000::frmRemessaAnalise, nullptr);
    EXPECT_FALSE(Cli_zrm90000::boIdCriado);

    module.application.Dispatch([] { IniProc(nullptr); });
    ASSERT_NE(Cli_zrm90000::frmRemessaAnalise, nullptr);
    EXPECT_TRUE(Cli_zrm90000::frmRemessaAnalise->Visible());
    EXPECT_EQ(module.screen.Cursor, 0);
}

TEST(Package, VersionResource) {
    const ZrmVersionInfo* info = PackageVersionInfo();
    EXPECT_STREQ(info->shownVersion, "6.25.009");
    EXPECT_STREQ(info->fileVersion, "6.25.9.0");
    EXPECT_EQ(info->languageId, 0x0416u);
    EXPECT_EQ(info->codePage, 1252u);
}

}  // namespace
