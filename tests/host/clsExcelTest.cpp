// The host's events as the add-in's sink answers them: edits of the form sheet are tracked,
// the interface workbook is only ever saved as a copy and its closing ends the work with the
// database, and the person's own options come back once afterwards.
#include "HostFixture.h"
#include "tests/support/TestDatabases.h"

#include "common/clsAux.h"
#include "common/modGlobalization.h"
#include "form/clsForm.h"
#include "host/clsApplication.h"
#include "host/clsExcel.h"
#include "platform/host/HostConstants.h"

#include <fstream>

namespace qv::test {

namespace {
void makeDatabase(const std::filesystem::path& file) {
    createDatabase(file.string(), "CREATE TABLE Klant(Id INTEGER PRIMARY KEY, Naam TEXT);"
                                  "INSERT INTO Klant(Naam) VALUES('Zoë'),('Jan'),('Piet');"
                                  "CREATE TABLE Log(At TEXT, Wat TEXT);"
                                  "INSERT INTO Log VALUES('2024-01-01', 'start');");
}
} // namespace

class clsExcelTest : public HostFixture {
  protected:
    void SetUp() override {
        HostFixture::SetUp();
        mFile = mDir / "klanten.db";
        makeDatabase(mFile);
    }
    // The add-in with the database open and a table shown on an interface workbook of two sheets.
    void showTable(const std::string& table) {
        startAddin();
        mApp->setMoveAfterReturnDirection(xl::DirectionUp);
        goExcelEvents->SaveUserSettings();
        ASSERT_TRUE(mEntry->OpenDatabaseFile(mFile.string()));
        mBook = mApp->addWorkbook();
        WorksheetPtr formSheet = mBook->worksheet(1L);
        WorksheetPtr lists = mBook->addWorksheet(formSheet);
        lists->setVisible(xl::SheetVeryHidden);
        formSheet->activate();
        clsForm& form = goApplication->Form();
        form.SetSheet(formSheet);
        form.SetListsSheet(lists);
        if (table == "Log") mScript << ScriptStep::dialog("frmMessage").click("cmdOK"); // the no-key hint
        form.Show(table, 0);
        mSheet = formSheet;
    }
    clsForm& form() { return goApplication->Form(); }

