// A whole Access database copied into SQLite and opened through the SQLite engine: the same
// tables and rows, keys, relations, captions, formats and lookups, and editable. The copy never
// replaces an existing file, and a failed copy leaves nothing behind.
#include "tests/engines/mdb/MdbTestSupport.h"

#include "engines/mdb/MdbConvert.h"
#include "engines/sqlite/AdoConnection.h"
#include "engines/sqlite/DaoEngine.h"
#include "platform/OleDateTime.h"
#include "platform/engine/DaoConstants.h"

#include <sqlite3.h>

using namespace qv;
using namespace qv::engine;
using namespace qv::mdbtest;

namespace {

DaoDatabasePtr openCopy(const std::string& path) {
    DaoEngine engine("12.0");
    return engine.workspace(0)->openDatabase(path, 0, false, {});
}

long long count(AdoConnection& c, const std::string& table) {
    auto rs = c.execute("SELECT COUNT(*) FROM [" + table + "]");
    return rs->valueAt(0, 0).toInt64();
}

std::shared_ptr<AdoConnection> connect(const std::string& path) {
    auto c = std::make_shared<AdoConnection>();
    c->setCursorLocation(3);
    c->open("Driver={Microsoft Access Driver (*.mdb, *.accdb)};Dbq=" + path + ";Uid=Admin;Pwd=;");
    return c;
}

} // namespace

TEST(MdbConvertTest, NorthwindCopyKeepsDataKeysRelationsAndProperties) {
    QV_REQUIRE_ACCESS_FIXTURE("nwind.mdb");
    TempDir dir;
    const auto before = sha256(fixture("nwind.mdb"));
    auto catalogue = MdbCatalogue::open(fixture("nwind.mdb"), {});
    const auto report = MdbConvert::toSqlite(*catalogue, dir.file("nwind.db"));
    EXPECT_EQ(report.tables, 9);
    EXPECT_EQ(report.relations, 7);
    EXPECT_EQ(sha256(fixture("nwind.mdb")), before);

    auto db = openCopy(dir.file("nwind.db"));
    auto products = db->tableDef("Products");
    ASSERT_TRUE(products);
    auto id = products->field("ProductID");
    EXPECT_EQ(id->property("Caption")->value().toString(), "Product ID");
    EXPECT_EQ(id->attributes() & dao::FieldAutoIncrement, dao::FieldAutoIncrement);
    EXPECT_EQ(products->field("UnitPrice")->type(), dao::Currency);
    EXPECT_EQ(products->field("UnitPrice")->property("Format")->value().toString(), "$#,##0.00;($#,##0.00)");
    EXPECT_EQ(products->field("SupplierID")->property("RowSource")->value().toString(),
              "SELECT DISTINCTROW [SupplierID],[CompanyName] FROM Suppliers ORDER BY [CompanyName];");
    EXPECT_EQ(products->field("SupplierID")->property("ColumnWidth")->value().toInt64(), 3930);
    // Kept as the stored property, not as NOT NULL: Access lets existing rows break a rule added later.
    EXPECT_TRUE(products->field("ProductName")->property("Required")->value().toBool());
    EXPECT_EQ(products->field("ProductName")->size(), 40);

    auto details = db->tableDef("Order Details");
    DaoIndexPtr primary;
    for (const auto& x : details->indexes())
        if (x->primary()) primary = x;
    ASSERT_TRUE(primary);
    ASSERT_EQ(primary->fields().size(), 2u);
    EXPECT_EQ(primary->fields()[0]->name(), "OrderID");

    const auto relations = db->relations();
    EXPECT_EQ(relations.size(), 7u);
    bool named = false;
    for (const auto& r : relations)
        for (const auto& mine : catalogue->relations())
            if (mine.name == r->name()) named = true;
    EXPECT_TRUE(named);

    auto c = connect(dir.file("nwind.db"));
    EXPECT_EQ(count(*c, "Order Details"), 2155);
    EXPECT_EQ(count(*c, "Umsätze"), 830);
    auto price = c->execute("SELECT UnitPrice FROM [Order Details] WHERE OrderID = 10248 AND ProductID = 42");
    EXPECT_EQ(price->valueAt(0, 0).toCurrency().scaled, 98000);
    // Editable: a new product gets the next autonumber.
    long long affected = 0;
    c->execute("INSERT INTO Products (ProductName, Discontinued) VALUES ('Quorvel Tea', 0)", &affected);
    EXPECT_EQ(affected, 1);
    auto next = c->execute("SELECT ProductID FROM Products WHERE ProductName = 'Quorvel Tea'");
    EXPECT_EQ(next->valueAt(0, 0).toInt64(), 78);
}

