// Databases with a password are encrypted with SQLCipher. Its library exports the same symbols
// as SQLite and the two crash when linked into one process, so it is loaded on demand with deep
// binding (its own calls stay inside it) and reached only through its table of entry points.
// An encrypted file is opened, read and written in place through that table: it is never
// decrypted whole, and nothing taken from the file is ever run as SQL of ours.
#pragma once

#include "sqlite/SqliteConnection.h"

#include <string>

namespace qv::engine {

class CipherLibrary {
  public:
    // The encryption library's entry points; null when it cannot be loaded.
    static const SqliteApi* api();
    // True when the encryption library could be loaded.
    static bool available() { return api() != nullptr; }
    // Opens an encrypted database in place (read-write unless readOnly, or when the file cannot
    // be written) and keys it. Raises 3031 when the password is empty or wrong, 3343 when the
    // library is missing or the file is no database.
    static SqliteConnection open(const std::string& path, const std::string& password, bool readOnly,
                                 const std::string& source);
    // Writes an encrypted copy of a plain database (password "" writes a plain copy of an
    // encrypted one, given its current password); the target must not exist.
    static void exportCopy(const std::string& from, const std::string& fromPassword, const std::string& to,
                           const std::string& toPassword);
};

} // namespace qv::engine
