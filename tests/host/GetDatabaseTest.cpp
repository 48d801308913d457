// "Open database": the pick through the open dialog, the interface workbook built once and
// reused, its file in the temp folder (never one another host holds open), the popups of both
// bars, and what a cancel leaves alone.
#include "HostFixture.h"

#include "form/clsForm.h"
#include "host/clsApplication.h"
#include "host/clsCommandBar.h"
#include "host/clsMenuBarControl.h"
#include "platform/host/HostConstants.h"
#include "spreadsheet/model/WorkbookLock.h"

#include <cstdlib>
#include <fstream>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qv::test {

namespace {
void makeDatabase(const std::filesystem::path& file, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

std::string textsOf(const DialogScript& script) {
    std::string all;
    for (const PromptRecord& r : script.records()) {
        all += r.text + " [" + r.dialogName + "] " + r.error;
        for (const DialogControl& c : r.controls)
            all += " " + c.caption;
        all += "\n";
    }
    return all;
}

std::vector<std::string> captionsOf(const CommandBarControlPtr& popup) {
    std::vector<std::string> out;
    if (!popup) return out;
    auto controls = popup->controls();
    for (long i = 1; i <= controls->count(); ++i)
        out.push_back(controls->item(i)->caption());
    return out;
}

std::string machine() {
    char buf[256] = {};
    ::gethostname(buf, sizeof buf - 1);
    return buf;
}
} // namespace

class GetDatabaseTest : public HostFixture {
  protected:
    void SetUp() override {
        HostFixture::SetUp();
        useOwnTempFolder();
        mTemp = mDir / "temp";
        mShop = mDir / "shop.sqlite";
        makeDatabase(mShop, "CREATE TABLE Klant(Id INTEGER PRIMARY KEY, Naam TEXT);"
                            "CREATE TABLE Order_(Id INTEGER PRIMARY KEY, KlantId INTEGER);"
                            "INSERT INTO Klant(Naam) VALUES('Zoë');"
                            "CREATE VIEW Namen AS SELECT Naam FROM Klant;");
        mEmpty = mDir / "empty.db";
        makeDatabase(mEmpty, "CREATE VIEW Een AS SELECT 1 AS x;");
    }
    void start(const Options& o = {}) {
        startAddin(o);
        // The start-up hint and the hint after opening are not what most cases are about.
        mScript << ScriptStep::dialog("frmMessage").click("cmdOK");
        mEntry->ShowFirstMessage();
    }
    void open(const std::filesystem::path& file) {
        mScript << ScriptStep::openFile(file.string()) << ScriptStep::dialog("frmMessage").click("cmdOK");
        mEntry->GetDatabase();
    }
    clsApplication& controller() { return *goApplication; }
    std::filesystem::path mTemp, mShop, mEmpty;
};

TEST_F(GetDatabaseTest, OpenDialogBuildsTheInterfaceWorkbookWithBothSheetsAndPopups) {
    start();
    const long before = mApp->workbookCount();
    open(mShop);
    EXPECT_TRUE(mScript.finished()) << textsOf(mScript);
    EXPECT_TRUE(mScript.errors().empty()) << textsOf(mScript);
    ASSERT_TRUE(mEntry->DataSourceExists());
    ASSERT_EQ(mApp->workbookCount(), before + 1);

    WorksheetPtr form = controller().Form().Sheet();
    ASSERT_TRUE(form);
    WorkbookPtr wb = form->parent();
    EXPECT_EQ(wb->fullName(), (mTemp / "Quorvel LT.xlsx").string());
    EXPECT_TRUE(std::filesystem::exists(mTemp / "Quorvel LT.xlsx"));
    EXPECT_TRUE(std::filesystem::exists(mTemp / "~$Quorvel LT.xlsx"));
    ASSERT_EQ(wb->worksheetCount(), 2);
    EXPECT_EQ(form->name(), "Quorvel LT");
    EXPECT_EQ(form->visible(), xl::SheetVisible);
    EXPECT_EQ(controller().Form().ListsSheet(), wb->worksheet(2));
    EXPECT_EQ(wb->worksheet(2)->visible(), xl::SheetVeryHidden);
    EXPECT_TRUE(form->protectContents());
    EXPECT_TRUE(wb->structureProtected());
    EXPECT_EQ(form->enableSelection(), xl::SelectionUnlockedCells);
    EXPECT_TRUE(mApp->enableEvents());
    EXPECT_TRUE(mApp->screenUpdating());
    EXPECT_EQ(mApp->statusBar(), "Ready");

    for (ICB* bar :
         {static_cast<ICB*>(&controller().MenuBar()), static_cast<ICB*>(&controller().CommandBar())}) {
        CommandBarControlPtr tables = bar->FindControlByTag("Tables");
        ASSERT_TRUE(tables);
        EXPECT_TRUE(tables->enabled());
        EXPECT_EQ(captionsOf(tables), (std::vector<std::string>{"Klant", "Order_"}));
        auto first = tables->controls()->item(1);
        EXPECT_EQ(first->parameter(), "Klant");
        EXPECT_EQ(first->faceId(), 333);
        EXPECT_EQ(first->onAction(), "ThisWorkbook.Show");
        CommandBarControlPtr queries = bar->FindControlByTag("Queries");
        ASSERT_TRUE(queries);
        EXPECT_EQ(captionsOf(queries), (std::vector<std::string>{"Namen"}));
        EXPECT_EQ(queries->controls()->item(1)->onAction(), "ThisWorkbook.ExecuteQuery");
        EXPECT_NE(queries->controls()->item(1)->tooltipText().find("SELECT"), std::string::npos);
        EXPECT_TRUE(bar->FindControlByTag("Row Add")->visible());
        // The toolbar carries no close button.
        if (auto close = bar->FindControlByTag("Close application")) {
            EXPECT_TRUE(close->enabled());
        }
    }
    ASSERT_TRUE(controller().MenuBar().FindControlByTag("Close application"));
    EXPECT_TRUE(controller().MenuBar().FindControlByTag("Close application")->enabled());
    // The hint after opening names the tables drop-down.
    EXPECT_NE(textsOf(mScript).find("drop down 'Tables'"), std::string::npos) << textsOf(mScript);
}

TEST_F(GetDatabaseTest, ThreeSheetsOfANewWorkbookBecomeFormAndLists) {
    start({.sheetsInNewWorkbook = 3});
    open(mShop);
    WorksheetPtr form = controller().Form().Sheet();
    ASSERT_TRUE(form) << textsOf(mScript);
    EXPECT_EQ(form->parent()->worksheetCount(), 2);
    EXPECT_EQ(controller().Form().ListsSheet(), form->parent()->worksheet(2));
}

TEST_F(GetDatabaseTest, FiveSheetsOfANewWorkbookLoseTheSurplus) {
    start({.sheetsInNewWorkbook = 5});
    open(mShop);
    WorksheetPtr form = controller().Form().Sheet();
    ASSERT_TRUE(form) << textsOf(mScript);
    EXPECT_EQ(form->parent()->worksheetCount(), 2);
    EXPECT_EQ(form->parent()->worksheet(2)->visible(), xl::SheetVeryHidden);
}

TEST_F(GetDatabaseTest, CancelLeavesDatabaseWorkbookAndPopupsAsTheyWere) {
    start();
    open(mShop);
    auto ds = controller().DataSource();
    WorksheetPtr form = controller().Form().Sheet();
    mScript << ScriptStep::openFile(std::nullopt);
    mEntry->GetDatabase();
    EXPECT_TRUE(mScript.finished());
    EXPECT_EQ(controller().DataSource(), ds);
    EXPECT_EQ(controller().Form().Sheet(), form);
    EXPECT_EQ(captionsOf(controller().MenuBar().FindControlByTag("Tables")),
              (std::vector<std::string>{"Klant", "Order_"}));
    EXPECT_TRUE(form->protectContents());
}

TEST_F(GetDatabaseTest, SecondDatabaseReusesTheWorkbookAndADatabaseWithoutTablesSaysSo) {
    start();
    open(mShop);
    WorksheetPtr form = controller().Form().Sheet();
    const long books = mApp->workbookCount();
    mScript << ScriptStep::openFile(mEmpty.string()) << ScriptStep::dialog("frmMessage").click("cmdOK");
    mEntry->GetDatabase();
    EXPECT_TRUE(mScript.errors().empty()) << textsOf(mScript);
    EXPECT_EQ(mApp->workbookCount(), books);
    EXPECT_EQ(controller().Form().Sheet(), form);
    EXPECT_NE(textsOf(mScript).find("The database does not contain tables."), std::string::npos);
    CommandBarControlPtr tables = controller().MenuBar().FindControlByTag("Tables");
    EXPECT_FALSE(tables->enabled());
    EXPECT_TRUE(captionsOf(tables).empty());
    EXPECT_EQ(captionsOf(controller().CommandBar().FindControlByTag("Queries")),
              (std::vector<std::string>{"Een"}));
    EXPECT_TRUE(form->protectContents());
    EXPECT_TRUE(form->parent()->structureProtected());
}

TEST_F(GetDatabaseTest, AWorkbookFileAnotherHostHoldsOpenIsTakenAStaleOneIsReused) {
    start();
    // Another running host (the parent of this test) holds the first name.
    const auto first = mTemp / "Quorvel LT.xlsx";
    std::ofstream(first) << "theirs";
    std::ofstream(sheet::WorkbookLock::lockPathFor(first.string()))
        << "bert," << machine() << "," << ::getppid() << "\n";
    EXPECT_EQ(controller().GetTempWorkbookPath(), (mTemp / "Quorvel LT01.xlsx").string());
    std::ifstream in(first);
    std::string content;
    in >> content;
    EXPECT_EQ(content, "theirs");

    // Its owner died: the file is stale and the name is free again.
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    std::ofstream(sheet::WorkbookLock::lockPathFor(first.string()))
        << "bert," << machine() << "," << child << "\n";
    EXPECT_EQ(controller().GetTempWorkbookPath(), first.string());
    EXPECT_FALSE(std::filesystem::exists(first));
}

TEST_F(GetDatabaseTest, AWorkbookOpenInThisHostTakesItsName) {
    start();
    open(mShop);
    EXPECT_EQ(controller().GetTempWorkbookPath(), (mTemp / "Quorvel LT01.xlsx").string());
    EXPECT_EQ(controller().BuildTempWorkbookPath(12), (mTemp / "Quorvel LT12.xlsx").string());
}

TEST_F(GetDatabaseTest, OlderEditionsAlsoGetAnOfficeOpenXmlWorkbook) {
    start({.revision = 11, .version = "11.0"});
    EXPECT_EQ(controller().BuildTempWorkbookPath(0), (mTemp / "Quorvel LT.xlsx").string());
}

} // namespace qv::test
