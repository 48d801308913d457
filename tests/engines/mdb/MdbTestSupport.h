// Shared helpers of the Access engine tests: the fixtures (skipped with a message when absent),
// private temporary folders for damaged copies, and file digests that prove a file was left as
// it was.
#pragma once

#include "engines/mdb/MdbCatalogue.h"
#include "platform/NumberedError.h"

#include "tests/support/ErrorNumber.h"
#include "tests/support/TestFiles.h"

#include <filesystem>
#include <fstream>
#include <glib.h>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>
#include <unistd.h>
#include <utility>

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

using ::qv::test::readAll;
using ::qv::test::TempDir;
using ::qv::test::writeAll;

inline std::string sha256(const std::string& path) {
    const std::string bytes = readAll(path);
    gchar* hex = g_compute_checksum_for_data(G_CHECKSUM_SHA256, reinterpret_cast<const guchar*>(bytes.data()),
                                             bytes.size());
    std::string out = hex;
    g_free(hex);
    return out;
}

// The file's saved queries by name.
inline std::map<std::string, DaoQueryDefPtr> byName(const engine::MdbCatalogue& c) {
    std::map<std::string, DaoQueryDefPtr> out;
    for (const auto& q : c.queryDefs())
        out[q->name()] = q;
    return out;
}

// The number of the NumberedError that f raises; 0 when it raises none.
template <typename F> std::int32_t errorNumber(F&& f, std::string* description = nullptr) {
    return test::errorNumberOf(std::forward<F>(f), description);
}

} // namespace qv::mdbtest
