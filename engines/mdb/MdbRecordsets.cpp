#include "engines/mdb/MdbRecordsets.h"

#include "engines/accesssql/AccessSqlErrors.h"
#include "engines/accesssql/Crosstab.h"
#include "engines/mdb/MdbImport.h"
#include "engines/sqlite/EngineErrors.h"
#include "engines/sqlite/SqlDialect.h"
#include "engines/sqlite/Statement.h"
#include "platform/engine/DaoConstants.h"
#include "sqlite/SqliteConnection.h"

#include <algorithm>
#include <fmt/format.h>
#include <glib.h>

#include <memory>

namespace qv::engine {

namespace {

std::string quotedName(const std::string& name) {
    std::string out = "\"";
    for (char c : name)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

// The copies live in the plain library's memory: an Access file is never encrypted with SQLCipher.
SqliteConnection inMemory(const std::string& source) {
    SqliteConnection db;
    if (const int rc = db.open(SqliteApi::plain(), ":memory:", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        rc != SQLITE_OK)
        throw EngineErrors::fromSqlite(SqliteRef{&SqliteApi::plain(), nullptr}, rc, source);
    return db;
}

// Copies the tables the text names and makes views of the saved queries it names, those a view
// names first. A name that merely occurs inside another word costs an unneeded copy, not a
// wrong result.
void provide(const MdbCatalogue& catalogue, const std::string& sql, const SqliteConnection& db,
             std::vector<std::string>& done, int depth) {
    const std::string& source = catalogue.file().source();
    if (depth > 32)
        throw EngineErrors::make(err::ErrorsInCommand, source,
                                 "Saved queries refer to each other in a circle.");
    for (const auto& t : catalogue.tables()) {
        if ((t.attributes & dao::SystemObject) || !MdbCatalogue::mentions(sql, t.name)) continue;
        if (std::find(done.begin(), done.end(), t.name) != done.end()) continue;
        done.push_back(t.name);
        MdbImport::copyTable(catalogue, t.name, db.ref());
    }
    for (const auto& q : catalogue.queryDefs()) {
        if (!MdbCatalogue::mentions(sql, q->name()) ||
            std::find(done.begin(), done.end(), q->name()) != done.end())
            continue;
        if (q->type() != dao::QuerySelect && q->type() != dao::QuerySetOperation) continue;
        done.push_back(q->name());
        provide(catalogue, q->sql(), db, done, depth + 1);
        const auto translated = SqlDialect::translate(q->sql());
        if (!translated.parameters.empty()) continue; // a parameter query is no view
        std::string body = translated.sql;
        while (!body.empty() && (body.back() == ';' || g_ascii_isspace(body.back())))
            body.pop_back();
        Statement::execute(db.ref(), "CREATE TEMP VIEW " + quotedName(q->name()) + " AS " + body, source);
    }
}

} // namespace

void MdbRecordsets::refuseWriting(const MdbCatalogue& catalogue) {
    const std::string& path = catalogue.file().path();
    throw EngineErrors::make(
        err::ReadOnlyDatabase, catalogue.file().source(),
        fmt::format("Cannot update. '{}' is an Access file, which Quorvel reads but never "
                    "changes; save a copy as SQLite to edit it.",
                    path.substr(path.find_last_of('/') + 1)));
}

std::string MdbRecordsets::savedQueryText(const MdbCatalogue& catalogue, const std::string& name) {
    const std::string& source = catalogue.file().source();
    auto saved = catalogue.queryDef(name);
    if (!saved)
        throw EngineErrors::make(err::UnknownObject, source,
                                 fmt::format("The database engine cannot find the input table or query '{}'. "
                                             "Make sure it exists and that its name is spelled correctly.",
                                             name));
    // Its text is meant for the ODBC server it names, not for these tables.
    if (saved->type() == dao::QuerySQLPassThrough)
        throw EngineErrors::make(err::ErrorsInCommand, source,
                                 fmt::format("'{}' is a pass-through query for an ODBC data source, which "
                                             "Quorvel cannot reach.",
                                             saved->name()));
    return saved->sql();
}

SqliteConnection MdbRecordsets::copyFor(const MdbCatalogue& catalogue, const std::string& sql) {
    SqliteConnection db = inMemory(catalogue.file().source());
    SqlDialect::prepareConnection(db.ref());
    std::vector<std::string> done;
    provide(catalogue, sql, db, done, 0);
    return db;
}

std::string MdbRecordsets::expandCrosstab(const MdbCatalogue& catalogue, const std::string& sql) {
    const auto crosstab = accesssql::Crosstab::parse(sql);
    if (!crosstab || crosstab->hasFixedHeadings()) return sql;
    const std::string& source = catalogue.file().source();
    // No rows, no headings: the row columns alone, as Access shows an empty crosstab.
    return crosstab->expand(crosstab->listHeadings(source, [&](const std::string& headings, const auto& add) {
        const SqliteConnection db = copyFor(catalogue, sql);
        Statement statement(db.ref(), headings, source);
        while (statement.step())
            add(statement.value(0));
    }));
}

std::shared_ptr<ColumnarRecordset> MdbRecordsets::query(const MdbCatalogue& catalogue,
                                                        const std::string& text) {
    const std::string& source = catalogue.file().source();
    const std::string sql =
        expandCrosstab(catalogue, catalogue.queryDef(text) ? savedQueryText(catalogue, text) : text);
    const auto translated = SqlDialect::translate(sql);
    if (translated.kind != accesssql::StatementKind::Select) refuseWriting(catalogue);
    if (!translated.parameters.empty())
        throw EngineErrors::make(3708, source,
                                 fmt::format("Parameter '{}' has no value.", translated.parameters[0].name));
    const SqliteConnection db = copyFor(catalogue, sql);
    const Statement statement(db.ref(), translated.sql, source);
    return ColumnarRecordset::load(statement, source);
}

std::shared_ptr<ColumnarRecordset> MdbRecordsets::table(const MdbCatalogue& catalogue,
                                                        const std::string& name) {
    const std::string& source = catalogue.file().source();
    const SqliteConnection db = inMemory(source);
    MdbImport::copyTable(catalogue, name, db.ref());
    const MdbObjectInfo* info = catalogue.findTable(name);
    std::string sql = "SELECT * FROM \"";
    for (char c : info->name)
        sql += c == '"' ? std::string("\"\"") : std::string(1, c);
    sql += "\"";
    const Statement statement(db.ref(), sql, source);
    return ColumnarRecordset::load(statement, source);
}

} // namespace qv::engine
