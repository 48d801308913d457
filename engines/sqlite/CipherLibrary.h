// Databases with a password are encrypted with SQLCipher. Its library exports the same symbols
// as SQLite and the two crash when linked into one process, so it is loaded on demand with deep
// binding (its own calls stay inside it) and reached only through the few entry points below.
// Encrypted files are read by decrypting them into an in-memory SQLite database of the
// engine's own library; they are then read-only.
#pragma once

#include <string>

struct sqlite3;

namespace qv::engine {

class CipherLibrary {
  public:
    // True when the encryption library could be loaded.
    static bool available();
    // A file that may be an encrypted database: not a plain SQLite file, whole 1 KiB pages.
    static bool looksEncrypted(const std::string& path);
    // Decrypts the file into a new in-memory database of the engine's SQLite. Raises 3031 when
    // the password is empty or wrong, 3343 when the library is missing or the file is damaged.
    static sqlite3* openDecrypted(const std::string& path, const std::string& password,
                                  const std::string& source);
    // Writes an encrypted copy of a plain database (password "" writes a plain copy of an
    // encrypted one, given its current password); the target must not exist.
    static void exportCopy(const std::string& from, const std::string& fromPassword, const std::string& to,
                           const std::string& toPassword);
};

} // namespace qv::engine
