// Dialog scripts are read from files given to the headless runner.
#include "platform/NumberedError.h"
#include "system/DialogScriptReader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        (void)qv::DialogScriptReader::read(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const qv::NumberedError&) {
    }
    return 0;
}
