// The registry store on temporary files: typed values byte for byte, the path rules, creation
// order, the key rules, the environment override, and two processes writing at once.
#include "system/RegistryStore.h"

#include "platform/NumberedError.h"

#include "tests/support/EnvGuard.h"
#include "tests/support/TempRegistry.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

using namespace qv;
using reg::HKEY_CURRENT_USER;

namespace {

class RegistryStoreTest : public ::testing::Test {
  protected:
    static RegistryValue text(std::uint32_t type, const std::string& s) {
        return {type, std::vector<std::uint8_t>(s.begin(), s.end())};
    }

    test::TempRegistry mStore;
    const std::string& mPath = mStore.path();
};

} // namespace

TEST_F(RegistryStoreTest, EveryValueTypeComesBackWithItsTypeAndBytes) {
    ASSERT_TRUE(mStore->createKey(HKEY_CURRENT_USER, "SOFTWARE\\Quorvel12"));
    const std::vector<std::pair<std::string, RegistryValue>> values = {
        {"sz", text(reg::REG_SZ, "C:\\Gebruikers\\Zoë\\Documenten")},
        {"expand", text(reg::REG_EXPAND_SZ, "%TEMP%\\x")},
        {"bin", {reg::REG_BINARY, {0x00, 0xFF, 0x00, 0x10}}},
        {"emptybin", {reg::REG_BINARY, {}}},
        {"dword", {reg::REG_DWORD, {0x04, 0x03, 0x02, 0x01}}},
        {"be", {reg::REG_DWORD_BIG_ENDIAN, {0x01, 0x02, 0x03, 0x04}}},
        {"multi", text(reg::REG_MULTI_SZ, std::string("één\0twee", 9))},
        {"Zoë", text(reg::REG_SZ, "名前")},
    };
    for (const auto& [name, v] : values)
        ASSERT_TRUE(mStore->setValue(HKEY_CURRENT_USER, "SOFTWARE\\Quorvel12", name, v));
    // Through a second instance, so that nothing comes from memory.
    RegistryStore other(mPath);
    for (const auto& [name, v] : values) {
        auto got = other.queryValue(HKEY_CURRENT_USER, "SOFTWARE\\Quorvel12", name);
        ASSERT_TRUE(got) << name;
        EXPECT_EQ(got->type, v.type) << name;
        EXPECT_EQ(got->data, v.data) << name;
    }
}

TEST_F(RegistryStoreTest, PathsIgnoreCaseAndStraySeparatorsButKeepSlashesInNames) {
    ASSERT_TRUE(mStore->createKey(HKEY_CURRENT_USER, "Software\\Zoë\\\\Sub\\"));
    EXPECT_TRUE(mStore->keyExists(HKEY_CURRENT_USER, "SOFTWARE\\ZOË\\SUB"));
    EXPECT_TRUE(mStore->keyExists(HKEY_CURRENT_USER, "\\software\\zoë\\sub\\\\"));
    EXPECT_FALSE(mStore->keyExists(HKEY_CURRENT_USER, "software/zoë/sub"));
    ASSERT_TRUE(mStore->createKey(HKEY_CURRENT_USER, "Software\\text/html"));
    EXPECT_EQ(*mStore->listSubKeys(HKEY_CURRENT_USER, "software"),
              (std::vector<std::string>{"Zoë", "text/html"}));

    ASSERT_TRUE(mStore->setValue(HKEY_CURRENT_USER, "SOFTWARE\\ZOË\\SUB", "Naam", text(reg::REG_SZ, "a")));
    ASSERT_TRUE(mStore->setValue(HKEY_CURRENT_USER, "software\\zoë\\sub", "NAAM", text(reg::REG_SZ, "b")));
    // One value, named as first written, holding the last text.
    EXPECT_EQ(*mStore->listValueNames(HKEY_CURRENT_USER, "Software\\Zoë\\Sub"),
              (std::vector<std::string>{"Naam"}));
    EXPECT_EQ(mStore->queryValue(HKEY_CURRENT_USER, "Software\\Zoë\\Sub", "naam")->data,
              (std::vector<std::uint8_t>{'b'}));
    // Roots are separate trees.
    EXPECT_FALSE(mStore->keyExists(reg::HKEY_LOCAL_MACHINE, "Software\\Zoë"));
    EXPECT_FALSE(mStore->createKey(0x12345678u, "Software"));
}

