// The owners of a connection and a statement: what they report when SQLite refuses, that a moved
// owner leaves nothing behind to close twice, and the values an empty or missing binding gives.
#include "sqlite/SqliteConnection.h"
#include "sqlite/SqliteStatement.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <utility>

using qv::SqliteApi;
using qv::SqliteConnection;
using qv::SqliteStatement;

namespace {

SqliteConnection memory() {
    SqliteConnection db;
    EXPECT_EQ(db.open(SqliteApi::plain(), ":memory:", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE), SQLITE_OK);
    return db;
}

} // namespace

TEST(SqliteConnectionTest, AFileThatCannotBeOpenedLeavesNothingOpenAndSaysWhy) {
    qv::test::TempDir dir;
    SqliteConnection db;
    const int rc = db.open(SqliteApi::plain(), dir.file("missing/none.db"), SQLITE_OPEN_READWRITE);
    EXPECT_NE(rc, SQLITE_OK);
    EXPECT_FALSE(db);
    EXPECT_FALSE(db.lastOpenError().empty());
    EXPECT_TRUE(dir.entries().empty()); // nothing was created
}

TEST(SqliteConnectionTest, AMovedConnectionIsClosedOnceByItsNewOwner) {
    SqliteConnection first = memory();
    ASSERT_EQ(first.execStatus("CREATE TABLE t(x); INSERT INTO t VALUES (1)"), SQLITE_OK);
    SqliteConnection second = std::move(first);
    EXPECT_FALSE(first);
    ASSERT_TRUE(second);
    SqliteStatement q(second.ref(), "SELECT x FROM t");
    ASSERT_EQ(q.step(), SQLITE_ROW);
    EXPECT_EQ(q.int64(0), 1);
    q.finalize();
    second = memory(); // the old database goes, the new one is empty
    EXPECT_NE(second.execStatus("SELECT x FROM t"), SQLITE_OK);
}

TEST(SqliteStatementTest, ARefusedStatementReportsItsCodeAtEveryStep) {
    SqliteConnection db = memory();
    SqliteStatement bad(db.ref(), "SELECT FROM nowhere");
    EXPECT_FALSE(bad.ok());
    EXPECT_EQ(bad.status() & 0xFF, SQLITE_ERROR);
    EXPECT_EQ(bad.step() & 0xFF, SQLITE_ERROR);
    EXPECT_FALSE(bad.run());
    SqliteStatement empty(db.ref(), "  -- nothing but a comment");
    EXPECT_EQ(empty.status(), SQLITE_OK);
    EXPECT_FALSE(empty.ok());
    EXPECT_EQ(empty.step(), SQLITE_ERROR); // no statement is never a success
}

TEST(SqliteStatementTest, BindingsKeepEmptyValuesApartFromMissingOnes) {
    SqliteConnection db = memory();
    ASSERT_EQ(db.execStatus("CREATE TABLE t(id INTEGER, b BLOB, s TEXT)"), SQLITE_OK);
    SqliteStatement ins(db.ref(), "INSERT INTO t VALUES (?, ?, ?)");
    ASSERT_TRUE(ins.bind(1, std::int64_t{1}).bindBlob(2, std::vector<std::uint8_t>{}).bind(3, "").run());
    SqliteStatement q(db.ref(), "SELECT typeof(b), length(b), typeof(s), s FROM t");
    ASSERT_EQ(q.step(), SQLITE_ROW);
    EXPECT_EQ(q.text(0), "blob");
    EXPECT_EQ(q.int64(1), 0);
    EXPECT_EQ(q.text(2), "text");
    EXPECT_EQ(q.text(3), "");
    EXPECT_EQ(q.step(), SQLITE_DONE);
    // Text with a NUL inside is bound whole, as bytes.
    SqliteStatement nul(db.ref(), "SELECT length(CAST(? AS BLOB)), ?");
    nul.bind(1, std::string_view("a\0b", 3)).bindBlob(2, std::vector<std::uint8_t>{0, 255});
    ASSERT_EQ(nul.step(), SQLITE_ROW);
    EXPECT_EQ(nul.int64(0), 3);
    EXPECT_EQ(nul.blob(1), (std::vector<std::uint8_t>{0, 255}));
}

TEST(SqliteStatementTest, TheTailIsWhatFollowsTheFirstStatement) {
    SqliteConnection db = memory();
    const std::string sql = "SELECT 1; DROP TABLE x";
    SqliteStatement q(db.ref(), sql);
    ASSERT_TRUE(q.ok());
    EXPECT_EQ(sql.substr(q.tailOffset()), " DROP TABLE x");
    SqliteStatement moved = std::move(q);
    EXPECT_FALSE(q.ok());
    EXPECT_EQ(moved.step(), SQLITE_ROW);
}
