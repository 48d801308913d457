#include "engines/mdb/MdbHeader.h"

#include "engines/sqlite/EngineErrors.h"

#include <fmt/format.h>

namespace qv::engine {

namespace {
constexpr std::string_view Magic{"\x00\x01\x00\x00", 4};
constexpr std::string_view JetName{"Standard Jet DB\0", 16};
constexpr std::string_view AceName{"Standard ACE DB\0", 16};
// Page 0 (header), page 1 (global usage map) and page 2 (the catalogue table) at least.
constexpr std::uint64_t MinimumPages = 3;
// libmdb knows these formats; a newer one would be read with the wrong layout.
constexpr int NewestVersion = 5;

[[noreturn]] void refuse(const std::string& source, const std::string& path, const std::string& why) {
    throw EngineErrors::make(err::UnrecognisedFormat, source,
                             fmt::format("Unrecognized database format '{}': {}", path, why));
}
} // namespace

MdbHeader MdbHeader::parse(std::string_view firstPage, std::uint64_t fileSize, const std::string& path,
                           const std::string& source) {
    if (firstPage.size() < 0x20 || firstPage.substr(0, 4) != Magic)
        refuse(source, path, "the file is not an Access database.");
    const auto name = firstPage.substr(4, 16);
    MdbHeader h;
    if (name == AceName)
        h.ace = true;
    else if (name != JetName)
        refuse(source, path, "the file is not an Access database.");
    h.version = static_cast<unsigned char>(firstPage[0x14]);
    if (h.version > NewestVersion || (h.ace && h.version < 2) || (!h.ace && h.version > 1))
        refuse(source, path, fmt::format("the file format ({}) is not supported.", h.version));
    h.pageSize = h.version == 0 ? 2048 : 4096;
    if (fileSize % h.pageSize != 0 || fileSize / h.pageSize < MinimumPages)
        refuse(source, path,
               fmt::format("the file is damaged or truncated ({} bytes is not a whole number of {}-byte "
                           "pages).",
                           fileSize, h.pageSize));
    h.pageCount = fileSize / h.pageSize;
    return h;
}

std::string MdbHeader::formatName() const {
    switch (version) {
    case 0:
        return "Access 97 (Jet 3)";
    case 1:
        return "Access 2000-2003 (Jet 4)";
    case 2:
        return "Access 2007";
    case 3:
        return "Access 2010";
    case 4:
        return "Access 2013";
    default:
        return "Access 2016";
    }
}

} // namespace qv::engine
