// Shared helpers of the Access engine tests: the fixtures (skipped with a message when absent),
// private temporary folders for damaged copies, and file digests that prove a file was left as
// it was.
#pragma once

#include "platform/NumberedError.h"

#include <filesystem>
#include <fstream>
#include <glib.h>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <unistd.h>

namespace qv::mdbtest {

inline const std::filesystem::path FixtureDir = "../shared/fixtures/access";

inline std::string fixture(const std::string& name) {
    return (FixtureDir / name).string();
}

#define QV_REQUIRE_ACCESS_FIXTURE(name)                                                                      \
    do {                                                                                                     \
        if (!std::filesystem::exists(::qv::mdbtest::fixture(name)))                                          \
            GTEST_SKIP() << "Access fixture " << ::qv::mdbtest::fixture(name)                                \
                         << " is absent (the shared fixtures are not beside the repository)";                \
    } while (0)

class TempDir {
  public:
    TempDir() {
        auto base = std::filesystem::temp_directory_path();
        for (int i = 0;; ++i) {
            mPath = base / ("qv_mdb_test_" + std::to_string(::getpid()) + "_" + std::to_string(i));
            if (std::filesystem::create_directory(mPath)) break;
        }
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(mPath, ec);
    }
    std::string file(const std::string& name) const { return (mPath / name).string(); }
    std::string path() const { return mPath.string(); }

  private:
    std::filesystem::path mPath;
};

inline std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void writeAll(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::string sha256(const std::string& path) {
    const std::string bytes = readAll(path);
    gchar* hex = g_compute_checksum_for_data(G_CHECKSUM_SHA256, reinterpret_cast<const guchar*>(bytes.data()),
                                             bytes.size());
    std::string out = hex;
    g_free(hex);
    return out;
}

// The number of the NumberedError that f raises; 0 when it raises none.
template <typename F> std::int32_t errorNumber(F&& f, std::string* description = nullptr) {
    try {
        f();
    } catch (const NumberedError& e) {
        if (description) *description = e.description();
        return e.number();
    }
    return 0;
}

} // namespace qv::mdbtest
