// Crosstab queries as plain grouped SELECTs: the headings of an IN list, or those the data
// holds, each a column of the TRANSFORM aggregate over its own rows. Run on SQLite, so what is
// checked is the rows, not only the text.
#include "engines/accesssql/Crosstab.h"
#include "engines/accesssql/AccessSqlTranslator.h"
#include "platform/NumberedError.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

using qv::accesssql::AccessSqlTranslator;
using qv::accesssql::Crosstab;

namespace {

// Rows of a statement as "a|b|c" lines; NULL as "-".
std::vector<std::string> rows(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* st = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr), SQLITE_OK) << sqlite3_errmsg(db) << "\n"
                                                                                << sql;
    std::vector<std::string> out;
    while (st && sqlite3_step(st) == SQLITE_ROW) {
        std::string line;
        for (int i = 0; i < sqlite3_column_count(st); ++i) {
            const auto* t = sqlite3_column_text(st, i);
            line += (i ? "|" : "") + (t ? std::string(reinterpret_cast<const char*>(t)) : std::string("-"));
        }
        out.push_back(line);
    }
    sqlite3_finalize(st);
    return out;
}

std::vector<std::string> columns(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
    std::vector<std::string> out;
    for (int i = 0; st && i < sqlite3_column_count(st); ++i)
        out.push_back(sqlite3_column_name(st, i));
    sqlite3_finalize(st);
    return out;
}

class CrosstabTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sqlite3_open(":memory:", &mDb);
        sqlite3_exec(
            mDb,
            "CREATE TABLE Sales (Region TEXT, Product TEXT, Qty INTEGER, Year INTEGER);"
            "INSERT INTO Sales VALUES ('East','Tea',5,1995),('East','Tea',1,1996),('West','Tea',2,1995),"
            "('East','Coffee',7,1996),('West','Coffee',3,1996),(NULL,'Coffee',4,1995);",
            nullptr, nullptr, nullptr);
    }
    void TearDown() override { sqlite3_close(mDb); }
    sqlite3* mDb = nullptr;
};

TEST_F(CrosstabTest, InListGivesOneColumnPerHeadingInItsOrder) {
    const auto t = AccessSqlTranslator::translate(
        "TRANSFORM Sum(Qty) AS Total SELECT Product FROM Sales "
        "GROUP BY Product ORDER BY Product PIVOT Region IN ('West', 'East', 'North');");
    EXPECT_EQ(columns(mDb, t.sql), (std::vector<std::string>{"Product", "West", "East", "North"}));
    EXPECT_EQ(rows(mDb, t.sql), (std::vector<std::string>{"Coffee|3|7|-", "Tea|2|6|-"}));
}

TEST_F(CrosstabTest, HeadingsFromTheDataIncludingNullAndRowTotals) {
    const auto c = Crosstab::parse("TRANSFORM Count(*) SELECT [Product], Sum([Qty]) AS [All] FROM [Sales] "
                                   "WHERE [Qty] > 0 GROUP BY [Product] PIVOT [Region]");
    ASSERT_TRUE(c);
    EXPECT_FALSE(c->hasFixedHeadings());
    // What the engine does with the data at hand: list the headings, then expand.
    const auto headings = rows(mDb, AccessSqlTranslator::translate(c->headingsSql()).sql);
    EXPECT_EQ(headings, (std::vector<std::string>{"-", "East", "West"}));
    const std::string sql =
        AccessSqlTranslator::translate(c->expand({Crosstab::nullHeading(), Crosstab::textHeading("East"),
                                                  Crosstab::textHeading("West")}))
            .sql;
    EXPECT_EQ(columns(mDb, sql), (std::vector<std::string>{"Product", "All", "<>", "East", "West"}));
    EXPECT_EQ(rows(mDb, sql + " ORDER BY 1"), (std::vector<std::string>{"Coffee|14|1|1|1", "Tea|8|0|2|1"}));
}

