// Files that are not whole databases: each gives its numbered error and stays as it was.
#include "tests/engines/sqlite/EngineTestSupport.h"

#include "platform/engine/AdoConstants.h"

#include <chrono>
#include <thread>

using namespace qv;
using namespace qv::enginetest;

namespace {

class OpenErrorsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        good = dir.file("good.db");
        makeDatabase(good,
                     "CREATE TABLE T (A INTEGER PRIMARY KEY, B TEXT);"
                     "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
                     "INSERT INTO T SELECT i, printf('row %d with some text to fill pages', i) FROM n;");
    }
    // Expects both the catalogue open and the connection open to fail, and the file to be untouched.
    void expectRefused(const std::string& path, std::int32_t daoNumber) {
        const bool existed = std::filesystem::exists(path);
        const std::string before = existed ? readAll(path) : std::string();
        EXPECT_EQ(errorNumberOf([&] { openDao(path); }), daoNumber) << path;
        EXPECT_EQ(errorNumberOf([&] { openDao(path, true); }), daoNumber) << path;
        std::string description;
        EXPECT_EQ(errorNumberOf([&] { openConnection(path); }, &description), err::AdoOpenRefused) << path;
        EXPECT_FALSE(description.empty());
        EXPECT_EQ(std::filesystem::exists(path), existed);
        if (existed) {
            EXPECT_EQ(readAll(path), before) << path;
        }
        EXPECT_FALSE(std::filesystem::exists(path + "-journal"));
        EXPECT_FALSE(std::filesystem::exists(path + "-wal"));
    }
    TempDir dir;
    std::string good;
};

} // namespace

TEST_F(OpenErrorsTest, MissingFileIsNotFoundAndNotCreated) {
    expectRefused(dir.file("absent.db"), err::DatabaseFileNotFound);
}

TEST_F(OpenErrorsTest, TextFileAndEmptyFileAreNoDatabases) {
    const auto text = dir.file("notes.mdb");
    writeAll(text, std::string(5000, 'x'));
    expectRefused(text, err::UnrecognisedFormat);
    const auto empty = dir.file("empty.accdb");
    writeAll(empty, "");
    expectRefused(empty, err::UnrecognisedFormat);
}

TEST_F(OpenErrorsTest, TruncatedFileIsRefused) {
    const std::string bytes = readAll(good);
    ASSERT_GT(bytes.size(), 8192u);
    const auto cut = dir.file("cut.db");
    writeAll(cut, bytes.substr(0, bytes.size() / 2));
    expectRefused(cut, err::UnrecognisedFormat);
    const auto ragged = dir.file("ragged.db");
    writeAll(ragged, bytes.substr(0, bytes.size() - 100));
    expectRefused(ragged, err::UnrecognisedFormat);
}

TEST_F(OpenErrorsTest, DamagedSchemaPageIsRefused) {
    std::string bytes = readAll(good);
    for (std::size_t i = 100; i < 4096; ++i)
        bytes[i] = static_cast<char>(0xA5);
    const auto damaged = dir.file("damaged.db");
    writeAll(damaged, bytes);
    expectRefused(damaged, err::UnrecognisedFormat);
}

TEST_F(OpenErrorsTest, ADirectoryIsNoDatabase) {
    const auto folder = dir.file("folder.db");
    std::filesystem::create_directory(folder);
    EXPECT_EQ(errorNumberOf([&] { openDao(folder); }), err::UnrecognisedFormat);
}

TEST_F(OpenErrorsTest, AConnectionStringWithoutDatabaseIsRefused) {
    engine::AdoConnection c;
    EXPECT_EQ(errorNumberOf([&] { c.open("Driver={x};Uid=Admin;Pwd=;"); }), err::AdoOpenRefused);
    EXPECT_EQ(c.state(), ado::StateClosed);
}

TEST_F(OpenErrorsTest, OpeningTwiceIsRefusedButTheFirstStaysOpen) {
    auto c = openConnection(good);
    EXPECT_EQ(errorNumberOf([&] { c->open(connectionStringFor(good)); }), err::ObjectOpen);
    EXPECT_EQ(c->execute("SELECT count(*) FROM T")->valueAt(0, 0).toInt64(), 2000);
}

TEST_F(OpenErrorsTest, FileBusyInAnotherConnectionIsWaitedForNotRefused) {
    // Another program holds the file for a moment: opening waits for it from the first read on.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(good.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE; UPDATE T SET B = 'changed' WHERE A = 1;", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    std::thread release([other] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    });
    std::int32_t number = -1;
    std::string description;
    number = errorNumberOf([&] { openDao(good); }, &description);
    release.join();
    sqlite3_close(other);
    EXPECT_EQ(number, 0) << description;
}
