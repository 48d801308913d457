// Decimal digits of a double as the host shows them: the value is first cut to the 15
// significant digits the host keeps, then rounded half away from zero in decimal, so 2.675
// shows as 2.68 under "0.00" although its binary value lies just below.
#pragma once

#include <string>

namespace qv::sheet {

struct DecimalText {
    std::string integer;  // no leading zeros; empty when the integer part is zero
    std::string fraction; // exactly the requested number of digits
};

struct SignificantText {
    std::string digits; // first digit non-zero unless the value is zero
    int exponent = 0;   // value = d.ddd x 10^exponent
};

class NumberFormatterDecimal {
public:
    // |magnitude| must be finite and not negative.
    static DecimalText fixed(double magnitude, int decimals);
    static SignificantText significant(double magnitude, int digits);
};

} // namespace qv::sheet
