// Reads the two kinds of shortcut a person may pick instead of a database: a desktop entry
// (Exec= split into program and arguments, Path=) and a Windows shell link (.lnk), read with
// liblnk (the target's local or network path, else the relative path; the working folder and
// the arguments). Parsing works on bytes so that it can be checked without files; a shortcut is
// input from outside and a damaged one must read as "not a shortcut", never as a crash.
#pragma once

#include "platform/IShell.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

class ShortcutReader {
  public:
    // Real shortcuts are a few kilobytes; anything past this is not one.
    static constexpr std::size_t MaxFileSize = 1 << 20;

    // Either kind, recognised by content rather than by extension. Only regular files are
    // read, and only up to MaxFileSize: a path from a file dialog may name a FIFO, a device or
    // a huge file, and none of those may hang or exhaust the host.
    static std::optional<ShortcutInfo> readFile(const std::string& path);
    // The bytes of a regular file of at most limit bytes; nothing for anything else.
    static std::optional<std::vector<std::uint8_t>> readBounded(const std::string& path, std::size_t limit);
    static std::optional<ShortcutInfo> parseDesktopEntry(std::string_view text);
    static std::optional<ShortcutInfo> parseShellLink(const std::vector<std::uint8_t>& bytes);
    // Splits an Exec= value into its arguments by the desktop entry quoting rules, with field
    // codes (%f, %U, ...) removed and "%%" turned into "%".
    static std::vector<std::string> splitExec(std::string_view exec);
    // Joins arguments into one command line, quoting those with blanks or quotes, the way a
    // shell link holds its arguments.
    static std::string joinArguments(const std::vector<std::string>& args);
};

} // namespace qv
