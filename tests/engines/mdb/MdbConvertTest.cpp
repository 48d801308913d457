// A whole Access database copied into SQLite and opened through the SQLite engine: the same
// tables and rows, keys, relations, captions, formats and lookups, and editable. The copy never
// replaces an existing file, and a failed copy leaves nothing behind.
#include "tests/engines/mdb/MdbTestSupport.h"

#include "engines/mdb/MdbConvert.h"
#include "engines/mdb/MdbTable.h"
#include "engines/sqlite/AdoCommand.h"
#include "engines/sqlite/AdoConnection.h"
#include "engines/sqlite/DaoEngine.h"
#include "platform/OleDateTime.h"
#include "platform/engine/AdoConstants.h"
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

// The fixture copied into dir as SQLite: the copy's path.
std::string copied(const std::string& name, TempDir& dir) {
    auto catalogue = MdbCatalogue::open(fixture(name), {});
    const std::string path = dir.file(name + ".db");
    MdbConvert::toSqlite(*catalogue, path);
    return path;
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
    auto c = connect(copied("DateTestDatabase.mdb", dir));
    auto rs = c->execute("SELECT DateTimeCol, LongTextCol FROM DateTest ORDER BY IDCol");
    ASSERT_EQ(rs->recordCount(), 6);
    EXPECT_EQ(OleDateTime::toIsoText(rs->valueAt(3, 0).toDouble()), "0632-01-01");
    EXPECT_EQ(rs->valueAt(5, 1).toString(), "New line\r\nin field");
}

// Access keeps a unique index on each attachment, multi-value and version-history column (over
// its hidden value ids); over the copy's stand-in texts it refused the whole copy.
TEST(MdbConvertTest, ComplexColumnsCopyWithoutTheirValueIdIndexes) {
    QV_REQUIRE_ACCESS_FIXTURE("complexDataTestV2010.accdb");
    TempDir dir;
    const std::string copy = copied("complexDataTestV2010.accdb", dir);
    auto c = connect(copy);
    auto rs = c->execute("SELECT id, [memo-data], [append-memo-data] FROM Table1 ORDER BY id");
    ASSERT_EQ(rs->recordCount(), 4);
    EXPECT_EQ(rs->valueAt(2, 0).toString(), "row3");
    EXPECT_EQ(rs->valueAt(2, 2).toString(), "row3-memo-again");
    for (const auto& x : openCopy(copy)->tableDef("Table1")->indexes())
        EXPECT_TRUE(x->primary()) << x->name();
}

