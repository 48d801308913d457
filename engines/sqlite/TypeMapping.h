// SQLite keeps only a declared type name per column; the product reasons in the catalogue's and
// the record sets' type codes. This is the one place that reads a declared type ("NVARCHAR(160)",
// "DATETIME", "YESNO") and answers both codes, the size and how record sets store the values.
#pragma once

#include <string_view>

namespace qv::engine {

// How a record-set column keeps its cells (see ColumnarRecordset).
enum class StorageKind { Integer, Real, Currency, Date, Text, Blob, Boolean };

struct ColumnType {
    int daoType = 0;
    int adoType = 0;
    // Characters for text, bytes for fixed binary; the record set's defined size. A text
    // declared without a length reports 1073741823, the size of a text without limit.
    long size = 0;
    StorageKind storage = StorageKind::Text;
    bool sized = false; // the declaration carried a length: TEXT(n)
};

class TypeMapping {
  public:
    // An empty declared type (an expression column) answers nothing useful: callers infer from values.
    static ColumnType fromDeclared(std::string_view declaredType);
    // For a column without declared type: from SQLite's storage class of its first value.
    static ColumnType fromStorageClass(int sqliteType);
    // The catalogue code for a PARAMETERS clause type name ("Text", "Long", "DateTime", ...); 10 when
    // unknown.
    static int daoTypeFromParameterName(std::string_view typeName);
};

} // namespace qv::engine
