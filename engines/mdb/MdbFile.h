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
    // Raises 3343 when a memo or long binary value (its 12-byte header at p, size bytes in the
    // row) starts on a page past the end of the file. libmdb would parse whatever it finds.
    void checkLongValue(const unsigned char* p, int size, const std::string& where) const;
    // Checks every long value in the rows of the table (the catalogue's property maps, before
    // libmdb parses them).
    void checkLongValues(S_MdbTableDef* table) const;

    struct Stream; // the page source libmdb reads through

  private:
    MdbFile() = default;
    [[noreturn]] void damaged(const std::string& why) const;
    std::uint64_t highestOwnedPage(const S_MdbTableDef* table) const;

    MdbHandle* mMdb = nullptr;
    std::unique_ptr<Stream> mStream;
    MdbHeader mHeader;
    std::string mPath;
    std::string mSource;
    std::string mStoredPassword;
};

} // namespace qv::engine
