// Text lengths as the host counts them. The host keeps text in UTF-16, so its limits (31
// characters in a sheet name, the lengths a text-length validation compares) are counted in
// UTF-16 code units: a letter outside the Basic Multilingual Plane counts twice, and a
// Cyrillic letter, two bytes in UTF-8, counts once. Counting bytes refused valid names, and
// cutting at a byte count split characters and left text no reader accepts.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qv::sheet {

class HostText {
  public:
    // The length in UTF-16 code units; nothing when the text is not valid UTF-8.
    static std::optional<std::size_t> length(std::string_view text);
    // The longest start of the text of at most maxUnits UTF-16 code units, cut between
    // characters. Invalid UTF-8 is cut before its first bad byte.
    static std::string prefix(std::string_view text, std::size_t maxUnits);
};

} // namespace qv::sheet
