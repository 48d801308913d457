// The statements the add-in sends, in its own dialect, run against a real database file
// through the engine: brackets, #date# literals, yes/no truth values (also as stored -1 by
// other tools), composite keys, DISTINCT lists, saved parameter queries, LIKE with '*', and '&'
// with nulls. Also what the engine adds around the translator: the column types it passes
// (and refreshes after DDL), defaults and view texts answered in the product's form.
#include "platform/engine/DaoConstants.h"
#include "tests/engines/sqlite/EngineTestSupport.h"

#include "engines/sqlite/AdoCommand.h"
#include "engines/sqlite/DaoDatabase.h"
#include "engines/sqlite/MetadataStore.h"
#include "engines/sqlite/SqlDialect.h"
#include "platform/engine/AdoConstants.h"

using namespace qv;
using namespace qv::enginetest;

namespace {

const char* const Schema = R"(
CREATE TABLE Products (ProductID INTEGER PRIMARY KEY, Name TEXT(40), Discontinued YESNO DEFAULT 0);
CREATE TABLE "Order Details" (OrderID LONG NOT NULL, ProductID LONG NOT NULL, Quantity SMALLINT,
                              Shipped DATETIME, Delivered YESNO, PRIMARY KEY (OrderID, ProductID));
CREATE TABLE People (ID INTEGER PRIMARY KEY, First TEXT(20), Last TEXT(20), Born DATETIME, Active YESNO);
INSERT INTO Products VALUES (1, 'Chai', 0), (2, 'Chang', 1), (3, 'Aniseed Syrup', 0), (4, 'Chai', 0);
INSERT INTO "Order Details" VALUES (1, 1, 5, '2011-03-01 10:00:00', 1), (1, 2, 2, NULL, 0),
                                   (2, 1, 1, '2011-03-07 08:30:00', -1), (2, 3, 7, NULL, NULL);
INSERT INTO People VALUES (1, 'Ada', 'Lovelace', '1990-01-01 00:00:00', 1), (2, NULL, 'Curie', NULL, -1),
                          (3, 'Alan', NULL, '1990-01-02 00:00:00', 0);
)";

class AccessDialectTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path = dir.file("dialect.db");
        makeDatabase(path, Schema);
        connection = openConnection(path);
    }
    long long run(const std::string& sql) {
        long long affected = -2;
        connection->execute(sql, &affected);
        return affected;
    }
    AdoRecordsetPtr rows(const std::string& sql) { return connection->execute(sql, nullptr); }
    // The first cell of a one-row answer.
    Variant scalar(const std::string& sql) {
        auto rs = rows(sql);
        EXPECT_EQ(rs->recordCount(), 1) << sql;
        return rs->valueAt(0, 0);
    }
    std::vector<std::string> column(const std::string& sql) {
        std::vector<std::string> out;
        auto rs = rows(sql);
        for (long r = 0; r < rs->recordCount(); ++r)
            out.push_back(rs->valueAt(r, 0).isNull() ? "<null>" : rs->valueAt(r, 0).toString());
        return out;
    }
    // What the file holds, read past the engine.
    std::string stored(const std::string& sql) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* st = nullptr;
        std::string out = "<none>";
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            out = sqlite3_column_type(st, 0) == SQLITE_NULL
                      ? "<null>"
                      : reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        sqlite3_finalize(st);
        sqlite3_close(db);
        return out;
    }
    TempDir dir;
    std::string path;
    std::shared_ptr<engine::AdoConnection> connection;
};

} // namespace

TEST_F(AccessDialectTest, BracketedTableWithBlanksIsLoaded) {
    auto rs = rows("SELECT * FROM [Order Details]");
    EXPECT_EQ(rs->recordCount(), 4);
    EXPECT_EQ(rs->fieldCount(), 5);
}

