#include "engines/mdb/MdbRecordsets.h"

#include "engines/mdb/MdbImport.h"
#include "engines/sqlite/EngineErrors.h"

#include <memory>
#include <sqlite3.h>

namespace qv::engine {

namespace {
struct DatabaseCloser {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct StatementCloser {
    void operator()(sqlite3_stmt* st) const { sqlite3_finalize(st); }
};
} // namespace

std::shared_ptr<ColumnarRecordset> MdbRecordsets::table(const MdbCatalogue& catalogue,
                                                        const std::string& name) {
    const std::string& source = catalogue.file().source();
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(":memory:", &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    std::unique_ptr<sqlite3, DatabaseCloser> db(raw);
    if (rc != SQLITE_OK) throw EngineErrors::fromSqlite(raw, rc, source);
    MdbImport::copyTable(catalogue, name, db.get());
    const MdbObjectInfo* info = catalogue.findTable(name);
    std::string sql = "SELECT * FROM \"";
    for (char c : info->name)
        sql += c == '"' ? std::string("\"\"") : std::string(1, c);
    sql += "\"";
    sqlite3_stmt* st = nullptr;
    rc = sqlite3_prepare_v2(db.get(), sql.c_str(), -1, &st, nullptr);
    std::unique_ptr<sqlite3_stmt, StatementCloser> statement(st);
    if (rc != SQLITE_OK) throw EngineErrors::fromSqlite(db.get(), rc, source);
    return ColumnarRecordset::load(statement.get(), source);
}

} // namespace qv::engine
