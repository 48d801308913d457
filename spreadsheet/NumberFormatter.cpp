#include "spreadsheet/NumberFormatter.h"

namespace qv::sheet {

std::string NumberFormatter::format(const Variant& value, const std::string& numberFormat, Locale locale) {
    if (value.isEmpty() || value.isNull()) return {};
    return value.toString();
}

} // namespace qv::sheet
