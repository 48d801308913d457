#include "spreadsheet/InputParser.h"

namespace qv::sheet {

Variant InputParser::parse(const std::string& typed, Locale) {
    if (typed.empty()) return {};
    if (typed[0] == '\'') return Variant(typed.substr(1));
    Variant v(typed);
    if (v.isNumeric()) return Variant(v.toDouble());
    return v;
}

} // namespace qv::sheet
