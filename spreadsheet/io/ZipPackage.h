// The zip container of an Office Open XML package, written part by part through minizip.
// Each part is deflated as it is written, so a part of any size costs only the buffers. A
// part marked parallel (a worksheet) is deflated on every core and stored as it comes.
#pragma once

#include "spreadsheet/io/ParallelDeflater.h"

#include <memory>
#include <string>
#include <string_view>

namespace qv::sheet {

class ZipPackage {
  public:
    // Creates the archive at `archivePath`; errors name `displayPath` (what the user chose).
    // `search` applies to the parallel parts only.
    ZipPackage(const std::string& archivePath, std::string displayPath, int level,
               ParallelDeflater::Search search = {});
    ZipPackage(const ZipPackage&) = delete;
    ZipPackage& operator=(const ZipPackage&) = delete;

    // `large`: the part may exceed 4 GB and gets zip64 headers. `parallel`: the part is
    // deflated by a ParallelDeflater (worth it from a few hundred KiB on; the bytes differ
    // from a one-stream deflate of the same level, the content does not).
    void beginPart(const std::string& name, bool large = false, bool parallel = false);
    void write(const char* data, std::size_t size);
    void write(std::string_view s) { write(s.data(), s.size()); }
    void endPart();
    void close();

  private:
    [[noreturn]] void fail(const std::string& what) const;
    void raw(const char* data, std::size_t size);
    // Closing the handle also ends an open part; an archive not closed by close() is
    // abandoned this way and the caller discards the file.
    struct ZipClose {
        void operator()(void* zip) const noexcept;
    };
    std::unique_ptr<void, ZipClose> mZip;
    std::string mDisplayPath;
    int mLevel;
    ParallelDeflater::Search mSearch;
    bool mInPart = false;
    bool mLarge = false;
    unsigned long long mPartBytes = 0;
    std::string mPartName;
    std::unique_ptr<ParallelDeflater> mDeflater;
};

} // namespace qv::sheet