TEST_F(RegistryStoreTest, IllFormedNamesAreNeverFoldedIntoTheLettersTheyDisguise) {
    ASSERT_TRUE(mStore->createKey(HKEY_CURRENT_USER, "Software\\a"));
    ASSERT_TRUE(mStore->setValue(HKEY_CURRENT_USER, "Software\\a", "n", text(reg::REG_SZ, "plain")));
    // C1 81 is an overlong 'A': a different, ill-formed name, not another spelling of "a".
    EXPECT_FALSE(mStore->keyExists(HKEY_CURRENT_USER, "Software\\\xC1\x81"));
    EXPECT_FALSE(mStore->queryValue(HKEY_CURRENT_USER, "Software\\a", "\xC1\x8E")); // overlong 'N'
    ASSERT_TRUE(mStore->createKey(HKEY_CURRENT_USER, "Software\\\xC1\x81"));
    ASSERT_TRUE(mStore->setValue(HKEY_CURRENT_USER, "Software\\a", "\xC3", text(reg::REG_SZ, "stray")));
    EXPECT_EQ(*mStore->listSubKeys(HKEY_CURRENT_USER, "software"),
              (std::vector<std::string>{"a", "\xC1\x81"}));
    EXPECT_EQ(mStore->queryValue(HKEY_CURRENT_USER, "Software\\a", "n")->data,
              (std::vector<std::uint8_t>{'p', 'l', 'a', 'i', 'n'}));
    EXPECT_EQ(mStore->queryValue(HKEY_CURRENT_USER, "SOFTWARE\\A", "\xC3")->data.size(), 5u);
}

TEST_F(RegistryStoreTest, EnumerationFollowsCreationOrderAndOverwritesKeepTheirPlace) {
    ASSERT_TRUE(mStore->createKey(HKEY_CURRENT_USER, "K"));
    for (const char* n : {"zeta", "alpha", "mid"})
        mStore->setValue(HKEY_CURRENT_USER, "K", n, text(reg::REG_SZ, n));
    mStore->setValue(HKEY_CURRENT_USER, "K", "zeta", text(reg::REG_SZ, "again"));
    EXPECT_EQ(*mStore->listValueNames(HKEY_CURRENT_USER, "K"),
              (std::vector<std::string>{"zeta", "alpha", "mid"}));
    ASSERT_TRUE(mStore->deleteValue(HKEY_CURRENT_USER, "K", "ALPHA"));
    mStore->setValue(HKEY_CURRENT_USER, "K", "alpha", text(reg::REG_SZ, "new"));
    EXPECT_EQ(*mStore->listValueNames(HKEY_CURRENT_USER, "K"),
              (std::vector<std::string>{"zeta", "mid", "alpha"}));

    for (const char* k : {"K\\c", "K\\a", "K\\b"})
        mStore->createKey(HKEY_CURRENT_USER, k);
    EXPECT_EQ(*mStore->listSubKeys(HKEY_CURRENT_USER, "K"), (std::vector<std::string>{"c", "a", "b"}));
    EXPECT_FALSE(mStore->listSubKeys(HKEY_CURRENT_USER, "Nope"));
    EXPECT_FALSE(mStore->listValueNames(HKEY_CURRENT_USER, "Nope"));
}

TEST_F(RegistryStoreTest, KeysMustExistForValuesAndGoOnlyWhenTheyHaveNoSubKeys) {
    EXPECT_FALSE(mStore->setValue(HKEY_CURRENT_USER, "Missing", "v", text(reg::REG_SZ, "x")));
    EXPECT_FALSE(mStore->deleteValue(HKEY_CURRENT_USER, "Missing", "v"));
    ASSERT_TRUE(mStore->createKey(HKEY_CURRENT_USER, "A\\B\\C"));
    EXPECT_TRUE(mStore->keyExists(HKEY_CURRENT_USER, "A\\B"));
    ASSERT_TRUE(mStore->setValue(HKEY_CURRENT_USER, "A\\B", "v", text(reg::REG_SZ, "x")));
    EXPECT_FALSE(mStore->deleteKey(HKEY_CURRENT_USER, "A\\B")); // C is below it
    EXPECT_TRUE(mStore->queryValue(HKEY_CURRENT_USER, "A\\B", "v"));
    EXPECT_TRUE(mStore->deleteKey(HKEY_CURRENT_USER, "A\\B\\C"));
    EXPECT_TRUE(mStore->deleteKey(HKEY_CURRENT_USER, "a\\b"));
    EXPECT_FALSE(mStore->keyExists(HKEY_CURRENT_USER, "A\\B"));
    EXPECT_TRUE(mStore->keyExists(HKEY_CURRENT_USER, "A"));
    // Re-creating the key does not bring its old values back.
    ASSERT_TRUE(mStore->createKey(HKEY_CURRENT_USER, "A\\B"));
    EXPECT_FALSE(mStore->queryValue(HKEY_CURRENT_USER, "A\\B", "v"));
    EXPECT_FALSE(mStore->deleteKey(HKEY_CURRENT_USER, "Missing"));
    EXPECT_FALSE(mStore->deleteKey(HKEY_CURRENT_USER, "")); // the root itself
    EXPECT_TRUE(mStore->keyExists(HKEY_CURRENT_USER, ""));
}

