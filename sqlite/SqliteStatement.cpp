// See SqliteStatement.h.
#include "sqlite/SqliteStatement.h"

#include <utility>

namespace qv {

SqliteStatement::SqliteStatement(SqliteRef db, std::string_view sql) : mDb(db) {
    const char* tail = nullptr;
    mStatus = lib().prepare_v2(db.db, sql.data(), static_cast<int>(sql.size()), &mSt, &tail);
    if (mStatus != SQLITE_OK) finalize();
    mTail = tail ? static_cast<std::size_t>(tail - sql.data()) : sql.size();
}

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept
    : mDb(other.mDb), mSt(std::exchange(other.mSt, nullptr)), mStatus(other.mStatus), mTail(other.mTail) {}

SqliteStatement& SqliteStatement::operator=(SqliteStatement&& other) noexcept {
    if (this != &other) {
        finalize();
        mDb = other.mDb;
        mSt = std::exchange(other.mSt, nullptr);
        mStatus = other.mStatus;
        mTail = other.mTail;
    }
    return *this;
}

void SqliteStatement::finalize() {
    if (mSt) lib().finalize(mSt);
    mSt = nullptr;
}

SqliteStatement& SqliteStatement::bind(int index, std::int64_t value) {
    lib().bind_int64(mSt, index, value);
    return *this;
}

SqliteStatement& SqliteStatement::bind(int index, std::string_view text) {
    lib().bind_text(mSt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    return *this;
}

SqliteStatement& SqliteStatement::bindBlob(int index, const void* data, std::size_t size) {
    // A null pointer binds NULL: an empty value would come back as a missing one.
    static const unsigned char none = 0;
    lib().bind_blob(mSt, index, size == 0 ? &none : data, static_cast<int>(size), SQLITE_TRANSIENT);
    return *this;
}

int SqliteStatement::step() {
    if (!mSt) return mStatus != SQLITE_OK ? mStatus : SQLITE_ERROR;
    return lib().step(mSt);
}

std::int64_t SqliteStatement::int64(int column) const {
    return lib().column_int64(mSt, column);
}

std::string SqliteStatement::text(int column) const {
    const auto* p = reinterpret_cast<const char*>(lib().column_text(mSt, column));
    return p ? std::string(p, static_cast<std::size_t>(lib().column_bytes(mSt, column))) : std::string();
}

std::vector<std::uint8_t> SqliteStatement::blob(int column) const {
    const auto* p = static_cast<const std::uint8_t*>(lib().column_blob(mSt, column));
    return p ? std::vector<std::uint8_t>(p, p + lib().column_bytes(mSt, column))
             : std::vector<std::uint8_t>();
}

} // namespace qv
