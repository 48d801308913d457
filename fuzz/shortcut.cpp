// A shortcut a person picks instead of a database: the same bytes as a shell link and as a
// desktop entry, and the desktop entry's Exec= splitting on its own.
#include "platform/NumberedError.h"
#include "system/ShortcutReader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> bytes(data, data + size);
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        (void)qv::ShortcutReader::parseShellLink(bytes);
        (void)qv::ShortcutReader::parseDesktopEntry(text);
        (void)qv::ShortcutReader::joinArguments(qv::ShortcutReader::splitExec(text));
    } catch (const qv::NumberedError&) {
    }
    return 0;
}