TEST_F(RegistryStoreTest, TwoProcessesWritingAtOnceLoseNothing) {
    constexpr int PerProcess = 150;
    ASSERT_TRUE(mStore->createKey(HKEY_CURRENT_USER, "Shared"));
    mStore.close(); // no connection crosses the fork
    std::vector<pid_t> children;
    for (int child = 0; child < 2; ++child) {
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            int failures = 0;
            try {
                RegistryStore store(mPath);
                for (int i = 0; i < PerProcess; ++i) {
                    const std::string own = "P" + std::to_string(child) + "\\K" + std::to_string(i % 7);
                    failures += !store.createKey(HKEY_CURRENT_USER, own);
                    failures += !store.setValue(HKEY_CURRENT_USER, "Shared",
                                                "c" + std::to_string(child) + "v" + std::to_string(i),
                                                text(reg::REG_SZ, std::to_string(i)));
                    failures += !store.setValue(HKEY_CURRENT_USER, "Shared", "last",
                                                text(reg::REG_SZ, std::to_string(child)));
                }
            } catch (...) {
                failures = 1000;
            }
            ::_exit(failures == 0 ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a writer saw a failure";
    }
    RegistryStore store(mPath);
    auto names = store.listValueNames(HKEY_CURRENT_USER, "Shared");
    ASSERT_TRUE(names);
    EXPECT_EQ(names->size(), 2u * PerProcess + 1u);
    for (int child = 0; child < 2; ++child)
        EXPECT_EQ(store.listSubKeys(HKEY_CURRENT_USER, "P" + std::to_string(child))->size(), 7u);

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(mPath.c_str(), &db), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)), "ok");
    sqlite3_finalize(st);
    sqlite3_close(db);
}

TEST(RegistryStorePathTest, EnvironmentChoosesTheFile) {
    {
        test::EnvGuard over("QUORVEL_REGISTRY", "/tmp/elsewhere.db");
        test::EnvGuard xdg("XDG_CONFIG_HOME", "/home/x/cfg");
        EXPECT_EQ(RegistryStore::defaultPath(), "/tmp/elsewhere.db");
    }
    {
        test::EnvGuard over("QUORVEL_REGISTRY", nullptr);
        test::EnvGuard xdg("XDG_CONFIG_HOME", "/home/x/cfg");
        EXPECT_EQ(RegistryStore::defaultPath(), "/home/x/cfg/quorvel/registry.db");
    }
    {
        test::EnvGuard over("QUORVEL_REGISTRY", "");
        test::EnvGuard xdg("XDG_CONFIG_HOME", nullptr);
        test::EnvGuard home("HOME", "/home/zoë");
        EXPECT_EQ(RegistryStore::defaultPath(), "/home/zoë/.config/quorvel/registry.db");
    }
}

