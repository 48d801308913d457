// Workgroup logons: accounts with salted hashes, checked before a database is opened.
#include "tests/engines/sqlite/EngineTestSupport.h"

#include "engines/sqlite/SqliteEngineClasses.h"
#include "engines/sqlite/WorkgroupFile.h"
#include "platform/engine/IAdoCommand.h"

#include <chrono>
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
    EXPECT_EQ(errorNumberOf([&] { openAs("Marie", "s3cret;{x}"); }), err::WorkgroupMissing);
    WorkgroupFile::setAccount(mdw, "Marie", "pw");
    EXPECT_TRUE(WorkgroupFile::removeAccount(mdw, "Marie"));
    EXPECT_EQ(errorNumberOf([&] { openAs("Marie", "pw"); }), err::DaoAccountNotValid);
}

TEST_F(WorkgroupTest, ConnectionWithSystemDbChecksTheAccount) {
    engine::AdoConnection c;
    const std::string base = "Driver={x};Dbq=" + ConnectionString::quote(db) +
                             ";Uid=Marie;SystemDB=" + ConnectionString::quote(mdw) + ";Pwd=";
    EXPECT_EQ(errorNumberOf([&] { c.open(base + "wrong;"); }), err::AdoOpenRefused);
    c.open(base + ConnectionString::quote("s3cret;{x}") + ";");
    EXPECT_EQ(c.state(), 1);
}

TEST_F(WorkgroupTest, RoundCountOutsideTheBoundRefusesTheFileAtOnce) {
    // The file names its own round count: 2^31 would make each logon attempt take half an hour.
    auto withRounds = [&](long long rounds) {
        makeDatabase(mdw, "UPDATE QvAccounts SET Iterations = " + std::to_string(rounds) +
                              " WHERE Name = 'Marie'");
    };
    const auto started = std::chrono::steady_clock::now();
    for (long long rounds : {2147483648LL, 2147483647LL, WorkgroupFile::MaxIterations + 1, 0LL, -5LL}) {
        withRounds(rounds);
        EXPECT_EQ(errorNumberOf([&] { openAs("Marie", "s3cret;{x}"); }), err::WorkgroupMissing) << rounds;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    // The refusal names the file and the count, so the person knows what is wrong with it.
    withRounds(2147483648LL);
    try {
        WorkgroupFile::verify(mdw, "Marie", "s3cret;{x}", "test");
        ADD_FAILURE() << "the file was accepted";
    } catch (const NumberedError& e) {
        EXPECT_NE(e.description().find("2147483648"), std::string::npos) << e.description();
        EXPECT_NE(e.description().find(mdw), std::string::npos) << e.description();
    }
    // At the bound the count is honoured: a wrong hash is then an account error, not a bad file.
    withRounds(WorkgroupFile::MaxIterations);
    EXPECT_EQ(errorNumberOf([&] { openAs("Marie", "s3cret;{x}"); }), err::DaoAccountNotValid);
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
