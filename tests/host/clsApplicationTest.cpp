#include "HostFixture.h"

#include "common/clsAux.h"
#include "common/modGlobalization.h"
#include "host/clsApplication.h"
#include "host/clsMenuBarControl.h"
#include "platform/host/HostConstants.h"

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
    EXPECT_EQ(storedText("Show message select db"), "False");
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

TEST_F(clsApplicationTest, CommandsNotBuiltYetReportThemselvesAndLeaveTheHostUsable) {
    startAddin();
    mScript << ScriptStep::messageBox("not implemented", xl::AnswerOk);
    mEntry->AddRow();
    EXPECT_TRUE(mScript.finished());
    EXPECT_TRUE(mApp->enableEvents());
}

TEST_F(clsApplicationTest, MissingHelpFileIsReported) {
    startAddin();
    mScript << ScriptStep::messageBox(modGlobalization::GetText(194), xl::AnswerOk);
    mEntry->ShowHelp();
    EXPECT_TRUE(mScript.finished());
}

} // namespace qv::test
