// Databases with a password: encrypted copies made with the encryption library, opened with the
// right, a wrong and no password, and never changed by opening.
#include "tests/engines/sqlite/EngineTestSupport.h"

#include "engines/sqlite/CipherLibrary.h"
#include "engines/sqlite/DaoDatabase.h"
#include "engines/sqlite/DatabaseFileKind.h"
#include "engines/sqlite/MetadataStore.h"
#include "engines/sqlite/SqliteHandle.h"
#include "engines/sqlite/Statement.h"
#include "platform/engine/AdoConstants.h"

#include <cstdio>
#include <filesystem>
#include <memory>

using namespace qv;
using namespace qv::enginetest;
using qv::engine::CipherLibrary;

namespace {
class CipherTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!CipherLibrary::available())
            GTEST_SKIP() << "the encryption library libsqlcipher.so.0 is not installed";
        plain = dir.file("plain.db");
        locked = dir.file("locked.db");
        makeDatabase(plain,
                     "CREATE TABLE Item (Id INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT(20) NOT NULL);"
                     "CREATE INDEX ItemName ON Item (Name);"
                     "CREATE VIEW Named AS SELECT Name FROM Item;"
                     "INSERT INTO Item (Name) VALUES ('bolt'), ('nut'), ('washer');");
        CipherLibrary::exportCopy(plain, "", locked, "p;w{d}");
    }
    std::shared_ptr<engine::AdoConnection> openLocked() {
        auto c = std::make_shared<engine::AdoConnection>();
        c->open(connectionStringFor(locked, "p;w{d}"));
        return c;
    }
    // Runs SQL on an encrypted file with the encryption library directly, as another program would.
    void cipherExec(const std::string& path, const std::string& key, const std::string& sql) {
        SqliteConnection c;
        ASSERT_EQ(c.open(*CipherLibrary::api(), path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE), SQLITE_OK);
        ASSERT_EQ(c.lib().key(c.get(), key.data(), static_cast<int>(key.size())), SQLITE_OK);
        char* msg = nullptr;
        const int rc = c.lib().exec(c.get(), sql.c_str(), nullptr, nullptr, &msg);
        const std::string error = msg ? msg : "";
        c.lib().free(msg);
        ASSERT_EQ(rc, SQLITE_OK) << error;
    }
    TempDir dir;
    std::string plain, locked;
};

// The output of the encryption library's own shell, or nothing when it is not installed.
std::string shellOutput(const std::string& path, const std::string& script) {
    if (std::system("command -v sqlcipher >/dev/null 2>&1") != 0) return {};
    const std::string input = path + ".script";
    writeAll(input, script);
    const std::string command = "sqlcipher -batch '" + path + "' < '" + input + "' 2>&1";
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, p))
            out += buffer;
        ::pclose(p);
    }
    return out;
}

bool shellInstalled() {
    return std::system("command -v sqlcipher >/dev/null 2>&1") == 0;
}
} // namespace

TEST_F(CipherTest, RightPasswordReadsTablesIndexesViewsAndRows) {
    auto db = openDao(locked, false, ";pwd=" + ConnectionString::quote("p;w{d}"));
    EXPECT_TRUE(db->updatable());
    auto item = db->tableDef("Item");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->indexes().size(), 2u);
    EXPECT_NE(item->field("Id")->attributes() & 16, 0);
    ASSERT_NE(db->queryDef("Named"), nullptr);

    auto c = std::make_shared<engine::AdoConnection>();
    c->open(connectionStringFor(locked, "p;w{d}"));
    auto rs = c->execute("SELECT Name FROM Item ORDER BY Id");
    ASSERT_EQ(rs->recordCount(), 3);
    EXPECT_EQ(rs->valueAt(2, 0), Variant("washer"));
}

TEST_F(CipherTest, MissingOrWrongPasswordIs3031AndTheFileStaysAsItWas) {
    const std::string before = readAll(locked);
    EXPECT_EQ(errorNumberOf([&] { openDao(locked); }), err::DaoPasswordNotValid);
    EXPECT_EQ(errorNumberOf([&] { openDao(locked, false, ";pwd=P;w{d}"); }), err::DaoPasswordNotValid);
    EXPECT_EQ(errorNumberOf([&] { openConnection(locked); }), err::AdoOpenRefused);
    EXPECT_EQ(readAll(locked), before);
}

