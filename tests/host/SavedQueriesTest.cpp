// Every saved query of the demo database and free SQL against Chinook, run the way a person
// runs them: through the entry object's ExecuteQuery and ExecuteSQL, with every question,
// prompt and message answered by a script. What the statements change is read back from the
// file with SQLite itself.
#include "HostFixture.h"

#include "common/modGlobalization.h"
#include "platform/host/HostConstants.h"
#include "tests/support/TestDatabases.h"

#include <fstream>
#include <sstream>

namespace qv::test {

namespace {

namespace fs = std::filesystem;

const char* kChinook = "../shared/fixtures/sqlite/Chinook_Sqlite.sqlite";

// One saved query and how its run goes: the steps that answer it, the sheet it writes (if
// any), the count it reports (if any), and what the file says afterwards.
struct QueryRun {
    std::string name;
    std::vector<ScriptStep> steps;
    std::string sheet;    // "" when no result sheet is expected
    std::string reported; // a line the switchable message must hold; "" when none is shown
    std::string check;    // SQL whose single value is compared with `expected` afterwards
    std::string expected;
};

} // namespace

class SavedQueriesTest : public HostFixture {
  protected:
    std::string textsOf() const {
        std::string all;
        for (const PromptRecord& r : mScript.records())
            all += r.text + " [" + r.error + "]\n";
        return all;
    }
    std::string lastUserMessage() const {
        for (auto r = mScript.records().rbegin(); r != mScript.records().rend(); ++r)
            for (const DialogControl& c : r->controls)
                if (c.name == "lblText") return c.caption.empty() ? c.value.toString() : c.caption;
        return {};
    }
    int indexOf(const std::string& name) {
        const auto names = mEntry->QueryList();
        if (!names) return 0;
        for (std::size_t i = 0; i < names->size(); ++i)
            if ((*names)[i] == name) return static_cast<int>(i + 1);
        return 0;
    }
    WorkbookPtr resultBook() const { return mApp->activeWorkbook(); }
};

TEST_F(SavedQueriesTest, EverySavedQueryOfTheDemoDatabaseRunsWithItsPromptsAndConfirmations) {
    if (!demoSamplesPresent()) GTEST_SKIP() << DemoSql << " is absent (run from the repository root)";
    const std::string path = (mDir / "demo.db").string();
    buildDemoDatabase(path);
    if (HasFatalFailure()) return;
    startAddin();
    ASSERT_TRUE(mEntry->OpenDatabaseFile(path)) << textsOf();

    const std::string auditRows = readBack(path, "SELECT count(*) FROM AuditLog");
    auto yes = [](const char* containing) { return ScriptStep::messageBox(containing, xl::AnswerYes); };
    auto ok = [] { return ScriptStep::dialog("frmMessage").click("cmdOK"); };
    const std::vector<QueryRun> runs = {
        {"Customers by Country", {}, "Query Customers by Country", "", "", ""},
        {"Order Totals", {}, "Query Order Totals", "", "", ""},
        {"Orders Since",
         {ScriptStep::input("Input parameter: Start Date\rEnter a date/time.", "1/1/2024")},
         "Query Orders Since",
         "",
         "",
         ""},
        {"Products in Price Range",
         {ScriptStep::input("Lowest Price\rEnter a numeric value.", "10"),
          ScriptStep::input("Highest Price\rEnter a numeric value.", "20")},
         "Query Products in Price Range",
         "",
         "",
         ""},
        {"Customers in Country",
         {ScriptStep::input("Country Code\rEnter a value.", "NL"), ScriptStep::input("Active Only", "False")},
         "Query Customers in Country",
         "",
         "",
         ""},
        {"Dutch Customers", {}, "Query Dutch Customers", "", "", ""},
        {"All Contacts", {}, "Query All Contacts", "", "", ""},
        {"Orders by Year", {}, "Query Orders by Year", "", "", ""},
        {"Product List", {}, "Query Product List", "", "", ""},
        {"Retire Sold Out Products",
         {yes("will alter"), ok()},
         "",
         "4 records have been affected.",
         "SELECT count(*) FROM Products WHERE UnitsInStock = 0 AND (Status <> 'Retired' OR NOT Discontinued)",
         "0"},
        {"Purge Old Audit",
         {yes("will alter"), ok()},
         "",
         "0 records have been affected.",
         "SELECT count(*) FROM AuditLog",
         auditRows},
        {"Log Maintenance",
         {yes("will alter"), ok()},
         "",
         "One record has been affected.",
         "SELECT count(*) FROM AuditLog WHERE Action = 'Maintenance run'",
         "1"},
        {"Archive Orders 2024",
         {yes("will alter"), ok()},
         "",
         "records have been affected.",
         "SELECT count(*) > 0 FROM OrdersArchive2024",
         "1"},
        {"Clear Audit Log",
         {yes("will alter"), yes("will be erased"), ok()},
         "",
         "records have been affected.",
         "SELECT count(*) FROM AuditLog",
         "0"},
        {"Create Price History",
         {yes("data-definition"), ok()},
         "",
         "has been executed succesfully.",
         "SELECT count(*) FROM sqlite_master WHERE name = 'PriceHistory'",
         "1"},
        {"Drop Archive 2024",
         {yes("data-definition"), yes("dropped"), ok()},
         "",
         "has been executed succesfully.",
         "SELECT count(*) FROM sqlite_master WHERE name = 'OrdersArchive2024'",
         "0"},
    };
    // Every listed query is run here.
    std::vector<std::string> covered;
    for (const QueryRun& r : runs)
        covered.push_back(r.name);
    std::vector<std::string> listed = *mEntry->QueryList();
    std::sort(covered.begin(), covered.end());
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(covered, listed);

    for (const QueryRun& r : runs) {
        SCOPED_TRACE(r.name);
        const long sheetsBefore = resultBook()->worksheetCount();
        const std::size_t recordsBefore = mScript.records().size();
        for (const ScriptStep& s : r.steps)
            mScript << s;
        const int index = indexOf(r.name);
        ASSERT_GT(index, 0);
        mEntry->ExecuteQuery(index);
        EXPECT_TRUE(mScript.finished()) << textsOf();
        EXPECT_TRUE(mScript.errors().empty()) << textsOf();
        if (!r.sheet.empty()) {
            WorksheetPtr s = resultBook()->findWorksheet(r.sheet);
            ASSERT_TRUE(s) << textsOf();
            EXPECT_FALSE(s->cells(1, 1)->value().toString().empty());
            EXPECT_FALSE(s->cells(2, 1)->value().isEmpty()) << "no rows";
            EXPECT_EQ(s->frozenRows(), 1);
        } else {
            EXPECT_EQ(resultBook()->worksheetCount(), sheetsBefore);
        }
        if (!r.reported.empty()) {
            EXPECT_NE(lastUserMessage().find(r.reported), std::string::npos) << lastUserMessage();
            EXPECT_EQ(lastUserMessage().rfind("The query has been executed succesfully.\r", 0), 0u);
        } else {
            for (std::size_t i = recordsBefore; i < mScript.records().size(); ++i)
                EXPECT_NE(mScript.records()[i].dialogName, "frmMessage");
        }
        if (!r.check.empty()) {
            EXPECT_EQ(readBack(path, r.check), r.expected);
        }
        EXPECT_EQ(mApp->statusBar(), "Ready");
    }
    // A literal in double quotes reached the engine as a text, not as a name.
    WorksheetPtr dutch = resultBook()->findWorksheet("Query Dutch Customers");
    ASSERT_TRUE(dutch);
    EXPECT_EQ(dutch->cells(2, 3)->value().toString().rfind("Contact: ", 0), 0u);
    // The crosstab has a column per year of the orders, each counting that year's orders.
    WorksheetPtr years = resultBook()->findWorksheet("Query Orders by Year");
    ASSERT_TRUE(years);
    EXPECT_EQ(years->cells(1, 1)->value().toString(), "CustomerID");
    const std::string firstYear = readBack(path, "SELECT min(strftime('%Y', OrderDate)) FROM Orders");
    EXPECT_EQ(years->cells(1, 2)->value().toString(), firstYear);
    const std::string lastYear = readBack(path, "SELECT max(strftime('%Y', OrderDate)) FROM Orders");
    const long yearColumns =
        std::stol(readBack(path, "SELECT count(DISTINCT strftime('%Y', OrderDate)) FROM Orders"));
    EXPECT_EQ(years->cells(1, 2 + yearColumns - 1)->value().toString(), lastYear);
    // A second run of a select counts its sheet up.
    mEntry->ExecuteQuery(indexOf("Order Totals"));
    EXPECT_TRUE(resultBook()->findWorksheet("Query Order Totals (1)"));
}

TEST_F(SavedQueriesTest, FreeSqlAgainstChinookShowsRowsAndChangesWhatItSays) {
    if (!fs::exists(kChinook)) GTEST_SKIP() << kChinook << " is absent";
    const std::string path = (mDir / "Chinook.sqlite").string();
    fs::copy_file(kChinook, path);
    startAddin();
    ASSERT_TRUE(mEntry->OpenDatabaseFile(path)) << textsOf();

    mScript << ScriptStep::input(
        "Execute SQL statement:",
        "SELECT a.Name, Count(*) AS Albums FROM Artist AS a INNER JOIN Album AS b ON "
        "b.ArtistId = a.ArtistId GROUP BY a.Name ORDER BY Count(*) DESC, a.Name");
    mEntry->ExecuteSQL();
    WorksheetPtr s = resultBook()->findWorksheet("SQL statement");
    ASSERT_TRUE(s) << textsOf();
    EXPECT_EQ(s->cells(1, 2)->value().toString(), "Albums");
    EXPECT_EQ(s->cells(2, 1)->value().toString(), "Iron Maiden");
    EXPECT_EQ(s->cells(2, 2)->value().toDouble(), 21);

    // An update of three records reports the count, and the file holds the change.
    mScript << ScriptStep::input("", "UPDATE Genre SET Name = Name & \" (x)\" WHERE GenreId <= 3")
            << ScriptStep::messageBox("will alter", xl::AnswerYes)
                   .flags(xl::MsgYesNo + xl::MsgQuestion + xl::MsgSetForeground)
            << ScriptStep::dialog("frmMessage").click("cmdOK");
    mEntry->ExecuteSQL();
    EXPECT_EQ(lastUserMessage(),
              "SQL statement has been executed succesfully.\r3 records have been affected.\r"
              "Reopen the table or database to see the result.");
    EXPECT_EQ(readBack(path, "SELECT Name FROM Genre WHERE GenreId = 1"), "Rock (x)");

    // A delete without a where clause asks twice; No keeps every row.
    const std::string lines = readBack(path, "SELECT count(*) FROM PlaylistTrack");
    mScript << ScriptStep::input("", "DELETE FROM PlaylistTrack")
            << ScriptStep::messageBox("will alter", xl::AnswerYes)
            << ScriptStep::messageBox("will be erased", xl::AnswerNo);
    mEntry->ExecuteSQL();
    EXPECT_EQ(readBack(path, "SELECT count(*) FROM PlaylistTrack"), lines);

    // A statement that hides its verb behind a comment is asked about; No runs nothing.
    mScript << ScriptStep::input("", "/* cleanup */ DELETE FROM Track WHERE TrackId < 10")
            << ScriptStep::messageBox("will alter", xl::AnswerNo);
    mEntry->ExecuteSQL();
    EXPECT_EQ(readBack(path, "SELECT count(*) FROM Track WHERE TrackId < 10"), "9");

    // The second result sheet of free SQL counts up; the first keeps its rows.
    mScript << ScriptStep::input("", "SELECT Name FROM MediaType ORDER BY MediaTypeId");
    mEntry->ExecuteSQL();
    ASSERT_TRUE(resultBook()->findWorksheet("SQL statement (1)"));
    EXPECT_EQ(resultBook()->findWorksheet("SQL statement (1)")->cells(2, 1)->value().toString(),
              "MPEG audio file");
    EXPECT_TRUE(mScript.finished()) << textsOf();
    EXPECT_TRUE(mScript.errors().empty()) << textsOf();
}

} // namespace qv::test
