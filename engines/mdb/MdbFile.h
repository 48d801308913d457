// One Access file opened read-only through libmdb, owned by one object. Before libmdb sees the
// file its header, size and password are checked here; afterwards libmdb reads its pages through
// a stream of ours, so a page past the end of a cut file is noticed (and answered with pages
// that lead libmdb nowhere) instead of leaving libmdb on a stale buffer. Every read that ran
// into the end is reported as 3343 by checkIntact(), never passed off as a complete result.
#pragma once

#include "engines/mdb/MdbHeader.h"

#include <glib.h>
// glib.h first: mdbtools.h uses glib types without including it in every configuration.
#include <mdbtools.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace qv::engine {

class MdbFile {
  public:
    struct Options {
        std::string password; // the database password given by the person; "" when none
        std::string source = "DAO.Workspace";
    };

    // Raises 3024 (missing), 3343 (not Access, unknown format, damaged or truncated, encrypted
    // ACCDB), 3031 (the Jet database password does not match).
    static std::unique_ptr<MdbFile> open(const std::string& path, const Options& options);
    ~MdbFile();
    MdbFile(const MdbFile&) = delete;
    MdbFile& operator=(const MdbFile&) = delete;

    MdbHandle* handle() const { return mMdb; }
    const MdbHeader& header() const { return mHeader; }
    const std::string& path() const { return mPath; }
    const std::string& source() const { return mSource; }
    // The password stored in the header, "" when the database has none.
    const std::string& storedPassword() const { return mStoredPassword; }

    // Raises 3343 when a read since opening ran past the end of the file.
    void checkIntact() const;
    // Raises 3343 when the table owns a page past the end of the file (the file was cut).
    void checkPagesPresent(const S_MdbTableDef* table) const;
    // Raises 3343 when the definition's counts are beyond what Access writes: libmdb allocates
    // and walks pages by them before anything else is checked.
    void checkDefinition(const S_MdbTableDef* table) const;
    // The bytes of a memo or long binary value (its 12-byte header at p, size bytes in the row),
    // read along its chain of pages as libmdb will read it. Raises 3343 when the chain leaves the
    // file, names a row a page does not have, or comes back to a page it has passed: libmdb
    // would parse whatever it finds there, or follow the circle for ever.
    std::string readLongValue(const unsigned char* p, int size, const std::string& where) const;
    void checkLongValue(const unsigned char* p, int size, const std::string& where) const {
        (void)readLongValue(p, size, where);
    }
    // Checks every long value in the rows of the catalogue table, and every property block in
    // it, before libmdb parses them.
    void checkLongValues(S_MdbTableDef* table) const;

    struct Stream; // the page source libmdb reads through

  private:
    MdbFile() = default;
    [[noreturn]] void damaged(const std::string& why) const;
    std::uint64_t highestOwnedPage(const S_MdbTableDef* table) const;
    // A whole page of the file as it is on disk, past libmdb's buffers; 3343 past the end.
    std::vector<unsigned char> readPage(std::uint64_t page, const std::string& where) const;
    // The bytes of row (pageRow & 0xff) of page (pageRow >> 8), found as libmdb finds rows.
    std::string rowBytes(std::uint32_t pageRow, const std::string& where) const;

    MdbHandle* mMdb = nullptr;
    std::unique_ptr<Stream> mStream;
    MdbHeader mHeader;
    std::string mPath;
    std::string mSource;
    std::string mStoredPassword;
    // The last page readLongValue read: a table's long values mostly share their pages.
    mutable std::uint64_t mCachedPage = ~std::uint64_t{0};
    mutable std::vector<unsigned char> mCachedBytes;
};

} // namespace qv::engine
