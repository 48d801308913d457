// quorvel-db: keeps what the product reads from a database but SQLite does not store: field
// and table properties, saved queries, relation names, and the accounts of a workgroup file.
// Every change goes through the engine's own metadata writers, so the tool and the engine agree
// on the layout.
#include "engines/mdb/MdbConvert.h"
#include "engines/sqlite/CatalogueReader.h"
#include "engines/sqlite/CipherLibrary.h"
#include "engines/sqlite/MetadataStore.h"
#include "engines/sqlite/SqliteHandle.h"
#include "engines/sqlite/WorkgroupFile.h"
#include "platform/NumberedError.h"

#include <cstdio>
#include <filesystem>
#include <fmt/format.h>
#include <string>
#include <vector>

namespace {

using qv::Variant;
using qv::engine::MetadataStore;
using qv::engine::SqliteHandle;
using qv::engine::WorkgroupFile;

int usage() {
    std::fputs("usage:\n"
               "  quorvel-db DB list\n"
               "  quorvel-db DB set-property TABLE FIELD NAME VALUE [text|long|bool|double]\n"
               "  quorvel-db DB remove-property TABLE FIELD NAME\n"
               "  quorvel-db DB save-query NAME SQL\n"
               "  quorvel-db DB remove-query NAME\n"
               "  quorvel-db DB name-relation FOREIGN_TABLE TABLE COLUMN[,COLUMN...] NAME\n"
               "  quorvel-db DB set-password NEW_PASSWORD [OLD_PASSWORD]\n"
               "  quorvel-db DB remove-password OLD_PASSWORD\n"
               "  quorvel-db WORKGROUP set-account USER PASSWORD\n"
               "  quorvel-db WORKGROUP remove-account USER\n"
               "  quorvel-db WORKGROUP accounts\n"
               "  quorvel-db convert ACCESS_FILE NEW_SQLITE_FILE [PASSWORD]\n"
               "FIELD \"\" addresses a property of the table itself.\n",
               stderr);
    return 2;
}

Variant typedValue(const std::string& text, const std::string& type) {
    if (type == "long") return Variant::longValue(Variant(text).toInt32());
    if (type == "bool") return Variant(Variant(text).toBool());
    if (type == "double") return Variant(Variant(text).toDouble());
    return Variant(text);
}

int run(const std::vector<std::string>& a) {
    if (a.size() < 2) return usage();
    if (a[0] == "convert" && (a.size() == 3 || a.size() == 4)) {
        auto catalogue = qv::engine::MdbCatalogue::open(a[1], {a.size() == 4 ? a[3] : "", "quorvel-db"});
        const auto r = qv::engine::MdbConvert::toSqlite(*catalogue, a[2]);
        std::printf("%ld tables, %lld rows, %ld properties, %ld relations, %ld queries\n", r.tables, r.rows,
                    r.properties, r.relations, r.queries);
        for (const auto& q : r.queriesNotCopied)
            std::printf("query not copied: %s\n", q.c_str());
        return 0;
    }
    const std::string& path = a[0];
    const std::string& command = a[1];
    if (command == "set-account" && a.size() == 4) {
        WorkgroupFile::setAccount(path, a[2], a[3]);
        return 0;
    }
    if (command == "remove-account" && a.size() == 3) return WorkgroupFile::removeAccount(path, a[2]) ? 0 : 1;
    if (command == "accounts" && a.size() == 2) {
        for (const auto& n : WorkgroupFile::accounts(path))
            fmt::print("{}\n", n);
        return 0;
    }
    if ((command == "set-password" && (a.size() == 3 || a.size() == 4)) ||
        (command == "remove-password" && a.size() == 3)) {
        const bool setting = command == "set-password";
        const std::string oldPassword = setting ? (a.size() == 4 ? a[3] : std::string()) : a[2];
        const std::string newPassword = setting ? a[2] : std::string();
        if (setting && newPassword.empty()) return usage();
        // Written beside the database and moved over it, so a failure leaves the original.
        const std::string copy = path + ".qvnew";
        qv::engine::CipherLibrary::exportCopy(path, oldPassword, copy, newPassword);
        std::error_code ec;
        std::filesystem::rename(copy, path, ec);
        if (ec) {
            std::filesystem::remove(copy, ec);
            throw qv::NumberedError(qv::err::PathFileAccess, "quorvel-db",
                                    "The database could not be replaced: " + ec.message());
        }
        return 0;
    }
    const bool reading = command == "list";
    auto handle = SqliteHandle::open(path, SqliteHandle::Options{reading, {}, "quorvel-db"});
    MetadataStore store(handle->db());
    if (reading && a.size() == 2) {
        qv::engine::CatalogueReader reader(handle->db());
        for (const auto& t : reader.tableDefs()) {
            fmt::print("table {}{}\n", t->name(), t->attributes() ? " (system)" : "");
            for (const auto& f : t->fields()) {
                for (const auto& p : f->properties()) {
                    const auto n = p->name();
                    if (n == "Name" || n == "Type" || n == "Size" || n == "Attributes" ||
                        n == "OrdinalPosition" || n == "Required" || n == "AllowZeroLength" ||
                        n == "DefaultValue" || (n == "AppendOnly" && !p->value().toBool()))
                        continue;
                    fmt::print("  {}.{} = {}\n", f->name(), n,
                               p->value().isNull() ? "Null" : p->value().toString());
                }
            }
        }
        for (const auto& q : reader.queryDefs())
            fmt::print("query {} (type {}): {}\n", q->name(), q->type(), q->sql());
        for (const auto& r : reader.relations())
            fmt::print("relation {}: {} -> {}\n", r->name(), r->foreignTable(), r->table());
        return 0;
    }
    if (command == "set-property" && (a.size() == 6 || a.size() == 7)) {
        store.setProperty(a[2], a[3], a[4], typedValue(a[5], a.size() == 7 ? a[6] : "text"));
        return 0;
    }
    if (command == "remove-property" && a.size() == 5) return store.removeProperty(a[2], a[3], a[4]) ? 0 : 1;
    if (command == "save-query" && a.size() == 4) {
        store.saveQuery(a[2], a[3]);
        return 0;
    }
    if (command == "remove-query" && a.size() == 3) return store.removeQuery(a[2]) ? 0 : 1;
    if (command == "name-relation" && a.size() == 6) {
        store.setRelationName({a[2], a[3], a[4], a[5]});
        return 0;
    }
    return usage();
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    try {
        return run(args);
    } catch (const qv::NumberedError& e) {
        std::fprintf(stderr, "quorvel-db: error %d: %s\n", e.number(), e.description().c_str());
        return 1;
    }
}
