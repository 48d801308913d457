// Damage that the header and schema probes cannot see: pages of a table or an index. Opening
// checks them, and damage met later, in the middle of a read, is reported the same way (3343,
// naming the file) rather than as rows that are not there.
#include "tests/engines/sqlite/EngineTestSupport.h"

#include "engines/sqlite/SqliteHandle.h"

using namespace qv;
using namespace qv::enginetest;

namespace {

class IntegrityCheckTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path = dir.file("t.db");
        makeDatabase(path, "PRAGMA page_size=1024;"
                           "CREATE TABLE T (id INTEGER PRIMARY KEY, name TEXT);"
                           "CREATE INDEX TName ON T(name);"
                           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
                           "INSERT INTO T SELECT i, printf('name %05d with some text', i) FROM n;");
    }
    // The first page of the b-tree of the named table or index.
    long rootPage(const std::string& name) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "SELECT rootpage FROM sqlite_master WHERE name = ?", -1, &st, nullptr);
        sqlite3_bind_text(st, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        const long page = sqlite3_step(st) == SQLITE_ROW ? static_cast<long>(sqlite3_column_int64(st, 0)) : 0;
        sqlite3_finalize(st);
        sqlite3_close(db);
        return page;
    }
    // Gives the page an invalid b-tree page type.
    void damagePage(long page) {
        ASSERT_GT(page, 1);
        std::string bytes = readAll(path);
        bytes[static_cast<std::size_t>(page - 1) * 1024] = 0x11;
        writeAll(path, bytes);
    }
    TempDir dir;
    std::string path;
};

} // namespace

TEST_F(IntegrityCheckTest, DamagedIndexPageIsRefusedAtOpenAndTheFileIsLeftAlone) {
    damagePage(rootPage("TName"));
    const std::string before = readAll(path);
    std::string description;
    EXPECT_EQ(errorNumberOf([&] { openDao(path); }, &description), err::UnrecognisedFormat);
    EXPECT_NE(description.find(path), std::string::npos) << description;
    EXPECT_EQ(errorNumberOf([&] { openDao(path, true); }), err::UnrecognisedFormat);
    EXPECT_EQ(errorNumberOf([&] { openConnection(path); }, &description), err::AdoOpenRefused);
    EXPECT_NE(description.find(path), std::string::npos) << description;
    EXPECT_EQ(readAll(path), before);
    EXPECT_FALSE(std::filesystem::exists(path + "-journal"));
}

TEST_F(IntegrityCheckTest, DamageMetWhileReadingNamesTheFile) {
    auto connection = openConnection(path);
    // Damaged behind the open connection's back, as another program or a failing disk would.
    damagePage(rootPage("T"));
    std::string description;
    EXPECT_EQ(errorNumberOf([&] { connection->execute("SELECT * FROM T"); }, &description),
              err::UnrecognisedFormat);
    EXPECT_NE(description.find("t.db"), std::string::npos) << description;
}

TEST_F(IntegrityCheckTest, LargeFileOpensQuicklyAndItsDamageIsReportedByTheRead) {
    // Past the whole-check limit only the schema is checked at open, so the cost stays bounded;
    // the damaged index is then met by the first read that uses it.
    makeDatabase(path, "CREATE TABLE Big (b BLOB);"
                       "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 17) "
                       "INSERT INTO Big SELECT zeroblob(1048576) FROM n;");
    ASSERT_GT(std::filesystem::file_size(path), engine::SqliteHandle::WholeCheckLimit);
    damagePage(rootPage("TName"));
    auto connection = openConnection(path);
    EXPECT_EQ(connection->execute("SELECT count(*) FROM Big")->valueAt(0, 0).toInt64(), 17);
    std::string description;
    EXPECT_EQ(errorNumberOf([&] { connection->execute("SELECT name FROM T ORDER BY name"); }, &description),
              err::UnrecognisedFormat);
    EXPECT_NE(description.find("t.db"), std::string::npos) << description;
}

TEST_F(IntegrityCheckTest, SoundFilesPassTheCheck) {
    EXPECT_NO_THROW(openDao(path));
    const auto chinook = FixtureDir / "Chinook_Sqlite.sqlite";
    if (!std::filesystem::exists(chinook)) GTEST_SKIP() << "fixture " << chinook << " is absent";
    const std::string copy = dir.file("chinook.sqlite");
    std::filesystem::copy_file(chinook, copy);
    EXPECT_NO_THROW(openDao(copy));
}
