// The runner's scripts are read from files (or standard input) given to the headless runner.
#include "app/HeadlessScript.h"
#include "platform/NumberedError.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        (void)qv::app::HeadlessScript::read(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const qv::NumberedError&) {
    }
    return 0;
}
