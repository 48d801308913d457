// Databases with a password: encrypted copies made with the encryption library, opened with the
// right, a wrong and no password, and never changed by opening.
#include "EngineTestSupport.h"

#include "engines/sqlite/CipherLibrary.h"
#include "platform/engine/AdoConstants.h"

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
    TempDir dir;
    std::string plain, locked;
};
} // namespace

TEST_F(CipherTest, RightPasswordReadsTablesIndexesViewsAndRows) {
    auto db = openDao(locked, false, ";pwd=" + engine::ConnectionString::quote("p;w{d}"));
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
    EXPECT_EQ(errorNumberOf([&] { openDao(junk, true, ";pwd=x"); }), 3343);
    const auto text = dir.file("text.db");
    writeAll(text, std::string(4000, 'x'));
    EXPECT_EQ(errorNumberOf([&] { openDao(text, true, ";pwd=x"); }), 3343);
}