TEST(RegistryStorePathTest, DefaultConstructorOpensTheOverriddenFileAndCreatesItsFolder) {
    auto dir = std::filesystem::temp_directory_path() / ("qv-env-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    auto file = dir / "sub" / "reg.db";
    {
        test::EnvGuard over("QUORVEL_REGISTRY", file.c_str());
        RegistryStore store;
        EXPECT_EQ(store.path(), file.string());
        EXPECT_TRUE(store.createKey(HKEY_CURRENT_USER, "X"));
    }
    EXPECT_TRUE(std::filesystem::exists(file));
    std::filesystem::remove_all(dir);
}

namespace {
std::string readAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs statements on a database file through SQLite directly, as another program would.
void runSql(const std::filesystem::path& file, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
}

// A temporary folder per test, with every file in it removed at the end.
class StoreFolder {
  public:
    StoreFolder() {
        mDir = std::filesystem::temp_directory_path() /
               ("qv-store-dir-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(mDir);
        std::filesystem::create_directories(mDir);
    }
    ~StoreFolder() { std::filesystem::remove_all(mDir); }
    std::filesystem::path file(const std::string& name) const { return mDir / name; }
    // Everything in the folder whose name starts with prefix.
    std::vector<std::filesystem::path> filesStartingWith(const std::string& prefix) const {
        std::vector<std::filesystem::path> out;
        for (const auto& e : std::filesystem::directory_iterator(mDir))
            if (e.path().filename().string().rfind(prefix, 0) == 0) out.push_back(e.path());
        return out;
    }

  private:
    std::filesystem::path mDir;
};
} // namespace

// Before, any file that was not a database stopped every start with an uncaught 26001. Now it
// is kept aside whole and an empty store takes its place.
TEST(RegistryStoreDamageTest, FileThatIsNoDatabaseIsKeptAsideWholeAndAnEmptyStoreStarts) {
    StoreFolder dir;
    const auto file = dir.file("registry.db");
    const std::string text =
        "this is not a database file, just text that is long enough to be read as a header";
    std::ofstream(file) << text;
    RegistryStore store(file.string());
    ASSERT_FALSE(store.damagedFileKeptAs().empty());
    EXPECT_EQ(std::filesystem::path(store.damagedFileKeptAs()).parent_path(), file.parent_path());
    EXPECT_EQ(readAll(store.damagedFileKeptAs()), text);
    EXPECT_FALSE(store.keyExists(HKEY_CURRENT_USER, "Software"));
    ASSERT_TRUE(store.createKey(HKEY_CURRENT_USER, "Software\\Quorvel12"));
    EXPECT_TRUE(store.setValue(HKEY_CURRENT_USER, "Software\\Quorvel12", "v", {reg::REG_SZ, {'x'}}));
    // The next start finds a healthy store and has nothing to report.
    RegistryStore again(file.string());
    EXPECT_TRUE(again.damagedFileKeptAs().empty());
    EXPECT_TRUE(again.queryValue(HKEY_CURRENT_USER, "Software\\Quorvel12", "v"));
}

TEST(RegistryStoreDamageTest, StoreWithDamagedPagesIsKeptAsideWithItsLog) {
    StoreFolder dir;
    const auto file = dir.file("registry.db");
    {
        RegistryStore store(file.string());
        ASSERT_TRUE(store.createKey(HKEY_CURRENT_USER, "Software\\Quorvel12"));
        for (int i = 0; i < 200; ++i)
            ASSERT_TRUE(store.setValue(HKEY_CURRENT_USER, "Software\\Quorvel12", "v" + std::to_string(i),
                                       {reg::REG_SZ, std::vector<std::uint8_t>(100, 'a')}));
    }
    // A last change that only reached the write-ahead log, as after a crash.
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
        sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        ASSERT_EQ(
            sqlite3_exec(db, "UPDATE reg_value SET data=x'00' WHERE name='v7'", nullptr, nullptr, nullptr),
            SQLITE_OK);
        sqlite3_close(db);
    }
    const std::string log = readAll(file.string() + "-wal");
    ASSERT_FALSE(log.empty());
    // Overwrite the pages after the first one; the header survives.
    std::string bytes = readAll(file);
    ASSERT_GT(bytes.size(), 8192u);
    for (std::size_t i = 4096; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(0xA5 ^ (i * 31));
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;

    RegistryStore store(file.string());
    ASSERT_FALSE(store.damagedFileKeptAs().empty());
    EXPECT_EQ(readAll(store.damagedFileKeptAs()), bytes);
    // The log is kept with it, unread and unchanged: replaying it into the damaged file or
    // into the new store would lose the one or damage the other.
    EXPECT_EQ(readAll(store.damagedFileKeptAs() + "-wal"), log);
    EXPECT_FALSE(store.keyExists(HKEY_CURRENT_USER, "Software\\Quorvel12"));
    EXPECT_TRUE(store.createKey(HKEY_CURRENT_USER, "Software"));
}

TEST(RegistryStoreDamageTest, TwoDamagedStartsKeepBothFiles) {
    StoreFolder dir;
    const auto file = dir.file("registry.db");
    std::ofstream(file) << "first damage, long enough to be read as a database header....";
    std::string first = RegistryStore(file.string()).damagedFileKeptAs();
    std::filesystem::remove(file);
    std::ofstream(file) << "second damage, long enough to be read as a database header...";
    std::string second = RegistryStore(file.string()).damagedFileKeptAs();
    ASSERT_NE(first, second);
    EXPECT_EQ(readAll(first).substr(0, 5), "first");
    EXPECT_EQ(readAll(second).substr(0, 6), "second");
}

// Before, the store created its tables inside whatever SQLite database the path named.
TEST(RegistryStoreDamageTest, AnotherProgramsDatabaseIsRefusedAndLeftUntouched) {
    StoreFolder dir;
    const auto file = dir.file("customers.db");
    runSql(file, "CREATE TABLE customers(id INTEGER PRIMARY KEY, name TEXT); INSERT INTO customers(name) "
                 "VALUES('Zoë')");
    const std::string before = readAll(file);
    try {
        RegistryStore store(file.string());
        ADD_FAILURE() << "opened another program's database as a store";
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), err::Registry);
        EXPECT_NE(e.description().find(file.string()), std::string::npos);
        EXPECT_NE(e.description().find("another program"), std::string::npos) << e.description();
    }
    EXPECT_EQ(readAll(file), before);
    EXPECT_EQ(dir.filesStartingWith("customers.db").size(), 1u); // nothing renamed, no log left
}

