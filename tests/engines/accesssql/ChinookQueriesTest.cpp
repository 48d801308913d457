// Access SQL run against the Chinook fixture, whose dates are stored as the engine stores them
// ('2021-01-02 00:00:00'): literals, date functions, LIKE and TOP must agree with that data.
#include "engines/accesssql/AccessFunctions.h"
#include "engines/accesssql/AccessSqlTranslator.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <vector>

using qv::accesssql::AccessFunctions;
using qv::accesssql::AccessSqlTranslator;

namespace {

constexpr const char* kChinook = "../shared/fixtures/sqlite/Chinook_Sqlite.sqlite";

class ChinookQueriesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!std::filesystem::exists(kChinook)) GTEST_SKIP() << "fixture " << kChinook << " is not present";
        ASSERT_EQ(sqlite3_open_v2(kChinook, &mDb, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
        AccessFunctions::registerAll(mDb);
    }
    void TearDown() override { sqlite3_close(mDb); }

    std::vector<std::string> rows(std::string_view access) {
        const std::string s = AccessSqlTranslator::translate(access).sql;
        std::vector<std::string> out;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(mDb, s.c_str(), -1, &st, nullptr) != SQLITE_OK) {
            out.push_back(std::string("error: ") + sqlite3_errmsg(mDb));
            return out;
        }
        while (sqlite3_step(st) == SQLITE_ROW) {
            const unsigned char* t = sqlite3_column_text(st, 0);
            out.push_back(t ? reinterpret_cast<const char*>(t) : "NULL");
        }
        sqlite3_finalize(st);
        return out;
    }

    sqlite3* mDb = nullptr;
};

} // namespace

TEST_F(ChinookQueriesTest, DateLiteralsMatchStoredDates) {
    EXPECT_EQ(rows("SELECT Count(*) FROM [Invoice] WHERE [InvoiceDate] = #01/02/2021#"),
              (std::vector<std::string>{"1"}));
    EXPECT_EQ(rows("SELECT Count(*) FROM Invoice WHERE InvoiceDate Between #1/1/2021# And #1/31/2021#"),
              (std::vector<std::string>{"6"}));
    EXPECT_EQ(
        rows("SELECT Count(*) FROM Invoice WHERE Year([InvoiceDate]) = 2025 AND Month([InvoiceDate]) = 12"),
        (std::vector<std::string>{"7"}));
    EXPECT_EQ(rows("SELECT Format(Max([InvoiceDate]), 'dd-mm-yyyy') FROM Invoice"),
              (std::vector<std::string>{"22-12-2025"}));
    EXPECT_EQ(rows("SELECT DateDiff('m', Min(InvoiceDate), Max(InvoiceDate)) FROM Invoice"),
              (std::vector<std::string>{"59"}));
}

TEST_F(ChinookQueriesTest, TextOperatorsAndTop) {
    EXPECT_EQ(rows("SELECT TOP 2 [FirstName] & ' ' & [LastName] & (' (' + [Company] + ')') FROM [Customer] "
                   "WHERE [Company] Is Null ORDER BY [CustomerId]"),
              (std::vector<std::string>{"Leonie Köhler", "François Tremblay"}));
    EXPECT_EQ(
        rows("SELECT DISTINCT [FirstName] FROM [Customer] WHERE [FirstName] LIKE 'a*' ORDER BY [FirstName]"),
        (std::vector<std::string>{"Aaron", "Alexandre", "Astrid"}));
    EXPECT_EQ(rows("SELECT TOP 1 [Name] FROM [Track] WHERE [Name] LIKE '*[0-9]*' ORDER BY [TrackId]").size(),
              1u);
}
