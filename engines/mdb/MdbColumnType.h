// An Access column type code as the product sees it. The codes go through the same declared
// type names as the SQLite engine (TypeMapping), so a column reports the same catalogue and
// record-set codes whether it is read from the Access file or from its SQLite copy.
#pragma once

#include "engines/sqlite/TypeMapping.h"

#include <string>

namespace qv::engine {

// Access type codes beyond those libmdb names.
namespace mdbtype {
constexpr int BigInt = 0x13;
constexpr int ExtendedDate = 0x14;
} // namespace mdbtype

struct MdbColumnType {
    int code = 0;          // the type code in the file
    std::string declared;  // the SQLite declared type of the copy ("TEXT(50)", "CURRENCY")
    ColumnType mapped;     // catalogue and record-set codes, size, storage
    bool complex = false;  // attachment or multi-value: values live in a hidden table
    bool supported = true; // false: the values are shown as a placeholder text

    // size: the column's length in bytes; precision and scale for decimals; multiValue tells a
    // multi-value complex column from an attachment.
    static MdbColumnType from(int code, int size, int precision, int scale, bool jet3, bool multiValue);
};

} // namespace qv::engine
