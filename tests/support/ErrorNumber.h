#pragma once
// What a call raised, for tests that check failures by their number.
#include "platform/NumberedError.h"

#include <cstdint>
#include <string>

namespace qv::test {

// The number of the NumberedError that f raises (its text to description when asked); 0 when it
// raises none.
template <class F> std::int32_t errorNumberOf(F&& f, std::string* description = nullptr) {
    try {
        f();
    } catch (const NumberedError& e) {
        if (description) *description = e.description();
        return e.number();
    }
    return 0;
}

} // namespace qv::test