TEST(RegistryStoreDamageTest, EmptyDatabaseOfAnotherProgramIsKnownByItsApplicationId) {
    StoreFolder dir;
    const auto file = dir.file("other.db");
    runSql(file, "PRAGMA application_id=1234");
    EXPECT_THROW(RegistryStore(file.string()), NumberedError);
    // A store written before stores were marked (our tables, no mark) still opens as a store.
    const auto old = dir.file("old.db");
    runSql(old,
           "CREATE TABLE reg_key(id INTEGER PRIMARY KEY AUTOINCREMENT, root INTEGER NOT NULL, parent INTEGER "
           "NOT NULL, name TEXT NOT NULL, folded TEXT NOT NULL, UNIQUE(root, parent, folded))");
    RegistryStore store(old.string());
    EXPECT_TRUE(store.damagedFileKeptAs().empty());
    EXPECT_TRUE(store.createKey(HKEY_CURRENT_USER, "X"));
    EXPECT_TRUE(store.setValue(HKEY_CURRENT_USER, "X", "v", {reg::REG_DWORD, {1, 0, 0, 0}}));
}

namespace {
std::vector<int> gSqliteLog;
void recordSqliteLog(void*, int code, const char*) {
    gSqliteLog.push_back(code & 0xFF);
}

// Routes SQLite's own log into gSqliteLog for one test; SQLite takes this setting only while
// it is shut down, which it may be between tests because no connection is left open.
class SqliteLogGuard {
  public:
    SqliteLogGuard() {
        gSqliteLog.clear();
        sqlite3_shutdown();
        sqlite3_config(SQLITE_CONFIG_LOG, recordSqliteLog, nullptr);
        sqlite3_initialize();
    }
    ~SqliteLogGuard() {
        sqlite3_shutdown();
        sqlite3_config(SQLITE_CONFIG_LOG, nullptr, nullptr);
        sqlite3_initialize();
    }
};
} // namespace

// Before, a failure while the tables were created closed the connection and then rolled back
// on it: SQLite reported the call on the freed connection as misuse.
TEST(RegistryStoreDamageTest, FailureWhileCreatingTheTablesNeverUsesAClosedConnection) {
    StoreFolder dir;
    const auto file = dir.file("registry.db");
    // A store whose second table cannot be created: an index already has its name.
    runSql(file, "CREATE TABLE reg_key(id INTEGER PRIMARY KEY AUTOINCREMENT, root INTEGER NOT NULL, parent "
                 "INTEGER NOT NULL, name TEXT NOT NULL, folded TEXT NOT NULL, UNIQUE(root, parent, folded));"
                 "CREATE INDEX reg_value ON reg_key(name)");
    SqliteLogGuard log;
    try {
        RegistryStore store(file.string());
        ADD_FAILURE() << "a store without its value table opened";
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), err::Registry);
        EXPECT_NE(e.description().find("reg_value"), std::string::npos) << e.description();
    }
    EXPECT_EQ(std::count(gSqliteLog.begin(), gSqliteLog.end(), SQLITE_MISUSE), 0);
}
