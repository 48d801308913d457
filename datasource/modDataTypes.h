// The three type vocabularies the add-in meets (catalogue field types, records-model types and
// the four coarse groups the form prompts, formats and quotes by) and the SQL literals built
// from cell values. Kept as free functions so the form, the write-back and the data source all
// decide with the same tables.
#pragma once

#include "platform/Variant.h"

#include <cstdint>
#include <string>

namespace qv {

// Coarse value groups of a records-model type code.
enum class DataTypeGroup : std::int32_t { Boolean = 0, Number = 1, DateTime = 2, Other = 3 };

std::int32_t GetDataTypeGroup(std::int32_t typeADO);

// Whether the type is one of the character types (fixed, variable and long, narrow and wide).
bool IsCharacterType(std::int32_t typeADO);

// Whether a column of the type holds text a person types as it stands (character, memo and
// GUID columns): "0171" in such a column is a code, not the number 171.
bool HoldsTypedText(std::int32_t typeADO);

// Catalogue field or parameter type to the records model's type; unknown codes read as text.
std::int32_t MapToTypeADO(const Variant& typeDAO);

// Catalogue parameter direction to the records model's; anything but in/out/in-out gives 0.
std::int32_t GetParameterDirectionTypeADO(const Variant& direction);

// "#MM/dd/yyyy HH:nn:ss#", independent of regional settings. Seconds are kept so that a value
// written back, or used as a key in a WHERE clause, matches the stored one exactly.
// Raises 13 (or 94 for null) when the value cannot be read as a date.
std::string Convert2Date(const Variant& dateTime);

// The text as a quoted SQL literal; embedded single quotes are doubled so the value cannot end
// the literal early.
std::string Convert2GUID(const std::string& guid);

} // namespace qv
