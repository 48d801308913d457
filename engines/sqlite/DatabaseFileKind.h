// What a file on disk looks like before any library is let at it: a plain SQLite file, an
// encrypted one, an Access file, or something else. Only a file that looks encrypted is worth a
// password: asking for one on any other file would loop on "not a valid password" forever.
#pragma once

#include <string>

namespace qv::engine {

class DatabaseFileKind {
  public:
    enum class Kind { Sqlite, Encrypted, Access, Other };

    // Reads at most the first few KiB; a file that cannot be read is Other.
    static Kind of(const std::string& path);
    // Bits per byte of a sample (0 for constant bytes, close to 8 for random ones).
    static double entropy(const unsigned char* bytes, std::size_t size);
};

} // namespace qv::engine
