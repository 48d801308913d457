// Workgroup logons: accounts with salted hashes, checked before a database is opened.
#include "EngineTestSupport.h"

#include "engines/sqlite/SqliteEngineClasses.h"
#include "engines/sqlite/WorkgroupFile.h"
#include "platform/engine/IAdoCommand.h"

#include <map>

using namespace qv;
using namespace qv::enginetest;
using qv::engine::WorkgroupFile;

namespace {
class WorkgroupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db = dir.file("secured.db");
        mdw = dir.file("work.mdw");
        makeDatabase(db, "CREATE TABLE T (A INTEGER);");
        WorkgroupFile::setAccount(mdw, "Marie", "s3cret;{x}");
        WorkgroupFile::setAccount(mdw, "Admin", "");
    }
    DaoDatabasePtr openAs(const std::string& user, const std::string& password) {
        engine::DaoEngine engine("12.0");
        engine.setSystemDB(mdw);
        engine.setDefaultUser(user);
        engine.setDefaultPassword(password);
        return engine.workspace(0)->openDatabase(db, 0, false, {});
    }
    TempDir dir;
    std::string db, mdw;
};
} // namespace

TEST_F(WorkgroupTest, RightAccountOpensAndWrongOnesAreRefusedWith3029) {
    EXPECT_NE(openAs("Marie", "s3cret;{x}"), nullptr);
    EXPECT_NE(openAs("marie", "s3cret;{x}"), nullptr); // account names ignore case
    EXPECT_NE(openAs("Admin", ""), nullptr);
    EXPECT_EQ(errorNumberOf([&] { openAs("Marie", "S3cret;{x}"); }), err::DaoAccountNotValid);
    EXPECT_EQ(errorNumberOf([&] { openAs("Marie", ""); }), err::DaoAccountNotValid);
    EXPECT_EQ(errorNumberOf([&] { openAs("Nobody", "s3cret;{x}"); }), err::DaoAccountNotValid);
}

TEST_F(WorkgroupTest, HashesAreSaltedPerAccount) {
    WorkgroupFile::setAccount(mdw, "Twin", "s3cret;{x}");
    sqlite3* h = nullptr;
    ASSERT_EQ(sqlite3_open(mdw.c_str(), &h), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(
        h, "SELECT count(DISTINCT Hash), count(DISTINCT Salt) FROM QvAccounts WHERE Name IN ('Marie','Twin')",
        -1, &st, nullptr);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(st, 0), 2);
    EXPECT_EQ(sqlite3_column_int(st, 1), 2);
    sqlite3_finalize(st);
    sqlite3_close(h);
}

TEST_F(WorkgroupTest, MissingWorkgroupFileAndRemovedAccount) {
    std::filesystem::remove(mdw);
    EXPECT_EQ(errorNumberOf([&] { openAs("Marie", "s3cret;{x}"); }), 3028);
    WorkgroupFile::setAccount(mdw, "Marie", "pw");
    EXPECT_TRUE(WorkgroupFile::removeAccount(mdw, "Marie"));
    EXPECT_EQ(errorNumberOf([&] { openAs("Marie", "pw"); }), err::DaoAccountNotValid);
}

TEST_F(WorkgroupTest, ConnectionWithSystemDbChecksTheAccount) {
    engine::AdoConnection c;
    const std::string base = "Driver={x};Dbq=" + engine::ConnectionString::quote(db) +
                             ";Uid=Marie;SystemDB=" + engine::ConnectionString::quote(mdw) + ";Pwd=";
    EXPECT_EQ(errorNumberOf([&] { c.open(base + "wrong;"); }), err::AdoOpenRefused);
    c.open(base + engine::ConnectionString::quote("s3cret;{x}") + ";");
    EXPECT_EQ(c.state(), 1);
}

TEST(SqliteEngineClassesTest, RegistersEveryProgIdWithItsContract) {
    std::map<std::string, std::function<ObjectPtr()>> made;
    registerSqliteEngineClasses(
        [&](std::string id, std::function<ObjectPtr()> f) { made[id] = std::move(f); });
    ASSERT_EQ(made.size(), 4u);
    EXPECT_NE(objectAs<IAdoConnection>(made.at("ADODB.Connection")()), nullptr);
    EXPECT_NE(objectAs<IAdoCommand>(made.at("ADODB.Command")()), nullptr);
    auto e120 = objectAs<IDaoEngine>(made.at("DAO.DBEngine.120")());
    auto e36 = objectAs<IDaoEngine>(made.at("DAO.DBEngine.36")());
    ASSERT_NE(e120, nullptr);
    ASSERT_NE(e36, nullptr);
    EXPECT_EQ(e120->version(), "12.0");
    EXPECT_EQ(e36->version(), "3.6");
    EXPECT_NE(made.at("ADODB.Connection")(), made.at("ADODB.Connection")()); // a new object each time
}
