// A workgroup information file: an SQLite database of accounts, each with a random salt and a
// slow salted hash of its password (PBKDF2-HMAC-SHA256), checked before a database is opened
// under a workgroup logon.
#pragma once

#include <string>
#include <vector>

namespace qv::engine {

class WorkgroupFile {
  public:
    static constexpr int Iterations = 120000;
    // The most rounds a file may ask for. The count is stored in the file, so a hostile file
    // could otherwise make every logon attempt take hours; ten times the default still
    // leaves room for files written with a stronger setting.
    static constexpr long long MaxIterations = 10LL * Iterations;
    // Raises 3028 when the file is missing or not a workgroup file (also when the account asks
    // for no rounds or more than MaxIterations), 3029 when the account is unknown or the
    // password does not match.
    static void verify(const std::string& path, const std::string& user, const std::string& password,
                       const std::string& source);
    // Creates the file when needed; replaces the password of an existing account.
    static void setAccount(const std::string& path, const std::string& user, const std::string& password);
    static bool removeAccount(const std::string& path, const std::string& user);
    static std::vector<std::string> accounts(const std::string& path);
};

} // namespace qv::engine