    std::filesystem::path mFile;
    WorkbookPtr mBook;
    WorksheetPtr mSheet;
};

TEST_F(clsExcelTest, EditsOfTheFormSheetAreTrackedAndOthersAreNot) {
    showTable("Klant");
    mSheet->cells(3, 2)->setValue(Variant("Jans"));
    EXPECT_EQ(form().RowState(2), "1");
    EXPECT_EQ(mApp->keyBinding("{F7}"), "ThisWorkbook.WriteData");
    WorkbookPtr other = mApp->addWorkbook();
    other->worksheet(1L)->cells(2, 2)->setValue(Variant("x"));
    EXPECT_NE(form().RowState(1), "1");
}

TEST_F(clsExcelTest, EditsOfATableWithoutKeyAreNotTracked) {
    showTable("Log");
    mSheet->unprotect(clsAux::SheetPassword());
    mSheet->cells(2, 2)->setValue(Variant("stop"));
    EXPECT_FALSE(form().HasEdits());
}

TEST_F(clsExcelTest, SavingTheInterfaceWorkbookMakesACsvCopyAndEndsTheDatabaseWork) {
    showTable("Klant");
    const std::string copy = (mDir / "copy.csv").string();
    mScript << ScriptStep::messageBox("connection", xl::AnswerYes) << ScriptStep::saveAsFile(copy);
    mBook->save();
    ASSERT_TRUE(std::filesystem::exists(copy));
    std::ifstream in(copy);
    std::string header;
    std::getline(in, header);
    EXPECT_EQ(header.rfind("Id,Naam", 0), 0u) << header;
    EXPECT_FALSE(goApplication->DataSourceExists());
    EXPECT_EQ(form().Sheet(), nullptr);
    EXPECT_FALSE(form().HasMatrix());
    EXPECT_EQ(mApp->keyBinding("{F7}"), "");
    // The workbook stays open as an ordinary one; saving it again is not intercepted.
    EXPECT_TRUE(mApp->findWorkbook(mBook->name()) != nullptr);
    EXPECT_TRUE(mScript.finished());
}

TEST_F(clsExcelTest, DecliningOrCancellingTheSaveKeepsEverything) {
    showTable("Klant");
    mScript << ScriptStep::messageBox("connection", xl::AnswerNo);
    EXPECT_FALSE(mBook->save());
    mScript << ScriptStep::messageBox("connection", xl::AnswerYes) << ScriptStep::saveAsFile(std::nullopt);
    EXPECT_FALSE(mBook->save());
    EXPECT_TRUE(goApplication->DataSourceExists());
    EXPECT_EQ(form().Sheet(), mSheet);
    EXPECT_TRUE(mScript.finished());
}

TEST_F(clsExcelTest, ClosingAsksWhenEditedAndRestoresTheOptionsOnceAfterwards) {
    showTable("Klant");
    EXPECT_EQ(mApp->moveAfterReturnDirection(), xl::DirectionRight);
    mSheet->cells(2, 2)->setValue(Variant("Zoé"));
    mScript << ScriptStep::messageBox("", xl::AnswerNo);
    EXPECT_FALSE(mBook->close(false));
    EXPECT_EQ(form().Sheet(), mSheet);
    mScript << ScriptStep::messageBox("", xl::AnswerYes);
    EXPECT_TRUE(mBook->close(false));
    EXPECT_FALSE(goApplication->DataSourceExists());
    EXPECT_TRUE(mScript.finished());
    // The next activation puts the person's Enter direction back, and only once.
    WorkbookPtr other = mApp->addWorkbook();
    other->activate();
    EXPECT_EQ(mApp->moveAfterReturnDirection(), xl::DirectionUp);
    mApp->setMoveAfterReturnDirection(xl::DirectionLeft);
    other->worksheet(1L)->activate();
    mApp->addWorkbook()->activate();
    EXPECT_EQ(mApp->moveAfterReturnDirection(), xl::DirectionLeft);
}

TEST_F(clsExcelTest, OtherWorkbooksCloseAndSaveWithoutQuestions) {
    showTable("Klant");
    WorkbookPtr other = mApp->addWorkbook();
    const std::string path = (mDir / "other.xlsx").string();
    EXPECT_TRUE(other->saveAs(path));
    EXPECT_TRUE(other->close(false));
    EXPECT_TRUE(goApplication->DataSourceExists());
    EXPECT_TRUE(mScript.finished());
}

TEST_F(clsExcelTest, SaveAsFilterAndFileFormats) {
    modGlobalization::SetCountryCode(1);
    EXPECT_EQ(clsExcel::BuildSaveAsFilter(12),
              "Excel Workbook (*.xlsx),*.xlsx,Excel 97-2003 Workbook (*.xls),*.xls,XML Spreadsheet "
              "(*.xml),*.xml,Web "
              "Archive File (*.mht; *.mhtml),*.mht;*.mhtml,Web Page (*.htm; *.html),*.htm;*.html,Text (Tab "
              "Delimited) (*.txt),*.txt,CSV (Comma Delimited) (*.csv),*.csv");
    EXPECT_EQ(clsExcel::BuildSaveAsFilter(11).rfind("Excel Workbook (*.xls),*.xls,XML", 0), 0u);
    EXPECT_EQ(clsExcel::FileFormatOfExtension("CSV"), 6);
    EXPECT_EQ(clsExcel::FileFormatOfExtension("mhtml"), 45);
    EXPECT_EQ(clsExcel::FileFormatOfExtension("ods"), 0);
}

} // namespace qv::test
