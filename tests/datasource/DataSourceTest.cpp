// Statements and record sets through the data source: reconnecting on demand, detached record
// sets, and how failures are wrapped.
#include "DSTestSupport.h"

#include <gtest/gtest.h>

namespace qv::test {
namespace {

struct RowsWorld : DSWorld {
    RowsWorld() {
        odbc.onExecute = [](const std::string& sql, long long* affected) -> AdoRecordsetPtr {
            if (sql.rfind("SELECT", 0) == 0) {
                if (affected) *affected = -1;
                auto rs = std::make_shared<FakeRecordset>();
                rs->add("Id", 3);
                return rs;
            }
            if (sql.rfind("UPDATE", 0) == 0) {
                if (affected) *affected = 7;
                auto rs = std::make_shared<FakeRecordset>();
                rs->st = 0;
                return rs;
            }
            throw NumberedError(-2147217900, "Microsoft OLE DB Provider for ODBC Drivers",
                                "[ODBC] Syntax error");
        };
    }
};

TEST(DataSourceTest, DetachedRecordSetLeavesTheConnectionClosed) {
    RowsWorld w;
    auto ds = w.make();
    AdoRecordsetPtr rs = ds->GetRecordSet("SELECT * FROM [T]", true);
    ASSERT_NE(rs, nullptr);
    EXPECT_EQ(rs->fieldCount(), 1);
    EXPECT_FALSE(ds->IsConnected());
    // The next statement reconnects with the same string.
    ds->GetRecordSet("SELECT * FROM [T]", false);
    EXPECT_TRUE(ds->IsConnected());
    ASSERT_EQ(w.odbc.connectionStrings.size(), 2u);
    EXPECT_EQ(w.odbc.connectionStrings[0], w.odbc.connectionStrings[1]);
}

TEST(DataSourceTest, OpenConnectionIsReused) {
    RowsWorld w;
    auto ds = w.make();
    ds->ConnectADO();
    ds->ConnectADO();
    EXPECT_EQ(ds->ExecuteQuery("UPDATE [T] SET A=1"), 7);
    EXPECT_TRUE(ds->IsConnected());
    EXPECT_EQ(w.odbc.opened, 1);
}

TEST(DataSourceTest, ConnectionClosedBehindOurBackIsReleasedAndReopened) {
    RowsWorld w;
    auto ds = w.make();
    ds->ConnectADO();
    ASSERT_EQ(w.factory.connections.size(), 1u);
    w.factory.connections[0].lock()->close();
    EXPECT_FALSE(ds->IsConnected());
    EXPECT_TRUE(w.factory.connections[0].expired()) << "the closed connection was kept";
    EXPECT_EQ(ds->ExecuteQuery("UPDATE [T] SET A=1"), 7);
    EXPECT_EQ(w.odbc.opened, 2);
}

TEST(DataSourceTest, FailingStatementIsAForeignErrorWithTheEngineNumber) {
    RowsWorld w;
    auto ds = w.make();
    try {
        ds->ExecuteQuery("DELETE FROM nowhere");
        FAIL();
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), err::ForeignError);
        EXPECT_EQ(e.source(), "Microsoft OLE DB Provider for ODBC Drivers");
        EXPECT_EQ(e.description(), "[ODBC] Syntax error\r(Error Number: -2147217900)");
    }
    try {
        ds->GetRecordSet("DROP nothing", false);
        FAIL();
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), err::ForeignError);
        EXPECT_NE(e.description().find("(Error Number: -2147217900)"), std::string::npos);
    }
}

TEST(DataSourceTest, RefusedConnectInsideAStatementIsWrappedOnce) {
    RowsWorld w;
    w.odbc.acceptPassword = "needed";
    auto ds = w.make();
    try {
        ds->GetRecordSet("SELECT 1", true);
        FAIL();
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), err::ForeignError);
        EXPECT_EQ(e.description(), "Not a valid password.\r(Error Number: 667)");
    }
}

TEST(DataSourceTest, CloseRecordSetClearsTheReference) {
    RowsWorld w;
    auto ds = w.make();
    AdoRecordsetPtr rs = ds->GetRecordSet("SELECT * FROM [T]", true);
    auto keep = rs;
    ds->CloseRecordSet(rs);
    EXPECT_EQ(rs, nullptr);
    EXPECT_EQ(keep->state(), 0);
    // Already closed, or nothing at all: only the reference goes.
    rs = keep;
    ds->CloseRecordSet(rs);
    EXPECT_EQ(rs, nullptr);
    ds->CloseRecordSet(rs);
}

TEST(DataSourceTest, UserNameIsAdminWithoutWorkgroup) {
    DSWorld w;
    auto ds = w.make();
    ds->SetUserName("jan");
    EXPECT_EQ(ds->UserName(), "Admin");
    EXPECT_NE(ds->ConnectionString().find("Uid=Admin;"), std::string::npos);
    ds->SetWorkgroupFile("/d/system.mdw");
    EXPECT_EQ(ds->UserName(), "jan");
}

} // namespace
} // namespace qv::test
