// Text from outside the program reaching SQL: statements with a NUL, names built to close their
// brackets early, and date values no calendar holds. Each is refused whole, and the database
// keeps every row.
#include "tests/engines/sqlite/EngineTestSupport.h"

#include "engines/sqlite/AdoCommand.h"
#include "engines/sqlite/DaoDatabase.h"
#include "engines/sqlite/MetadataStore.h"
#include "engines/sqlite/Statement.h"
#include "platform/NameQuote.h"
#include "platform/engine/AdoConstants.h"

#include <cmath>

using namespace qv;
using namespace qv::enginetest;
using namespace std::string_literals;

namespace {

const char* const Hostile = "Pub] UNION SELECT * FROM [Secret";

class HostileTextTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path = dir.file("t.db");
        makeDatabase(path, "CREATE TABLE T (id INTEGER PRIMARY KEY, d DATETIME, name TEXT);"
                           "INSERT INTO T (id, name) VALUES (1, 'a'), (2, 'b'), (3, 'c');"
                           "CREATE TABLE Pub (v TEXT); INSERT INTO Pub VALUES ('public');"
                           "CREATE TABLE Secret (v TEXT); INSERT INTO Secret VALUES ('secret');"
                           "CREATE TABLE \"Pub] UNION SELECT * FROM [Secret\" (v TEXT);"
                           "INSERT INTO \"Pub] UNION SELECT * FROM [Secret\" VALUES ('own');"
                           "CREATE TABLE QvQueries (Name TEXT PRIMARY KEY NOT NULL, SQL TEXT NOT NULL, "
                           "Type INTEGER);"
                           "INSERT INTO QvQueries VALUES ('Delete three', "
                           "'DELETE FROM T' || char(0) || ' WHERE id = 3', NULL);");
        connection = openConnection(path);
    }
    long long rows() { return connection->execute("SELECT count(*) FROM T")->valueAt(0, 0).toInt64(); }
    std::vector<std::string> column(const AdoRecordsetPtr& rs) {
        std::vector<std::string> out;
        for (long long r = 0; r < rs->recordCount(); ++r)
            out.push_back(rs->valueAt(r, 0).toString());
        return out;
    }
    TempDir dir;
    std::string path;
    std::shared_ptr<engine::AdoConnection> connection;
};

} // namespace

TEST_F(HostileTextTest, NulInAStatementIsRefusedAndNoRowIsDeleted) {
    EXPECT_EQ(errorNumberOf([&] { connection->execute("DELETE FROM T\0 WHERE id = 3"s); }),
              err::CharactersAfterEnd);
    EXPECT_EQ(rows(), 3);
    // The same text saved as a query and run by name.
    engine::AdoCommand cmd;
    cmd.setActiveConnection(connection);
    cmd.setCommandType(ado::CmdStoredProc);
    cmd.setCommandText(NameQuote::backQuoted("Delete three"));
    EXPECT_EQ(errorNumberOf([&] { cmd.execute(); }), err::CharactersAfterEnd);
    EXPECT_EQ(rows(), 3);
    // The engine's own statements refuse it too, rather than preparing the part before it.
    const SqliteRef db = connection->handle()->db();
    EXPECT_EQ(errorNumberOf([&] { engine::Statement(db, "DELETE FROM T\0 WHERE id = 3"s, "test"); }),
              err::CharactersAfterEnd);
    EXPECT_EQ(errorNumberOf([&] { connection->handle()->exec("DELETE FROM T\0 WHERE id = 3"s, "test"); }),
              err::CharactersAfterEnd);
    EXPECT_EQ(rows(), 3);
    // What follows the first statement is seen whole: a second statement after it is refused.
    engine::Statement st(db, "SELECT 1; DELETE FROM T", "test");
    EXPECT_EQ(st.tail(), " DELETE FROM T");
}

TEST_F(HostileTextTest, NulInADatabasePathDoesNotOpenAnotherFile) {
    EXPECT_EQ(errorNumberOf([&] { openDao(path + "\0.other"s); }), err::DatabaseFileNotFound);
}

TEST_F(HostileTextTest, CraftedTableNameLoadsOnlyItsOwnRows) {
    EXPECT_EQ(column(connection->execute("SELECT v FROM " + NameQuote::bracketed(Hostile))),
              std::vector<std::string>{"own"});
    // A table opened by name, with or without the brackets around it.
    for (const std::string& text : {std::string(Hostile), NameQuote::bracketed(Hostile)}) {
        engine::AdoCommand cmd;
        cmd.setActiveConnection(connection);
        cmd.setCommandType(ado::CmdTable);
        cmd.setCommandText(text);
        EXPECT_EQ(column(cmd.execute()), std::vector<std::string>{"own"}) << text;
    }
}

TEST_F(HostileTextTest, SavedQueryWithACraftedNameRunsByItsName) {
    const std::string name = "Q`] x";
    {
        auto db = openDao(path);
        engine::MetadataStore store(std::dynamic_pointer_cast<engine::DaoDatabase>(db)->handle()->db());
        store.saveQuery(name, "SELECT v FROM " + NameQuote::bracketed(Hostile));
    }
    for (const std::string& text : {NameQuote::backQuoted(name), NameQuote::bracketed(name)}) {
        engine::AdoCommand cmd;
        cmd.setActiveConnection(connection);
        cmd.setCommandType(ado::CmdStoredProc);
        cmd.setCommandText(text);
        EXPECT_EQ(column(cmd.execute()), std::vector<std::string>{"own"}) << text;
    }
}

TEST_F(HostileTextTest, DatesOutsideTheCalendarAreRefusedNotStored) {
    const double bad[] = {std::nan(""), HUGE_VAL, -HUGE_VAL, 2958466.0, -657435.0, 1e18};
    const SqliteRef db = connection->handle()->db();
    for (double value : bad) {
        engine::Statement st(db, "UPDATE T SET d = ? WHERE id = 1", "test");
        EXPECT_EQ(errorNumberOf([&] { st.bind(1, Variant(OleDate{value})); }), err::Overflow) << value;
    }
    // Through a command parameter the refusal is the parameter's.
    engine::AdoCommand cmd;
    cmd.setActiveConnection(connection);
    cmd.setCommandText("PARAMETERS [When] DateTime; UPDATE T SET d = [When] WHERE id = 1");
    cmd.appendParameter(cmd.createParameter("When", ado::Date, ado::ParamInput, 8, Variant(OleDate{1e7})));
    EXPECT_EQ(errorNumberOf([&] { cmd.execute(); }), err::AdoParameterImproperlyDefined);
    cmd.parameter("When")->setValue(Variant("12/31/9999 23:59:59"));
    long long affected = 0;
    cmd.execute(&affected);
    EXPECT_EQ(affected, 1);
    EXPECT_EQ(connection->execute("SELECT count(*) FROM T WHERE d IS NOT NULL")->valueAt(0, 0).toInt64(), 1);
    EXPECT_EQ(connection->execute("SELECT d FROM T WHERE id = 1")->valueAt(0, 0).toString(),
              "9999-12-31 23:59:59");
    // A date property is refused too, and nothing is stored.
    auto dao = openDao(path);
    engine::MetadataStore store(std::dynamic_pointer_cast<engine::DaoDatabase>(dao)->handle()->db());
    EXPECT_EQ(errorNumberOf([&] { store.setProperty("T", "d", "DefaultValue", Variant(OleDate{-1e6})); }),
              err::Overflow);
    EXPECT_TRUE(store.properties().empty());
}
