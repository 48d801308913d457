#include "engines/mdb/MdbTable.h"

#include "engines/mdb/MdbFile.h"
#include "engines/sqlite/EngineErrors.h"

#include <glib.h>
// glib.h first: mdbtools.h relies on it.
#include <mdbtools.h>

#include <cstring>
#include <fmt/format.h>

namespace qv::engine {

namespace {

constexpr int OffsetMask = 0x1fff;

void collect(GHashTable* hash, std::map<std::string, std::string>& out) {
    if (!hash) return;
    GHashTableIter it;
    gpointer key = nullptr;
    gpointer value = nullptr;
    g_hash_table_iter_init(&it, hash);
    while (g_hash_table_iter_next(&it, &key, &value))
        out[static_cast<const char*>(key)] = value ? static_cast<const char*>(value) : "";
}

template <typename T> T readAt(const unsigned char* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

std::string takeString(char* text) {
    std::string out = text ? text : "";
    g_free(text);
    return out;
}

MdbColumn* columnAt(S_MdbTableDef* t, std::size_t i) {
    return static_cast<MdbColumn*>(g_ptr_array_index(t->columns, static_cast<guint>(i)));
}

} // namespace

MdbTable::MdbTable(const MdbFile& file, const std::string& name) : mFile(file), mName(name) {
    MdbHandle* mdb = file.handle();
    MdbCatalogEntry* entry = nullptr;
    for (guint i = 0; mdb->catalog && i < mdb->catalog->len; ++i) {
        auto* e = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (e->object_type == MDB_TABLE && name == e->object_name) {
            entry = e;
            break;
        }
    }
    if (!entry)
        throw EngineErrors::make(err::UnknownObject, file.source(),
                                 fmt::format("The Microsoft Access database engine cannot find the input "
                                             "table or query '{}'.",
                                             name));
    if (entry->table_pg == 0 || entry->table_pg >= file.header().pageCount)
        throw EngineErrors::make(err::UnrecognisedFormat, file.source(),
                                 fmt::format("Unrecognized database format '{}': the definition of table "
                                             "'{}' lies outside the file.",
                                             file.path(), name));
    mTable = mdb_read_table(entry);
    if (mTable) file.checkDefinition(mTable);
    if (!mTable || !mdb_read_columns(mTable)) {
        file.checkIntact();
        throw EngineErrors::make(err::UnrecognisedFormat, file.source(),
                                 fmt::format("Unrecognized database format '{}': the definition of table "
                                             "'{}' is damaged.",
                                             file.path(), name));
    }
    mdb_read_indices(mTable);
    file.checkPagesPresent(mTable);

    if (mTable->props) collect(mTable->props->hash, mProperties);
    const bool jet3 = file.header().version == 0;
    for (std::size_t i = 0; i < mTable->num_cols; ++i) {
        MdbColumn* c = columnAt(mTable, i);
        MdbColumnInfo info;
        info.name = c->name;
        if (c->props) collect(c->props->hash, info.properties);
        const auto mv = info.properties.find("AllowMultipleValues");
        info.precision = c->col_prec;
        info.scale = c->col_scale;
        info.type = MdbColumnType::from(c->col_type, c->col_size, c->col_prec, c->col_scale, jet3,
                                        mv != info.properties.end() && mv->second == "yes");
        // libmdb marks complex columns as auto-increment; only numbers can be.
        info.autoIncrement = (c->is_long_auto || c->is_uuid_auto) && !info.type.complex;
        mColumns.push_back(std::move(info));
    }
    for (guint i = 0; mTable->indices && i < mTable->indices->len; ++i) {
        auto* x = static_cast<MdbIndex*>(g_ptr_array_index(mTable->indices, i));
        MdbIndexInfo info;
        info.name = x->name;
        info.primary = x->index_type == 1;
        info.foreign = x->index_type == 2;
        info.unique = (x->flags & MDB_IDX_UNIQUE) != 0 || info.primary;
        for (unsigned k = 0; k < x->num_keys && k < MDB_MAX_IDX_COLS; ++k) {
            // libmdb has already turned the file's column numbers (with gaps where columns were
            // deleted) into 1-based positions in the column list.
            const int position = x->key_col_num[k] - 1;
            if (position >= 0 && static_cast<std::size_t>(position) < mColumns.size())
                info.columns.push_back(mColumns[static_cast<std::size_t>(position)].name);
        }
        mIndexes.push_back(std::move(info));
    }
}

MdbTable::~MdbTable() {
    if (mTable) mdb_free_tabledef(mTable);
}

long long MdbTable::storedRowCount() const {
    return mTable->num_rows;
}

Variant MdbTable::decode(std::size_t column, int start, int size, bool null) const {
    const MdbColumnInfo& info = mColumns[column];
    MdbHandle* mdb = mFile.handle();
    const int code = info.type.code;
    if (code == MDB_BOOL) return Variant(!null); // the null bit is the value
    if (null) return Variant::null();
    const std::size_t pageSize = mFile.header().pageSize;
    if (start < 0 || size < 0 || static_cast<std::size_t>(start) + static_cast<std::size_t>(size) > pageSize)
        throw EngineErrors::make(err::UnrecognisedFormat, mFile.source(),
                                 fmt::format("Unrecognized database format '{}': a row of table '{}' is "
                                             "damaged.",
                                             mFile.path(), mName));
    const unsigned char* p = mdb->pg_buf + start;
    auto needs = [&](int bytes) {
        if (size < bytes)
            throw EngineErrors::make(err::UnrecognisedFormat, mFile.source(),
                                     fmt::format("Unrecognized database format '{}': a value of '{}.{}' is "
                                                 "damaged.",
                                                 mFile.path(), mName, info.name));
    };
    switch (code) {
    case MDB_BYTE:
        needs(1);
        return Variant::byteValue(p[0]);
    case MDB_INT:
        needs(2);
        return Variant::integer(readAt<std::int16_t>(p));
    case MDB_LONGINT:
        needs(4);
        return Variant::longValue(readAt<std::int32_t>(p));
    case mdbtype::BigInt:
        needs(8);
        return Variant(static_cast<std::int64_t>(readAt<std::int64_t>(p)));
    case MDB_MONEY:
        needs(8);
        return Variant(Currency{readAt<std::int64_t>(p)});
    case MDB_FLOAT:
        needs(4);
        return Variant::single(readAt<float>(p));
    case MDB_DOUBLE:
        needs(8);
        return Variant(readAt<double>(p));
    case MDB_DATETIME:
        needs(8);
        return Variant(OleDate{readAt<double>(p)});
    case MDB_REPID:
        needs(16);
        return Variant(takeString(mdb_uuid_to_string(mdb->pg_buf, start)));
    case MDB_NUMERIC: {
        needs(17);
        const std::string text = takeString(mdb_numeric_to_string(mdb, start, info.scale, info.precision));
        return Variant::decimal(std::strtod(text.c_str(), nullptr));
    }
    case MDB_MEMO:
        mFile.checkLongValue(p, size, mName + "." + info.name);
        return Variant(takeString(mdb_col_to_string(mdb, mdb->pg_buf, start, code, size)));
    case MDB_TEXT:
        return Variant(takeString(mdb_col_to_string(mdb, mdb->pg_buf, start, code, size)));
    case MDB_BINARY:
        return Variant(Binary(p, p + size));
    case MDB_OLE: {
        mFile.checkLongValue(p, size, mName + "." + info.name);
        // libmdb reads long binaries through the column's bound buffer: lend it one for the call.
        MdbColumn* c = columnAt(mTable, column);
        std::vector<unsigned char> bound(std::max<std::size_t>(mdb->bind_size, MDB_BIND_SIZE));
        std::memcpy(bound.data(), p, MDB_MEMO_OVERHEAD);
        c->bind_ptr = bound.data();
        c->cur_value_start = start;
        c->cur_value_len = size;
        std::size_t length = 0;
        void* data = mdb_ole_read_full(mdb, c, &length);
        c->bind_ptr = nullptr;
        Binary out;
        if (data) out.assign(static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + length);
        g_free(data);
        return Variant(std::move(out));
    }
    case MDB_COMPLEX:
        return Variant(info.type.declared == "ATTACHMENT" ? std::string("(attachment)")
                                                          : std::string("(multiple values)"));
    default:
        return Variant(std::string(reinterpret_cast<const char*>(p), static_cast<std::size_t>(size)));
    }
}

void MdbTable::readRows(const std::function<bool(const std::vector<Variant>&)>& onRow) const {
    MdbHandle* mdb = mFile.handle();
    mdb_rewind_table(mTable);
    std::vector<MdbField> fields(mTable->num_cols + 1);
    std::vector<Variant> values(mTable->num_cols);
    // A page holds at most one row per four bytes: a bound no damaged row count can lift.
    const std::uint64_t limit = mFile.header().pageCount * (mFile.header().pageSize / 4);
    std::uint64_t seen = 0;
    while (mdb_fetch_row(mTable)) {
        mFile.checkIntact();
        if (++seen > limit) break;
        int start = 0;
        std::size_t length = 0;
        // mdb_fetch_row has cracked row cur_row - 1 of the page in pg_buf; crack it again to see
        // its nulls, which libmdb's bound values do not tell apart from empty text.
        if (mdb_find_row(mdb, static_cast<int>(mTable->cur_row) - 1, &start, &length) != 0) continue;
        start &= OffsetMask;
        if (mdb_crack_row(mTable, start, length, fields.data()) < 0) continue;
        for (std::size_t c = 0; c < mTable->num_cols; ++c)
            values[c] = decode(c, fields[c].start, fields[c].siz, fields[c].is_null != 0);
        if (!onRow(values)) break;
    }
    mFile.checkIntact();
}

} // namespace qv::engine
