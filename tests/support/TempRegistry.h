#pragma once
// A registry store of its own for one test: a fresh file in a scratch folder, gone with its
// log files when the test ends, so that no test sees another's settings or the person's own.
#include "system/RegistryStore.h"
#include "tests/support/TestFiles.h"

#include <memory>
#include <string>

namespace qv::test {

class TempRegistry {
  public:
    TempRegistry() : mPath(mDir.file("registry.db")) { reopen(); }
    TempRegistry(const TempRegistry&) = delete;
    TempRegistry& operator=(const TempRegistry&) = delete;

    RegistryStore* get() const { return mStore.get(); }
    RegistryStore& operator*() const { return *mStore; }
    RegistryStore* operator->() const { return mStore.get(); }
    // The store's file, for tests that damage it or look at it from outside.
    const std::string& path() const { return mPath; }
    // Lets go of the file, as a program that ends.
    void close() { mStore.reset(); }
    // Opens the file again, as the next start of the program does.
    RegistryStore& reopen() {
        mStore.reset();
        mStore = std::make_unique<RegistryStore>(mPath);
        return *mStore;
    }

  private:
    TempDir mDir;
    std::string mPath;
    std::unique_ptr<RegistryStore> mStore;
};

} // namespace qv::test
