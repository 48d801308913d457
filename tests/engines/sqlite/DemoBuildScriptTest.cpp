// samples/build-demo end to end: the shell script with the sqlite3 shell and the built
// quorvel-db writes the demo database, its password-protected copy and the workgroup file,
// and the engine opens each the way the README documents. Skipped where the script's tools
// are not there (a build directory other than build/, no sqlite3 shell).
#include "tests/engines/sqlite/EngineTestSupport.h"

#include "engines/sqlite/CipherLibrary.h"
#include "engines/sqlite/SqliteHandle.h"
#include "engines/sqlite/WorkgroupFile.h"

#include <cstdlib>

using namespace qv;
using namespace qv::enginetest;

namespace {
const char* const Script = "samples/build-demo";
const char* const Tool = "build/engines/quorvel-db";
} // namespace

TEST(DemoBuildScriptTest, WritesTheThreeFilesTheReadmeDocuments) {
    if (!std::filesystem::exists(Script))
        GTEST_SKIP() << Script << " is absent (run from the repository root)";
    if (!std::filesystem::exists(Tool)) GTEST_SKIP() << Tool << " is not built";
    if (std::system("command -v sqlite3 >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "the sqlite3 shell is not installed";
    TempDir dir;
    const std::string out = dir.file("out");
    const std::string command = std::string("bash ") + Script + " " + Tool + " '" + out + "' >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    auto db = openDao(out + "/demo.db");
    EXPECT_NE(db->tableDef("Order Details"), nullptr);
    EXPECT_NE(db->queryDef("Orders Since"), nullptr);
    EXPECT_EQ(db->tableDef("Customers")->field("Notes")->property("AppendOnly")->value().toBool(), true);

    const std::string secret = out + "/demo-secret.db";
    if (engine::CipherLibrary::available()) {
        engine::SqliteHandle::Options options;
        EXPECT_EQ(errorNumberOf([&] { engine::SqliteHandle::open(secret, options); }),
                  err::DaoPasswordNotValid);
        options.password = "Demo-Secret-2026";
        auto handle = engine::SqliteHandle::open(secret, options);
        EXPECT_TRUE(handle->encrypted());
        EXPECT_FALSE(handle->readOnly());
    }

    const std::string mdw = out + "/demo.mdw";
    EXPECT_EQ(engine::WorkgroupFile::accounts(mdw), (std::vector<std::string>{"Admin", "Reader"}));
    EXPECT_EQ(errorNumberOf([&] { engine::WorkgroupFile::verify(mdw, "Reader", "reader-demo", "test"); }), 0);
    EXPECT_EQ(errorNumberOf([&] { engine::WorkgroupFile::verify(mdw, "Admin", "admin-demo", "test"); }), 0);
    EXPECT_EQ(errorNumberOf([&] { engine::WorkgroupFile::verify(mdw, "Admin", "reader-demo", "test"); }),
              err::DaoAccountNotValid);
}
