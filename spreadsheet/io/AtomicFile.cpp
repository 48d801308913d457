// See AtomicFile.h. The temporary name starts with the destination's own name so that a
// left-over after a power cut is recognisable, and lives in the same folder so that the
// final rename is atomic.
#include "spreadsheet/io/AtomicFile.h"

#include "platform/NumberedError.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace qv::sheet {

AtomicFile::AtomicFile(std::string path) : mPath(std::move(path)) {
    if (mPath.empty())
        throw NumberedError(err::ApplicationDefined, "Workbook", "Cannot write a file without a name.");
    // A read-only file is not replaced behind its owner's back (the rename alone would allow it).
    struct stat st {};
    if (::stat(mPath.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        fail("the file is read-only");
    std::string pattern = mPath + ".~XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    mFd = ::mkstemp(buf.data());
    if (mFd < 0) fail(std::strerror(errno));
    mTemp = buf.data();
}

AtomicFile::~AtomicFile() {
    if (mFd >= 0) ::close(mFd);
    if (!mCommitted && !mTemp.empty()) ::unlink(mTemp.c_str());
}

void AtomicFile::fail(const std::string& reason) const {
    throw NumberedError(err::ApplicationDefined, "Workbook",
                        "Cannot write the file '" + mPath + "': " + reason);
}

void AtomicFile::write(const char* data, std::size_t size) {
    if (mFd < 0) fail("the file is not open");
    while (size > 0) {
        ssize_t n = ::write(mFd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(std::strerror(errno));
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

void AtomicFile::closeDescriptor() {
    if (mFd >= 0) {
        ::close(mFd);
        mFd = -1;
    }
}

void AtomicFile::commit() {
    int fd = mFd >= 0 ? mFd : ::open(mTemp.c_str(), O_RDONLY);
    if (fd < 0) fail(std::strerror(errno));
    // mkstemp creates the file readable by its owner only; give it the mode a plain create would.
    mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(fd, 0666 & ~mask) != 0 || ::fsync(fd) != 0) {
        int e = errno;
        if (fd != mFd) ::close(fd);
        fail(std::strerror(e));
    }
    if (fd != mFd) ::close(fd);
    closeDescriptor();
    if (::rename(mTemp.c_str(), mPath.c_str()) != 0) fail(std::strerror(errno));
    mCommitted = true;
}

} // namespace qv::sheet
