// The host's legacy 16-bit password verifier, as stored in its files for sheet and workbook
// protection.
#pragma once

#include <string>

namespace qv::sheet {

class PasswordHash {
  public:
    // Four upper-case hex digits; "" for an empty password.
    static std::string legacy(const std::string& password);
};

} // namespace qv::sheet
