// Saved queries rebuilt from MSysQueries: one query of every kind as Access shows it, declared
// parameters with their types, joins nested as Access nests them, queries whose type row is
// missing, damaged rows refused by name; and decoded Northwind queries run on the SQLite copy
// and answer the rows their definitions describe.
#include "tests/engines/mdb/MdbTestSupport.h"

#include "engines/mdb/MdbCatalogue.h"
#include "engines/mdb/MdbConvert.h"
#include "engines/mdb/MdbQueryDecoder.h"
#include "engines/mdb/MdbRecordsets.h"
#include "engines/mdb/MdbTable.h"
#include "engines/sqlite/AdoConnection.h"
#include "platform/engine/DaoConstants.h"

#include <map>

using namespace qv;
using namespace qv::engine;
using namespace qv::mdbtest;

namespace {

std::string unixLines(std::string s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (!(s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n')) out += s[i];
    return out;
}

MdbQueryRow row(int attribute, std::string name1 = {}, std::string name2 = {}, std::string expression = {},
                long flag = 0) {
    return {attribute, std::move(name1), std::move(name2), std::move(expression), flag};
}

} // namespace

TEST(MdbQueryTest, EveryKindOfQueryDecodesAsAccessShowsIt) {
    QV_REQUIRE_ACCESS_FIXTURE("queryTestV2010.accdb");
    auto c = MdbCatalogue::open(fixture("queryTestV2010.accdb"), {});
    auto q = byName(*c);
    ASSERT_EQ(q.size(), 9u);
    const std::map<std::string, std::pair<int, std::string>> expected{
        {"SelectQuery",
         {dao::QuerySelect,
          "SELECT DISTINCT Table1.*, Table2.col1, Table2.col2, Table3.col3\n"
          "FROM (Table1 LEFT JOIN Table3 ON Table1.col1 = Table3.col1) INNER JOIN Table2 ON (Table3.col1 = "
          "Table2.col1) AND (Table3.col1 = Table2.col2)\n"
          "WHERE (((Table2.col2)=\"foo\" Or (Table2.col2) In (\"buzz\",\"bazz\")))\n"
          "ORDER BY Table2.col1;"}},
        {"DeleteQuery",
         {dao::QueryDelete, "DELETE Table1.col1, Table1.col2, Table1.col3\nFROM Table1\n"
                            "WHERE (((Table1.col1)>\"blah\"));"}},
        {"AppendQuery",
         {dao::QueryAppend, "INSERT INTO Table3\nSELECT [Table1].[col2], [Table2].[col2], [Table2].[col3]\n"
                            "FROM Table3, Table1 INNER JOIN Table2 ON [Table1].[col1]=[Table2].[col1];"}},
        {"UpdateQuery",
         {dao::QueryUpdate,
          "PARAMETERS [User Name] Text;\nUPDATE Table1\n"
          "SET Table1.col1 = \"foo\", Table1.col2 = [Table2].[col3], [Table2].[col1] = [User "
          "Name]\nWHERE ((([Table2].[col1]) Is Not Null));"}},
        {"MakeTableQuery",
         {dao::QueryMakeTable,
          "SELECT Max(Table2.col1) AS MaxOfcol1, Table2.col2, Table3.col2 INTO Table4\n"
          "FROM (Table2 INNER JOIN Table1 ON Table2.col1 = Table1.col2) RIGHT JOIN Table3 ON Table1.col2 = "
          "Table3.col3\nGROUP BY Table2.col2, Table3.col2\n"
          "HAVING (((Max(Table2.col1))=\"buzz\") AND ((Table2.col2)<>\"blah\"));"}},
        {"CrosstabQuery",
         {dao::QueryCrosstab,
          "TRANSFORM Count([Table2].[col2]) AS CountOfcol2\n"
          "SELECT Table2_1.col1, [Table2].[col3], Avg(Table2_1.col2) AS AvgOfcol2\n"
          "FROM (Table1 INNER JOIN Table2 ON [Table1].[col1]=[Table2].[col1]) INNER JOIN Table2 AS Table2_1 "
          "ON "
          "[Table2].[col1]=Table2_1.col3\n"
          "WHERE ((([Table1].[col1])>\"10\") And ((Table2_1.col1) Is Not Null) And "
          "((Avg(Table2_1.col2))>\"10\"))\n"
          "GROUP BY Table2_1.col1, [Table2].[col3]\nORDER BY [Table2].[col3]\nPIVOT [Table1].[col1];"}},
        {"PassthroughQuery", {dao::QuerySQLPassThrough, "ALTER TABLE Table4 DROP COLUMN col5;"}},
        {"DataDefinitionQuery", {dao::QueryDDL, "CREATE TABLE Table5 (col1 CHAR, col2 CHAR);"}},
    };
    for (const auto& [name, want] : expected) {
        ASSERT_TRUE(q.count(name)) << name;
        EXPECT_EQ(q[name]->type(), want.first) << name;
        EXPECT_EQ(unixLines(q[name]->sql()), want.second) << name;
    }
    auto u = q["UnionQuery"];
    EXPECT_EQ(u->type(), dao::QuerySetOperation);
    EXPECT_EQ(unixLines(u->sql()),
              "Select Table1.col1, Table1.col2\nwhere Table1.col1 = \"foo\"\nUNION\n"
              "Select Table2.col1, Table2.col2\nUNION ALL Select Table3.col1, Table3.col2\n"
              "where Table3.col3 > \"blah\";");

    ASSERT_EQ(q["UpdateQuery"]->parameters().size(), 1u);
    EXPECT_EQ(q["UpdateQuery"]->parameters()[0]->name(), "User Name");
    EXPECT_EQ(q["UpdateQuery"]->parameters()[0]->type(), dao::Text);
    EXPECT_EQ(q["UpdateQuery"]->parameters()[0]->direction(), dao::ParamInput);
}

TEST(MdbQueryTest, DeclaredParametersAndQueriesWithoutATypeRow) {
    QV_REQUIRE_ACCESS_FIXTURE("parameters.accdb");
    auto c = MdbCatalogue::open(fixture("parameters.accdb"), {});
    auto q = byName(*c);
    EXPECT_EQ(q.size(), 16u);
    auto update = q["UpdateMembershipLevel"];
    ASSERT_TRUE(update);
    ASSERT_EQ(update->parameters().size(), 2u);
    EXPECT_EQ(update->parameters()[0]->name(), "prmMembershipLevel");
    EXPECT_EQ(update->parameters()[0]->type(), dao::Text);
    EXPECT_EQ(update->parameters()[1]->type(), dao::Long);
    // No type row: the type comes from the object's flags.
    auto select = q["queryWithParameters"];
    ASSERT_TRUE(select);
    EXPECT_EQ(select->type(), dao::QuerySelect);
    EXPECT_EQ(unixLines(select->sql()),
              "PARAMETERS a DateTime, [b \"] Text;\n"
              "SELECT [table 1].[text1], [a] Is Null AS Espr1, [b \"] Is Null AS Espr2, "
              "True AS Espr22\nFROM [table 1];");
    // An append without source tables is the VALUES form.
    EXPECT_EQ(
        unixLines(q["InsertWithoutParameters"]->sql()),
        "INSERT INTO [table 1] (text1, text2, [date 1])\nVALUES ('ciaooooooo', 'ccccccccc', #2001-10-10#);");
    EXPECT_EQ(q["createTable"]->type(), dao::QueryDDL);
}

TEST(MdbQueryTest, NorthwindQueriesAndFormQueriesLeftOut) {
    QV_REQUIRE_ACCESS_FIXTURE("nwind.mdb");
    auto c = MdbCatalogue::open(fixture("nwind.mdb"), {});
    auto q = byName(*c);
    EXPECT_EQ(q.size(), 22u);
    auto sales = q["Employee Sales by Country"];
    ASSERT_TRUE(sales);
    ASSERT_EQ(sales->parameters().size(), 2u);
    EXPECT_EQ(sales->parameters()[0]->name(), "Beginning Date");
    EXPECT_EQ(sales->parameters()[0]->type(), dao::Date);
    EXPECT_EQ(
        unixLines(sales->sql()).rfind("PARAMETERS [Beginning Date] DateTime, [Ending Date] DateTime;\n", 0),
        0u);
    EXPECT_NE(unixLines(q["Sales by Year"]->sql())
                  .find("PARAMETERS Forms![Sales by Year Dialog]!BeginningDate DateTime, "),
              std::string::npos);
    EXPECT_EQ(q["Quarterly Orders by Product"]->type(), dao::QueryCrosstab);
    EXPECT_EQ(q["Customers and Suppliers by City"]->type(), dao::QuerySetOperation);
    EXPECT_EQ(
        unixLines(q["Ten Most Expensive Products"]->sql()),
        "SELECT DISTINCTROW TOP 10 Products.ProductName AS TenMostExpensiveProducts, Products.UnitPrice\n"
        "FROM Products\nORDER BY Products.UnitPrice DESC;");

    QV_REQUIRE_ACCESS_FIXTURE("ASampleDatabase.accdb");
    auto sample = MdbCatalogue::open(fixture("ASampleDatabase.accdb"), {});
    const auto defs = sample->queryDefs();
    EXPECT_EQ(defs.size(), 3u);
    for (const auto& d : defs)
        EXPECT_NE(d->name().rfind("~sq_", 0), 0u) << d->name();
}

TEST(MdbQueryDecoderTest, DamagedRowsAreRefusedByName) {
    std::string why;
    EXPECT_EQ(errorNumber([] { MdbQueryDecoder::decode("Q", {}, "t"); }, &why), err::UnrecognisedFormat);
    EXPECT_NE(why.find("'Q'"), std::string::npos) << why;
    // A join naming a table the query does not have.
    EXPECT_EQ(errorNumber([] {
                  MdbQueryDecoder::decode(
                      "Q",
                      {row(1, {}, {}, {}, 1), row(5, "A"), row(5, "B"), row(7, "A", "C", "A.x = C.x", 1)},
                      "t");
              }),
              err::UnrecognisedFormat);
    // An unknown join kind, an unknown type, two type rows, a union with one part.
    EXPECT_EQ(errorNumber([] {
                  MdbQueryDecoder::decode(
                      "Q",
                      {row(1, {}, {}, {}, 1), row(5, "A"), row(5, "B"), row(7, "A", "B", "A.x = B.x", 9)},
                      "t");
              }),
              err::UnrecognisedFormat);
    EXPECT_EQ(errorNumber([] { MdbQueryDecoder::decode("Q", {row(1, {}, {}, {}, 42)}, "t"); }),
              err::UnrecognisedFormat);
    EXPECT_EQ(errorNumber([] {
                  MdbQueryDecoder::decode("Q", {row(1, {}, {}, {}, 1), row(1, {}, {}, {}, 1)}, "t");
              }),
              err::UnrecognisedFormat);
    EXPECT_EQ(errorNumber([] {
                  MdbQueryDecoder::decode("Q", {row(1, {}, {}, {}, 9), row(5, {}, "X", "SELECT 1")}, "t");
              }),
              err::UnrecognisedFormat);
}

TEST(MdbQueryDecoderTest, OptionsAliasesAndCriteriaColumns) {
    auto q = MdbQueryDecoder::decode("Q",
                                     {row(1, {}, {}, {}, 1), row(3, "5", {}, {}, 1 | 16 | 32),
                                      row(5, "My Table", "T"), row(6, "Some.Alias", {}, "T.col"),
                                      row(11, "D", {}, "T.col")},
                                     "t");
    EXPECT_EQ(q.sql,
              "SELECT TOP 5 PERCENT T.col AS [Some.Alias], *\nFROM [My Table] AS T\nORDER BY T.col DESC;");
    auto append =
        MdbQueryDecoder::decode("A",
                                {row(1, "Target", {}, {}, 3), row(5, "Source"), row(6, {}, "a", "Source.a"),
                                 row(6, {}, {}, "Source.b", 0x8000), row(8, {}, {}, "Source.b > 1")},
                                "t");
    EXPECT_EQ(append.sql, "INSERT INTO Target (a)\nSELECT Source.a\nFROM Source\nWHERE Source.b > 1;");
    // Type from the object's flags when the type row is missing: 0x30 is an update query.
    auto update = MdbQueryDecoder::decode("U", {row(5, "T"), row(6, {}, "T.a", "1")}, "t", 0x30);
    EXPECT_EQ(update.type, dao::QueryUpdate);
    EXPECT_EQ(update.sql, "UPDATE T\nSET T.a = 1;");
    EXPECT_EQ(MdbQueryDecoder::bracketed("Order Details"), "[Order Details]");
    EXPECT_EQ(MdbQueryDecoder::bracketed("Umsätze"), "Umsätze");
    EXPECT_EQ(MdbQueryDecoder::bracketed("2nd"), "[2nd]");
}

TEST(MdbQueryTest, DecodedNorthwindQueriesRunOnTheSqliteCopy) {
    QV_REQUIRE_ACCESS_FIXTURE("nwind.mdb");
    TempDir dir;
    auto c = MdbCatalogue::open(fixture("nwind.mdb"), {});
    const auto report = MdbConvert::toSqlite(*c, dir.file("nwind.db"));
    // The crosstab lists its headings (IN ("Qtr 1", ...)), so it has a SQLite form too.
    EXPECT_EQ(report.queries, 22);
    EXPECT_TRUE(report.queriesNotCopied.empty());

    // What the definitions describe, counted from the Access rows themselves.
    MdbTable products(c->file(), "Products");
    long current = 0;
    double sum = 0;
    double highest = 0;
    long total = 0;
    products.readRows([&](const std::vector<Variant>& r) {
        if (!r[9].toBool()) ++current;
        const double price = r[5].toDouble();
        sum += price;
        highest = std::max(highest, price);
        ++total;
        return true;
    });
    long aboveAverage = 0;
    products.readRows([&](const std::vector<Variant>& r) {
        if (r[5].toDouble() > sum / static_cast<double>(total)) ++aboveAverage;
        return true;
    });

    auto connection = std::make_shared<AdoConnection>();
    connection->setCursorLocation(3);
    connection->open("Driver={Microsoft Access Driver (*.mdb, *.accdb)};Dbq=" + dir.file("nwind.db") +
                     ";Uid=Admin;Pwd=;");
    auto q = byName(*c);
    auto run = [&](const std::string& name) { return connection->execute(q[name]->sql()); };
    EXPECT_EQ(run("Current Product List")->recordCount(), current);
    EXPECT_EQ(run("Products Above Average Price")->recordCount(), aboveAverage);
    auto top = run("Ten Most Expensive Products");
    EXPECT_EQ(top->recordCount(), 10);
    EXPECT_DOUBLE_EQ(top->valueAt(0, 1).toDouble(), highest);
    EXPECT_EQ(run("Order Subtotals")->recordCount(), 830);
    // Union of customers and suppliers (91 + 29, duplicates removed by UNION).
    const auto cities = run("Customers and Suppliers by City")->recordCount();
    EXPECT_GT(cities, 100);
    EXPECT_LE(cities, 120);
    // The crosstab: one column per quarter, the same rows on the copy as on the Access file.
    auto quarters = run("Quarterly Orders by Product");
    ASSERT_EQ(quarters->fieldCount(), 7);
    EXPECT_EQ(quarters->field(3)->name(), "Qtr 1");
    EXPECT_EQ(quarters->field(6)->name(), "Qtr 4");
    EXPECT_GT(quarters->recordCount(), 0);
    EXPECT_EQ(MdbRecordsets::query(*c, "Quarterly Orders by Product")->recordCount(),
              quarters->recordCount());
}

TEST(MdbQueryTest, CrosstabWithoutHeadingsTakesThemFromTheData) {
    QV_REQUIRE_ACCESS_FIXTURE("nwind.mdb");
    auto c = MdbCatalogue::open(fixture("nwind.mdb"), {});
    auto rs = MdbRecordsets::query(*c, "TRANSFORM Count(*) AS N SELECT [Country] FROM [Employees] "
                                       "GROUP BY [Country] PIVOT [Title]");
    // Two countries; the titles in order, each a column.
    EXPECT_EQ(rs->recordCount(), 2);
    std::vector<std::string> names;
    for (long i = 0; i < rs->fieldCount(); ++i)
        names.push_back(rs->field(i)->name());
    EXPECT_EQ(names, (std::vector<std::string>{"Country", "Inside Sales Coordinator", "Sales Manager",
                                               "Sales Representative", "Vice President, Sales"}));
    long employees = 0;
    for (long r = 0; r < rs->recordCount(); ++r)
        for (long f = 1; f < rs->fieldCount(); ++f)
            employees += rs->valueAt(r, f).toInt64();
    EXPECT_EQ(employees, 9);
    // A heading list that needs a parameter cannot be made without its value.
    EXPECT_EQ(errorNumber([&] {
                  MdbRecordsets::query(*c,
                                       "PARAMETERS [T] Text; TRANSFORM Count(*) SELECT [Country] FROM "
                                       "[Employees] WHERE [Title] <> [T] GROUP BY [Country] PIVOT [Title]");
              }),
              3708);
}

TEST(MdbQueryTest, QueriesRunOverAnInMemoryCopyOfWhatTheyName) {
    QV_REQUIRE_ACCESS_FIXTURE("nwind.mdb");
    const auto before = sha256(fixture("nwind.mdb"));
    auto c = MdbCatalogue::open(fixture("nwind.mdb"), {});
    MdbTable products(c->file(), "Products");
    long current = 0;
    products.readRows([&](const std::vector<Variant>& r) {
        if (!r[9].toBool()) ++current;
        return true;
    });
    EXPECT_EQ(MdbRecordsets::query(*c, "Current Product List")->recordCount(), current);
    // A statement of the product's own, with a saved query as a view and Access functions.
    auto rs = MdbRecordsets::query(*c, "SELECT TOP 3 [ProductName], Nz([ExtendedPrice], 0) AS P FROM [Order "
                                       "Details Extended] ORDER BY [ExtendedPrice] DESC");
    EXPECT_EQ(rs->recordCount(), 3);
    EXPECT_EQ(rs->valueAt(0, 0).toString(), "Côte de Blaye");
    // A saved query over another saved query.
    EXPECT_GT(MdbRecordsets::query(*c, "Sales by Category")->recordCount(), 0);
    EXPECT_EQ(errorNumber([&] { MdbRecordsets::query(*c, "DELETE FROM Products"); }), err::ReadOnlyDatabase);
    EXPECT_EQ(errorNumber([&] { MdbRecordsets::query(*c, "Employee Sales by Country"); }),
              err::AdoParameterImproperlyDefined);
    EXPECT_EQ(sha256(fixture("nwind.mdb")), before);
}

TEST(MdbQueryTest, EachKindRunsOrIsRefusedClearly) {
    QV_REQUIRE_ACCESS_FIXTURE("queryTestV2010.accdb");
    auto c = MdbCatalogue::open(fixture("queryTestV2010.accdb"), {});
    // The tables are empty: the select runs and answers no rows.
    EXPECT_EQ(MdbRecordsets::query(*c, "SelectQuery")->recordCount(), 0);
    for (const char* action :
         {"AppendQuery", "DeleteQuery", "MakeTableQuery", "UpdateQuery", "DataDefinitionQuery"})
        EXPECT_EQ(errorNumber([&] { MdbRecordsets::query(*c, action); }), err::ReadOnlyDatabase) << action;
    std::string why;
    EXPECT_EQ(errorNumber([&] { MdbRecordsets::query(*c, "PassthroughQuery"); }, &why),
              static_cast<std::int32_t>(0x80040E14u));
    EXPECT_NE(why.find("pass-through"), std::string::npos) << why;
    // Its WHERE holds an aggregate, which no engine runs; the refusal says so.
    EXPECT_EQ(errorNumber([&] { MdbRecordsets::query(*c, "CrosstabQuery"); }, &why),
              static_cast<std::int32_t>(0x80040E14u));
    EXPECT_NE(why.find("aggregate"), std::string::npos) << why;

    QV_REQUIRE_ACCESS_FIXTURE("nwind.mdb");
    auto n = MdbCatalogue::open(fixture("nwind.mdb"), {});
    MdbTable orders(n->file(), "Orders");
    std::size_t shipped = 0;
    for (std::size_t i = 0; i < orders.columns().size(); ++i)
        if (orders.columns()[i].name == "ShippedDate") shipped = i;
    long long withShipDate = 0;
    orders.readRows([&](const std::vector<Variant>& r) {
        if (!r[shipped].isNull()) ++withShipDate;
        return true;
    });
    EXPECT_EQ(MdbRecordsets::query(*n, "Summary of Sales by Year")->recordCount(), withShipDate);
    EXPECT_EQ(MdbRecordsets::query(*n, "Invoices")->recordCount(), 2155);
    EXPECT_EQ(MdbRecordsets::query(*n, "Order Subtotals")->recordCount(), 830);
}

TEST(MdbQueryTest, FormReferencesArePromptedAsParameters) {
    QV_REQUIRE_ACCESS_FIXTURE("nwind.mdb");
    auto c = MdbCatalogue::open(fixture("nwind.mdb"), {});
    auto q = byName(*c);
    // "Invoices Filter" asks the Orders form for its order: undeclared in the file.
    auto filter = q["Invoices Filter"];
    ASSERT_TRUE(filter);
    ASSERT_EQ(filter->parameters().size(), 1u);
    EXPECT_EQ(filter->parameters()[0]->name(), "Forms!Orders!OrderID");
    EXPECT_EQ(unixLines(filter->sql()).rfind("PARAMETERS Forms!Orders!OrderID Text;\n", 0), 0u)
        << filter->sql();
    // Without a value it is a missing parameter, not an unknown column.
    EXPECT_EQ(errorNumber([&] { MdbRecordsets::query(*c, "Invoices Filter"); }), 3708);
    // Declared references stay as declared, once.
    EXPECT_EQ(q["Sales by Year"]->parameters().size(), 2u);
    // A text that merely mentions forms is no reference.
    MdbDecodedQuery plain;
    std::string sql = "SELECT \"Forms!A!B\", [Forms!x] FROM T;";
    MdbQueryDecoder::declareFormReferences(plain, sql);
    EXPECT_TRUE(plain.parameters.empty());
    EXPECT_EQ(sql, "SELECT \"Forms!A!B\", [Forms!x] FROM T;");
    sql = "SELECT * FROM T WHERE a = [Forms]![F 1]![c] OR b = Reports!R!c OR d = forms![f 1]!C;";
    MdbQueryDecoder::declareFormReferences(plain, sql);
    ASSERT_EQ(plain.parameters.size(), 2u);
    EXPECT_EQ(plain.parameters[0].name, "Forms!F 1!c");
    EXPECT_EQ(plain.parameters[1].name, "Reports!R!c");
    EXPECT_EQ(sql, "PARAMETERS Forms![F 1]!c Text, Reports!R!c Text;\n"
                   "SELECT * FROM T WHERE a = [Forms]![F 1]![c] OR b = Reports!R!c OR d = forms![f 1]!C;");
}
