// Opening a protected database: the password and workgroup logon loops played through with
// scripted answers, and the records connection that follows with the accepted credentials.
#include "DSTestSupport.h"

#include "datasource/frmLogon.h"
#include "datasource/frmPassword.h"
#include "platform/host/HostConstants.h"
#include "tests/support/ErrorNumber.h"

#include <gtest/gtest.h>

namespace qv::test {
namespace {

const char* kMsg71 =
    "The combination database password and workgroup security\ris not supported by the Access ODBC driver!";

TEST(LogonTest, OpenDatabaseNeedsNoDialog) {
    DSWorld w;
    auto ds = w.make();
    EXPECT_TRUE(ds->ConnectDAO());
    EXPECT_TRUE(w.toolkit.shown.empty());
    ASSERT_NE(ds->DbDAO(), nullptr);
    ds->DisconnectDAO();
    EXPECT_EQ(ds->DbDAO(), nullptr);
    EXPECT_EQ(w.file.closes, 1);
}

TEST(LogonTest, WrongPasswordAsksAgainAndTheRightOneCarriesIntoTheRecordsConnection) {
    DSWorld w;
    w.file.dbPassword = "s;cret}";
    w.odbc.acceptPassword = "{s;cret}}}";
    auto ds = w.make();
    w.toolkit.typeAndOk("wrong");
    w.toolkit.typeAndOk("s;cret}");
    EXPECT_TRUE(ds->ConnectDAO());
    EXPECT_EQ(w.toolkit.shown, (std::vector<std::string>{"frmPassword", "frmPassword"}));
    ASSERT_EQ(w.dialogs.boxes.size(), 1u);
    EXPECT_EQ(w.dialogs.boxes[0].text, "Not a valid password.");
    EXPECT_EQ(w.dialogs.boxes[0].flags, xl::MsgOk | xl::MsgExclamation | xl::MsgSetForeground);
    EXPECT_EQ(w.dialogs.boxes[0].title, "Quorvel LT");
    EXPECT_EQ(ds->Password(), "s;cret}");

    ds->ConnectADO();
    EXPECT_TRUE(ds->IsConnected());
    ASSERT_EQ(w.odbc.connectionStrings.size(), 1u);
    EXPECT_NE(w.odbc.connectionStrings[0].find("Uid=Admin;Pwd={s;cret}}};"), std::string::npos);
    EXPECT_EQ(w.pointer, (std::vector<int>{11, 0}));
}

TEST(LogonTest, CancelStopsSilentlyAndKeepsTheOldCredentials) {
    DSWorld w;
    w.file.dbPassword = "right";
    auto ds = w.make();
    ds->SetPassword("stale");
    w.toolkit.typeAndOk("wrong");
    w.toolkit.typeAndCancel("typed then cancelled");
    try {
        ds->ConnectDAO();
        FAIL() << "cancel did not stop the logon";
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), err::Cancelled);
        EXPECT_EQ(e.description(), "");
    }
    // One box for the wrong password, none for the cancel.
    EXPECT_EQ(w.dialogs.boxes.size(), 1u);
    EXPECT_EQ(ds->DbDAO(), nullptr);
    EXPECT_EQ(ds->Password(), "stale");
}

TEST(LogonTest, OkWithAnEmptyPasswordIsACancel) {
    DSWorld w;
    w.file.dbPassword = "right";
    auto ds = w.make();
    w.toolkit.typeAndOk("");
    EXPECT_THROW(
        {
            try {
                ds->ConnectDAO();
            } catch (const NumberedError& e) {
                EXPECT_EQ(e.number(), err::Cancelled);
                throw;
            }
        },
        NumberedError);
    EXPECT_TRUE(w.dialogs.boxes.empty());
}

TEST(LogonTest, WorkgroupLogonStartsAtThePasswordOfTheNamedUser) {
    DSWorld w;
    w.file.workgroupFile = "/d/system.mdw";
    w.file.workgroup = {{"jan", "geheim"}};
    auto ds = w.make();
    ds->SetWorkgroupFile("/d/system.mdw");
    ds->SetUserName("jan");
    w.toolkit.typeAndOk("fout");
    w.toolkit.typeAndOk("geheim");
    EXPECT_TRUE(ds->ConnectDAO());
    EXPECT_EQ(w.toolkit.shown, (std::vector<std::string>{"frmLogon", "frmLogon"}));
    EXPECT_EQ(w.toolkit.userAtShow[0], "jan");
    EXPECT_EQ(w.toolkit.focusAtShow[0], "txtPassword");
    // The refusal names the unsupported combination when a workgroup is in use.
    ASSERT_EQ(w.dialogs.boxes.size(), 1u);
    EXPECT_EQ(w.dialogs.boxes[0].text, std::string("Not a valid password.\r\r") + kMsg71);
    EXPECT_EQ(ds->UserName(), "jan");

    w.odbc.acceptPassword = "geheim";
    ds->ConnectADO();
    EXPECT_NE(w.odbc.connectionStrings.back().find("Uid=jan;Pwd=geheim;SystemDB=/d/system.mdw;"),
              std::string::npos);
}

TEST(LogonTest, WorkgroupLogonCanChangeTheUser) {
    DSWorld w;
    w.file.workgroupFile = "/d/system.mdw";
    w.file.workgroup = {{"piet", "pw"}};
    auto ds = w.make();
    ds->SetWorkgroupFile("/d/system.mdw");
    w.toolkit.typeAndOk("pw", "piet");
    EXPECT_TRUE(ds->ConnectDAO());
    EXPECT_EQ(w.toolkit.focusAtShow[0], ""); // no user named: focus stays on the first control
    EXPECT_EQ(ds->UserName(), "piet");
    EXPECT_EQ(ds->Password(), "pw");
}

