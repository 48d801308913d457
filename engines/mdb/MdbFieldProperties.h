// Field and table properties of an Access file as the catalogue objects answer them. libmdb
// hands every stored property over as text; the product compares some as numbers or yes/no
// values (ColumnWidth, ColumnHidden, DecimalPlaces, Required), so each is typed again here.
#pragma once

#include "engines/mdb/MdbTable.h"
#include "engines/sqlite/DaoField.h"

#include <map>
#include <string>
#include <vector>

namespace qv::engine {

class MdbFieldProperties {
  public:
    // The property as the catalogue answers it: "yes"/"no" become Boolean, whole numbers Integer
    // (DecimalPlaces Byte), the texts the product shows stay Text. Binary blobs are left out.
    static DaoPropertyPtr typed(const std::string& name, const std::string& value);
    static std::vector<DaoPropertyPtr> properties(const std::map<std::string, std::string>& stored);
    // A field of a table definition with the built-in properties and every stored one.
    static DaoFieldPtr field(const MdbColumnInfo& column, long ordinal);
};

} // namespace qv::engine
