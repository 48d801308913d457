// Connection strings come from settings, shortcuts and callers. Besides not crashing, a value
// taken from a parsed string and quoted again must come back unchanged: that is what keeps a
// password such as "a;Pwd=x" one value.
#include "platform/ConnectionString.h"
#include "platform/NumberedError.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using qv::ConnectionString;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        auto cs = ConnectionString::parse(text);
        for (const std::string& value :
             {cs.driver(), cs.database(), cs.user(), cs.password(), cs.systemDb()}) {
            auto again =
                ConnectionString::parse("Driver={x};Pwd=" + ConnectionString::quote(value) + ";Uid=u");
            if (again.password() != value || again.user() != "u") __builtin_trap();
        }
    } catch (const qv::NumberedError&) {
    }
    return 0;
}
