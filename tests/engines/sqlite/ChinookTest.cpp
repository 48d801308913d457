// The engine against real databases made elsewhere: the Chinook music store, in its rowid-key
// and AUTOINCREMENT variants. Every test works on a copy in a temporary folder.
#include "tests/engines/sqlite/EngineTestSupport.h"

#include "platform/NameQuote.h"
#include "platform/engine/AdoConstants.h"
#include "platform/engine/DaoConstants.h"

#include <algorithm>
#include <map>

using namespace qv;
using namespace qv::enginetest;

namespace {

class ChinookTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"Chinook_Sqlite.sqlite", "Chinook_Sqlite_AutoIncrementPKs.sqlite"}) {
            if (!std::filesystem::exists(FixtureDir / name))
                GTEST_SKIP() << "fixture " << (FixtureDir / name)
                             << " is absent; run from the repository root";
        }
        plain = dir.file("chinook.sqlite");
        autoPk = dir.file("chinook_auto.sqlite");
        std::filesystem::copy_file(FixtureDir / "Chinook_Sqlite.sqlite", plain);
        std::filesystem::copy_file(FixtureDir / "Chinook_Sqlite_AutoIncrementPKs.sqlite", autoPk);
    }
    TempDir dir;
    std::string plain, autoPk;
};

std::vector<std::string> userTables(const DaoDatabasePtr& db) {
    std::vector<std::string> names;
    for (const auto& t : db->tableDefs()) {
        if ((t->attributes() & dao::SystemObject) == 0) names.push_back(t->name());
    }
    return names;
}

std::vector<std::string> primaryKey(const DaoTableDefPtr& t) {
    std::vector<std::string> out;
    for (const auto& ix : t->indexes()) {
        if (!ix->primary()) continue;
        for (const auto& f : ix->fields())
            out.push_back(f->name());
    }
    return out;
}

} // namespace

TEST_F(ChinookTest, ListsElevenUserTablesAndHidesTheSequenceTable) {
    const std::vector<std::string> expected{"Album",    "Artist",        "Customer",    "Employee",
                                            "Genre",    "Invoice",       "InvoiceLine", "MediaType",
                                            "Playlist", "PlaylistTrack", "Track"};
    EXPECT_EQ(userTables(openDao(plain, true)), expected);
    auto db = openDao(autoPk, true);
    EXPECT_EQ(userTables(db), expected);
    auto seq = db->tableDef("sqlite_sequence");
    ASSERT_NE(seq, nullptr);
    EXPECT_EQ(seq->attributes() & dao::SystemObject, dao::SystemObject);
}

TEST_F(ChinookTest, PrimaryKeysIncludingTheCompositeOneInKeyOrder) {
    for (const auto& path : {plain, autoPk}) {
        auto db = openDao(path, true);
        EXPECT_EQ(primaryKey(db->tableDef("Album")), std::vector<std::string>{"AlbumId"});
        EXPECT_EQ(primaryKey(db->tableDef("PlaylistTrack")),
                  (std::vector<std::string>{"PlaylistId", "TrackId"}));
        auto album = db->tableDef("album"); // lookup ignores case
        ASSERT_NE(album, nullptr);
        EXPECT_NE(album->field("AlbumId")->attributes() & dao::FieldAutoIncrement, 0) << path;
        EXPECT_EQ(album->field("ArtistId")->attributes() & dao::FieldAutoIncrement, 0);
        // The composite key is no row number: neither column is numbered by the engine.
        auto pt = db->tableDef("PlaylistTrack");
        EXPECT_EQ(pt->field("PlaylistId")->attributes() & dao::FieldAutoIncrement, 0);
    }
}

TEST_F(ChinookTest, FieldsCarryTypesSizesAndRequiredFlags) {
    auto db = openDao(plain, true);
    auto track = db->tableDef("Track");
    ASSERT_NE(track, nullptr);
    auto name = track->field("Name");
    EXPECT_EQ(name->type(), dao::Text);
    EXPECT_EQ(name->size(), 200);
    EXPECT_TRUE(name->required());
    EXPECT_TRUE(name->allowZeroLength());
    EXPECT_FALSE(track->field("Composer")->required());
    EXPECT_EQ(track->field("UnitPrice")->type(), dao::Decimal);
    EXPECT_EQ(track->field("Milliseconds")->type(), dao::Long);
    EXPECT_EQ(db->tableDef("Invoice")->field("InvoiceDate")->type(), dao::Date);
    EXPECT_EQ(track->field("missing"), nullptr);
    EXPECT_EQ(db->tableDef("NoSuchTable"), nullptr);
}

