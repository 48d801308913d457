// Each statement runs over its own in-memory copy of the tables it names, so a record set never
// holds the file and a statement sees the file as it is now; the file is opened only once, with
// the connection.
#include "engines/mdb/MdbAdoConnection.h"

#include "engines/mdb/MdbRecordsets.h"
#include "engines/sqlite/DatabaseFileKind.h"
#include "engines/sqlite/EngineErrors.h"
#include "engines/sqlite/SqlDialect.h"
#include "engines/sqlite/WorkgroupFile.h"
#include "platform/ConnectionString.h"

namespace qv::engine {

namespace {
const char* const Source = "ADODB.Connection";
constexpr std::int32_t ObjectOpen = 3705;
} // namespace

void MdbAdoConnection::open(const std::string& connectionString, int options) {
    if (mAccess) throw NumberedError(ObjectOpen, Source, "Operation is not allowed when the object is open.");
    if (!connectionString.empty()) setConnectionString(connectionString);
    const auto cs = ConnectionString::parse(this->connectionString());
    const std::string path = cs.database();
    if (path.empty() || DatabaseFileKind::of(path) != DatabaseFileKind::Kind::Access) {
        AdoConnection::open(std::string(), options);
        return;
    }
    if (AdoConnection::state() != 0)
        throw NumberedError(ObjectOpen, Source, "Operation is not allowed when the object is open.");
    try {
        if (!cs.systemDb().empty())
            WorkgroupFile::verify(cs.systemDb(), cs.user().empty() ? "Admin" : cs.user(), cs.password(),
                                  Source);
        mAccess = MdbCatalogue::open(path, {cs.password(), Source});
    } catch (const NumberedError& e) {
        throw NumberedError(err::AdoOpenRefused, Source, e.description());
    }
}

void MdbAdoConnection::close() {
    if (!mAccess) {
        AdoConnection::close();
        return;
    }
    mAccess.reset();
}

DialectStatement MdbAdoConnection::translate(std::string_view sql) const {
    if (!mAccess) return AdoConnection::translate(sql);
    return SqlDialect::translate(MdbRecordsets::expandCrosstab(*mAccess, std::string(sql)));
}

std::string MdbAdoConnection::savedQueryText(const std::string& name, const std::string& source) const {
    if (!mAccess) return AdoConnection::savedQueryText(name, source);
    return MdbRecordsets::savedQueryText(*mAccess, name);
}

AdoRecordsetPtr MdbAdoConnection::run(const DialectStatement& statement, const std::vector<Binding>& values,
                                      long long* recordsAffected, const std::string& source) {
    if (!mAccess) return AdoConnection::run(statement, values, recordsAffected, source);
    if (statement.kind != accesssql::StatementKind::Select) MdbRecordsets::refuseWriting(*mAccess);
    const SqliteConnection db = MdbRecordsets::copyFor(*mAccess, statement.sql);
    return runOn(db.ref(), statement, values, recordsAffected, source);
}

} // namespace qv::engine
