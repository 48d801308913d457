// The records-and-statements connection ("ADODB.Connection") over an SQLite file named by the
// product's ODBC-style connection string. Statements run through the dialect seam; rows come
// back as client-side record sets that outlive the connection.
#pragma once

#include "engines/sqlite/SqliteHandle.h"
#include "platform/IObjectFactory.h"
#include "platform/engine/IAdoConnection.h"

#include <vector>

namespace qv::engine {

class AdoConnection : public IAdoConnection, public IObject {
public:
    void setCursorLocation(int location) override { mCursorLocation = location; }
    int cursorLocation() const override { return mCursorLocation; }
    void setConnectionString(const std::string& text) override { mConnectionString = text; }
    std::string connectionString() const override { return mConnectionString; }
    void open(const std::string& connectionString = {}, int options = -1) override;
    int state() const override { return mHandle ? 1 : 0; }
    void close() override;
    AdoRecordsetPtr execute(const std::string& commandText, long long* recordsAffected = nullptr,
                            int options = -1) override;

    // Runs one statement already in SQLite's dialect with positional values ("?1", "?2", ...).
    // Raises 3709 when the connection is closed, 3142 for text after the first statement.
    AdoRecordsetPtr run(const std::string& sqliteSql, const std::vector<Variant>& values, long long* recordsAffected,
                        const std::string& source);
    // The open file; raises 3709 when closed.
    const SqliteHandlePtr& handle() const;

private:
    int mCursorLocation = 2;
    std::string mConnectionString;
    SqliteHandlePtr mHandle;
};

} // namespace qv::engine