// Access refuses a record without its key; SQLite lets a primary key column of a table with row
// ids hold Null unless it is declared NOT NULL, so the copy took a new row with no key at all.
TEST(MdbConvertTest, KeyColumnsOfTheCopyRefuseNull) {
    QV_REQUIRE_ACCESS_FIXTURE("testV2010.accdb");
    TempDir dir;
    auto c = connect(copied("testV2010.accdb", dir));
    EXPECT_EQ(errorNumber([&] { c->execute("INSERT INTO Table4 ([name]) VALUES ('no key')"); }),
              err::RequiredField);
    long long affected = 0;
    c->execute(
        "INSERT INTO Table4 ([name], [data]) VALUES ('keyed', '{6F9619FF-8B86-D011-B42D-00C04FC964FF}')",
        &affected);
    EXPECT_EQ(affected, 1);
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

// The query fixture holds one query of every kind over three empty tables. On the copy, with
// rows of our own, each runs and does what its definition says, or is refused by name.
TEST(MdbConvertTest, EveryKindOfQueryRunsOnTheCopyAsDefined) {
    QV_REQUIRE_ACCESS_FIXTURE("queryTestV2010.accdb");
    TempDir dir;
    auto catalogue = MdbCatalogue::open(fixture("queryTestV2010.accdb"), {});
    const auto report = MdbConvert::toSqlite(*catalogue, dir.file("q.db"));
    // A pass-through query is for its server. A crosstab without an IN list is kept as written:
    // the SQLite engine reads its headings from the data each time it runs.
    EXPECT_EQ(report.queries, 8);
    ASSERT_EQ(report.queriesNotCopied.size(), 1u);
    EXPECT_EQ(report.queriesNotCopied[0].rfind("PassthroughQuery: ", 0), 0u) << report.queriesNotCopied[0];

    auto c = connect(dir.file("q.db"));
    auto kept = c->execute("SELECT SQL FROM QvQueries WHERE Name = 'CrosstabQuery'");
    ASSERT_EQ(kept->recordCount(), 1);
    EXPECT_EQ(kept->valueAt(0, 0).toString().rfind("TRANSFORM ", 0), 0u);
    auto insert = [&](const std::string& table, const std::vector<std::string>& rows) {
        for (const auto& row : rows)
            c->execute("INSERT INTO " + table + " VALUES " + row);
    };
    insert("Table1", {"('foo', '1a', '1b')", "('buzz', '2a', '2b')", "('k2', '3a', '3b')",
                      "('blah', '4a', '4b')", "('zzz', '5a', '5b')", "('t1m', 'buzz', 'x')"});
    insert("Table2", {"('foo', 'foo', 'c3foo')", "('buzz', 'buzz', 'c3buzz')", "('k2', 'k2', 'c3k2')",
                      "('bazz', 'x', 'c3x')"});
    insert("Table3", {"('foo', '3x', 't3foo')", "('buzz', '3y', 't3buzz')", "('k2', '3z', 't3k2')",
                      "('t3m', 'q', 'buzz')"});
    auto command = [&](const char* name) {
        auto cmd = std::make_unique<AdoCommand>();
        cmd->setActiveConnection(c);
        cmd->setCommandType(ado::CmdStoredProc);
        cmd->setCommandText(std::string("[") + name + "]");
        return cmd;
    };
    auto run = [&](const char* name, long long* affected = nullptr) {
        try {
            return command(name)->execute(affected);
        } catch (const NumberedError& e) {
            ADD_FAILURE() << name << ": " << e.description();
            throw;
        }
    };

    // Rows of Table1 whose Table3 partner has a Table2 row keyed twice by it, "foo" or "buzz"/"bazz"
    // in col2, ordered by Table2.col1; duplicates removed.
    auto select = run("SelectQuery");
    ASSERT_EQ(select->recordCount(), 2);
    ASSERT_EQ(select->fieldCount(), 6);
    EXPECT_EQ(select->valueAt(0, 0).toString(), "buzz");
    EXPECT_EQ(select->valueAt(0, 5).toString(), "t3buzz");
    EXPECT_EQ(select->valueAt(1, 0).toString(), "foo");
    EXPECT_EQ(select->valueAt(1, 1).toString(), "1a");

    // The groups of the right join with "buzz" as the highest Table2.col1: one, made into Table4.
    run("MakeTableQuery");
    auto made = c->execute("SELECT * FROM Table4");
    ASSERT_EQ(made->recordCount(), 1);
    EXPECT_EQ(made->valueAt(0, 0).toString(), "buzz");
    EXPECT_EQ(made->valueAt(0, 2).toString(), "q");

    // Every Table3 row with every Table1-Table2 pair on col1 (foo, buzz, k2): 4 x 3 rows.
    long long affected = 0;
    run("AppendQuery", &affected);
    EXPECT_EQ(affected, 12);
    EXPECT_EQ(count(*c, "Table3"), 16);

    // Everything after "blah" in col1 goes.
    run("DeleteQuery", &affected);
    EXPECT_EQ(affected, 5);
    auto left = c->execute("SELECT col1 FROM Table1");
    ASSERT_EQ(left->recordCount(), 1);
    EXPECT_EQ(left->valueAt(0, 0).toString(), "blah");

    run("DataDefinitionQuery");
    EXPECT_EQ(count(*c, "Table5"), 0);

    // The update names Table2 and the union's first parts name tables they never join: what
    // Access would ask for as parameters is refused here with the engine's message, not run
    // half.
    for (const char* broken : {"UpdateQuery", "UnionQuery"}) {
        std::string why;
        const auto number = errorNumber(
            [&] {
                auto cmd = command(broken);
                if (std::string(broken) == "UpdateQuery")
                    cmd->appendParameter(
                        cmd->createParameter("User Name", ado::VarWChar, ado::ParamInput, 10, Variant("me")));
                cmd->execute();
            },
            &why);
        EXPECT_NE(number, 0) << broken;
        EXPECT_NE(why.find("no such column"), std::string::npos) << broken << ": " << why;
    }
    EXPECT_EQ(count(*c, "Table1"), 1);
}

// A query that asks for a value it never declares is kept in the copy as a parameter query, so
// it is prompted for there as well instead of failing on an unknown column.
TEST(MdbConvertTest, UndeclaredPromptsStayParametersInTheCopy) {
    QV_REQUIRE_ACCESS_FIXTURE("parameters.accdb");
    TempDir dir;
    auto catalogue = MdbCatalogue::open(fixture("parameters.accdb"), {});
    MdbConvert::toSqlite(*catalogue, dir.file("p.db"));
    auto db = openCopy(dir.file("p.db"));
    auto query = db->queryDef("Z qq");
    ASSERT_TRUE(query);
    ASSERT_EQ(query->parameters().size(), 1u);
    EXPECT_EQ(query->parameters()[0]->name(), "Enter the country: Example: 'USA'");
    auto c = connect(dir.file("p.db"));
    AdoCommand command;
    command.setActiveConnection(c);
    command.setCommandType(ado::CmdStoredProc);
    command.setCommandText("[Z qq]");
    command.appendParameter(command.createParameter("Enter the country: Example: 'USA'", ado::VarWChar,
                                                    ado::ParamInput, 10, Variant("111")));
    auto rs = command.execute();
    ASSERT_EQ(rs->recordCount(), 1);
    EXPECT_EQ(rs->field("text1")->value().toString(), "111");
}

// Every index Access keeps for a table, other than the primary key and the ones it makes for
// relations (those are the copy's keys), is in the copy on the same columns, unique or not.
TEST(MdbConvertTest, SecondaryIndexesKeepTheirColumnsAndUniqueness) {
    QV_REQUIRE_ACCESS_FIXTURE("nwind.mdb");
    TempDir dir;
    auto catalogue = MdbCatalogue::open(fixture("nwind.mdb"), {});
    MdbConvert::toSqlite(*catalogue, dir.file("n.db"));
    auto db = openCopy(dir.file("n.db"));
    int compared = 0;
    for (const auto& info : catalogue->tables()) {
        if (info.attributes & (dao::SystemObject | dao::HiddenObject)) continue;
        MdbTable table(catalogue->file(), info.name);
        auto copy = db->tableDef(info.name);
        ASSERT_TRUE(copy) << info.name;
        for (const auto& x : table.indexes()) {
            if (x.primary || x.foreign || x.columns.empty()) continue;
            bool found = false;
            for (const auto& mine : copy->indexes()) {
                std::vector<std::string> columns;
                for (const auto& f : mine->fields())
                    columns.push_back(f->name());
                if (columns == x.columns && mine->unique() == x.unique) found = true;
            }
            EXPECT_TRUE(found) << info.name << "." << x.name;
            ++compared;
        }
    }
    EXPECT_GT(compared, 10);
}
