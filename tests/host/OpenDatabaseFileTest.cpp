// The road a script takes into a database: the add-in opens a file it is given, asks for a
// password through its own dialog, reports every failure itself in the host's language, and
// hands out a table's rows.
#include "HostFixture.h"
#include "tests/support/TestDatabases.h"

#include "common/modGlobalization.h"
#include "engines/sqlite/CipherLibrary.h"
#include "platform/host/HostConstants.h"

namespace qv::test {

namespace {
void makeDatabase(const std::filesystem::path& file) {
    createDatabase(file.string(), "CREATE TABLE Klant(Id INTEGER PRIMARY KEY, Naam TEXT);"
                                  "INSERT INTO Klant(Naam) VALUES('Zoë'),('Jan'),('Piet');"
                                  "CREATE VIEW Namen AS SELECT Naam FROM Klant;");
}

std::string textsOf(const DialogScript& script) {
    std::string all;
    for (const PromptRecord& r : script.records())
        all += r.text + "\n";
    return all;
}
} // namespace

class OpenDatabaseFileTest : public HostFixture {
  protected:
    void SetUp() override {
        HostFixture::SetUp();
        mFile = mDir / "klanten.db";
        makeDatabase(mFile);
        // The start-up hint is not what these tests are about.
        mScript << ScriptStep::dialog("frmMessage").click("cmdOK");
    }
    std::filesystem::path mFile;
};

TEST_F(OpenDatabaseFileTest, OpensTheFileListsItsObjectsAndHandsOutATablesRows) {
    startAddin();
    mEntry->ShowFirstMessage();
    ASSERT_TRUE(mEntry->OpenDatabaseFile(mFile.string()));
    EXPECT_TRUE(mEntry->DataSourceExists());
    ASSERT_TRUE(mEntry->TableList());
    EXPECT_EQ(*mEntry->TableList(), std::vector<std::string>{"Klant"});
    ASSERT_TRUE(mEntry->QueryList());
    EXPECT_EQ(*mEntry->QueryList(), std::vector<std::string>{"Namen"});
    AdoRecordsetPtr rs = mEntry->TableRecordset("Klant");
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->fieldCount(), 2);
    EXPECT_EQ(rs->field(1)->name(), "Naam");
    long rows = 0;
    for (; !rs->eof(); rs->moveNext())
        ++rows;
    EXPECT_EQ(rows, 3);
    EXPECT_TRUE(mScript.finished());
    EXPECT_TRUE(mScript.errors().empty()) << textsOf(mScript);
}

TEST_F(OpenDatabaseFileTest, FailuresAreReportedByTheAddinInDutchAndAnswerFalseOrNull) {
    startAddin({.dutch = true});
    mEntry->ShowFirstMessage();
    mScript << ScriptStep::messageBox("Foutnummer", xl::AnswerOk);
    EXPECT_FALSE(mEntry->OpenDatabaseFile((mDir / "bestaat-niet.db").string()));
    EXPECT_FALSE(mEntry->DataSourceExists());
    EXPECT_TRUE(mScript.finished()) << textsOf(mScript);
    // No database open: the rows of a table are refused, again through the add-in's report.
    mScript << ScriptStep::messageBox("", xl::AnswerOk);
    EXPECT_FALSE(mEntry->TableRecordset("Klant"));
    ASSERT_TRUE(mEntry->OpenDatabaseFile(mFile.string()));
    mScript << ScriptStep::messageBox("Foutnummer", xl::AnswerOk);
    EXPECT_FALSE(mEntry->TableRecordset("Bestaat niet"));
    EXPECT_TRUE(mScript.finished()) << textsOf(mScript);
    EXPECT_TRUE(mScript.errors().empty()) << textsOf(mScript);
    EXPECT_EQ(textsOf(mScript).find("Error Number"), std::string::npos) << textsOf(mScript);
}

// Before, the runner built its own data source with its own copy of the texts, so a Dutch host
// still got an English password dialog and English refusals.
TEST_F(OpenDatabaseFileTest, PasswordIsAskedInDutchAgainAfterAWrongOneAndCancelOpensNothing) {
    if (!engine::CipherLibrary::available()) GTEST_SKIP() << "the encryption library is not installed";
    const auto locked = mDir / "geheim.db";
    engine::CipherLibrary::exportCopy(mFile.string(), "", locked.string(), "Goed-2026");
    startAddin({.dutch = true});
    mEntry->ShowFirstMessage();
    mScript << ScriptStep::dialog("frmPassword").set("txtPassword", Variant("fout")).click("cmdOK")
            << ScriptStep::messageBox(modGlobalization::GetTextIn(modGlobalization::Language::Dutch, 66, {}),
                                      xl::AnswerOk)
            << ScriptStep::dialog("frmPassword").set("txtPassword", Variant("Goed-2026")).click("cmdOK");
    ASSERT_TRUE(mEntry->OpenDatabaseFile(locked.string())) << textsOf(mScript);
    EXPECT_TRUE(mScript.errors().empty()) << textsOf(mScript);
    const PromptRecord& dialog = mScript.records()[1];
    EXPECT_EQ(dialog.dialogName, "frmPassword");
    EXPECT_EQ(dialog.text, "Wachtwoord is vereist");
    EXPECT_EQ(mScript.records()[2].text, "Geen geldig wachtwoord.");

    mScript << ScriptStep::dialog("frmPassword").click("cmdCancel");
    EXPECT_FALSE(mEntry->OpenDatabaseFile(locked.string()));
    EXPECT_TRUE(mScript.finished());
    EXPECT_EQ(mScript.records().size(), 5u) << "a cancel is not reported as an error";
}

} // namespace qv::test
