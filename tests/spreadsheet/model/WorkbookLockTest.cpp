// The owner file beside an open workbook: other hosts see the file as taken while it is open,
// never after it was closed, and never because of a lock its dead owner left behind.
#include "spreadsheet/model/WorkbookLock.h"
#include "platform/NumberedError.h"
#include "spreadsheet/model/Application.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace qv;
using namespace qv::sheet;

namespace {

class WorkbookLockTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() / ("qv-lock-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string machine() {
        char buf[256] = {};
        ::gethostname(buf, sizeof buf - 1);
        return buf;
    }
    void writeLock(const std::string& book, const std::string& line) {
        std::ofstream(WorkbookLock::lockPathFor(book)) << line << "\n";
    }
    // A process id that has certainly ended: a child that exited and was reaped.
    long deadPid() {
        const pid_t child = ::fork();
        if (child == 0) ::_exit(0);
        int status = 0;
        ::waitpid(child, &status, 0);
        return child;
    }
    std::filesystem::path dir;
};

} // namespace

TEST_F(WorkbookLockTest, SavedWorkbookIsLockedUntilClosed) {
    auto app = Application::create({});
    auto book = app->addWorkbook();
    const std::string path = (dir / "Quorvel LT.xlsx").string();
    ASSERT_TRUE(book->saveAs(path));
    EXPECT_TRUE(std::filesystem::exists(dir / "~$Quorvel LT.xlsx"));
    // This host's own lock does not make the file taken for itself.
    EXPECT_FALSE(app->workbookFileInUse(path));
    const std::string other = (dir / "Other.xlsx").string();
    ASSERT_TRUE(book->saveAs(other));
    EXPECT_FALSE(std::filesystem::exists(dir / "~$Quorvel LT.xlsx"));
    EXPECT_TRUE(std::filesystem::exists(dir / "~$Other.xlsx"));
    ASSERT_TRUE(book->close(false));
    EXPECT_FALSE(std::filesystem::exists(dir / "~$Other.xlsx"));

    auto reopened = app->openWorkbook(other);
    EXPECT_TRUE(std::filesystem::exists(dir / "~$Other.xlsx"));
    reopened->close(false);
    EXPECT_FALSE(std::filesystem::exists(dir / "~$Other.xlsx"));
}

TEST_F(WorkbookLockTest, LiveOwnersCountStaleOnesDoNot) {
    const std::string path = (dir / "Quorvel LT.xlsx").string();
    std::ofstream(path) << "x";
    auto app = Application::create({});
    EXPECT_FALSE(app->workbookFileInUse(path));
    // The parent of this test runs as long as the test does.
    writeLock(path, "ada," + machine() + "," + std::to_string(::getppid()));
    EXPECT_TRUE(app->workbookFileInUse(path));
    writeLock(path, "ada,some-other-machine,12");
    EXPECT_TRUE(app->workbookFileInUse(path));
    writeLock(path, "ada," + machine() + "," + std::to_string(deadPid()));
    EXPECT_FALSE(app->workbookFileInUse(path));
    for (const char* junk : {"", "no commas", "a,b,", "a,b,-4", ",,0"}) {
        writeLock(path, junk);
        EXPECT_FALSE(app->workbookFileInUse(path)) << junk;
    }
}

TEST_F(WorkbookLockTest, SavingOverAFileAnotherHostHoldsIsRefusedAndLeavesItAlone) {
    const std::string path = (dir / "Shared.xlsx").string();
    std::ofstream(path) << "theirs";
    writeLock(path, "bert," + machine() + "," + std::to_string(::getppid()));
    auto app = Application::create({});
    app->setDisplayAlerts(false);
    auto book = app->addWorkbook();
    try {
        book->saveAs(path);
        FAIL() << "saved over a file in use";
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), 1004);
    }
    std::ifstream in(path);
    std::string content;
    in >> content;
    EXPECT_EQ(content, "theirs");
    // Their lock is theirs: closing our workbook leaves it.
    book->close(false);
    EXPECT_TRUE(std::filesystem::exists(WorkbookLock::lockPathFor(path)));
}
