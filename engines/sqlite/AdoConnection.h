// The records-and-statements connection ("ADODB.Connection") over an SQLite file named by the
// product's ODBC-style connection string. Statements run through the dialect seam; rows come
// back as client-side record sets that outlive the connection.
#pragma once

#include "engines/sqlite/SqlDialect.h"
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
    void setProgress(IProgress* progress) override { mProgress = progress; }
    AdoRecordsetPtr execute(const std::string& commandText, long long* recordsAffected = nullptr,
                            int options = -1) override;
    void beginTrans() override;
    void commitTrans() override;
    void rollbackTrans() override;

    // A value for one SQLite parameter: by name ("?1", ":p1") or, with an empty name, by position.
    struct Binding {
        std::string name;
        Variant value;
    };
    // Runs one statement already in SQLite's dialect. Raises 3709 when the connection is closed,
    // 3142 for text after the first statement, 3708 when a parameter has no value.
    virtual AdoRecordsetPtr run(const DialectStatement& statement, const std::vector<Binding>& values,
                                long long* recordsAffected, const std::string& source);
    // A statement of the product's dialect in SQLite's, knowing the open database's column types.
    virtual DialectStatement translate(std::string_view sql) const;
    // The text of the saved query of that name (any case); raises 3078 when there is none.
    virtual std::string savedQueryText(const std::string& name, const std::string& source) const;
    // The open file; raises 3709 when closed.
    const SqliteHandlePtr& handle() const;

  protected:
    // Runs the statement on db with the values bound; what run() does once it has a connection.
    static AdoRecordsetPtr runOn(SqliteRef db, const DialectStatement& statement,
                                 const std::vector<Binding>& values, long long* recordsAffected,
                                 const std::string& source, IProgress* progress = nullptr);

  private:
    int mCursorLocation = 2;
    std::string mConnectionString;
    SqliteHandlePtr mHandle;
    IProgress* mProgress = nullptr;
};

} // namespace qv::engine
