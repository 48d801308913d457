// Numbers the way the Access expression service reads and writes them: 15 significant digits
// when a double becomes text (so 0.1 + 0.2 shows as 0.3), rounding done on that decimal form
// (banker's rounding for Round and the integer conversions, half away from zero for Format),
// and the lenient reading of Val.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qv::accesssql {

enum class Rounding { HalfEven, HalfAwayFromZero };

class NumberText {
  public:
    // "0.3", "1234", "1.5E+20", "-2.5E-07".
    static std::string toText(double value);
    // Rounds to `digits` decimals on the 15-digit decimal form of the value.
    static double round(double value, int digits, Rounding mode);
    // Rounds to the given number of significant digits (for CSng: 7).
    static double roundSignificant(double value, int significant);
    // The whole text as a number: blanks around it, sign, digits with "," thousands
    // separators, decimals, exponent, or &H / &O; nothing when it is not a number.
    static std::optional<double> parse(std::string_view text);
    // Val: reads as much of a number as the text starts with, ignoring blanks; 0 when none.
    static double val(std::string_view text);
    // Fixed-point text with exactly `decimals` decimals, rounded half away from zero.
    static std::string fixed(double value, int decimals);
};

} // namespace qv::accesssql
