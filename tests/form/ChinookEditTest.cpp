// Every table of a copy of the Chinook database, edited through the form: a row re-typed with
// its own values is written back bit for bit, a text edit arrives, a new row with another row's
// values is added and then deleted. Every outcome is read from the file with plain SQLite.
#include "FormFixture.h"

#include "datasource/ITable.h"
#include "form/clsMatrix.h"
#include "platform/host/HostConstants.h"
#include "spreadsheet/model/Worksheet.h"

#include <gtest/gtest.h>

namespace qv::test {
namespace {

const char* kChinook = "../shared/fixtures/sqlite/Chinook_Sqlite.sqlite";

// One row of a query, each column as SQLite's quote() gives it (type and value, byte for byte).
std::string QuotedRow(const std::string& path, const std::string& table,
                      const std::vector<std::string>& columns, const std::string& where) {
    std::string select;
    for (const std::string& c : columns)
        select += (select.empty() ? "" : " || '|' || ") + ("quote([" + c + "])");
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    std::string out = "<none>";
    if (sqlite3_prepare_v2(db, ("SELECT " + select + " FROM [" + table + "] WHERE " + where).c_str(), -1, &st,
                           nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
        out = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
}

long long Scalar(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    long long v = -1;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        v = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    sqlite3_close(db);
    return v;
}

class ChinookEditTest : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        if (!fs::exists(kChinook)) GTEST_SKIP() << "fixture " << kChinook << " is absent";
        path = folder.file("Chinook.sqlite");
        fs::copy_file(kChinook, path);
    }
    TempFolder folder;
    std::string path;
};

TEST_P(ChinookEditTest, RetypeEditAddAndDeleteArriveInTheFile) {
    const std::string table = GetParam();
    FormWorld w(path);
    w.settings.values["Setting warning nr of cells"] = Variant(100000000);
    w.ShowTable(table);
    clsForm& form = *w.form;
    ASSERT_TRUE(form.AllowsChanges());
    clsMatrix& m = *form.Matrix();
    ASSERT_GE(m.RecordCount(), 2);
    std::vector<std::string> columns, keys;
    for (long f = 0; f < m.FieldCount(); ++f)
        columns.push_back(m.Field(f).Name());
    for (const std::string& k : w.ds->Table().PrimaryKeys())
        keys.push_back(k);
    auto whereOf = [&](long record) {
        std::string where;
        for (const std::string& k : keys) {
            const Variant v = form.KeyValues()[static_cast<std::size_t>(record - 1)].Item(k);
            where += (where.empty() ? "" : " AND ") + ("[" + k + "] = " + std::to_string(v.toInt64()));
        }
        return where;
    };
    auto type = [&](long record, long field, const Variant& v) {
        RangePtr cell = m.CellOf(record, field);
        cell->setValue(v);
        form.OnSheetChange(cell);
    };

    // 1. Record 2 re-typed with its own values is written back bit for bit.
    const std::string where2 = whereOf(2);
    const std::string before = QuotedRow(path, table, columns, where2);
    std::vector<Variant> record2;
    for (long f = 0; f < m.FieldCount(); ++f)
        record2.push_back(m.CellOf(2, f)->value());

    // Texts of digits go back as texts: a text column is laid out in the Text format.
    for (long f = 0; f < m.FieldCount(); ++f) {
        if (!m.Field(f).IsReadOnly()) type(2, f, record2[static_cast<std::size_t>(f)]);
    }
    ASSERT_TRUE(form.HasEdits());
    form.WriteData();
    ASSERT_FALSE(form.HasEdits()) << (w.dialogs.boxes.empty() ? "" : w.dialogs.boxes.back().text);
    EXPECT_EQ(QuotedRow(path, table, columns, where2), before);

    // 2. A text edit with an apostrophe and non-ASCII letters.
    for (long f = 0; f < m.FieldCount(); ++f) {
        const clsField& field = m.Field(f);
        if (field.IsReadOnly() || field.IsPrimary() || field.TypeADO() != 202) continue;
        // The reload rebuilds the fields: keep the name, not the field.
        const std::string name = field.Name();
        const std::string where1 = whereOf(1);
        type(1, f, Variant("Zoë's ‘naam’"));
        form.WriteData();
        EXPECT_EQ(QuotedRow(path, table, {name}, where1), "'Zoë''s ‘naam’'");
        // A code of digits with a leading zero, typed as a person types it, stays that text.
        auto* sheet = dynamic_cast<sheet::Worksheet*>(w.formSheet.get());
        ASSERT_NE(sheet, nullptr);
        RangePtr cell = m.CellOf(1, f);
        ASSERT_TRUE(sheet->typeInto(cell->row(), cell->column(), "0042"));
        form.OnSheetChange(cell);
        form.WriteData();
        EXPECT_EQ(QuotedRow(path, table, {name}, where1), "'0042'");
        break;
    }

    // 3. A new row with record 2's values and a key of its own.
    const long long rowsBefore = Scalar(path, "SELECT count(*) FROM [" + table + "]");
    form.AddRow();
    const long added = m.RecordCount();
    std::vector<std::string> others;
    std::string newWhere;
    for (long f = 0; f < m.FieldCount(); ++f) {
        const clsField& field = m.Field(f);
        if (field.IsReadOnly()) continue;
        Variant v = record2[static_cast<std::size_t>(f)];
        if (field.IsPrimary()) {
            long long fresh = Scalar(path, "SELECT max([" + field.Name() + "]) + 1 FROM [" + table + "]");
            if (table == std::string("PlaylistTrack") && field.Name() == "PlaylistId") fresh = 1;
            if (table == std::string("PlaylistTrack") && field.Name() == "TrackId")
                fresh =
                    Scalar(path, "SELECT min(TrackId) FROM Track WHERE TrackId NOT IN (SELECT TrackId FROM "
                                 "PlaylistTrack WHERE PlaylistId = 1)");
            v = Variant(static_cast<std::int64_t>(fresh));
            newWhere +=
                (newWhere.empty() ? "" : " AND ") + ("[" + field.Name() + "] = " + std::to_string(fresh));
        } else {
            others.push_back(field.Name());
        }
        if (!v.isEmpty()) type(added, f, v);
    }
    form.WriteData();
    if (newWhere.empty()) {
        // The database chose the key.
        const std::string k = keys.front();
        newWhere =
            "[" + k + "] = " + std::to_string(Scalar(path, "SELECT max([" + k + "]) FROM [" + table + "]"));
    }
    ASSERT_FALSE(form.HasEdits()) << (w.dialogs.boxes.empty() ? "" : w.dialogs.boxes.back().text);
    EXPECT_EQ(Scalar(path, "SELECT count(*) FROM [" + table + "]"), rowsBefore + 1);
    if (!others.empty()) {
        EXPECT_EQ(QuotedRow(path, table, others, newWhere), QuotedRow(path, table, others, where2));
    }

    // 4. The new row deleted again through the form.
    long record = 0;
    for (long r = 1; r <= m.RecordCount() && record == 0; ++r) {
        std::string wr;
        for (const std::string& k : keys) {
            const Variant v = form.KeyValues()[static_cast<std::size_t>(r - 1)].Item(k);
            wr += (wr.empty() ? "" : " AND ") + ("[" + k + "] = " + std::to_string(v.toInt64()));
        }
        if (Scalar(path, "SELECT count(*) FROM [" + table + "] WHERE " + wr + " AND " + newWhere) == 1)
            record = r;
    }
    ASSERT_GT(record, 0);

    long editable = 0;
    while (m.Field(editable).IsReadOnly())
        ++editable;
    m.CellOf(record, editable)->select();
    try {
        form.DeleteRows();
    } catch (const NumberedError& e) {
        ADD_FAILURE() << e.number() << " " << e.description();
    }
    EXPECT_EQ(Scalar(path, "SELECT count(*) FROM [" + table + "]"), rowsBefore);
    EXPECT_EQ(Scalar(path, "SELECT count(*) FROM [" + table + "] WHERE " + newWhere), 0);
}

INSTANTIATE_TEST_SUITE_P(EveryTable, ChinookEditTest,
                         ::testing::Values("Album", "Artist", "Customer", "Employee", "Genre", "Invoice",
                                           "InvoiceLine", "MediaType", "Playlist", "PlaylistTrack", "Track"));

} // namespace
} // namespace qv::test