TEST(LogonTest, RefusedRecordsLogonIsAPreparedWarning) {
    DSWorld w;
    w.file.workgroupFile = "/d/system.mdw";
    w.file.workgroup = {{"jan", "geheim"}};
    w.odbc.acceptPassword = "database password the driver never gets";
    auto ds = w.make();
    ds->SetWorkgroupFile("/d/system.mdw");
    ds->SetUserName("jan");
    ds->SetPassword("geheim");
    ASSERT_TRUE(ds->ConnectDAO());
    try {
        ds->ConnectADO();
        FAIL() << "no error";
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), err::PreparedWarning);
        EXPECT_EQ(e.description(), std::string("Not a valid password.\r\r") + kMsg71);
    }
    EXPECT_EQ(w.pointer.back(), 0);
    EXPECT_FALSE(ds->IsConnected());
}

TEST(LogonTest, EngineFailuresSurfaceWithTheirNumbers) {
    DSWorld w;
    auto ds = w.make();
    w.file.failWith = err::DaoOdbcConnectFailed;
    try {
        ds->ConnectDAO();
        FAIL();
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), err::PreparedWarning);
        EXPECT_EQ(e.source(), "IDS_ConnectDAO");
        EXPECT_EQ(e.description(), "The ODBC-connection failed.");
    }
    w.file.failWith = err::UnrecognisedFormat;
    try {
        ds->ConnectDAO();
        FAIL();
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), err::UnrecognisedFormat);
        EXPECT_EQ(e.source(), "IDS_ConnectDAO");
        EXPECT_EQ(e.description(), "engine failure");
    }
    EXPECT_TRUE(w.toolkit.shown.empty());
}

// The right password reaches a damaged file: the damage is what the person must hear, not "Not a
// valid password." and the dialog again, where no password would ever do.
TEST(LogonTest, DamageBehindTheRightPasswordEndsTheLogonWithItsOwnError) {
    DSWorld w;
    w.file.dbPassword = "pw";
    w.file.failPastPassword = err::UnrecognisedFormat;
    auto ds = w.make();
    w.toolkit.typeAndOk("pw");
    std::string description;
    EXPECT_EQ(errorNumberOf([&] { ds->ConnectDAO(); }, &description), err::UnrecognisedFormat);
    EXPECT_EQ(description, "damaged");
    EXPECT_EQ(w.toolkit.shown, (std::vector<std::string>{"frmPassword"}));
    EXPECT_TRUE(w.dialogs.boxes.empty());
}

TEST(LogonTest, WithoutDialogsARefusalIsReportedNotRetried) {
    DSWorld w;
    w.file.workgroupFile = "/d/system.mdw";
    w.file.workgroup = {{"jan", "geheim"}};
    DSContext c;
    c.Objects = &w.factory;
    clsDSAccess headless(std::move(c));
    headless.SetDatabasePath(w.file.path);
    headless.SetWorkgroupFile("/d/system.mdw");
    headless.SetUserName("jan");
    headless.SetPassword("stale");
    try {
        headless.ConnectDAO();
        FAIL();
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), err::DaoAccountNotValid);
    }
}

TEST(LogonTest, SecondConnectOpensANewDatabase) {
    DSWorld w;
    auto ds = w.make();
    ASSERT_TRUE(ds->ConnectDAO());
    auto first = ds->DbDAO();
    ASSERT_TRUE(ds->ConnectDAO());
    EXPECT_NE(ds->DbDAO(), first);
    EXPECT_EQ(w.file.opens, 2);
}

TEST(LogonTest, RevisionChoosesTheCatalogueEngine) {
    DSWorld w;
    w.make(11)->ConnectDAO();
    w.make(12)->ConnectDAO();
    EXPECT_EQ(w.factory.created, (std::vector<std::string>{"DAO.DBEngine.36", "DAO.DBEngine.120"}));
}

TEST(LogonDialogTest, CaptionsComeFromTheCatalogue) {
    modGlobalization::SetCountryCode(31);
    frmLogon logon;
    logon.Model().activate();
    EXPECT_EQ(logon.Model().caption(), "Aanmelden");
    frmPassword password;
    password.Model().activate();
    EXPECT_EQ(password.Model().caption(), "Wachtwoord is vereist");
    EXPECT_EQ(password.Model().control("lblDbPassword").caption, "Geef het databasewachtwoord op:");
    modGlobalization::SetCountryCode(1);
    logon.Model().activate();
    EXPECT_EQ(logon.Model().control("lblName").caption, "Name: ");
    EXPECT_EQ(logon.Model().control("lblPassword").caption, "Password: ");
    EXPECT_EQ(logon.Model().control("cmdCancel").caption, "&Cancel");
}

TEST(LogonDialogTest, ClosingTheWindowDropsTheTypedPassword) {
    frmLogon logon;
    logon.SetUser("jan");
    logon.Model().setValue("txtPassword", Variant("half typed"));
    logon.Model().closeByWindow();
    EXPECT_TRUE(logon.Model().closed());
    EXPECT_EQ(logon.Password(), "");
    EXPECT_EQ(logon.User(), "jan");
}

} // namespace
} // namespace qv::test