TEST_F(AccessDialectTest, UpdateAndInsertStoreDateLiteralsAndTruthValues) {
    EXPECT_EQ(run("UPDATE [Order Details] SET [Shipped] = #03/05/2011 14:07:09#, [Delivered] = True "
                  "WHERE [OrderID] = 1 AND [ProductID] = 2"),
              1);
    EXPECT_EQ(
        stored(
            "SELECT Shipped || '|' || Delivered FROM \"Order Details\" WHERE OrderID = 1 AND ProductID = 2"),
        "2011-03-05 14:07:09|1");
    EXPECT_EQ(run("INSERT INTO [Order Details] ([OrderID], [ProductID], [Quantity], [Shipped], [Delivered]) "
                  "VALUES (3, 1, 4, #12/31/2010 23:59:59#, False)"),
              1);
    EXPECT_EQ(stored("SELECT Shipped || '|' || Delivered FROM \"Order Details\" WHERE OrderID = 3"),
              "2010-12-31 23:59:59|0");
    // A date literal compares equal to the stored midnight value.
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM [People] WHERE [Born] = #01/01/1990#").toInt64(), 1);
}

TEST_F(AccessDialectTest, YesNoComparisonsAreTruthTests) {
    // Stored true is 1 from the add-in and -1 from other tools: both count as true.
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM [Order Details] WHERE [Delivered] = True").toInt64(), 2);
    // -1 against a column the schema knows as yes/no is a truth test too, not a number.
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM [Order Details] WHERE [Delivered] = -1").toInt64(), 2);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM [Order Details] AS d WHERE d.[Delivered] = 1").toInt64(), 2);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM [Order Details] WHERE [Delivered] = False").toInt64(), 1);
    // Quantity is a number: -1 stays a plain comparison.
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM [Order Details] WHERE [Quantity] = -1").toInt64(), 0);
}

TEST_F(AccessDialectTest, DeleteByCompositeKeyRemovesOneRow) {
    EXPECT_EQ(run("DELETE FROM [Order Details] WHERE [OrderID] = 2 AND [ProductID] = 1"), 1);
    EXPECT_EQ(column("SELECT [OrderID] & '/' & [ProductID] FROM [Order Details] ORDER BY 1"),
              (std::vector<std::string>{"1/1", "1/2", "2/3"}));
    EXPECT_EQ(run("DELETE * FROM [Order Details] WHERE [OrderID] = 9"), 0);
}

// Other programs spell a stored date "2011-03-04" or "2011-03-05T09:15:00"; the form finds a
// record by its date key as the engine read it, so every such spelling of the moment matches.
TEST_F(AccessDialectTest, DateKeyMatchesEverySpellingOfTheMoment) {
    run("CREATE TABLE Readings (Taken DATETIME PRIMARY KEY, Value TEXT)");
    const char* raw = "INSERT INTO Readings VALUES ('2011-03-04', 'day'), ('2011-03-05T09:15:00', 'iso'), "
                      "('2011-03-06 09:15:00', 'plain'), ('2011-03-06 09:15:01', 'next second')";
    connection->execute(raw, nullptr);
    EXPECT_EQ(run("UPDATE Readings SET [Value] = 'a' WHERE [Taken] = #03/04/2011 00:00:00#"), 1);
    EXPECT_EQ(run("UPDATE Readings SET [Value] = 'b' WHERE [Taken] = #03/05/2011 09:15:00#"), 1);
    EXPECT_EQ(run("UPDATE Readings SET [Value] = 'c' WHERE [Taken] = #03/06/2011 09:15:00#"), 1);
    EXPECT_EQ(stored("SELECT group_concat(Value, '|') FROM (SELECT Value FROM Readings ORDER BY Taken)"),
              "a|b|c|next second");
    EXPECT_EQ(run("DELETE FROM Readings WHERE Taken <> #03/05/2011 09:15:00# AND Value <> 'next second'"), 2);
    EXPECT_EQ(column("SELECT Value FROM Readings WHERE Taken = #2011-03-05 09:15#"),
              (std::vector<std::string>{"b"}));
}

