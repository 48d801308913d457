// The primary-key values of the shown records as loaded, kept by key column: one value per key
// field and record, no collection per record, so a million-row table does not pay a heap block
// and a copy of the key names for every record. A record without keys (a new row not yet
// written) answers an empty collection.
#pragma once

#include "datasource/KeyedCollection.h"
#include "platform/Variant.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qv {

// The primary-key values of one record as loaded, keyed by key column name, in key order.
using KeyValueCollection = KeyedCollection<Variant>;

class KeyValueTable {
  public:
    // Every record without keys; the key names are the columns later records are set under.
    void reset(std::vector<std::string> keyNames, std::size_t records);
    void clear();
    // Records added at the end have no keys; records cut off lose theirs.
    void resize(std::size_t records);
    std::size_t size() const { return mHasKeys.size(); }
    bool empty() const { return mHasKeys.empty(); }
    // Index is the record number - 1, as for the row states.
    bool hasKeys(std::size_t index) const { return index < mHasKeys.size() && mHasKeys[index] != 0; }
    // Raises 9 outside the records.
    KeyValueCollection operator[](std::size_t index) const;
    KeyValueCollection front() const { return (*this)[0]; }
    KeyValueCollection back() const { return (*this)[size() - 1]; }
    // The value of key column `key` (0-based, key order) of a record; the record then has keys.
    void setValue(std::size_t index, std::size_t key, Variant value);
    // A whole record's keys; an empty collection removes them. A table without key names takes
    // the collection's; a collection of other keys is refused (5) and nothing changes.
    void set(std::size_t index, const KeyValueCollection& values);
    const std::vector<std::string>& keyNames() const { return mNames; }

  private:
    // Whole-number keys of one width (the usual counter) stay plain integers; the first value of
    // another kind turns the column into values.
    struct Column {
        VarType integerType = VarType::Empty; // the width of `integers`; Empty before any value
        bool asValues = false;
        std::vector<std::int64_t> integers;
        std::vector<Variant> values;
    };
    Variant valueOf(const Column& column, std::size_t index) const;
    void store(Column& column, std::size_t index, Variant value);
    void resizeColumn(Column& column, std::size_t records);

    std::vector<std::string> mNames;
    std::vector<Column> mColumns; // one per key, size() values each
    std::vector<std::uint8_t> mHasKeys;
};

} // namespace qv
