#pragma once
// SQLite files for tests that run the product against a real database: one made from SQL text
// with the plain SQLite library (as the sqlite3 shell makes it), the demo database of samples/
// made as samples/build-demo makes it, and a value read back with SQLite itself, past the engine.
#include "engines/sqlite/MetadataStore.h"
#include "engines/sqlite/SqliteHandle.h"
#include "platform/Variant.h"
#include "sqlite/SqliteConnection.h"
#include "sqlite/SqliteStatement.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace qv::test {

// Relative to the repository root, where the tests run.
inline constexpr const char* DemoSql = "samples/demo.sql";
inline constexpr const char* DemoMetadata = "samples/demo-metadata.txt";

inline bool demoSamplesPresent() {
    return std::filesystem::exists(DemoSql) && std::filesystem::exists(DemoMetadata);
}

// A new file at path with what sql makes; a failure fails the test.
inline void createDatabase(const std::string& path, const std::string& sql) {
    SqliteConnection db;
    ASSERT_EQ(db.open(SqliteApi::plain(), path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE), SQLITE_OK)
        << path << ": " << db.lastOpenError();
    ASSERT_EQ(db.execStatus(sql), SQLITE_OK) << path << ": " << db.lib().errmsg(db.get());
}

// The first column of the first row sql answers, as text: "<none>" for no row or NULL,
// "<error>" when the statement fails.
inline std::string readBack(const std::string& path, const std::string& sql) {
    SqliteConnection db;
    if (db.open(SqliteApi::plain(), path, SQLITE_OPEN_READONLY) != SQLITE_OK) return "<error>";
    SqliteStatement q(db.ref(), sql);
    if (!q.ok()) return "<error>";
    if (q.step() != SQLITE_ROW || q.lib().column_type(q.get(), 0) == SQLITE_NULL) return "<none>";
    return q.text(0);
}

// The metadata lines of samples/ (saved queries, field properties, relation names), written with
// the engine's own writers, those quorvel-db uses.
inline void applyDemoMetadata(const std::string& dbPath, std::istream& lines) {
    auto split = [](const std::string& line) {
        std::vector<std::string> out;
        std::string part;
        std::istringstream in(line);
        while (std::getline(in, part, '|'))
            out.push_back(part);
        return out;
    };
    auto handle = engine::SqliteHandle::open(dbPath, engine::SqliteHandle::Options{});
    engine::MetadataStore store(handle->db());
    handle->exec("BEGIN", "test"); // one write to disk instead of one per line
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#') continue;
        const auto a = split(line);
        ASSERT_GE(a.size(), 3u) << line;
        if (a[0] == "set-property") {
            ASSERT_GE(a.size(), 5u) << line;
            const std::string type = a.size() > 5 ? a[5] : "text";
            Variant v(a[4]);
            if (type == "long") v = Variant::longValue(Variant(a[4]).toInt32());
            if (type == "bool") v = Variant(Variant(a[4]).toBool());
            store.setProperty(a[1], a[2], a[3], v);
        } else if (a[0] == "save-query") {
            store.saveQuery(a[1], a[2]);
        } else if (a[0] == "name-relation") {
            ASSERT_EQ(a.size(), 5u) << line;
            store.setRelationName({a[1], a[2], a[3], a[4]});
        } else {
            FAIL() << "unknown command in " << DemoMetadata << ": " << line;
        }
    }
    handle->exec("COMMIT", "test");
}

// The demo database at path: schema and rows, then its metadata.
inline void buildDemoDatabase(const std::string& path) {
    std::ifstream sqlFile(DemoSql);
    std::stringstream sql;
    sql << sqlFile.rdbuf();
    createDatabase(path, sql.str());
    if (::testing::Test::HasFatalFailure()) return;
    std::ifstream metadata(DemoMetadata);
    applyDemoMetadata(path, metadata);
}

} // namespace qv::test
