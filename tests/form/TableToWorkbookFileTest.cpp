// A database table saved as a workbook file the way a person gets there: the data source reads
// the table, the sheet fill writes it, the host's SaveAs writes the .xlsx. Another spreadsheet
// program (LibreOffice, headless) must read back the values the database holds; a table longer
// than a sheet must be refused with the host's message and leave nothing half-done.
#include "tests/form/FormFixture.h"

#include "platform/NumberedError.h"
#include "tests/support/OfficeConvert.h"

#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace qv::test {
namespace {

// Values, not what a format shows: numbers in full precision.
constexpr const char* CsvOfValues = "csv:Text - txt - csv (StarCalc):44,34,76,1,,1033,true,false,false";

// The rows of the table as SQLite itself answers them, by id: what the file must hold.
std::map<long, std::vector<std::string>> databaseRows(const std::string& path, const std::string& sql) {
    std::map<long, std::vector<std::string>> out;
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr), SQLITE_OK);
    while (st && sqlite3_step(st) == SQLITE_ROW) {
        std::vector<std::string> row;
        for (int c = 0; c < sqlite3_column_count(st); ++c) {
            const unsigned char* t = sqlite3_column_text(st, c);
            row.push_back(t ? reinterpret_cast<const char*>(t) : "");
        }
        out[sqlite3_column_int64(st, 0)] = row;
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
}

// The program writes a date-time as "MM/DD/YYYY HH:MM:SS" whatever the filter asks, and a
// midnight as the date alone (the sheet formats it so); back to the database's ISO text, so
// that the two compare to the second.
std::string isoFromOffice(const std::string& text) {
    int mo = 0, d = 0, y = 0, h = 0, mi = 0, s = 0;
    int n = std::sscanf(text.c_str(), "%d/%d/%d %d:%d:%d", &mo, &d, &y, &h, &mi, &s);
    if (n != 3 && n != 6) return "unreadable: " + text;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", y, mo, d, h, mi, s);
    return buf;
}

constexpr long Rows = 30000;

} // namespace

TEST(TableToWorkbookFileTest, AnotherProgramReadsTheDatabaseValuesFromTheSavedFile) {
    const std::string program = officeProgram();
    if (program.empty())
        GTEST_SKIP() << "soffice/libreoffice is not on PATH; install libreoffice-calc-nogui to run this test";
    TempFolder dir;
    const std::string db = dir.file("orders.db");
    // Every column type of an orders table; names with quotes, commas and letters beyond ASCII;
    // a memo of 30,000 characters with characters of two and three bytes; empty memos. The
    // rows make a sheet part of several megabytes, so it is deflated in many joined blocks.
    RunSql(
        db,
        "CREATE TABLE Orders(OrderID INTEGER PRIMARY KEY, CustomerName TEXT(50), Amount REAL, "
        "OrderDate DATETIME, Shipped BOOLEAN, Memo TEXT, Discount REAL);"
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
            std::to_string(Rows) +
            ") INSERT INTO Orders SELECT i, "
            "CASE i % 4 WHEN 0 THEN 'Zoë Müller' WHEN 1 THEN 'Łukasz Núñez-' || i "
            "WHEN 2 THEN 'O''Connor, \"Jr\" & <Sons>' ELSE 'José ' || i END, "
            "(i * 7919 % 9999999) / 100.0, "
            "printf('%04d-%02d-%02d %02d:%02d:%02d', 2015 + i % 10, 1 + i % 12, 1 + i % 28, i % 24, "
            "i % 60, i * 7 % 60), "
            "i % 3 = 0, CASE WHEN i % 1000 = 0 THEN NULL ELSE 'memo ' || i || ', fragile; \"urgent\"' END, "
            "i * 0.35 / " +
            std::to_string(Rows) +
            " FROM n;"
            "UPDATE Orders SET Memo = replace(hex(zeroblob(10000)), '00', 'Ω€x') WHERE OrderID IN (1, " +
            std::to_string(Rows) + ");");

    FormWorld w(db);
    AdoRecordsetPtr rs = w.ds->GetRecordSet("SELECT * FROM Orders", true);
    modSheetFill::FillSheetFromRecordset(*w.formSheet, *rs, 1, 1);
    rs.reset();
    w.listsSheet->setVisible(xl::SheetVisible);
    w.book->deleteWorksheet(w.listsSheet); // one sheet, so the converter writes the orders
    const std::string file = dir.file("orders.xlsx");
    ASSERT_TRUE(w.book->saveAs(file, 51));

    ASSERT_TRUE(officeConvert(program, dir, CsvOfValues, file, 180)) << "the conversion failed";
    std::vector<std::vector<std::string>> csv = parseOfficeCsv(readAll(dir.file("orders.csv")));
    ASSERT_EQ(csv.size(), static_cast<std::size_t>(Rows + 1)) << "every row and the header";
    EXPECT_EQ(csv[0], (std::vector<std::string>{"OrderID", "CustomerName", "Amount", "OrderDate", "Shipped",
                                                "Memo", "Discount"}));

    auto expected =
        databaseRows(db, "SELECT OrderID, CustomerName, Amount, OrderDate, Shipped, Memo, Discount "
                         "FROM Orders");
    std::vector<long> sample = {1, 2, 3, 4, 999, 1000, 1001, 12345, 17476, Rows - 1, Rows};
    for (long id = 97; id < Rows; id += 3331)
        sample.push_back(id);
    for (long id : sample) {
        SCOPED_TRACE("OrderID " + std::to_string(id));
        const std::vector<std::string>& want = expected.at(id);
        const std::vector<std::string>& got = csv.at(static_cast<std::size_t>(id));
        ASSERT_EQ(got.size(), 7u);
        EXPECT_EQ(got[0], want[0]);
        EXPECT_EQ(got[1], want[1]);
        EXPECT_NEAR(std::stod(got[2]), std::stod(want[2]), 1e-9);
        EXPECT_EQ(isoFromOffice(got[3]), want[3]);
        EXPECT_EQ(got[4] == "TRUE" || got[4] == "1", want[4] == "1") << got[4];
        EXPECT_EQ(got[5], want[5]);
        EXPECT_NEAR(std::stod(got[6]), std::stod(want[6]), 0.5e-5); // the fill keeps five decimals
    }
    EXPECT_EQ(expected.at(1)[5].size(), 60000u) << "the long memo: 10,000 times Ω€x, 30,000 characters";
}

TEST(TableToWorkbookFileTest, ATableLongerThanASheetIsRefusedAndTheWorkbookStillSaves) {
    TempFolder dir;
    const std::string db = dir.file("big.db");
    RunSql(db, "CREATE TABLE Big(Id INTEGER PRIMARY KEY);"
               "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000000) "
               "INSERT INTO Big SELECT i FROM n;");
    FormWorld w(db);
    AdoRecordsetPtr rs = w.ds->GetRecordSet("SELECT * FROM Big", true);
    try {
        modSheetFill::FillSheetFromRecordset(*w.formSheet, *rs, 1, 1);
        FAIL() << "3,000,000 records were accepted by a sheet of 1,048,576 rows";
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), err::PreparedMessage);
        EXPECT_NE(e.description().find("3000000"), std::string::npos) << e.description();
    }
    EXPECT_TRUE(w.formSheet->cells(1, 1)->value().isEmpty()) << "nothing is written before the refusal";
    EXPECT_TRUE(w.formSheet->cells(2, 1)->value().isEmpty());
    const std::string file = dir.file("after.xlsx");
    EXPECT_TRUE(w.book->saveAs(file, 51));
    EXPECT_GT(FileBytes(file).size(), 0u);
}

} // namespace qv::test
