// The data source over the embedded engine, reading a real database file: the catalogue, keys
// and relations as the form will see them, and rows with their record types.
#include "DSFakes.h"
#include "FileDataSourceTest.h"
#include "common/modGlobalization.h"
#include "datasource/ITable.h"
#include "datasource/clsDSAccess.h"
#include "engines/sqlite/SqliteEngineClasses.h"
#include "engines/sqlite/WorkgroupFile.h"
#include "platform/IObjectFactory.h"
#include "platform/NumberedError.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

namespace qv {
namespace {

namespace fs = std::filesystem;

const char* kFixture = "../shared/fixtures/sqlite/Chinook_Sqlite.sqlite";

class ChinookTest : public test::FileDataSourceTest {
  protected:
    void SetUp() override {
        if (!fs::exists(kFixture)) GTEST_SKIP() << "fixture " << kFixture << " is absent";
        mPath = mDir.file("Chinook.sqlite");
        fs::copy_file(kFixture, mPath, fs::copy_options::overwrite_existing);
        connect();
    }
};

TEST_F(ChinookTest, TablesAreTheUserTables) {
    mDS->DetermineDbObjects(true);
    const auto& names = *mDS->TableNames();
    std::set<std::string> got(names.begin(), names.end());
    EXPECT_EQ(got, (std::set<std::string>{"Album", "Artist", "Customer", "Employee", "Genre", "Invoice",
                                          "InvoiceLine", "MediaType", "Playlist", "PlaylistTrack", "Track"}));
    EXPECT_EQ(names.Count(), got.size());
    mDS->DetermineDbObjects(false);
    EXPECT_NE(mDS->QueryNames(), nullptr);
    EXPECT_EQ(mDS->ViewNames(), nullptr);
}

TEST_F(ChinookTest, CompositeKeyAndItsTwoRelations) {
    mTable = "PlaylistTrack";
    mDS->Table().Initialize();
    const auto& keys = mDS->Table().PrimaryKeys();
    EXPECT_EQ(std::vector<std::string>(keys.begin(), keys.end()),
              (std::vector<std::string>{"PlaylistId", "TrackId"}));
    const auto& r = mDS->Table().Relations();
    ASSERT_EQ(r.Count(), 2u);
    std::map<std::string, std::pair<std::string, std::string>> byTable;
    for (const clsRelation& rel : r) {
        EXPECT_EQ(rel.ForeignTable(), "PlaylistTrack");
        EXPECT_EQ(rel.Name().substr(rel.Name().size() - 2), "_0") << rel.Name();
        byTable[rel.Table()] = {rel.Field(), rel.ForeignName()};
    }
    EXPECT_EQ(byTable["Playlist"], (std::pair<std::string, std::string>{"PlaylistId", "PlaylistId"}));
    EXPECT_EQ(byTable["Track"], (std::pair<std::string, std::string>{"TrackId", "TrackId"}));
}

TEST_F(ChinookTest, ReferencedSideCollectsNoRelations) {
    mTable = "Artist";
    mDS->Table().Initialize();
    EXPECT_TRUE(mDS->Table().Relations().empty()); // Album refers to Artist, not the other way
    ASSERT_EQ(mDS->Table().PrimaryKeys().Count(), 1u);
    EXPECT_EQ(mDS->Table().PrimaryKeys().Item(1), "ArtistId");
}

TEST_F(ChinookTest, SelectAllGivesRowsWithRecordTypes) {
    mTable = "Track";
    mDS->Table().Initialize();
    EXPECT_EQ(mDS->Table().Relations().Count(), 3u);
    AdoRecordsetPtr rs = mDS->GetRecordSet("SELECT * FROM [Track]", true);
    ASSERT_NE(rs, nullptr);
    EXPECT_FALSE(mDS->IsConnected());
    EXPECT_EQ(rs->recordCount(), 3503);
    ASSERT_EQ(rs->fieldCount(), 9);
    std::map<std::string, std::unique_ptr<clsField>> f;
    for (long i = 0; i < rs->fieldCount(); ++i) {
        const std::string name = rs->field(i)->name();
        f[name] = mDS->Table().InitializeField(name, static_cast<std::int16_t>(i + 1), *rs);
        // The catalogue and the record set agree on every column's type.
        EXPECT_EQ(mDS->MapToTypeADO(Variant(f[name]->TypeDAO())), f[name]->TypeADO()) << name;
    }
    EXPECT_TRUE(f["TrackId"]->IsPrimary());
    EXPECT_FALSE(f["AlbumId"]->IsPrimary());
    EXPECT_EQ(f["TrackId"]->TypeADO(), 3);
    EXPECT_EQ(mDS->GetDataTypeGroup(f["TrackId"]->TypeADO()), 1);
    EXPECT_EQ(f["Name"]->TypeADO(), 202);
    EXPECT_EQ(f["Name"]->Size(), 200);
    EXPECT_EQ(mDS->GetDataTypeGroup(f["Name"]->TypeADO()), 3);
    EXPECT_EQ(mDS->GetDataTypeGroup(f["UnitPrice"]->TypeADO()), 1);
    EXPECT_FALSE(f["Name"]->IsReadOnly());
    rs->moveFirst();
    EXPECT_EQ(rs->field("Name")->value().toString(), "For Those About To Rock (We Salute You)");
    mDS->CloseRecordSet(rs);
}

TEST_F(ChinookTest, DatesComeBackAsDateColumns) {
    AdoRecordsetPtr rs =
        mDS->GetRecordSet("SELECT InvoiceId, InvoiceDate FROM [Invoice] WHERE InvoiceId = 1", true);
    ASSERT_EQ(rs->recordCount(), 1);
    EXPECT_EQ(mDS->GetDataTypeGroup(rs->field("InvoiceDate")->type()), 2);
    rs->moveFirst();
    EXPECT_EQ(mDS->Convert2Date(rs->field("InvoiceDate")->value()), "#01/01/2021 00:00:00#");
}

TEST_F(ChinookTest, StatementsCountTheRowsTheyChange) {
    const std::int32_t n = mDS->ExecuteQuery("UPDATE [Genre] SET [Name] = [Name] WHERE [GenreId] <= 3");
    EXPECT_EQ(n, 3);
    try {
        mDS->ExecuteQuery("UPDATE [NoSuchTable] SET X = 1");
        FAIL();
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), err::ForeignError);
        EXPECT_NE(e.description().find("(Error Number: "), std::string::npos);
    }
}

