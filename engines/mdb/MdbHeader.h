// The first page of an Access file, read by us before libmdb sees the file: libmdb trusts the
// header and the file's length, and on a foreign or cut file it reads stale buffers or spins.
// Only what decides whether the file may be handed over is parsed here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qv::engine {

struct MdbHeader {
    // The format byte at 0x14: 0 Jet 3, 1 Jet 4, 2..5 the ACE formats of Access 2007 to 2016.
    int version = 0;
    std::size_t pageSize = 0;
    std::uint64_t pageCount = 0;
    bool ace = false;

    // Raises 3343 naming what is wrong: not an Access file, an unknown format, a size that is
    // not whole pages or too small to hold the catalogue.
    static MdbHeader parse(std::string_view firstPage, std::uint64_t fileSize, const std::string& path,
                           const std::string& source);
    std::string formatName() const;
};

} // namespace qv::engine
