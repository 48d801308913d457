#include "HostFixture.h"

#include "common/SettingNames.h"
#include "common/clsAux.h"
#include "common/modGlobalization.h"
#include "host/clsApplication.h"
#include "host/clsMenuBarControl.h"
#include "platform/host/HostConstants.h"

#include <fstream>

namespace qv::test {

class clsApplicationTest : public HostFixture {};

TEST_F(clsApplicationTest, FirstHintOfTheRibbonEditionTurnsItselfOff) {
    startAddin();
    mScript << ScriptStep::dialog("frmMessage").click("cmdOK");
    mEntry->ShowFirstMessage();
    ASSERT_EQ(mScript.records().size(), 1u);
    const PromptRecord& shown = mScript.records()[0];
    bool sawText = false;
    for (const DialogControl& c : shown.controls)
        if (c.name == "lblText") sawText = c.caption == modGlobalization::GetText(12);
    EXPECT_TRUE(sawText);
    EXPECT_EQ(storedText(setting::ShowMessageSelectDb), "False");
    // Switched off: the next start shows nothing.
    mEntry->ShowFirstMessage();
    EXPECT_EQ(mScript.records().size(), 1u);
}

TEST_F(clsApplicationTest, OldEditionInANewHostShowsItsMenuAndOffersTheNewerEdition) {
    mScript << ScriptStep::messageBox("Quorvel LT", xl::AnswerNo);
    startAddin({.revision = 11, .version = "12.0"});
    ASSERT_TRUE(goApplication);
    EXPECT_TRUE(menuPopup()->visible());
    EXPECT_FALSE(toolbar()->visible());
    mScript << ScriptStep::messageBox("", xl::AnswerNo) << ScriptStep::dialog("frmMessage").click("cmdOK");
    mEntry->ShowFirstMessage();
    ASSERT_GE(mScript.records().size(), 2u);
    EXPECT_EQ(mScript.records()[0].text, modGlobalization::GetText(13, Variant("Quorvel LT")));
    EXPECT_EQ(mScript.records()[0].flags, 4 + 48 + 65536);
}

TEST_F(clsApplicationTest, OldEditionInAnOldHostKeepsMenuAndToolbarAsBuilt) {
    startAddin({.revision = 11, .version = "11.0"});
    ASSERT_TRUE(goApplication);
    EXPECT_TRUE(toolbar()->visible());
    EXPECT_TRUE(menuPopup()->visible());
}

TEST_F(clsApplicationTest, EditionsByRevision) {
    startAddin();
    EXPECT_EQ(goApplication->RevisionNumber(), 12);
    EXPECT_EQ(goApplication->DataSourceKind(), 0);
    EXPECT_EQ(clsApplication::DataSourceKindName(0), "MS Access");
    EXPECT_EQ(clsApplication::DataSourceKindName(1), "MS SQL Server");
    EXPECT_EQ(clsApplication::DataSourceKindName(2), "");
    mAddinBook->setBuiltinProperty("Revision Number", Variant(22));
    EXPECT_EQ(goApplication->DataSourceKind(), 1);
}

TEST_F(clsApplicationTest, ShowAllSheetsWithoutAFormSheetSaysOpenTheInterfaceFirst) {
    startAddin();
    mScript << ScriptStep::messageBox("Open eerst de interface", xl::AnswerOk);
    mEntry->ShowAllSheets();
    EXPECT_TRUE(mScript.finished());
    EXPECT_TRUE(mApp->screenUpdating());
}

TEST_F(clsApplicationTest, RecordCommandsWithoutAShownTableChangeNothingAndLeaveTheHostUsable) {
    startAddin();
    const long books = mApp->workbookCount();
    mEntry->AddRow();
    mEntry->WriteData();
    mEntry->DeleteRows();
    EXPECT_TRUE(mScript.records().empty());
    EXPECT_EQ(mApp->workbookCount(), books);
    EXPECT_TRUE(mApp->enableEvents());
    EXPECT_TRUE(mApp->screenUpdating());
}

TEST_F(clsApplicationTest, MissingHelpFileIsReported) {
    startAddin();
    mScript << ScriptStep::messageBox(modGlobalization::GetText(194), xl::AnswerOk);
    mEntry->ShowHelp();
    EXPECT_TRUE(mScript.finished());
}

// Before, the build had no help page and the library folder was the host program's.
TEST_F(clsApplicationTest, HelpPageBesideTheAddinLibraryOpensWithoutAMessage) {
    const std::filesystem::path library = QV_ADDIN_LIBRARY;
    const auto page = library.parent_path() / "Help.html";
    ASSERT_TRUE(std::filesystem::exists(page)) << "the build puts the help page beside the library";
    std::ifstream in(page);
    const std::string html((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const char* must : {"<html", "F6", "F7", "F8", "F9", "Settings", "Open database"})
        EXPECT_NE(html.find(must), std::string::npos) << must;
    // A harmless opener stands in for the desktop's.
    mShell = std::make_unique<Shell>(
        ShellOptions{.opener = "true", .libraryFolder = library.parent_path().string()});
    startAddin();
    mEntry->ShowHelp();
    EXPECT_TRUE(mScript.records().empty());
}

// Before, a damaged settings file ended every start with an uncaught error.
TEST_F(clsApplicationTest, DamagedSettingsFileIsReportedOnceInTheHostsLanguage) {
    mRegistry.close();
    std::ofstream(mRegistry.path()) << "no database at all, but long enough to be taken for a damaged header";
    mRegistry.reopen();
    const std::string kept = mRegistry->damagedFileKeptAs();
    ASSERT_FALSE(kept.empty());
    mScript << ScriptStep::messageBox("beschadigd", xl::AnswerOk);
    startAddin({.dutch = true});
    EXPECT_TRUE(mScript.finished());
    EXPECT_TRUE(mScript.errors().empty());
    ASSERT_EQ(mScript.records().size(), 1u);
    EXPECT_NE(mScript.records()[0].text.find(kept), std::string::npos);
    // Defaults are in place and the next start, on the store begun afresh, says nothing more.
    EXPECT_EQ(storedText(setting::Version), "1.0");
    stopAddin();
    mRegistry.reopen();
    startAddin({.dutch = true});
    EXPECT_EQ(mScript.records().size(), 1u);
}

} // namespace qv::test