TEST_F(ChinookTest, RelationsNameTheReferencedAndTheReferencingTable) {
    auto db = openDao(plain, true);
    std::map<std::string, DaoRelationPtr> byName;
    for (const auto& r : db->relations())
        byName[r->name()] = r;
    EXPECT_EQ(byName.size(), 11u);
    ASSERT_TRUE(byName.count("InvoiceInvoiceLine"));
    auto r = byName["InvoiceInvoiceLine"];
    EXPECT_EQ(r->table(), "Invoice");
    EXPECT_EQ(r->foreignTable(), "InvoiceLine");
    ASSERT_EQ(r->fields().size(), 1u);
    EXPECT_EQ(r->fields()[0]->name(), "InvoiceId");
    EXPECT_EQ(r->fields()[0]->foreignName(), "InvoiceId");
    ASSERT_TRUE(byName.count("EmployeeCustomer"));
    EXPECT_EQ(byName["EmployeeCustomer"]->fields()[0]->name(), "EmployeeId");
    EXPECT_EQ(byName["EmployeeCustomer"]->fields()[0]->foreignName(), "SupportRepId");
    ASSERT_TRUE(byName.count("EmployeeEmployee")); // the self-reference
    EXPECT_EQ(byName["EmployeeEmployee"]->fields()[0]->foreignName(), "ReportsTo");
}

TEST_F(ChinookTest, EveryTableLoadsWithItsRowCountAndTypes) {
    const std::map<std::string, long long> counts{{"Album", 347},          {"Artist", 275},  {"Customer", 59},
                                                  {"Employee", 8},         {"Genre", 25},    {"Invoice", 412},
                                                  {"InvoiceLine", 2240},   {"MediaType", 5}, {"Playlist", 18},
                                                  {"PlaylistTrack", 8715}, {"Track", 3503}};
    auto c = openConnection(plain);
    for (const auto& [table, count] : counts) {
        auto rs = c->execute("SELECT * FROM " + NameQuote::bracketed(table));
        ASSERT_EQ(rs->state(), ado::StateOpen) << table;
        EXPECT_EQ(rs->recordCount(), count) << table;
        for (long long row = 0; row < rs->recordCount(); ++row) {
            for (long col = 0; col < rs->fieldCount(); ++col) {
                const Variant v = rs->valueAt(row, col);
                const int type = rs->field(col)->type();
                if (v.isNull()) continue;
                switch (type) {
                case ado::Integer:
                    EXPECT_EQ(v.type(), VarType::Long) << table;
                    break;
                case ado::VarWChar:
                    EXPECT_EQ(v.type(), VarType::String) << table;
                    break;
                case ado::DBTimeStamp:
                    EXPECT_EQ(v.type(), VarType::Date) << table;
                    break;
                case ado::Numeric:
                    EXPECT_EQ(v.type(), VarType::Decimal) << table;
                    break;
                default:
                    ADD_FAILURE() << table << " has unexpected type " << type;
                }
            }
        }
    }
    auto rs = c->execute("SELECT * FROM Track WHERE TrackId = 1");
    EXPECT_EQ(rs->field("Name")->value().str(), "For Those About To Rock (We Salute You)");
    EXPECT_EQ(rs->field("Name")->definedSize(), 200);
    EXPECT_DOUBLE_EQ(rs->field("UnitPrice")->value().toDouble(), 0.99);
    rs = c->execute("SELECT InvoiceDate FROM Invoice WHERE InvoiceId = 1");
    EXPECT_EQ(rs->field(0L)->type(), ado::DBTimeStamp);
    // 2021-01-01 00:00:00
    EXPECT_DOUBLE_EQ(rs->field(0L)->value().toDate().value, 44197.0);
}

TEST_F(ChinookTest, ReadingLeavesTheFileByteForByte) {
    const std::string before = readAll(plain);
    {
        auto db = openDao(plain); // writable, yet nothing is written on open or while reading
        db->tableDefs();
        db->relations();
        db->queryDefs();
        auto c = openConnection(plain);
        c->execute("SELECT * FROM Track");
        c->close();
        db->close();
    }
    EXPECT_EQ(readAll(plain), before);
    EXPECT_FALSE(std::filesystem::exists(plain + "-journal"));
}

TEST_F(ChinookTest, InsertWithoutKeyNumbersTheAutoIncrementColumn) {
    auto c = openConnection(autoPk);
    long long affected = 0;
    c->execute("INSERT INTO Artist (Name) VALUES ('Quorvel Quartet')", &affected);
    EXPECT_EQ(affected, 1);
    auto rs = c->execute("SELECT ArtistId FROM Artist WHERE Name = 'Quorvel Quartet'");
    EXPECT_EQ(rs->field(0L)->value().toInt64(), 276);
}
