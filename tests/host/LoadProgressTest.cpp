// Every load a person starts reports to the host's progress and stops at its Cancel: the form's
// show and its reload, the lookup lists built with it, and a saved query's result sheet. A
// cancelled load leaves the form released (or no half-filled result sheet) and the database
// file as it was, byte for byte.
#include "HostFixture.h"

#include "datasource/IDS.h"
#include "form/clsForm.h"
#include "host/Globals.h"
#include "host/clsApplication.h"
#include "platform/IProgress.h"
#include "platform/NumberedError.h"

#include <cstdlib>
#include <fmt/format.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sstream>

namespace qv::test {
namespace {

namespace fs = std::filesystem;

// Parent has 40 rows, Child 120: a fill's report "n / n" tells which of them was copied.
const char* kSchema = R"SQL(
CREATE TABLE Parent (ParentId INTEGER PRIMARY KEY, Name TEXT(20));
CREATE TABLE Child (ChildId INTEGER PRIMARY KEY, ParentId LONG REFERENCES Parent (ParentId), Label TEXT(20));
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 40)
  INSERT INTO Parent SELECT i, 'parent ' || i FROM n;
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 120)
  INSERT INTO Child SELECT i, 1 + i % 40, 'child ' || i FROM n;
CREATE TABLE QvQueries (Name TEXT PRIMARY KEY NOT NULL, SQL TEXT NOT NULL, Type INTEGER);
INSERT INTO QvQueries VALUES ('Labels', 'SELECT ChildId, Label FROM Child WHERE ChildId <= 75', NULL);
)SQL";

// Records every report and cancels at the first whose text is `cancelAt`.
class WatchingProgress : public IProgress {
  public:
    std::vector<std::string> texts;
    std::string cancelAt;
    bool cancelled = false;
    void Report(double, const std::string& text) override {
        texts.push_back(text);
        if (!cancelAt.empty() && text == cancelAt) cancelled = true;
    }
    bool Cancelled() const override { return cancelled; }
    bool saw(const std::string& text) const {
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }
};

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

class LoadProgressTest : public HostFixture {
  protected:
    void SetUp() override {
        HostFixture::SetUp();
        useOwnTempFolder();
        mPath = (mDir / "progress.db").string();
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(mPath.c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
        Options options;
        options.progress = &mProgress;
        startAddin(options);
        mScript << ScriptStep::openFile(mPath) << ScriptStep::dialog("frmMessage").click("cmdOK");
        mEntry->GetDatabase();
        ASSERT_TRUE(mScript.errors().empty()) << textsOf();
    }
    int tableIndex(const std::string& name) {
        const auto names = mEntry->TableList();
        for (std::size_t i = 0; names && i < names->size(); ++i)
            if ((*names)[i] == name) return static_cast<int>(i + 1);
        return 0;
    }
    int queryIndex(const std::string& name) {
        const auto names = mEntry->QueryList();
        for (std::size_t i = 0; names && i < names->size(); ++i)
            if ((*names)[i] == name) return static_cast<int>(i + 1);
        return 0;
    }
    std::string textsOf() const {
        std::string all;
        for (const PromptRecord& r : mScript.records())
            all += r.text + " [" + r.error + "]\n";
        for (const std::string& e : mScript.errors())
            all += e + "\n";
        return all;
    }
    clsForm& form() { return goApplication->Form(); }
    // The file as the engine left it once every connection is closed.
    std::string closedFile() {
        if (auto ds = goApplication->DataSource()) {
            ds->DisconnectADO();
            ds->DisconnectDAO();
        }
        return fileBytes(mPath);
    }

    std::string mPath;
    WatchingProgress mProgress;
};

TEST_F(LoadProgressTest, ShowReloadLookupListsAndResultSheetsReportTheirFills) {
    mEntry->Show(tableIndex("Child"));
    ASSERT_TRUE(form().HasMatrix()) << textsOf() << tableIndex("Child");
    EXPECT_TRUE(mProgress.saw("120 / 120")); // the form's rows
    EXPECT_TRUE(mProgress.saw("40 / 40"));   // the lookup list of ParentId

    mProgress.texts.clear();
    mEntry->Refresh();
    EXPECT_TRUE(mProgress.saw("120 / 120"));
    EXPECT_TRUE(mProgress.saw("40 / 40"));

    mProgress.texts.clear();
    const long sheets = mApp->activeWorkbook()->worksheetCount();
    mEntry->ExecuteQuery(queryIndex("Labels"));
    EXPECT_TRUE(mProgress.saw("75 / 75")) << fmt::format("{}", fmt::join(mProgress.texts, ", "));
    EXPECT_EQ(mApp->activeWorkbook()->worksheetCount(), sheets + 1);
}

TEST_F(LoadProgressTest, CancelAtEachLoadReleasesTheFormAndLeavesTheFileAlone) {
    const std::string before = closedFile();
    // Cancelled while the form's rows are copied, while the lookup list is, and on a reload.
    for (const char* at : {"120 / 120", "40 / 40"}) {
        SCOPED_TRACE(at);
        mProgress.cancelled = false;
        mProgress.cancelAt = "";
        mEntry->Show(tableIndex("Parent"));
        ASSERT_TRUE(form().HasMatrix());
        mProgress.cancelAt = at;
        mEntry->Show(tableIndex("Child"));
        EXPECT_TRUE(mProgress.cancelled);
        EXPECT_FALSE(form().HasMatrix());
        EXPECT_TRUE(form().Sheet()->protectContents());
        EXPECT_TRUE(mApp->enableEvents());
        EXPECT_TRUE(mScript.errors().empty()); // a cancel is silent

        mProgress.cancelled = false;
        mProgress.cancelAt = "";
        mEntry->Show(tableIndex("Child"));
        ASSERT_TRUE(form().HasMatrix());
        mProgress.cancelAt = at;
        mEntry->Refresh();
        EXPECT_TRUE(mProgress.cancelled);
        EXPECT_FALSE(form().HasMatrix());
        EXPECT_EQ(closedFile(), before);
    }
}

TEST_F(LoadProgressTest, CancelledResultSheetIsRemovedAndTheFileIsUntouched) {
    const std::string before = closedFile();
    const long sheets = mApp->activeWorkbook()->worksheetCount();
    mProgress.cancelAt = "75 / 75";
    mEntry->ExecuteQuery(queryIndex("Labels"));
    EXPECT_TRUE(mProgress.cancelled);
    EXPECT_EQ(mApp->activeWorkbook()->worksheetCount(), sheets);
    EXPECT_TRUE(mScript.errors().empty());
    EXPECT_EQ(closedFile(), before);
}

} // namespace qv::test
