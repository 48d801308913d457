// The statements the form sends for one record: UPDATE and INSERT of the edited cells, DELETE
// by the key as loaded. Cell contents come from a person or a paste, so a value reaches SQL only
// as a well-formed literal of its column's type: numbers as invariant round-trip text, dates and
// GUIDs through the data source's literal builders, booleans as 1 or 0, text in single quotes
// with every quote doubled. Anything else refuses the record with a message naming the field,
// so no cell can change a statement's meaning and nothing is written half-converted.
#pragma once

#include "platform/Variant.h"

#include <string>
#include <utility>
#include <vector>

namespace qv {

class IDS;
class clsField;

class clsRowSql {
  public:
    // A column of the record with the value that goes into the statement.
    using FieldValue = std::pair<const clsField*, Variant>;
    using FieldValues = std::vector<FieldValue>;

    // The literal of a cell's value: "NULL" for a cell that is empty or holds only blanks.
    // Raises 666 naming the field (its caption) when the value is not a literal of its type,
    // or when text is longer than the column's declared size.
    static std::string CellToSql(IDS& ds, const clsField& field, const Variant& value);
    // The literal of a key value as loaded, typed as it came from the database. A text key of a
    // boolean column reads "Waar"/"True" as 1.
    static std::string KeyToSql(IDS& ds, const clsField& field, const Variant& loaded);
    // " WHERE [k1] = v1 AND [k2] = v2" in key order; a null key is matched with "Is Null".
    // Raises 666 when there is no key column or more than 255.
    static std::string KeyCondition(IDS& ds, const FieldValues& keys);

    static std::string BuildUpdate(IDS& ds, const std::string& table, const FieldValues& edited,
                                   const FieldValues& keys);
    static std::string BuildInsert(IDS& ds, const std::string& table, const FieldValues& edited);
    static std::string BuildDelete(IDS& ds, const std::string& table, const FieldValues& keys);

    // Text of a finite number that reads back as the same value in any locale ("0.1", "-3",
    // "1e+300"); nullopt-like empty text for infinities and NaN.
    static std::string NumberLiteral(double value);
};

} // namespace qv