TEST_F(CipherTest, PasswordCanBeRemovedAgain) {
    const auto unlocked = dir.file("unlocked.db");
    EXPECT_EQ(errorNumberOf([&] { CipherLibrary::exportCopy(locked, "wrong", unlocked, ""); }),
              err::DaoPasswordNotValid);
    EXPECT_FALSE(std::filesystem::exists(unlocked));
    CipherLibrary::exportCopy(locked, "p;w{d}", unlocked, "");
    auto c = openConnection(unlocked);
    EXPECT_EQ(c->execute("SELECT count(*) FROM Item")->valueAt(0, 0).toInt64(), 3);
    // A plain database opens with any password given, as it has none.
    EXPECT_NE(openDao(unlocked, true, ";pwd=anything"), nullptr);
}

TEST_F(CipherTest, GarbageInWholePagesIsStillNoDatabase) {
    // Whole pages are not enough to be taken for an encrypted file: asking for a password here
    // would only ever answer "not a valid password".
    const auto junk = dir.file("junk.db");
    writeAll(junk, std::string(4096, '\x5a'));
    EXPECT_EQ(errorNumberOf([&] { openDao(junk, true, ";pwd=x"); }), err::UnrecognisedFormat);
    const auto text = dir.file("text.db");
    writeAll(text, std::string(4000, 'x'));
    EXPECT_EQ(errorNumberOf([&] { openDao(text, true, ";pwd=x"); }), err::UnrecognisedFormat);
}

