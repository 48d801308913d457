#include "engines/mdb/MdbConvert.h"

#include "engines/accesssql/SqlQuote.h"
#include "engines/mdb/MdbFieldProperties.h"
#include "engines/mdb/MdbImport.h"
#include "engines/mdb/MdbTable.h"
#include "engines/sqlite/EngineErrors.h"
#include "engines/sqlite/MetadataStore.h"
#include "engines/sqlite/Statement.h"
#include "platform/engine/DaoConstants.h"
#include "sqlite/SqliteConnection.h"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <fmt/format.h>
#include <memory>
#include <stdio.h>
#include <unistd.h>

namespace qv::engine {

namespace {

// SQLite's own quoting of a name, as the dialect translator writes it.
std::string quoted(const std::string& name) {
    return accesssql::SqlQuote::identifier(name);
}

// The properties the SQLite engine answers by itself from the table's declaration.
bool builtIn(const std::string& name) {
    return name == "Name" || name == "Type" || name == "Size" || name == "Attributes" ||
           name == "OrdinalPosition";
}

void copyMetadata(const MdbCatalogue& catalogue, const MdbObjectInfo& info, MetadataStore& store,
                  MdbConvertReport& report) {
    std::unique_ptr<MdbCatalogue> linked;
    const MdbCatalogue* owner = &catalogue;
    std::string stored = info.name;
    if (info.attributes & dao::AttachedTable) {
        linked = MdbCatalogue::open(catalogue.linkTarget(info), {{}, catalogue.file().source()});
        owner = linked.get();
        stored = info.foreignName;
    }
    MdbTable table(owner->file(), stored);
    for (const auto& p : MdbFieldProperties::properties(table.properties())) {
        store.setProperty(info.name, "", p->name(), p->value());
        ++report.properties;
    }
    for (const auto& column : table.columns())
        for (const auto& p : MdbFieldProperties::properties(column.properties)) {
            if (builtIn(p->name())) continue;
            store.setProperty(info.name, column.name, p->name(), p->value());
            ++report.properties;
        }
}

} // namespace

MdbConvertReport MdbConvert::toSqlite(const MdbCatalogue& catalogue, const std::string& target) {
    const std::string& source = catalogue.file().source();
    std::error_code ec;
    if (std::filesystem::exists(target, ec))
        throw EngineErrors::make(err::ReadOnlyDatabase, source,
                                 fmt::format("'{}' already exists; choose a new file for the copy.", target));
    const std::string partial = fmt::format("{}.partial-{}", target, ::getpid());
    std::filesystem::remove(partial, ec);
    MdbConvertReport report;
    try {
        // The copy is a plain file, written by the linked SQLite.
        SqliteConnection db;
        if (const int rc = db.open(SqliteApi::plain(), partial, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
            rc != SQLITE_OK)
            throw EngineErrors::fromSqlite(SqliteRef{&SqliteApi::plain(), nullptr}, rc, source);
        Statement::execute(db.ref(), "BEGIN", source);
        for (const auto& info : catalogue.tables()) {
            if (info.attributes & (dao::SystemObject | dao::HiddenObject)) continue;
            MdbImport::copyTable(catalogue, info.name, db.ref(), true);
            ++report.tables;
            Statement count(db.ref(), "SELECT count(*) FROM " + quoted(info.name), source);
            if (count.step()) report.rows += count.integer(0);
        }
        // Secondary indexes (the primary key is part of each table; the indexes Access makes
        // for relations are the foreign keys').
        for (const auto& info : catalogue.tables()) {
            if (info.attributes & (dao::SystemObject | dao::HiddenObject | dao::AttachedTable)) continue;
            MdbTable table(catalogue.file(), info.name);
            // Access indexes a complex column by its hidden value ids; the copy holds a stand-in
            // text there, which no index can tell apart.
            auto complex = [&](const std::string& column) {
                for (const auto& c : table.columns())
                    if (c.name == column) return c.type.complex;
                return false;
            };
            for (const auto& x : table.indexes()) {
                if (x.primary || x.foreign || x.columns.empty()) continue;
                if (std::any_of(x.columns.begin(), x.columns.end(), complex)) continue;
                std::string columns;
                for (const auto& c : x.columns)
                    columns += (columns.empty() ? "" : ", ") + quoted(c);
                Statement::execute(db.ref(),
                                   fmt::format("CREATE {}INDEX {} ON {} ({})", x.unique ? "UNIQUE " : "",
                                               quoted(info.name + "_" + x.name), quoted(info.name), columns),
                                   source);
            }
        }
        MetadataStore store(db.ref());
        for (const auto& info : catalogue.tables())
            if (!(info.attributes & (dao::SystemObject | dao::HiddenObject)))
                copyMetadata(catalogue, info, store, report);
        for (const auto& r : catalogue.relations()) {
            if (!catalogue.findTable(r.table) || !catalogue.findTable(r.foreignTable) || (r.attributes & 2))
                continue;
            std::string columns;
            for (const auto& [referenced, referencing] : r.columns)
                columns += (columns.empty() ? "" : ",") + referencing;
            store.setRelationName({r.foreignTable, r.table, columns, r.name});
            ++report.relations;
        }
        for (const auto& q : catalogue.queryDefs()) {
            // Action queries keep their type; pass-through queries, and crosstab queries whose
            // headings come from the data, have no SQLite form.
            try {
                if (q->type() == dao::QuerySQLPassThrough)
                    throw EngineErrors::make(err::ErrorsInCommand, source,
                                             "this kind of query has no SQLite form.");
                store.saveQuery(q->name(), q->sql(), q->type());
                ++report.queries;
            } catch (const NumberedError& e) {
                report.queriesNotCopied.push_back(q->name() + ": " + e.description());
            }
        }
        Statement::execute(db.ref(), "COMMIT", source);
        db.close();
        // Never over a file that appeared meanwhile.
        if (::renameat2(AT_FDCWD, partial.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0)
            throw EngineErrors::make(err::ReadOnlyDatabase, source,
                                     fmt::format("The copy could not be put in place as '{}'.", target));
    } catch (...) {
        std::filesystem::remove(partial, ec);
        throw;
    }
    return report;
}

} // namespace qv::engine
