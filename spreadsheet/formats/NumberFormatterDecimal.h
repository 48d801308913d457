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

// The 15 significant digits of a value: value = 0.digits x 10^point. Taken once per value,
// since producing them is the expensive step.
struct DecimalDigits {
    std::string digits; // empty for zero
    int point = 0;
};

class NumberFormatterDecimal {
  public:
    // |magnitude| must be finite and not negative.
    static DecimalDigits digits(double magnitude);
    static DecimalText fixed(const DecimalDigits& d, int decimals);
    static SignificantText significant(const DecimalDigits& d, int digits);
    static DecimalText fixed(double magnitude, int decimals) { return fixed(digits(magnitude), decimals); }
    static SignificantText significant(double magnitude, int n) { return significant(digits(magnitude), n); }
};

} // namespace qv::sheet
