// Every failure to open is reported as the provider's general failure 0x80004005, as the ODBC
// driver does, with the engine's own description kept, so that the caller's logon handling
// (which keys on that number) sees a refused password the same way.
#include "engines/sqlite/AdoConnection.h"

#include "engines/sqlite/CatalogueReader.h"
#include "engines/sqlite/ColumnarRecordset.h"
#include "engines/sqlite/EngineErrors.h"
#include "engines/sqlite/SqlDialect.h"
#include "engines/sqlite/Statement.h"
#include "engines/sqlite/WorkgroupFile.h"
#include "platform/ConnectionString.h"

#include <cctype>
#include <fmt/format.h>
#include <sqlite3.h>
#include <strings.h>

namespace qv::engine {

namespace {
const char* const Source = "ADODB.Connection";

bool onlyBlanks(const std::string& s) {
    for (char c : s) {
        if (!std::isspace(static_cast<unsigned char>(c)) && c != ';') return false;
    }
    return true;
}
} // namespace

void AdoConnection::open(const std::string& connectionString, int) {
    if (mHandle) throw ErrorCatalogue::make(err::ObjectOpen, Source);
    if (!connectionString.empty()) mConnectionString = connectionString;
    try {
        const auto cs = ConnectionString::parse(mConnectionString);
        const std::string path = cs.database();
        if (path.empty())
            throw NumberedError(err::AdoOpenRefused, Source,
                                "Data source name not found and no default driver specified.");
        if (!cs.systemDb().empty()) {
            const std::string user = cs.user().empty() ? "Admin" : cs.user();
            WorkgroupFile::verify(cs.systemDb(), user, cs.password(), Source);
        }
        SqliteHandle::Options options;
        options.password = cs.password();
        options.source = Source;
        mHandle = SqliteHandle::open(path, options);
    } catch (const NumberedError& e) {
        throw NumberedError(err::AdoOpenRefused, Source, e.description());
    }
}

void AdoConnection::close() {
    if (!mHandle) throw ErrorCatalogue::make(err::ObjectClosed, Source);
    mHandle.reset();
}

const SqliteHandlePtr& AdoConnection::handle() const {
    if (!mHandle) {
        throw ErrorCatalogue::make(err::AdoConnectionNotUsable, Source);
    }
    return mHandle;
}

DialectStatement AdoConnection::translate(std::string_view sql) const {
    return SqlDialect::translate(sql, *handle());
}

std::string AdoConnection::savedQueryText(const std::string& name, const std::string& source) const {
    for (const auto& q : CatalogueReader(handle()->db()).queryDefs()) {
        if (strcasecmp(q->name().c_str(), name.c_str()) == 0) return q->sql();
    }
    throw NumberedError(
        err::UnknownObject, source,
        fmt::format("The database engine cannot find the input table or query '{}'. Make sure it "
                    "exists and that its name is spelled correctly.",
                    name));
}

AdoRecordsetPtr AdoConnection::execute(const std::string& commandText, long long* recordsAffected, int) {
    const DialectStatement st = translate(commandText);
    if (!st.parameters.empty()) {
        throw NumberedError(err::AdoParameterImproperlyDefined, Source,
                            "No value given for one or more required parameters.");
    }
    return run(st, {}, recordsAffected, Source);
}

// The statements run on the connection's own handle, so the file's journal mode and
// synchronous setting stay what its owner chose.
void AdoConnection::beginTrans() {
    Statement st(handle()->db(), "BEGIN", Source);
    st.step();
}

void AdoConnection::commitTrans() {
    Statement st(handle()->db(), "COMMIT", Source);
    st.step();
}

void AdoConnection::rollbackTrans() {
    const SqliteRef db = handle()->db();
    // After some failures SQLite has already rolled back; a second rollback would be an error.
    if (db.lib().get_autocommit(db.db)) return;
    Statement st(db, "ROLLBACK", Source);
    st.step();
}

AdoRecordsetPtr AdoConnection::run(const DialectStatement& statement, const std::vector<Binding>& values,
                                   long long* recordsAffected, const std::string& source) {
    auto rs = runOn(handle()->db(), statement, values, recordsAffected, source, mProgress);
    if (statement.changesSchema()) handle()->schemaTypes().invalidate();
    return rs;
}

AdoRecordsetPtr AdoConnection::runOn(SqliteRef db, const DialectStatement& statement,
                                     const std::vector<Binding>& values, long long* recordsAffected,
                                     const std::string& source, IProgress* progress) {
    const SqliteApi& lib = db.lib();
    Statement st(db, statement.sql, source);
    if (!onlyBlanks(st.tail())) throw ErrorCatalogue::make(err::CharactersAfterEnd, source);
    if (!st.get()) {
        if (recordsAffected) *recordsAffected = 0;
        return ColumnarRecordset::closedSet();
    }
    const int expected = lib.bind_parameter_count(st.get());
    std::vector<bool> bound(static_cast<std::size_t>(expected) + 1, false);
    int position = 0;
    for (const auto& b : values) {
        const int index = b.name.empty() ? ++position : lib.bind_parameter_index(st.get(), b.name.c_str());
        if (index < 1 || index > expected) continue;
        st.bind(index, b.value);
        bound[static_cast<std::size_t>(index)] = true;
    }
    for (int i = 1; i <= expected; ++i) {
        if (!bound[static_cast<std::size_t>(i)]) {
            throw NumberedError(err::AdoParameterImproperlyDefined, source,
                                "No value given for one or more required parameters.");
        }
    }
    if (lib.column_count(st.get()) > 0) {
        auto rs = ColumnarRecordset::load(st, source, progress);
        if (recordsAffected) *recordsAffected = -1;
        return rs;
    }
    const auto before = lib.total_changes(db.db);
    st.step();
    // changes() keeps the count of the last data change: a DDL statement changed nothing. The
    // 32-bit counters are the ones both libraries have; a statement changing more than 2^31
    // rows is far beyond what a sheet holds.
    if (recordsAffected) *recordsAffected = lib.total_changes(db.db) == before ? 0 : lib.changes(db.db);
    return ColumnarRecordset::closedSet();
}

} // namespace qv::engine