TEST_F(ChinookTest, CommandRunsOnTheOpenConnection) {
    mDS->ConnectADO();
    AdoCommandPtr cmd = mDS->InitializeCommand();
    cmd->setCommandType(1);
    cmd->setCommandText("SELECT COUNT(*) AS N FROM [Artist]");
    AdoRecordsetPtr rs = cmd->execute();
    ASSERT_NE(rs, nullptr);
    rs->moveFirst();
    EXPECT_EQ(rs->field("N")->value().toInt64(), 275);
}

TEST_F(ChinookTest, WorkgroupLogonEndToEnd) {
    const std::string mdw = mDir.file("system.mdw");
    const std::string secret = "ge;heim}=Pwd";
    engine::WorkgroupFile::setAccount(mdw, "jan", secret);
    test::ScriptedToolkit toolkit;
    test::RecordingDialogs dialogs;
    DSContext c;
    c.RevisionNumber = 12;
    c.Objects = &mFactory;
    c.Toolkit = &toolkit;
    c.Dialogs = &dialogs;
    clsDSAccess ds(std::move(c));
    ds.SetDatabasePath(mPath);
    ds.SetWorkgroupFile(mdw);
    ds.SetUserName("jan");

    toolkit.typeAndOk("wrong");
    toolkit.typeAndOk(secret);
    ASSERT_TRUE(ds.ConnectDAO());
    EXPECT_EQ(toolkit.shown.size(), 2u);
    EXPECT_EQ(toolkit.focusAtShow[0], "txtPassword");
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    // The records side logs on with the accepted password, ';' and '}' included.
    ds.ConnectADO();
    EXPECT_TRUE(ds.IsConnected());
    ds.DisconnectADO();
    ds.DisconnectDAO();

    // A later logon that is cancelled stops without a message.
    ds.SetPassword("expired");
    toolkit.typeAndCancel("x");
    try {
        ds.ConnectDAO();
        FAIL() << "cancel did not stop the logon";
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), err::Cancelled);
    }
    EXPECT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(ds.DbDAO(), nullptr);
}

} // namespace
} // namespace qv
