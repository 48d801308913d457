// Binding values on connections of both libraries: what is bound is what the database holds.
#include "tests/engines/sqlite/EngineTestSupport.h"

#include "engines/sqlite/CipherLibrary.h"
#include "engines/sqlite/SqliteHandle.h"
#include "engines/sqlite/Statement.h"

using namespace qv;
using namespace qv::enginetest;

namespace {

// The storage class and length of each bound value, as the database sees them.
std::vector<std::string> stored(const engine::SqliteHandle& handle) {
    std::vector<std::string> out;
    for (const Variant& v :
         {Variant(Binary{}), Variant(Binary{0, 1}), Variant(std::string()), Variant::null()}) {
        engine::Statement one(handle.db(), "INSERT INTO T (V) VALUES (?)", "test");
        one.bind(1, v);
        one.step();
    }
    engine::Statement read(handle.db(), "SELECT typeof(V) || ':' || length(V) FROM T ORDER BY rowid", "test");
    while (read.step())
        out.push_back(read.isNull(0) ? "null" : read.text(0));
    return out;
}

} // namespace

TEST(StatementTest, EmptyBinaryStaysAnEmptyBlobOnBothLibraries) {
    TempDir dir;
    const std::string plain = dir.file("plain.db");
    makeDatabase(plain, "CREATE TABLE T (V)");
    const std::vector<std::string> expected = {"blob:0", "blob:2", "text:0", "null"};
    EXPECT_EQ(stored(*engine::SqliteHandle::open(plain, {})), expected);
    if (!engine::CipherLibrary::available()) GTEST_SKIP() << "the encryption library is not installed";
    const std::string locked = dir.file("locked.db");
    makeDatabase(dir.file("empty.db"), "CREATE TABLE T (V)");
    engine::CipherLibrary::exportCopy(dir.file("empty.db"), "", locked, "k");
    engine::SqliteHandle::Options options;
    options.password = "k";
    auto handle = engine::SqliteHandle::open(locked, options);
    ASSERT_TRUE(handle->encrypted());
    EXPECT_EQ(stored(*handle), expected);
}
