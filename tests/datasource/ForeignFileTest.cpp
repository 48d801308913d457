// Files the embedded engine cannot open, met through the data source as a person meets them:
// no password dialog for a file that has no password, an Access file named as such by an engine
// that does not read it, anything else the engine's "unrecognized format". Nothing is changed.
#include "DSFakes.h"
#include "common/modGlobalization.h"
#include "datasource/clsDSAccess.h"
#include "engines/mdb/MdbEngineClasses.h"
#include "engines/sqlite/SqliteEngineClasses.h"
#include "platform/IObjectFactory.h"
#include "platform/NumberedError.h"
#include "tests/support/EngineClassFactory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace qv {
namespace {

namespace fs = std::filesystem;

const fs::path kAccessFixtures = "../shared/fixtures/access";

using EngineFactory = test::EngineClassFactory<registerSqliteEngineClasses>;

std::string contents(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class ForeignFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        mDir = fs::temp_directory_path() / ("qv_ds_foreign_" + std::to_string(::getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(mDir);
    }
    void TearDown() override {
        modGlobalization::SetCountryCode(1);
        std::error_code ec;
        fs::remove_all(mDir, ec);
    }
    // Connects the catalogue with a password dialog ready to be answered; answers the error.
    NumberedError connect(const std::string& path) {
        DSContext c;
        c.RevisionNumber = 12;
        c.Objects = &mFactory;
        c.Toolkit = &mToolkit;
        c.Dialogs = &mDialogs;
        clsDSAccess ds(std::move(c));
        ds.SetDatabasePath(path);
        mToolkit.answers.push_back([](DialogModel& m) { m.control("txtPassword").value = Variant("guess"); });
        try {
            ds.ConnectDAO();
        } catch (const NumberedError& e) {
            return e;
        }
        return NumberedError(0, "", "opened");
    }

    EngineFactory mFactory;
    test::ScriptedToolkit mToolkit;
    test::RecordingDialogs mDialogs;
    fs::path mDir;
};

TEST_F(ForeignFileTest, AccessFilesAreNamedAsSuchWithoutAskingForAPassword) {
    if (!fs::exists(kAccessFixtures)) GTEST_SKIP() << "fixtures " << kAccessFixtures << " are absent";
    modGlobalization::SetCountryCode(1);
    int seen = 0;
    for (const auto& entry : fs::directory_iterator(kAccessFixtures)) {
        const auto ext = entry.path().extension();
        if (ext != ".mdb" && ext != ".accdb") continue;
        const fs::path copy = mDir / entry.path().filename();
        fs::copy_file(entry.path(), copy);
        const std::string before = contents(copy);
        const NumberedError e = connect(copy.string());
        EXPECT_EQ(e.number(), err::DaoFormatNotInstalled) << copy << ": " << e.description();
        EXPECT_EQ(e.description(),
                  "'" + copy.string() + "' is an Access database, which the SQLite engine does not read.");
        EXPECT_EQ(contents(copy), before) << copy;
        ++seen;
    }
    EXPECT_GT(seen, 0);
    // Also the ones with a password: the file's own password is not what stops us.
    EXPECT_TRUE(mToolkit.shown.empty());
    EXPECT_TRUE(mDialogs.boxes.empty());
}

TEST_F(ForeignFileTest, WithTheAccessEngineAnAccessFileOpensWithoutAskingInDutch) {
    if (!fs::exists(kAccessFixtures / "nwind.mdb")) GTEST_SKIP() << "fixture nwind.mdb is absent";
    modGlobalization::SetCountryCode(31);
    const fs::path copy = mDir / "nwind.mdb";
    fs::copy_file(kAccessFixtures / "nwind.mdb", copy);
    const std::string before = contents(copy);
    test::EngineClassFactory<registerEngineClasses> engines;
    DSContext c;
    c.RevisionNumber = 12;
    c.Objects = &engines;
    c.Toolkit = &mToolkit;
    c.Dialogs = &mDialogs;
    clsDSAccess ds(std::move(c));
    ds.SetDatabasePath(copy.string());
    EXPECT_TRUE(ds.ConnectDAO());
    EXPECT_FALSE(ds.DbDAO()->updatable());
    EXPECT_TRUE(mToolkit.shown.empty());
    EXPECT_TRUE(mDialogs.boxes.empty());
    ds.DisconnectDAO();
    EXPECT_EQ(contents(copy), before);
}

TEST_F(ForeignFileTest, ZerosAndDamagedHeadersAreUnrecognisedNotPasswordProtected) {
    const fs::path zeros = mDir / "zeros.db";
    std::ofstream(zeros, std::ios::binary) << std::string(64 * 1024, '\0');
    // A database whose first bytes were overwritten: structured pages, but no header.
    const fs::path damaged = mDir / "damaged.db";
    {
        std::string page(8192, '\0');
        const std::string schema = "CREATE TABLE Customer (Id INTEGER PRIMARY KEY, Name TEXT)";
        page.replace(0, 16, "SQLite formaT 3\x01");
        page.replace(3000, schema.size(), schema);
        std::ofstream(damaged, std::ios::binary) << page;
    }
    for (const auto& p : {zeros, damaged}) {
        const std::string before = contents(p);
        const NumberedError e = connect(p.string());
        EXPECT_EQ(e.number(), err::UnrecognisedFormat) << p << ": " << e.description();
        EXPECT_EQ(contents(p), before);
    }
    EXPECT_TRUE(mToolkit.shown.empty());
}

} // namespace
} // namespace qv