// The form names its table as [owner].[table] at every dot of the name; a SQLite file may have
// a table whose own name holds the dot, and nothing else answers to that pair.
TEST_F(AccessDialectTest, DottedPairNamingNoTableIsTheTableWithTheDot) {
    run("CREATE TABLE [my.tab] (k TEXT PRIMARY KEY, v TEXT)");
    EXPECT_EQ(run("INSERT INTO [my].[tab] ([k], [v]) VALUES ('a', 'one')"), 1);
    EXPECT_EQ(run("Update [my].[tab] SET [v] = 'two' WHERE [k] = 'a'"), 1);
    EXPECT_EQ(column("SELECT DISTINCT [v] FROM [my].[tab] ORDER BY [v]"), (std::vector<std::string>{"two"}));
    EXPECT_EQ(run("DELETE FROM [my].[tab] WHERE [k] = 'a'"), 1);
    // A table and its column keep their meaning.
    EXPECT_EQ(column("SELECT [People].[Last] FROM [People] WHERE [People].[ID] = 2"),
              (std::vector<std::string>{"Curie"}));
}

TEST_F(AccessDialectTest, DistinctListIsSortedAndUnique) {
    EXPECT_EQ(column("SELECT DISTINCT [Name] FROM [Products] ORDER BY [Name]"),
              (std::vector<std::string>{"Aniseed Syrup", "Chai", "Chang"}));
}

TEST_F(AccessDialectTest, LikeTakesTheDialectsWildcards) {
    EXPECT_EQ(column("SELECT DISTINCT [Name] FROM [Products] WHERE [Name] LIKE 'Ch*' ORDER BY [Name]"),
              (std::vector<std::string>{"Chai", "Chang"}));
    EXPECT_EQ(column("SELECT [Name] FROM [Products] WHERE [Name] LIKE 'C?an?'"),
              (std::vector<std::string>{"Chang"}));
    EXPECT_EQ(column("SELECT [Name] FROM [Products] WHERE [Name] LIKE '[A-B]*'"),
              (std::vector<std::string>{"Aniseed Syrup"}));
    // '%' is an ordinary character in the dialect.
    EXPECT_TRUE(column("SELECT [Name] FROM [Products] WHERE [Name] LIKE 'Ch%'").empty());
}

TEST_F(AccessDialectTest, AmpersandTreatsNullAsEmptyPlusDoesNot) {
    EXPECT_EQ(column("SELECT [First] & ' ' & [Last] FROM [People] ORDER BY [ID]"),
              (std::vector<std::string>{"Ada Lovelace", " Curie", "Alan "}));
    // Both are text columns, so '+' joins text and a null wins.
    EXPECT_EQ(column("SELECT [First] + [Last] FROM [People] ORDER BY [ID]"),
              (std::vector<std::string>{"AdaLovelace", "<null>", "<null>"}));
}

TEST_F(AccessDialectTest, DateColumnPlusNumberIsDateArithmetic) {
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM [People] WHERE [Born] + 1 = #01/02/1990#").toInt64(), 1);
    EXPECT_EQ(scalar("SELECT Year([Born]) FROM [People] WHERE [ID] = 1").toInt64(), 1990);
}

