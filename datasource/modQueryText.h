// The saved query's text as the records connection reads it. The catalogue keeps text literals
// between double quotes, which the records connection would read as names; they are turned into
// single-quoted literals by reading the statement token by token, so that a double quote inside
// a bracketed name, a back-quoted name, a single-quoted literal, a date literal or a comment is
// left as it is, and a single quote inside a converted literal is doubled.
#pragma once

#include <string>

namespace qv {

// A literal whose closing quote is missing is left as it was, so that the engine reports the
// statement it was given.
std::string SingleQuotedLiterals(const std::string& sql);

} // namespace qv
