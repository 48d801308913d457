// The engine classes the product is wired with: an Access file and a SQLite file opened through
// the same catalogue engine, connection and command, the Access file read-only with a refusal
// that names it, a wrong Jet password reported as the SQLite engine reports its own.
#include "MdbTestSupport.h"

#include "engines/mdb/MdbAdoConnection.h"
#include "engines/mdb/MdbConvert.h"
#include "engines/mdb/MdbDaoEngine.h"
#include "engines/sqlite/AdoCommand.h"
#include "platform/engine/AdoConstants.h"
#include "platform/engine/DaoConstants.h"

using namespace qv;
using namespace qv::engine;
using namespace qv::mdbtest;

namespace {

std::shared_ptr<MdbAdoConnection> connect(const std::string& path, const std::string& password = {}) {
    auto c = std::make_shared<MdbAdoConnection>();
    c->open("Driver={Microsoft Access Driver (*.mdb, *.accdb)};Dbq=" + path + ";Uid=Admin;Pwd=" + password +
            ";");
    return c;
}

} // namespace

TEST(MdbRoutingTest, OneEngineOpensTheAccessFileAndItsSqliteCopy) {
    QV_REQUIRE_ACCESS_FIXTURE("nwind.mdb");
    TempDir dir;
    const std::string copy = dir.file("nwind.sqlite");
    auto catalogue = MdbCatalogue::open(fixture("nwind.mdb"), {});
    MdbConvert::toSqlite(*catalogue, copy);
    MdbDaoEngine engine("12.0");
    auto access = engine.workspace(0)->openDatabase(fixture("nwind.mdb"), 0, false, {});
    auto sqlite = engine.workspace(0)->openDatabase(copy, 0, false, {});
    EXPECT_FALSE(access->updatable());
    EXPECT_TRUE(sqlite->updatable());
    for (const auto& db : {access, sqlite}) {
        auto products = db->tableDef("Products");
        ASSERT_NE(products, nullptr);
        EXPECT_EQ(products->field("ProductID")->property("Caption")->value().toString(), "Product ID");
    }
    // The connection answers both; only the copy takes changes.
    auto a = connect(fixture("nwind.mdb"));
    auto s = connect(copy);
    EXPECT_EQ(a->execute("SELECT COUNT(*) FROM [Order Details]")->valueAt(0, 0).toInt64(), 2155);
    EXPECT_EQ(s->execute("SELECT COUNT(*) FROM [Order Details]")->valueAt(0, 0).toInt64(), 2155);
    long long changed = 0;
    s->execute("UPDATE [Shippers] SET [Phone] = '(503) 555-0000' WHERE [ShipperID] = 1", &changed);
    EXPECT_EQ(changed, 1);
    std::string why;
    EXPECT_EQ(errorNumber([&] { a->execute("UPDATE [Shippers] SET [Phone] = 'x'"); }, &why), 3027);
    EXPECT_NE(why.find("'nwind.mdb' is an Access file"), std::string::npos) << why;
    a->close();
    EXPECT_EQ(a->state(), 0);
    EXPECT_EQ(errorNumber([&] { a->execute("SELECT 1"); }), 3709);
}

TEST(MdbRoutingTest, CommandsRunSavedQueriesTablesAndParameters) {
    QV_REQUIRE_ACCESS_FIXTURE("parameters.accdb");
    auto c = connect(fixture("parameters.accdb"));
    AdoCommand command;
    command.setActiveConnection(c);
    command.setCommandType(ado::CmdTable);
    // A name with quotes in it is found in SQLite's dialect too, where they are doubled.
    command.setCommandText("[ab\"\"\"xxx]");
    EXPECT_NO_THROW(command.execute());
    command.setCommandType(ado::CmdStoredProc);
    command.setCommandText("[No such query]");
    EXPECT_EQ(errorNumber([&] { command.execute(); }), 3078);
    // An action query is refused whole, parameters given or not.
    command.setCommandText("[UpdateMembershipLevel]");
    command.appendParameter(
        command.createParameter("prmMembershipLevel", ado::VarWChar, ado::ParamInput, 50, Variant("Gold")));
    command.appendParameter(command.createParameter("prmID", ado::Integer, ado::ParamInput, 0, Variant(1)));
    EXPECT_EQ(errorNumber([&] { command.execute(); }), 3027);
}

TEST(MdbRoutingTest, WrongJetPasswordIsTheProvidersGeneralFailure) {
    QV_REQUIRE_ACCESS_FIXTURE("V2003_with-password.mdb");
    const std::string path = fixture("V2003_with-password.mdb");
    std::string why;
    EXPECT_EQ(errorNumber([&] { connect(path, "guess"); }, &why), err::AdoOpenRefused);
    EXPECT_EQ(why, "Not a valid password.");
    EXPECT_EQ(connect(path, "password")->execute("SELECT * FROM Table1")->recordCount(), 3);
    MdbDaoEngine engine("12.0");
    EXPECT_EQ(errorNumber([&] { engine.workspace(0)->openDatabase(path, 0, false, ";pwd=guess"); }), 3031);
    EXPECT_NE(engine.workspace(0)->openDatabase(path, 0, false, ";pwd=password"), nullptr);
}

TEST(MdbRoutingTest, EncryptedAccdbIsRefusedNamingTheEncryption) {
    QV_REQUIRE_ACCESS_FIXTURE("db2013-enc.accdb");
    std::string why;
    MdbDaoEngine engine("12.0");
    EXPECT_EQ(
        errorNumber(
            [&] { engine.workspace(0)->openDatabase(fixture("db2013-enc.accdb"), 0, false, ";pwd=1234"); },
            &why),
        3343);
    EXPECT_NE(why.find("encrypt"), std::string::npos) << why;
}