TEST_F(CrosstabTest, NumberHeadingsQuotesAndAggregatesInsideExpressions) {
    const auto c = Crosstab::parse("PARAMETERS [Least] Long;\nTRANSFORM Nz(Sum(Qty),0) / Count(Qty) "
                                   "SELECT Product FROM Sales WHERE Qty >= [Least] GROUP BY Product "
                                   "PIVOT Year IN (1995, 1996)");
    ASSERT_TRUE(c);
    ASSERT_EQ(c->fixedHeadings().size(), 2u);
    EXPECT_EQ(c->fixedHeadings()[0].name, "1995");
    const auto t = AccessSqlTranslator::translate(c->expand(c->fixedHeadings()));
    ASSERT_EQ(t.parameters.size(), 1u); // the PARAMETERS clause stays with the statement
    EXPECT_EQ(Crosstab::textHeading("O'Neil").literal, "'O''Neil'");
}

TEST_F(CrosstabTest, ListedHeadingsNameDatesNullsAndStopPastTheColumnLimit) {
    const auto c =
        Crosstab::parse("TRANSFORM Sum(Qty) SELECT Product FROM Sales GROUP BY Product PIVOT Region");
    ASSERT_TRUE(c);
    std::string ran;
    const auto list = c->listHeadings("test", [&](const std::string& sql, const auto& add) {
        ran = sql;
        add(qv::Variant::null());
        add(qv::Variant("East"));
        add(qv::Variant(qv::OleDate{35065.5})); // 1996-01-01 12:00
        add(qv::Variant(1995.0));
    });
    EXPECT_EQ(ran, AccessSqlTranslator::translate(c->headingsSql()).sql);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].name, "<>");
    EXPECT_EQ(list[1].literal, "'East'");
    EXPECT_EQ(list[2].literal, "#1996-01-01 12:00:00#");
    EXPECT_EQ(list[3].literal, "1995");

    int number = 0;
    try {
        c->listHeadings("test", [](const std::string&, const auto& add) {
            for (int i = 0; i <= static_cast<int>(Crosstab::MaxColumns); ++i)
                add(qv::Variant(static_cast<std::int64_t>(i)));
        });
    } catch (const qv::NumberedError& e) {
        number = e.number();
    }
    EXPECT_EQ(number, 3251);

    const auto prompted =
        Crosstab::parse("PARAMETERS [Least] Long; TRANSFORM Sum(Qty) SELECT Product FROM Sales "
                        "WHERE Qty > [Least] GROUP BY Product PIVOT Region");
    ASSERT_TRUE(prompted);
    bool asked = false;
    number = 0;
    try {
        prompted->listHeadings("test", [&](const std::string&, const auto&) { asked = true; });
    } catch (const qv::NumberedError& e) {
        number = e.number();
    }
    EXPECT_EQ(number, 3708);
    EXPECT_FALSE(asked);
}

TEST_F(CrosstabTest, NotACrosstabOrMalformed) {
    EXPECT_FALSE(Crosstab::parse("SELECT * FROM Sales"));
    for (const char* bad :
         {"TRANSFORM Sum(Qty) FROM Sales PIVOT Region", "TRANSFORM Sum(Qty) SELECT Product FROM Sales",
          "TRANSFORM Qty SELECT Product FROM Sales GROUP BY Product PIVOT Region",
          "TRANSFORM Sum(Qty) SELECT Product FROM Sales GROUP BY Product PIVOT Region IN ()",
          "TRANSFORM Sum(Qty) SELECT Product FROM Sales PIVOT Region"}) {
        try {
            Crosstab::parse(bad);
            ADD_FAILURE() << "accepted: " << bad;
        } catch (const qv::NumberedError& e) {
            EXPECT_EQ(e.number(), 3251) << bad;
            EXPECT_NE(e.description().find("crosstab"), std::string::npos) << e.description();
        }
    }
    // Without an IN list the translator alone cannot know the columns.
    try {
        AccessSqlTranslator::translate("TRANSFORM Sum(x) SELECT a FROM t GROUP BY a PIVOT b");
        ADD_FAILURE();
    } catch (const qv::NumberedError& e) {
        EXPECT_EQ(e.number(), 3251);
    }
}

} // namespace
