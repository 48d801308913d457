// Growth is explicit (ensure/reserve) so a bulk copy sizes its columns once.
#include "spreadsheet/model/ColumnStore.h"

#include <algorithm>

namespace qv::sheet {

void ColumnStore::reserve(long rows) {
    if (rows <= 0 || static_cast<std::size_t>(rows) <= mKinds.capacity()) return;
    mKinds.reserve(rows);
    mPayload.reserve(rows);
    mStyles.reserve(rows);
}

void ColumnStore::ensure(long rows) {
    if (rows <= length()) return;
    if (static_cast<std::size_t>(rows) > mKinds.capacity()) {
        // Grow by half again, not double: million-row columns should not carry a million spare.
        std::size_t cap = std::max<std::size_t>(rows, mKinds.capacity() + mKinds.capacity() / 2);
        reserve(static_cast<long>(cap));
    }
    mKinds.resize(rows, static_cast<std::uint8_t>(CellKind::Empty));
    mPayload.resize(rows, 0);
    mStyles.resize(rows, InheritStyle);
}

void ColumnStore::insertRows(long at, long count) {
    // Rows inserted right below the last stored row still take its format.
    if (at > length() + 1 || (at == length() + 1 && at == 1)) return;
    std::uint32_t above = at > 1 ? mStyles[at - 2] : InheritStyle;
    mKinds.insert(mKinds.begin() + (at - 1), count, static_cast<std::uint8_t>(CellKind::Empty));
    mPayload.insert(mPayload.begin() + (at - 1), count, 0);
    mStyles.insert(mStyles.begin() + (at - 1), count, above);
}

void ColumnStore::deleteRows(long first, long count) {
    if (first > length()) return;
    long last = std::min(length(), first + count - 1);
    mKinds.erase(mKinds.begin() + (first - 1), mKinds.begin() + last);
    mPayload.erase(mPayload.begin() + (first - 1), mPayload.begin() + last);
    mStyles.erase(mStyles.begin() + (first - 1), mStyles.begin() + last);
}

long ColumnStore::firstUsedRow() const {
    for (long i = 0; i < length(); ++i)
        if (mKinds[i] != static_cast<std::uint8_t>(CellKind::Empty) || mStyles[i] != InheritStyle)
            return i + 1;
    return 0;
}

long ColumnStore::lastUsedRow() const {
    for (long i = length(); i > 0; --i)
        if (mKinds[i - 1] != static_cast<std::uint8_t>(CellKind::Empty) || mStyles[i - 1] != InheritStyle)
            return i;
    return 0;
}

} // namespace qv::sheet
