// Renders a cell value as the host displays it under a number format ("General", "0.00",
// "#,##0", "dd-mm-yyyy", "0%", "€ #,##0.00", ...), in the host's language.
#pragma once

#include "platform/Variant.h"

#include <string>

namespace qv::sheet {

enum class Locale { English, Dutch };

class NumberFormatter {
public:
    static std::string format(const Variant& value, const std::string& numberFormat, Locale locale);
};

} // namespace qv::sheet
