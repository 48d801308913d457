#pragma once
// Sets or clears an environment variable for one test and puts it back afterwards, so that a
// test of the folders and files the environment chooses never leaks into the next one.
#include <cstdlib>
#include <optional>
#include <string>

namespace qv::test {

class EnvGuard {
  public:
    // A null value clears the variable.
    EnvGuard(const char* name, const char* value) : mName(name) {
        if (const char* old = std::getenv(name)) mOld = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~EnvGuard() { mOld ? ::setenv(mName, mOld->c_str(), 1) : ::unsetenv(mName); }
    EnvGuard(const EnvGuard&) = delete;
    EnvGuard& operator=(const EnvGuard&) = delete;

  private:
    const char* mName;
    std::optional<std::string> mOld;
};

} // namespace qv::test
