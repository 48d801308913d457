// The text of a saved query, read from a database's catalogue.
#include "engines/sqlite/QueryText.h"
#include "platform/NumberedError.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        auto query =
            qv::engine::QueryText::parse(std::string_view(reinterpret_cast<const char*>(data), size));
        (void)query.numberedBody();
    } catch (const qv::NumberedError&) {
    }
    return 0;
}