// A memo of the copy must not be a column SQLite turns typed digits into numbers in.
TEST(MdbConvertTest, MemosOfTheCopyKeepDigitsAsText) {
    QV_REQUIRE_ACCESS_FIXTURE("nwind.mdb");
    TempDir dir;
    auto catalogue = MdbCatalogue::open(fixture("nwind.mdb"), {});
    MdbConvert::toSqlite(*catalogue, dir.file("nwind.db"));
    EXPECT_EQ(openCopy(dir.file("nwind.db"))->tableDef("Employees")->field("Notes")->type(), dao::Memo);
    EXPECT_EQ(openCopy(dir.file("nwind.db"))->tableDef("Categories")->field("Description")->type(),
              dao::Memo);
    auto c = connect(dir.file("nwind.db"));
    long long affected = 0;
    c->execute("UPDATE Employees SET Notes = '0099' WHERE EmployeeID = 1", &affected);
    ASSERT_EQ(affected, 1);
    auto rs = c->execute("SELECT Notes FROM Employees WHERE EmployeeID = 1");
    EXPECT_TRUE(rs->valueAt(0, 0).isString());
    EXPECT_EQ(rs->valueAt(0, 0).toString(), "0099");

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(dir.file("nwind.db").c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    std::string stored;
    if (sqlite3_prepare_v2(db, "SELECT typeof(Notes) || ':' || Notes FROM Employees WHERE EmployeeID = 1", -1,
                           &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
        stored = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    sqlite3_finalize(st);
    sqlite3_close(db);
    EXPECT_EQ(stored, "text:0099");
}

TEST(MdbConvertTest, OldDatesAndTextSurviveTheCopy) {
    QV_REQUIRE_ACCESS_FIXTURE("DateTestDatabase.mdb");
    TempDir dir;
    auto catalogue = MdbCatalogue::open(fixture("DateTestDatabase.mdb"), {});
    MdbConvert::toSqlite(*catalogue, dir.file("dates.db"));
    auto c = connect(dir.file("dates.db"));
    auto rs = c->execute("SELECT DateTimeCol, LongTextCol FROM DateTest ORDER BY IDCol");
    ASSERT_EQ(rs->recordCount(), 6);
    EXPECT_EQ(OleDateTime::toIsoText(rs->valueAt(3, 0).toDouble()), "0632-01-01");
    EXPECT_EQ(rs->valueAt(5, 1).toString(), "New line\r\nin field");
}

TEST(MdbConvertTest, NeverReplacesAnExistingFile) {
    QV_REQUIRE_ACCESS_FIXTURE("testV2010.accdb");
    TempDir dir;
    writeAll(dir.file("taken.db"), "precious");
    auto catalogue = MdbCatalogue::open(fixture("testV2010.accdb"), {});
    std::string why;
    EXPECT_EQ(errorNumber([&] { MdbConvert::toSqlite(*catalogue, dir.file("taken.db")); }, &why),
              err::ReadOnlyDatabase);
    EXPECT_NE(why.find("already exists"), std::string::npos) << why;
    EXPECT_EQ(readAll(dir.file("taken.db")), "precious");
}

TEST(MdbConvertTest, AFailedCopyLeavesNothingBehind) {
    QV_REQUIRE_ACCESS_FIXTURE("linkerTestV2007.accdb");
    TempDir dir;
    // Alone in a folder, the linked table's target cannot be found.
    writeAll(dir.file("linker.accdb"), readAll(fixture("linkerTestV2007.accdb")));
    auto catalogue = MdbCatalogue::open(dir.file("linker.accdb"), {});
    EXPECT_EQ(errorNumber([&] { MdbConvert::toSqlite(*catalogue, dir.file("out.db")); }),
              err::DatabaseFileNotFound);
    std::size_t files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 1u);
}

TEST(MdbConvertTest, LinkedTablesAreCopiedFromTheirTarget) {
    QV_REQUIRE_ACCESS_FIXTURE("linkerTestV2007.accdb");
    TempDir dir;
    auto catalogue = MdbCatalogue::open(fixture("linkerTestV2007.accdb"), {});
    const auto report = MdbConvert::toSqlite(*catalogue, dir.file("linker.db"));
    EXPECT_EQ(report.tables, 2);
    auto db = openCopy(dir.file("linker.db"));
    EXPECT_TRUE(db->tableDef("Table2"));
    // The unenforced relation is no foreign key in the copy.
    EXPECT_TRUE(db->relations().empty());
}
