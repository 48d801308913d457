// See ZipPackage.h. minizip is given at most 1 GB per call because its length is 32-bit.
#include "spreadsheet/io/ZipPackage.h"

#include "platform/NumberedError.h"

#include <ctime>
#include <zip.h>
#include <zlib.h>

namespace qv::sheet {

namespace {
template <class Owner> zipFile handle(const Owner& z) {
    return static_cast<zipFile>(z.get());
}
} // namespace

void ZipPackage::ZipClose::operator()(void* zip) const noexcept {
    zipClose(static_cast<zipFile>(zip), nullptr);
}

ZipPackage::ZipPackage(const std::string& archivePath, std::string displayPath, int level,
                       ParallelDeflater::Search search)
    : mZip(zipOpen64(archivePath.c_str(), APPEND_STATUS_CREATE)), mDisplayPath(std::move(displayPath)),
      mLevel(level), mSearch(search) {
    if (!mZip) fail("the archive cannot be created");
}

void ZipPackage::fail(const std::string& what) const {
    throw NumberedError(err::ApplicationDefined, "Workbook",
                        "Cannot write the file '" + mDisplayPath + "': " + what);
}

void ZipPackage::beginPart(const std::string& name, bool large, bool parallel) {
    zip_fileinfo info{};
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    info.tmz_date.tm_sec = static_cast<uInt>(tm.tm_sec);
    info.tmz_date.tm_min = static_cast<uInt>(tm.tm_min);
    info.tmz_date.tm_hour = static_cast<uInt>(tm.tm_hour);
    info.tmz_date.tm_mday = static_cast<uInt>(tm.tm_mday);
    info.tmz_date.tm_mon = static_cast<uInt>(tm.tm_mon);
    info.tmz_date.tm_year = static_cast<uInt>(tm.tm_year + 1900);
    // A parallel part reaches minizip already deflated ("raw"); its size and CRC are given
    // when it ends.
    if (zipOpenNewFileInZip4_64(handle(mZip), name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                Z_DEFLATED, mLevel, parallel ? 1 : 0, -MAX_WBITS, DEF_MEM_LEVEL,
                                Z_DEFAULT_STRATEGY, nullptr, 0, 0, 0, large ? 1 : 0) != ZIP_OK)
        fail("cannot add " + name + " to the package");
    mDeflater.reset();
    if (parallel)
        mDeflater = std::make_unique<ParallelDeflater>(
            mLevel, [this](const char* d, std::size_t n) { raw(d, n); }, 0, ParallelDeflater::DefaultBlock,
            mSearch);
    mInPart = true;
    mLarge = large;
    mPartBytes = 0;
    mPartName = name;
}

void ZipPackage::write(const char* data, std::size_t size) {
    mPartBytes += size;
    // Without zip64 headers the sizes would wrap silently and the package would be corrupt.
    if (!mLarge && mPartBytes >= 0xFFFFFFFFull) fail(mPartName + " would exceed 4 GB");
    if (mDeflater) {
        mDeflater->write(data, size);
        return;
    }
    raw(data, size);
}

void ZipPackage::raw(const char* data, std::size_t size) {
    constexpr std::size_t chunk = 1u << 30;
    while (size > 0) {
        auto n = static_cast<unsigned>(size < chunk ? size : chunk);
        if (zipWriteInFileInZip(handle(mZip), data, n) != ZIP_OK) fail("writing failed (disk full?)");
        data += n;
        size -= n;
    }
}

void ZipPackage::endPart() {
    mInPart = false;
    if (mDeflater) {
        std::unique_ptr<ParallelDeflater> d = std::move(mDeflater);
        d->finish();
        if (zipCloseFileInZipRaw64(handle(mZip), d->bytesIn(), d->crc()) != ZIP_OK)
            fail("writing failed (disk full?)");
        return;
    }
    if (zipCloseFileInZip(handle(mZip)) != ZIP_OK) fail("writing failed (disk full?)");
}

void ZipPackage::close() {
    if (!mZip) fail("the package is already closed");
    zipFile z = static_cast<zipFile>(mZip.release());
    if (zipClose(z, nullptr) != ZIP_OK) fail("closing the package failed (disk full?)");
}

} // namespace qv::sheet
