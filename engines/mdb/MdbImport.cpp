#include "engines/mdb/MdbImport.h"

#include "engines/accesssql/SqlQuote.h"
#include "engines/mdb/MdbTable.h"
#include "engines/sqlite/EngineErrors.h"
#include "engines/sqlite/Statement.h"
#include "platform/OleDateTime.h"
#include "platform/engine/DaoConstants.h"

#include <algorithm>
#include <fmt/format.h>
#include <memory>

namespace qv::engine {

namespace {

// SQLite's own quoting of a name, as the dialect translator writes it.
std::string quoted(const std::string& name) {
    return accesssql::SqlQuote::identifier(name);
}

int bind(const SqliteApi& lib, sqlite3_stmt* st, int i, const Variant& v, StorageKind storage) {
    if (v.isNull()) return lib.bind_null(st, i);
    switch (v.type()) {
    case VarType::Boolean:
        return lib.bind_int(st, i, v.toBool() ? 1 : 0);
    case VarType::Date: {
        const std::string iso = OleDateTime::toIsoText(v.toDouble());
        return lib.bind_text(st, i, iso.c_str(), static_cast<int>(iso.size()), SQLITE_TRANSIENT);
    }
    case VarType::Currency: {
        // The exact scaled value as text: "12.3456" reads back without a binary fraction.
        const std::int64_t s = v.toCurrency().scaled;
        const std::uint64_t a = s < 0 ? 0 - static_cast<std::uint64_t>(s) : static_cast<std::uint64_t>(s);
        const std::string text = fmt::format("{}{}.{:04}", s < 0 ? "-" : "", a / 10000, a % 10000);
        return lib.bind_text(st, i, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
    case VarType::Single:
    case VarType::Double:
    case VarType::Decimal:
        return lib.bind_double(st, i, v.toDouble());
    case VarType::Binary: {
        const auto& b = v.bytes();
        return lib.bind_blob64(st, i, b.data(), b.size(), SQLITE_TRANSIENT);
    }
    case VarType::String: {
        const std::string s = v.toString();
        return lib.bind_text64(st, i, s.data(), s.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    }
    default:
        if (storage == StorageKind::Text) {
            const std::string s = v.toString();
            return lib.bind_text64(st, i, s.data(), s.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
        }
        return lib.bind_int64(st, i, v.toInt64());
    }
}

} // namespace

std::string MdbImport::createStatement(const MdbCatalogue& catalogue, const MdbTable& table,
                                       const std::string& name, bool withRelations) {
    std::string sql = "CREATE TABLE " + quoted(name) + " (";
    const MdbIndexInfo* primary = nullptr;
    for (const auto& x : table.indexes())
        if (x.primary && !x.columns.empty()) primary = &x;
    bool first = true;
    for (const auto& c : table.columns()) {
        if (!first) sql += ", ";
        first = false;
        sql += quoted(c.name) + " " + c.type.declared;
        // Access never stores a record without its key; SQLite would, unless told.
        if (primary &&
            std::find(primary->columns.begin(), primary->columns.end(), c.name) != primary->columns.end())
            sql += " NOT NULL";
    }
    if (primary) {
        sql += ", PRIMARY KEY (";
        for (std::size_t i = 0; i < primary->columns.size(); ++i)
            sql += (i ? ", " : "") + quoted(primary->columns[i]);
        sql += ")";
    }
    if (withRelations) {
        for (const auto& r : catalogue.relations()) {
            // Relations that Access does not enforce (grbit 2) are no constraint in the copy.
            if (r.foreignTable != name || (r.attributes & 2) != 0 || r.columns.empty()) continue;
            std::string from;
            std::string to;
            for (const auto& [referenced, referencing] : r.columns) {
                from += (from.empty() ? "" : ", ") + quoted(referencing);
                to += (to.empty() ? "" : ", ") + quoted(referenced);
            }
            sql += ", FOREIGN KEY (" + from + ") REFERENCES " + quoted(r.table) + " (" + to + ")";
            if (r.attributes & 0x100) sql += " ON UPDATE CASCADE";
            if (r.attributes & 0x1000) sql += " ON DELETE CASCADE";
        }
    }
    return sql + ")";
}

void MdbImport::copyTable(const MdbCatalogue& catalogue, const std::string& name, SqliteRef db,
                          bool withRelations) {
    const MdbObjectInfo* info = catalogue.findTable(name);
    const std::string& source = catalogue.file().source();
    if (!info)
        throw EngineErrors::make(err::UnknownObject, source,
                                 fmt::format("The Microsoft Access database engine cannot find the input "
                                             "table or query '{}'.",
                                             name));
    std::unique_ptr<MdbCatalogue> linked;
    const MdbCatalogue* owner = &catalogue;
    std::string stored = info->name;
    if (info->attributes & dao::AttachedTable) {
        // Resolves the target (or raises its clear error) the same way the table definition does.
        catalogue.tableDef(info->name);
        linked = MdbCatalogue::open(catalogue.linkTarget(*info), {{}, source});
        owner = linked.get();
        stored = info->foreignName;
    }
    MdbTable table(owner->file(), stored);
    Statement::execute(db, "SAVEPOINT mdb_copy", source);
    try {
        // Relations are the linking file's: a linked table takes them from there.
        std::string create = createStatement(catalogue, table, info->name, withRelations);
        Statement::execute(db, create, source);
        std::string insert = "INSERT INTO " + quoted(info->name) + " VALUES (";
        for (std::size_t i = 0; i < table.columns().size(); ++i)
            insert += i ? ", ?" : "?";
        insert += ")";
        Statement st(db, insert, source);
        const SqliteApi& lib = db.lib();
        table.readRows([&](const std::vector<Variant>& row) {
            for (std::size_t i = 0; i < row.size(); ++i) {
                const int rc = bind(lib, st.get(), static_cast<int>(i + 1), row[i],
                                    table.columns()[i].type.mapped.storage);
                if (rc != SQLITE_OK) throw EngineErrors::fromSqlite(db, rc, source);
            }
            if (const int rc = lib.step(st.get()); rc != SQLITE_DONE)
                throw EngineErrors::fromSqlite(db, rc, source);
            lib.reset(st.get());
            return true;
        });
        Statement::execute(db, "RELEASE mdb_copy", source);
    } catch (...) {
        db.lib().exec(db.db, "ROLLBACK TO mdb_copy; RELEASE mdb_copy", nullptr, nullptr, nullptr);
        throw;
    }
}

} // namespace qv::engine
