// Every table of both Chinook files shown as the form: keys as the catalogue has them, names
// as captions, records where the geometry puts them, and the composite key of PlaylistTrack.
#include "FormFixture.h"

#include "datasource/ITable.h"
#include "form/clsMatrix.h"

#include <gtest/gtest.h>

#include <map>

namespace qv::test {
namespace {

class ChinookFormTest : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        const std::string fixture = std::string("../shared/fixtures/sqlite/") + GetParam();
        if (!fs::exists(fixture)) GTEST_SKIP() << "fixture " << fixture << " is absent";
        path = folder.file("chinook.sqlite");
        fs::copy_file(fixture, path);
    }
    TempFolder folder;
    std::string path;
};

// Rows by table, counted with the plain library.
std::map<std::string, long> rowCounts(const std::string& path) {
    std::map<std::string, long> counts;
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    for (const char* t : {"Album", "Artist", "Customer", "Employee", "Genre", "Invoice", "InvoiceLine",
                          "MediaType", "Playlist", "PlaylistTrack", "Track"}) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, (std::string("SELECT COUNT(*) FROM \"") + t + "\"").c_str(), -1, &st, nullptr);
        if (sqlite3_step(st) == SQLITE_ROW) counts[t] = static_cast<long>(sqlite3_column_int64(st, 0));
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return counts;
}

TEST_P(ChinookFormTest, EveryTableShowsWithItsKeysAndRecords) {
    const std::map<std::string, std::vector<std::string>> keys = {
        {"Album", {"AlbumId"}},
        {"Artist", {"ArtistId"}},
        {"Customer", {"CustomerId"}},
        {"Employee", {"EmployeeId"}},
        {"Genre", {"GenreId"}},
        {"Invoice", {"InvoiceId"}},
        {"InvoiceLine", {"InvoiceLineId"}},
        {"MediaType", {"MediaTypeId"}},
        {"Playlist", {"PlaylistId"}},
        {"PlaylistTrack", {"PlaylistId", "TrackId"}},
        {"Track", {"TrackId"}}};
    const auto counts = rowCounts(path);
    FormWorld f(path);
    f.settings.values["Setting warning nr of cells"] = Variant(100000000);
    for (const auto& [table, keyColumns] : keys) {
        SCOPED_TRACE(table);
        f.ShowTable(table);
        clsForm& form = *f.form;
        ASSERT_TRUE(form.HasMatrix());
        EXPECT_TRUE(form.AllowsChanges());
        const auto& pk = f.ds->Table().PrimaryKeys();
        EXPECT_EQ(std::vector<std::string>(pk.begin(), pk.end()), keyColumns);
        const long n = counts.at(table);
        EXPECT_EQ(form.Matrix()->RecordCount(), n);
        ASSERT_EQ(form.KeyValues().size(), static_cast<std::size_t>(n));
        // Without captions, the names head the columns.
        for (long i = 0; i < form.Matrix()->FieldCount(); ++i)
            EXPECT_EQ(f.Cell(1, i + 1), Variant(form.Matrix()->Field(i).Name()));
        // The last record's key cells hold the key values kept for it.
        const KeyValueCollection& last = form.KeyValues().back();
        for (const std::string& k : keyColumns) {
            const long c = form.Matrix()->Field(k).Index() + 1;
            EXPECT_EQ(f.Cell(n + 1, c).toInt64(), last.Item(k).toInt64());
        }
        EXPECT_TRUE(f.formSheet->protectContents());
        EXPECT_EQ(f.formSheet->name(), table + " Table");
    }
}

TEST_P(ChinookFormTest, TypesGiveFormatsAndRules) {
    FormWorld f(path);
    f.settings.values["Setting warning nr of cells"] = Variant(100000000);
    f.ShowTable("Invoice");
    clsMatrix& m = *f.form->Matrix();
    const long date = m.Field("InvoiceDate").Index() + 1;
    EXPECT_EQ(f.formSheet->cells(2, date)->numberFormat(), "d/m/yyyy h:mm:ss");
    EXPECT_EQ(f.formSheet->cells(2, date)->validation()->type(), xl::ValidationType::Date);
    const long total = m.Field("Total").Index() + 1;
    EXPECT_EQ(f.formSheet->cells(2, total)->validation()->type(), xl::ValidationType::Decimal);
    // The customer column is a lookup into Customer.
    const long customer = m.Field("CustomerId").Index() + 1;
    EXPECT_EQ(f.formSheet->cells(2, customer)->validation()->type(), xl::ValidationType::List);
    const long address = m.Field("BillingAddress").Index() + 1;
    EXPECT_EQ(f.formSheet->cells(2, address)->validation()->formula1(), "70");
    EXPECT_EQ(f.formSheet->cells(2, address)->horizontalAlignment(), xl::AlignLeft);
}

TEST_P(ChinookFormTest, CompositeKeyOfPlaylistTrackIsKeptTypedPerRecord) {
    FormWorld f(path);
    f.ShowTable("PlaylistTrack");
    const auto& keys = f.form->KeyValues();
    ASSERT_FALSE(keys.empty());
    const KeyValueCollection& first = keys.front();
    ASSERT_EQ(first.Count(), 2u);
    EXPECT_TRUE(first.Item("PlaylistId").isNumber());
    EXPECT_EQ(first.Item("PlaylistId").toInt64(), f.Cell(2, 1).toInt64());
    EXPECT_EQ(first.Item("TrackId").toInt64(), f.Cell(2, 2).toInt64());
    // Both key columns refer to other tables: two lookup lists.
    EXPECT_EQ(f.form->Matrix()->Names().ListCount(), 2);
}

INSTANTIATE_TEST_SUITE_P(BothFiles, ChinookFormTest,
                         ::testing::Values("Chinook_Sqlite.sqlite",
                                           "Chinook_Sqlite_AutoIncrementPKs.sqlite"));

} // namespace
} // namespace qv::test