TEST_F(CipherTest, EditsReachTheFileInPlaceAndSurviveReopening) {
    {
        auto c = openLocked();
        long long affected = 0;
        c->execute("INSERT INTO Item (Name) VALUES ('screw')", &affected);
        EXPECT_EQ(affected, 1);
        // The dialect's functions run inside the encryption library's statements.
        c->execute("UPDATE Item SET Name = UCase(Name) & '!' WHERE Name = 'nut'", &affected);
        EXPECT_EQ(affected, 1);
        c->execute("DELETE FROM Item WHERE Name = 'bolt'", &affected);
        EXPECT_EQ(affected, 1);
        c->execute("CREATE TABLE Note (Id COUNTER PRIMARY KEY, Made DATETIME DEFAULT Now(), Body MEMO)");
        c->execute("INSERT INTO Note (Body) VALUES ('first')");
        auto agg = c->execute("SELECT First(Name), Last(Name), Format(Count(*), '0.0'), StDev(Id) FROM Item");
        EXPECT_EQ(agg->valueAt(0, 0), Variant("NUT!"));
        EXPECT_EQ(agg->valueAt(0, 1), Variant("screw"));
        EXPECT_EQ(agg->valueAt(0, 2), Variant("3.0"));
        EXPECT_FALSE(agg->valueAt(0, 3).isNull());
    }
    {
        auto db = openDao(locked, false, ";pwd=" + ConnectionString::quote("p;w{d}"));
        engine::MetadataStore(std::dynamic_pointer_cast<engine::DaoDatabase>(db)->handle()->db())
            .setProperty("Item", "Name", "Caption", Variant("Part name"));
    }
    // Still encrypted on disk, and nothing left beside it.
    EXPECT_EQ(engine::DatabaseFileKind::of(locked), engine::DatabaseFileKind::Kind::Encrypted);
    EXPECT_EQ(readAll(locked).find("screw"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(locked + "-journal"));

    auto c = openLocked();
    auto rs = c->execute("SELECT Name FROM Item ORDER BY Id");
    ASSERT_EQ(rs->recordCount(), 3);
    EXPECT_EQ(rs->valueAt(0, 0), Variant("NUT!"));
    EXPECT_EQ(rs->valueAt(1, 0), Variant("washer"));
    EXPECT_EQ(rs->valueAt(2, 0), Variant("screw"));
    auto note = c->execute("SELECT Body, Made FROM Note");
    ASSERT_EQ(note->recordCount(), 1);
    EXPECT_FALSE(note->valueAt(0, 1).isNull()); // the default called Now() through the library
    auto db = openDao(locked, true, ";pwd=" + ConnectionString::quote("p;w{d}"));
    EXPECT_EQ(db->tableDef("Item")->field("Name")->property("Caption")->value(), Variant("Part name"));
}

TEST_F(CipherTest, ReadOnlyOpenRefusesChangesWith3027) {
    auto db = openDao(locked, true, ";pwd=" + ConnectionString::quote("p;w{d}"));
    EXPECT_FALSE(db->updatable());
    const std::string before = readAll(locked);
    engine::MetadataStore store(std::dynamic_pointer_cast<engine::DaoDatabase>(db)->handle()->db());
    EXPECT_EQ(errorNumberOf([&] { store.setProperty("Item", "Name", "Caption", Variant("x")); }),
              err::ReadOnlyDatabase);
    EXPECT_EQ(readAll(locked), before);
}

TEST_F(CipherTest, TheLibrarysOwnShellReadsWhatTheEngineWrote) {
    if (!shellInstalled()) GTEST_SKIP() << "the sqlcipher command-line tool is not installed";
    {
        auto c = openLocked();
        c->execute("UPDATE Item SET Name = 'hex bolt' WHERE Name = 'bolt'");
        c->execute("INSERT INTO Item (Name) VALUES ('rivet')");
    }
    const std::string out =
        shellOutput(locked, "PRAGMA key = 'p;w{d}';\n"
                            "SELECT group_concat(Name, ',') FROM (SELECT Name FROM Item ORDER BY Id);\n"
                            "PRAGMA integrity_check;\n");
    EXPECT_EQ(out, "hex bolt,nut,washer,rivet\nok\n");
    EXPECT_NE(shellOutput(locked, "PRAGMA key = 'wrong';\nSELECT count(*) FROM Item;\n"), "4\n");

    // And the other way round: a database the shell made opens and takes changes here.
    const std::string made = dir.file("made.db");
    shellOutput(
        made, "PRAGMA key = 'sh3ll';\nCREATE TABLE T (A TEXT);\nINSERT INTO T VALUES ('from the shell');\n");
    auto c = std::make_shared<engine::AdoConnection>();
    c->open(connectionStringFor(made, "sh3ll"));
    EXPECT_EQ(c->execute("SELECT A FROM T")->valueAt(0, 0), Variant("from the shell"));
    c->execute("INSERT INTO T VALUES ('from the engine')");
    EXPECT_EQ(shellOutput(made, "PRAGMA key = 'sh3ll';\nSELECT count(*) FROM T;\n"), "2\n");
}

TEST_F(CipherTest, SchemaTextOfTheFileIsNeverRunAndTouchesNoOtherFile) {
    // Another database the hostile file aims at, and a path it would create.
    const std::string victim = dir.file("victim.db");
    const std::string planted = dir.file("planted.db");
    makeDatabase(victim, "CREATE TABLE Data (A TEXT); INSERT INTO Data VALUES ('keep me');");
    const std::string victimBefore = readAll(victim);
    auto quoted = [](const std::string& s) { return "''" + s + "''"; }; // inside a quoted literal
    const std::string attack = "; ATTACH " + quoted(victim) + " AS v; DELETE FROM v.Data; ATTACH " +
                               quoted(planted) + " AS p; CREATE TABLE p.Planted (A)";
    cipherExec(locked, "p;w{d}",
               "CREATE TABLE Log (Msg TEXT);"
               "CREATE TRIGGER ItemLog AFTER INSERT ON Item BEGIN INSERT INTO Log VALUES (new.Name); END;"
               "PRAGMA writable_schema = ON;"
               "UPDATE sqlite_master SET sql = sql || '" +
                   attack +
                   "' WHERE name IN ('Log', 'ItemLog', 'Named');"
                   "PRAGMA writable_schema = OFF;");

    auto db = openDao(locked, false, ";pwd=" + ConnectionString::quote("p;w{d}"));
    EXPECT_NE(db->tableDef("Log"), nullptr);
    auto c = openLocked();
    // The planted statements are there, after each CREATE of the schema.
    EXPECT_EQ(c->execute("SELECT count(*) FROM sqlite_master WHERE InStr(sql, 'DELETE FROM v.Data') > 0")
                  ->valueAt(0, 0)
                  .toInt64(),
              3);
    c->execute("INSERT INTO Item (Name) VALUES ('spring')"); // fires the file's own trigger, and only it
    EXPECT_EQ(c->execute("SELECT Msg FROM Log")->valueAt(0, 0), Variant("spring"));
    // A saved query carrying the extra statements is refused, not run in part.
    EXPECT_NE(errorNumberOf([&] { c->execute(db->queryDef("Named")->sql()); }), 0);

    EXPECT_EQ(readAll(victim), victimBefore);
    EXPECT_FALSE(std::filesystem::exists(planted));
}

namespace {
// An encrypted copy of a table with an index over many pages, and where that index starts.
struct DamageableCopy {
    std::string path;
    long indexRoot = 0;
    long pageSize = 0;
};

DamageableCopy encryptedWithIndex(TempDir& dir, const std::string& name, const std::string& extra) {
    const std::string plain = dir.file(name + "-plain.db");
    makeDatabase(plain, "CREATE TABLE T (id INTEGER PRIMARY KEY, name TEXT);"
                        "CREATE INDEX TName ON T(name);"
                        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
                        "INSERT INTO T SELECT i, printf('name %05d with some text', i) FROM n;" +
                            extra);
    DamageableCopy copy{dir.file(name + ".db")};
    CipherLibrary::exportCopy(plain, "", copy.path, "key");
    SqliteConnection c;
    EXPECT_EQ(c.open(*CipherLibrary::api(), copy.path, SQLITE_OPEN_READONLY), SQLITE_OK);
    EXPECT_EQ(c.lib().key(c.get(), "key", 3), SQLITE_OK);
    engine::Statement root(c.ref(), "SELECT rootpage FROM sqlite_master WHERE name = 'TName'", "test");
    if (root.step()) copy.indexRoot = static_cast<long>(root.integer(0));
    engine::Statement size(c.ref(), "PRAGMA page_size", "test");
    if (size.step()) copy.pageSize = static_cast<long>(size.integer(0));
    return copy;
}

// Changes bytes in the middle of a page, which its authentication code then no longer matches.
void damagePage(const DamageableCopy& copy, long page) {
    ASSERT_GT(page, 1);
    ASSERT_GT(copy.pageSize, 0);
    std::string bytes = readAll(copy.path);
    const auto at = static_cast<std::size_t>((page - 1) * copy.pageSize + copy.pageSize / 2);
    ASSERT_LT(at + 8, bytes.size());
    for (std::size_t i = at; i < at + 8; ++i)
        bytes[i] = static_cast<char>(~bytes[i]);
    writeAll(copy.path, bytes);
}
} // namespace

TEST_F(CipherTest, DamagedPageIsRefusedAtOpenNamingTheFileWhichIsLeftAlone) {
    const auto copy = encryptedWithIndex(dir, "damaged", "");
    damagePage(copy, copy.indexRoot);
    const std::string before = readAll(copy.path);
    std::string description;
    EXPECT_EQ(errorNumberOf([&] { openDao(copy.path, false, ";pwd=key"); }, &description),
              err::UnrecognisedFormat);
    EXPECT_NE(description.find(copy.path), std::string::npos) << description;
    EXPECT_EQ(errorNumberOf([&] { openDao(copy.path, true, ";pwd=key"); }), err::UnrecognisedFormat);
    EXPECT_EQ(readAll(copy.path), before);
}

// The catalogue past the first page damaged: the right password opens the first page, so the
// file is at fault. It used to be reported as a wrong password, which the person then retypes.
TEST_F(CipherTest, DamagedCatalogueWithTheRightPasswordIsADamagedFile) {
    std::string tables;
    for (int i = 0; i < 60; ++i)
        tables += "CREATE TABLE Wide" + std::to_string(i) + " (a_rather_long_column_name_" +
                  std::to_string(i) +
                  " TEXT, another_rather_long_column_name TEXT, yet_another_long_column_name TEXT);";
    const auto copy = encryptedWithIndex(dir, "catalogue", tables);
    const long pages = static_cast<long>(std::filesystem::file_size(copy.path)) / copy.pageSize;
    for (long page = 2; page <= pages; ++page)
        damagePage(copy, page);
    EXPECT_EQ(errorNumberOf([&] { openDao(copy.path, true, ";pwd=key"); }), err::UnrecognisedFormat);
    EXPECT_EQ(errorNumberOf([&] { openDao(copy.path, true, ";pwd=wrong"); }), err::DaoPasswordNotValid);
}

TEST_F(CipherTest, LargeFileOpensWithoutTheWholeCheckAndItsDamageIsReportedByTheRead) {
    // Past the whole-check limit; the encryption library's SQLite may not know a bounded check.
    const auto copy = encryptedWithIndex(dir, "large",
                                         "CREATE TABLE Big (b BLOB);"
                                         "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                                         "WHERE i < 17) INSERT INTO Big SELECT zeroblob(1048576) FROM n;");
    ASSERT_GT(std::filesystem::file_size(copy.path), engine::SqliteHandle::WholeCheckLimit);
    damagePage(copy, copy.indexRoot);
    auto c = std::make_shared<engine::AdoConnection>();
    c->open(connectionStringFor(copy.path, "key"));
    EXPECT_EQ(c->execute("SELECT count(*) FROM Big")->valueAt(0, 0).toInt64(), 17);
    std::string description;
    EXPECT_EQ(errorNumberOf([&] { c->execute("SELECT name FROM T ORDER BY name"); }, &description),
              err::UnrecognisedFormat);
    EXPECT_NE(description.find("large.db"), std::string::npos) << description;
}
