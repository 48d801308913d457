// Loading is the hot path of every form and result sheet: one pass over the statement, each
// cell appended straight into its column.
#include "engines/sqlite/ColumnarRecordset.h"

#include "engines/sqlite/EngineErrors.h"
#include "engines/sqlite/RecordsetField.h"
#include "platform/TextUtil.h"

#include <cctype>
#include <fmt/format.h>
#include <sqlite3.h>

namespace qv::engine {

namespace {
constexpr long long ProgressStride = 4096;
const char* const Source = "ADODB.Recordset";

} // namespace

std::shared_ptr<ColumnarRecordset> ColumnarRecordset::closedSet() {
    return std::make_shared<ColumnarRecordset>();
}

std::shared_ptr<ColumnarRecordset> ColumnarRecordset::load(const Statement& statement,
                                                           const std::string& source, IProgress* progress) {
    const SqliteApi& lib = statement.lib();
    sqlite3_stmt* st = statement.get();
    auto rs = std::make_shared<ColumnarRecordset>();
    const int n = lib.column_count(st);
    std::vector<bool> inferred(static_cast<std::size_t>(n), false);
    rs->mColumns.reserve(static_cast<std::size_t>(n));
    for (int c = 0; c < n; ++c) {
        const char* decl = lib.column_decltype(st, c);
        const char* name = lib.column_name(st, c);
        inferred[static_cast<std::size_t>(c)] = decl == nullptr || *decl == '\0';
        rs->mColumns.emplace_back(name ? name : "", TypeMapping::fromDeclared(decl ? decl : ""));
    }
    bool anyInferred = false;
    for (bool b : inferred)
        anyInferred = anyInferred || b;

    RecordsetColumn* cols = rs->mColumns.data();
    long long rows = 0;
    int rc;
    while ((rc = lib.step(st)) == SQLITE_ROW) {
        if (anyInferred) {
            // An expression column takes its type from its first non-null value.
            anyInferred = false;
            for (int c = 0; c < n; ++c) {
                if (!inferred[static_cast<std::size_t>(c)]) continue;
                const int t = lib.column_type(st, c);
                if (t == SQLITE_NULL) {
                    anyInferred = true;
                    continue;
                }
                cols[c].setType(TypeMapping::fromStorageClass(t));
                inferred[static_cast<std::size_t>(c)] = false;
            }
        }
        RecordsetColumn::appendRow(lib, st, cols, n);
        ++rows;
        // The total is unknown until the last step; asking every few thousand rows keeps the
        // watcher's cost out of the fetch.
        if (progress && (rows & (ProgressStride - 1)) == 0) {
            if (progress->Cancelled())
                throw NumberedError(ProgressCancelled, source, "The load was cancelled.");
            progress->Report(-1.0, fmt::format("{} rows", rows));
        }
    }
    if (rc != SQLITE_DONE) throw EngineErrors::fromSqlite(statement.connection(), rc, source);
    for (auto& col : rs->mColumns)
        col.finish();
    rs->mRows = rows;
    rs->mOpen = true;
    return rs;
}

void ColumnarRecordset::requireOpen() const {
    if (!mOpen) throw ErrorCatalogue::make(err::ObjectClosed, Source);
}

int ColumnarRecordset::state() const {
    return mOpen ? 1 : 0;
}

void ColumnarRecordset::close() {
    requireOpen();
    mOpen = false;
    mColumns.clear();
    mRows = 0;
    mPosition = 0;
}

long long ColumnarRecordset::recordCount() const {
    requireOpen();
    return mRows;
}

bool ColumnarRecordset::eof() const {
    requireOpen();
    return mPosition >= mRows;
}

bool ColumnarRecordset::bof() const {
    requireOpen();
    return mRows == 0;
}

void ColumnarRecordset::moveFirst() {
    requireOpen();
    mPosition = 0;
}

void ColumnarRecordset::moveNext() {
    requireOpen();
    if (mPosition >= mRows) {
        throw ErrorCatalogue::make(err::NoCurrentRecord, Source);
    }
    ++mPosition;
}

long long ColumnarRecordset::absolutePosition() const {
    requireOpen();
    return mPosition < mRows ? mPosition + 1 : 0;
}

long ColumnarRecordset::fieldCount() const {
    requireOpen();
    return static_cast<long>(mColumns.size());
}

std::shared_ptr<IAdoField> ColumnarRecordset::field(long index) const {
    requireOpen();
    if (index < 0 || index >= static_cast<long>(mColumns.size()))
        throw EngineErrors::itemNotFound(Source, std::to_string(index));
    return std::make_shared<RecordsetField>(shared_from_this(), index);
}

std::shared_ptr<IAdoField> ColumnarRecordset::field(const std::string& name) const {
    requireOpen();
    for (std::size_t i = 0; i < mColumns.size(); ++i) {
        if (TextUtil::equalsIgnoreCase(mColumns[i].name(), name))
            return std::make_shared<RecordsetField>(shared_from_this(), static_cast<long>(i));
    }
    throw EngineErrors::itemNotFound(Source, name);
}

Variant ColumnarRecordset::valueAt(long long row, long column) const {
    requireOpen();
    if (row < 0 || row >= mRows || column < 0 || column >= static_cast<long>(mColumns.size()))
        throw ErrorCatalogue::make(err::SubscriptOutOfRange, Source);
    return mColumns[static_cast<std::size_t>(column)].valueAt(static_cast<std::size_t>(row));
}

void ColumnarRecordset::readColumn(long column, long long firstRow, std::size_t count,
                                   ColumnCell* out) const {
    requireOpen();
    if (column < 0 || column >= static_cast<long>(mColumns.size()) || firstRow < 0 ||
        static_cast<unsigned long long>(firstRow) + count > static_cast<unsigned long long>(mRows))
        throw ErrorCatalogue::make(err::SubscriptOutOfRange, Source);
    mColumns[static_cast<std::size_t>(column)].readCells(static_cast<std::size_t>(firstRow), count, out);
}

ColumnTextStorage ColumnarRecordset::sharedText(long column) const {
    requireOpen();
    if (column < 0 || column >= static_cast<long>(mColumns.size()))
        throw ErrorCatalogue::make(err::SubscriptOutOfRange, Source);
    return mColumns[static_cast<std::size_t>(column)].sharedText();
}

Variant ColumnarRecordset::currentValue(long column) const {
    requireOpen();
    if (mPosition >= mRows) {
        throw ErrorCatalogue::make(err::NoCurrentRecord, Source);
    }
    return mColumns[static_cast<std::size_t>(column)].valueAt(static_cast<std::size_t>(mPosition));
}

std::size_t ColumnarRecordset::bytesUsed() const {
    std::size_t total = 0;
    for (const auto& c : mColumns)
        total += c.bytesUsed();
    return total;
}

} // namespace qv::engine
