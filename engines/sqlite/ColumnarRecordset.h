// A client-side record set: every row is read into typed columns when the statement runs, so
// the record set answers after its connection has closed and bulk readers can take any cell
// directly. A statement that returns no rows answers a closed record set.
#pragma once

#include "platform/IProgress.h"

#include "engines/sqlite/RecordsetColumn.h"
#include "engines/sqlite/Statement.h"
#include "platform/engine/IAdoRecordset.h"
#include "platform/engine/IColumnarRecordset.h"

#include <memory>
#include <vector>

namespace qv::engine {

class ColumnarRecordset : public IAdoRecordset,
                          public IColumnarRecordset,
                          public std::enable_shared_from_this<ColumnarRecordset> {
  public:
    // Steps the prepared statement to its end and keeps every row. Raises the engine's numbered
    // error when a step fails (the statement is left for the caller to finalise).
    static std::shared_ptr<ColumnarRecordset> load(const Statement& st, const std::string& source,
                                                   IProgress* progress = nullptr);
    static std::shared_ptr<ColumnarRecordset> closedSet();

    int state() const override;
    void close() override;
    long long recordCount() const override;
    bool eof() const override;
    bool bof() const override;
    void moveFirst() override;
    void moveNext() override;
    long long absolutePosition() const override;
    long fieldCount() const override;
    std::shared_ptr<IAdoField> field(long index) const override;
    std::shared_ptr<IAdoField> field(const std::string& name) const override;
    Variant valueAt(long long row, long column) const override;
    void readColumn(long column, long long firstRow, std::size_t count, ColumnCell* out) const override;
    ColumnTextStorage sharedText(long column) const override;

    // For the field objects: the value of a column at the cursor.
    Variant currentValue(long column) const;
    const RecordsetColumn& column(long index) const { return mColumns[static_cast<std::size_t>(index)]; }
    std::size_t bytesUsed() const;

  private:
    void requireOpen() const;
    bool mOpen = false;
    long long mRows = 0;
    long long mPosition = 0; // 0-based; == mRows at the end
    std::vector<RecordsetColumn> mColumns;
};

} // namespace qv::engine
