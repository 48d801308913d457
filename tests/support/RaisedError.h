#pragma once
// The number of the NumberedError a call raises, for tests of every component; 0 when it
// raises none.
#include "platform/NumberedError.h"

#include <functional>

namespace qv::test {

inline int errorNumber(const std::function<void()>& f) {
    try {
        f();
    } catch (const NumberedError& e) {
        return e.number();
    }
    return 0;
}

} // namespace qv::test