TEST_F(AccessDialectTest, ColumnTypesAreReadAgainAfterDefinitionChanges) {
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM [People] WHERE [Active] = -1").toInt64(), 2); // reads the schema
    EXPECT_EQ(run("ALTER TABLE [People] ADD COLUMN [Member] YESNO"), 0);
    EXPECT_EQ(run("UPDATE [People] SET [Member] = 1 WHERE [ID] = 3"), 1);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM [People] WHERE [Member] = -1").toInt64(), 1);
    // A change made by another connection is noticed as well.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
    sqlite3_exec(other, "ALTER TABLE People ADD COLUMN Vip YESNO; UPDATE People SET Vip = 1", nullptr,
                 nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM [People] WHERE [Vip] = -1").toInt64(), 3);
}

TEST_F(AccessDialectTest, BrokenViewDoesNotStopOtherStatements) {
    makeDatabase(path,
                 "CREATE TABLE Gone (A INT); CREATE VIEW Stale AS SELECT A FROM Gone; DROP TABLE Gone;");
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM [Order Details] WHERE [Delivered] = -1").toInt64(), 2);
}

TEST_F(AccessDialectTest, DefinitionsTakeDefaultsInTheDialect) {
    EXPECT_EQ(
        run("CREATE TABLE [Log] ([ID] COUNTER PRIMARY KEY, [At] DATETIME DEFAULT Now() NOT NULL, "
            "[Who] TEXT(20) DEFAULT \"nobody\", [Done] YESNO DEFAULT True, [Day] DATETIME DEFAULT Date())"),
        0);
    EXPECT_EQ(run("INSERT INTO [Log] ([ID]) VALUES (1)"), 1);
    EXPECT_EQ(stored("SELECT Who || '|' || Done || '|' || length(At) || '|' || substr(Day, 12) FROM Log"),
              "nobody|1|19|00:00:00");
    // The catalogue answers them as the product writes them.
    auto log = openDao(path)->tableDef("Log");
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(log->field("At")->defaultValue(), "Now()");
    EXPECT_EQ(log->field("Who")->defaultValue(), "\"nobody\"");
    EXPECT_EQ(log->field("Done")->defaultValue(), "1");
    EXPECT_EQ(log->field("Day")->defaultValue(), "Date()");
}

// SQLite gives MEMO, STRING, NOTE and HYPERLINK numeric affinity: stored as written, '0099' would
// come back as the number 99. Columns the dialect creates keep typed digits as text and still
// read as the Access types they were declared as.
TEST_F(AccessDialectTest, TextKindColumnsKeepDigitsAsText) {
    EXPECT_EQ(run("CREATE TABLE [Kinds] ([m] MEMO, [s] STRING(10), [h] HYPERLINK, [t] TEXT(5), [c] CHAR)"),
              0);
    EXPECT_EQ(run("ALTER TABLE [Kinds] ADD COLUMN [n] NOTE"), 0);
    EXPECT_EQ(run("ALTER TABLE [Kinds] ADD [a] ALPHANUMERIC"), 0);
    EXPECT_EQ(run("INSERT INTO [Kinds] VALUES ('0099', '0099', '0099', '0099', '0099', '0099', '0099')"), 1);
    EXPECT_EQ(stored("SELECT typeof(m) || typeof(s) || typeof(h) || typeof(t) || typeof(c) || typeof(n) || "
                     "typeof(a) FROM Kinds"),
              "texttexttexttexttexttexttext");
    EXPECT_EQ(stored("SELECT m || s || h || n || a FROM Kinds"), "00990099009900990099");
    auto rs = rows("SELECT [m], [s], [h], [n], [a] FROM [Kinds]");
    for (int f = 0; f < 5; ++f) {
        EXPECT_TRUE(rs->valueAt(0, f).isString()) << f;
        EXPECT_EQ(rs->valueAt(0, f).toString(), "0099") << f;
    }
    auto kinds = openDao(path)->tableDef("Kinds");
    ASSERT_NE(kinds, nullptr);
    EXPECT_EQ(kinds->field("m")->type(), dao::Memo);
    EXPECT_EQ(kinds->field("s")->type(), dao::Text);
    EXPECT_EQ(kinds->field("s")->size(), 10);
    EXPECT_EQ(kinds->field("h")->type(), dao::Memo);
    EXPECT_EQ(kinds->field("n")->type(), dao::Memo);
    EXPECT_EQ(kinds->field("a")->type(), dao::Text);
    EXPECT_EQ(kinds->field("t")->size(), 5);
    // Names that happen to be type words stay names.
    EXPECT_EQ(run("CREATE TABLE [Memo] ([Memo] MEMO, Note STRING, CONSTRAINT String UNIQUE (Note))"), 0);
    EXPECT_EQ(run("INSERT INTO [Memo] ([Memo], [Note]) VALUES ('007', '08')"), 1);
    EXPECT_EQ(stored("SELECT typeof(Memo) || Memo || typeof(Note) || Note FROM Memo"), "text007text08");
}

TEST_F(AccessDialectTest, RefusalsKeepTheirNumbers) {
    EXPECT_EQ(errorNumberOf([&] { run("SELECT * FROM [Products]; DELETE FROM [Products]"); }),
              err::CharactersAfterEnd);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM [Products]").toInt64(), 4);
    EXPECT_EQ(
        errorNumberOf([&] { run("PARAMETERS X Long; SELECT * FROM [Products] WHERE [ProductID] = X"); }),
        err::AdoParameterImproperlyDefined);
    EXPECT_EQ(errorNumberOf([&] { run("SELECT * FROM [Order Details"); }), err::InvalidBracketing);
    EXPECT_EQ(errorNumberOf([&] { run("SELECT * FROM [NoSuchTable]"); }), err::UnknownObject);
}

TEST(SqlDialectTest, DefaultsReadBackInTheProductsForm) {
    using engine::SqlDialect;
    EXPECT_EQ(SqlDialect::defaultForProduct("'unnamed'"), "\"unnamed\"");
    EXPECT_EQ(SqlDialect::defaultForProduct("'it''s \"x\"'"), "\"it's \"\"x\"\"\"");
    EXPECT_EQ(SqlDialect::defaultForProduct("((Now()))"), "Now()");
    EXPECT_EQ(SqlDialect::defaultForProduct("CURRENT_DATE"), "Date()");
    EXPECT_EQ(SqlDialect::defaultForProduct("CURRENT_TIMESTAMP"), "CURRENT_TIMESTAMP");
    EXPECT_EQ(SqlDialect::defaultForProduct("-1"), "-1");
    // Not one literal: left as it is.
    EXPECT_EQ(SqlDialect::defaultForProduct("'a' || 'b'"), "'a' || 'b'");
    EXPECT_EQ(SqlDialect::defaultForProduct("(1) + (2)"), "(1) + (2)");
}

TEST(SqlDialectTest, ViewTextsUseBracketsForNames) {
    using engine::SqlDialect;
    EXPECT_EQ(
        SqlDialect::toProductText("SELECT \"Order \"\"X\"\"\".Id, 'a \"b\"' FROM [T] WHERE `c` = 'it''s'"),
        "SELECT [Order \"X\"].Id, 'a \"b\"' FROM [T] WHERE `c` = 'it''s'");
}

TEST(SqlDialectTest, OnlyDefinitionsHaveTheirDefaultsGrouped) {
    using engine::SqlDialect;
    EXPECT_EQ(SqlDialect::groupDefaults("CREATE TABLE T (a INT DEFAULT 1, b TEXT DEFAULT \"x,y\" NOT NULL, "
                                        "c DATETIME DEFAULT (Now()), d TEXT DEFAULT NULL)"),
              "CREATE TABLE T (a INT DEFAULT (1) , b TEXT DEFAULT (\"x,y\")  NOT NULL, "
              "c DATETIME DEFAULT (Now()), d TEXT DEFAULT NULL)");
    const std::string update = "UPDATE T SET Note = 'DEFAULT x'";
    EXPECT_EQ(SqlDialect::groupDefaults(update), update);
}

class SavedQueryTest : public AccessDialectTest {};

TEST_F(SavedQueryTest, ParameterQueryRunsAsStoredProcedure) {
    {
        auto db = openDao(path);
        engine::MetadataStore store(std::dynamic_pointer_cast<engine::DaoDatabase>(db)->handle()->db());
        store.saveQuery("Delivered after",
                        "PARAMETERS [Shipped after] DateTime, [Least] Short;\n"
                        "SELECT [OrderID], [ProductID] FROM [Order Details] "
                        "WHERE [Shipped] > [Shipped after] AND [Delivered] = True AND [Quantity] >= [Least] "
                        "ORDER BY [OrderID]");
    }
    engine::AdoCommand cmd;
    cmd.setActiveConnection(connection);
    cmd.setCommandType(ado::CmdStoredProc);
    cmd.setCommandText("`Delivered after`");
    cmd.appendParameter(cmd.createParameter("Least", ado::SmallInt, ado::ParamInput, 2, Variant("1")));
    cmd.appendParameter(
        cmd.createParameter("Shipped after", ado::Date, ado::ParamInput, 8, Variant("3/2/2011")));
    auto rs = cmd.execute();
    ASSERT_EQ(rs->recordCount(), 1); // order 2's line, stored true as -1
    EXPECT_EQ(rs->valueAt(0, 0).toInt64(), 2);
    cmd.parameter("Shipped after")->setValue(Variant("2/28/2011"));
    EXPECT_EQ(cmd.execute()->recordCount(), 2);
}

TEST_F(SavedQueryTest, UnrunnableQueryIsNotStored) {
    auto db = openDao(path);
    engine::MetadataStore store(std::dynamic_pointer_cast<engine::DaoDatabase>(db)->handle()->db());
    EXPECT_EQ(errorNumberOf([&] { store.saveQuery("Broken", "SELECT * FROM [Products"); }),
              err::InvalidBracketing);
    EXPECT_TRUE(store.queries().empty());
}

TEST_F(SavedQueryTest, ViewTextRunsAsTheProductSendsIt) {
    makeDatabase(path,
                 "CREATE VIEW \"Open Lines\" AS SELECT \"OrderID\", \"Quantity\" FROM \"Order Details\" "
                 "WHERE \"Shipped\" IS NULL");
    auto view = openDao(path)->queryDef("Open Lines");
    ASSERT_NE(view, nullptr);
    const std::string sql = view->sql();
    EXPECT_EQ(sql.find('"'), std::string::npos) << sql;
    EXPECT_EQ(rows(sql)->recordCount(), 2);
}

TEST_F(SavedQueryTest, CrosstabIsStoredAsWrittenAndRunsWithTheHeadingsOfTheData) {
    const std::string crosstab = "TRANSFORM Sum([Quantity]) AS Total SELECT [OrderID] FROM [Order Details] "
                                 "GROUP BY [OrderID] PIVOT [ProductID]";
    {
        auto db = openDao(path);
        engine::MetadataStore store(std::dynamic_pointer_cast<engine::DaoDatabase>(db)->handle()->db());
        store.saveQuery("Quantities", crosstab);
        ASSERT_EQ(store.queries().size(), 1u);
        EXPECT_EQ(store.queries()[0].sql, crosstab); // kept as written, translated when run
    }
    auto query = openDao(path)->queryDef("Quantities");
    ASSERT_NE(query, nullptr);
    EXPECT_EQ(query->type(), qv::dao::QueryCrosstab);

    // One column per product found in the data, in their order.
    auto rs = rows(crosstab);
    ASSERT_EQ(rs->fieldCount(), 4);
    EXPECT_EQ(rs->field(1)->name(), "1");
    EXPECT_EQ(rs->field(3)->name(), "3");
    ASSERT_EQ(rs->recordCount(), 2);
    EXPECT_EQ(rs->valueAt(0, 1).toInt64(), 5); // order 1, product 1
    EXPECT_EQ(rs->valueAt(0, 2).toInt64(), 2); // order 1, product 2
    EXPECT_TRUE(rs->valueAt(0, 3).isNull());   // order 1 has no product 3
    EXPECT_EQ(rs->valueAt(1, 3).toInt64(), 7);

    // Data added later brings its heading with it: the headings are read on each run.
    run("INSERT INTO [Order Details] VALUES (3, 4, 9, NULL, 0)");
    EXPECT_EQ(rows(openDao(path)->queryDef("Quantities")->sql())->fieldCount(), 5);
}

TEST_F(SavedQueryTest, CrosstabsTheEngineCannotRunAreNotStored) {
    auto db = openDao(path);
    engine::MetadataStore store(std::dynamic_pointer_cast<engine::DaoDatabase>(db)->handle()->db());
    // No PIVOT.
    EXPECT_NE(errorNumberOf([&] {
                  store.saveQuery("No pivot", "TRANSFORM Sum(Quantity) SELECT OrderID FROM [Order Details] "
                                              "GROUP BY OrderID");
              }),
              0);
    // A broken heading expression.
    EXPECT_NE(errorNumberOf([&] {
                  store.saveQuery("Broken", "TRANSFORM Sum(Quantity) SELECT OrderID FROM [Order Details] "
                                            "GROUP BY OrderID PIVOT [ProductID");
              }),
              0);
    EXPECT_TRUE(store.queries().empty());
    // Headings that need a parameter's value cannot be listed before it is asked.
    const std::string perDay = "PARAMETERS [Least] Short; TRANSFORM Sum(Quantity) SELECT OrderID FROM "
                               "[Order Details] WHERE Quantity >= [Least] GROUP BY OrderID PIVOT Shipped";
    store.saveQuery("Per day", perDay);
    EXPECT_EQ(errorNumberOf([&] { rows(perDay); }), 3708);
}
