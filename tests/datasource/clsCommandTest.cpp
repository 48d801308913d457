// Running saved queries and free SQL against a real SQLite file, on our spreadsheet host, with
// every question and prompt answered by a script: what is asked before a statement runs, how a
// saved query's text and parameters reach the engine, where the rows go and what a change
// reports. Changes are checked by reading the file with SQLite itself.
#include "datasource/clsCommand.h"
#include "common/ISettings.h"
#include "common/clsAux.h"
#include "common/modGlobalization.h"
#include "datasource/clsDSAccess.h"
#include "datasource/modQueryText.h"
#include "engines/mdb/MdbEngineClasses.h"
#include "engines/sqlite/MetadataStore.h"
#include "engines/sqlite/SqliteEngineClasses.h"
#include "engines/sqlite/SqliteHandle.h"
#include "platform/engine/AdoConstants.h"
#include "platform/host/HostConstants.h"
#include "spreadsheet/commandbars/CommandBarSet.h"
#include "spreadsheet/model/Application.h"
#include "system/DialogScript.h"
#include "system/ScriptedDialogs.h"
#include "system/ScriptedToolkit.h"
#include "tests/support/EngineClassFactory.h"
#include "tests/support/TestDatabases.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <unistd.h>

namespace qv {
namespace {

namespace fs = std::filesystem;

constexpr int AskQuestion = xl::MsgYesNo + xl::MsgQuestion + xl::MsgSetForeground;
constexpr int AskExclamation = xl::MsgYesNo + xl::MsgExclamation + xl::MsgSetForeground;

class MemorySettings : public ISettings {
  public:
    std::map<std::string, Variant> values = {
        {"Setting color title back", Variant(8404992)},
        {"Setting color title front", Variant(16777215)},
        {"Setting color matrix lines", Variant(8404992)},
        {"Setting warning nr of cells", Variant(1000000)},
        {"Setting freeze top row", Variant("True")},
        {"Setting adjust widths columns automatically", Variant("False")},
        {"Setting fixed column width", Variant(20)},
    };
    Variant GetSetting(const std::string& name) override {
        auto it = values.find(name);
        return it == values.end() ? Variant("") : it->second;
    }
    void SaveSetting(int, const std::string& name, const Variant& value) override { values[name] = value; }
    Variant ReadSetting(const std::string& name) override { return GetSetting(name); }
    bool IsMessageEnabled(const std::string& name) override {
        auto it = values.find(name);
        return it == values.end() || it->second.toBool();
    }
};

// One value of the file, read with SQLite itself.
using test::readBack;

class CommandTest : public ::testing::Test {
  protected:
    void SetUp() override {
        modGlobalization::SetCountryCode(1);
        mDir = fs::temp_directory_path() / ("qv_cmd_" + std::to_string(::getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(mDir);
        fs::create_directories(mDir);
        mPath = (mDir / "shop.db").string();
        test::createDatabase(
            mPath, "CREATE TABLE Items(Id INTEGER PRIMARY KEY, Name TEXT, Price REAL, Active BOOLEAN);"
                   "INSERT INTO Items(Name, Price, Active) VALUES"
                   " ('Pen', 1.5, 1), ('O''Brien mug', 7.25, 1), ('Lamp', 30, 0),"
                   " ('Desk', 250, 1), ('Chair', 99.999999, 0);"
                   "CREATE TABLE Scratch(Id INTEGER PRIMARY KEY, Note TEXT);"
                   "INSERT INTO Scratch(Note) VALUES ('a'), ('b');");
        ASSERT_FALSE(HasFatalFailure());
        saveQuery("Mugs", "SELECT Name, Price FROM Items WHERE Name = \"O'Brien mug\"");
        saveQuery("Cheap Items", "SELECT Name, Price FROM Items WHERE Price < 50 ORDER BY Id");
        saveQuery("Raise Cheap Prices",
                  "UPDATE Items SET Price = Price + 1 WHERE Price < 50 AND Name <> \"Chair\"");
        saveQuery("Price Range", "PARAMETERS [Lowest] Double, [Highest] Double; SELECT Name FROM Items WHERE "
                                 "Price BETWEEN [Lowest] AND [Highest] ORDER BY Price");
        saveQuery("Items By State",
                  "PARAMETERS [Is Active] Bit; SELECT Name FROM Items WHERE Active = [Is Active] "
                  "ORDER BY Id");

        sheet::ApplicationOptions ao;
        ao.dialogs = &mDialogs;
        mApp = sheet::Application::create(ao);
        mBook = mApp->addWorkbook();
        mBook->setBuiltinProperty("Revision Number", Variant(12));

        AuxContext ac;
        ac.application = [this] { return ApplicationPtr(mApp); };
        ac.addinWorkbook = [this] { return mBook; };
        ac.settings = &mSettings;
        ac.dialogs = &mDialogs;
        ac.toolkit = &mToolkit;
        mAux = std::make_unique<clsAux>(std::move(ac));

        DSContext dc;
        dc.Objects = &mFactory;
        dc.Toolkit = &mToolkit;
        dc.Dialogs = &mDialogs;
        dc.CurrentTableName = [] { return std::string(); };
        dc.InputBox = [this](const std::string& prompt, const std::string& title, int type) {
            return mApp->inputBox(prompt, title, Variant(), type);
        };
        mDS = std::make_shared<clsDSAccess>(std::move(dc));
        mDS->SetDatabasePath(mPath);
        ASSERT_TRUE(mDS->ConnectDAO());
        mDS->DetermineDbObjects(true);
        mDS->DetermineDbObjects(false);

        CommandContext cc;
        cc.Application = [this] { return ApplicationPtr(mApp); };
        cc.DataSource = [this] { return std::static_pointer_cast<IDS>(mDS); };
        cc.Aux = mAux.get();
        cc.Dialogs = &mDialogs;
        cc.FormSheet = [] { return WorksheetPtr(); };
        cc.FillSheetFromRecordset = [this](const WorksheetPtr& sheet, const AdoRecordsetPtr& rs,
                                           std::int32_t row,
                                           std::int16_t column) { return fill(sheet, rs, row, column); };
        cc.DataSourceKind = [] { return 0; };
        mCommand = std::make_unique<clsCommand>(std::move(cc));
    }
    void TearDown() override {
        mCommand.reset();
        mDS.reset();
        std::error_code ec;
        fs::remove_all(mDir, ec);
    }

    void saveQuery(const std::string& name, const std::string& sql) {
        auto handle = engine::SqliteHandle::open(mPath, engine::SqliteHandle::Options{});
        engine::MetadataStore(handle->db()).saveQuery(name, sql);
    }

    // The plain fill the controller offers: names, then the records; a test may make it fail
    // halfway.
    RangePtr fill(const WorksheetPtr& sheet, const AdoRecordsetPtr& rs, std::int32_t row,
                  std::int16_t column) {
        for (long i = 0; i < rs->fieldCount(); ++i)
            sheet->cells(row, column + i)->setValue(Variant(rs->field(i)->name()));
        if (mFailFill)
            throw NumberedError(err::ApplicationDefined, "Range", "The sheet cannot take these values");
        const long n = sheet->cells(row + 1, column)->copyFromRecordset(*rs);
        if (n == 0) return nullptr;
        return sheet->rangeOf(row + 1, column, row + n, column + rs->fieldCount() - 1);
    }

    std::vector<std::string> sheetNames() const {
        std::vector<std::string> names;
        for (long i = 1; i <= mBook->worksheetCount(); ++i)
            names.push_back(mBook->worksheet(i)->name());
        return names;
    }

    std::string prompts() const {
        std::string all;
        for (const PromptRecord& r : mScript.records())
            all += r.text + " | ";
        return all;
    }

    // The text of the switchable message shown last.
    std::string lastUserMessage() const {
        for (auto r = mScript.records().rbegin(); r != mScript.records().rend(); ++r)
            for (const DialogControl& c : r->controls)
                if (c.name == "lblText") return c.caption.empty() ? c.value.toString() : c.caption;
        return "<none>";
    }

    void runSaved(const std::string& name) {
        std::string sql;
        const auto& names = *mDS->QueryNames();
        std::int16_t index = 0;
        for (std::size_t i = 1; i <= names.Count(); ++i)
            if (names.Item(i) == name) index = static_cast<std::int16_t>(i);
        ASSERT_GT(index, 0) << name;
        mCommand->ExecuteCommand(false, true, sql, index);
    }

    fs::path mDir;
    std::string mPath;
    DialogScript mScript;
    ScriptedDialogs mDialogs{mScript};
    ScriptedToolkit mToolkit{mScript};
    MemorySettings mSettings;
    test::EngineClassFactory<registerEngineClasses> mFactory; // SQLite files and Access files alike
    std::shared_ptr<sheet::Application> mApp;
    WorkbookPtr mBook;
    std::unique_ptr<clsAux> mAux;
    std::shared_ptr<clsDSAccess> mDS;
    std::unique_ptr<clsCommand> mCommand;
    bool mFailFill = false;
};

TEST(QueryTextTest, DoubleQuotedLiteralsBecomeSingleQuotedOnes) {
    EXPECT_EQ(SingleQuotedLiterals("SELECT * FROM t WHERE a = \"x\""), "SELECT * FROM t WHERE a = 'x'");
    // A single quote inside becomes two, a doubled double quote one.
    EXPECT_EQ(SingleQuotedLiterals("WHERE n = \"O'Brien\""), "WHERE n = 'O''Brien'");
    EXPECT_EQ(SingleQuotedLiterals("WHERE n = \"say \"\"hi\"\"\""), "WHERE n = 'say \"hi\"'");
    // Names, literals already single-quoted and comments keep their double quotes.
    EXPECT_EQ(SingleQuotedLiterals("SELECT [a\"b], `c\"d` FROM t WHERE x = 'e\"f'"),
              "SELECT [a\"b], `c\"d` FROM t WHERE x = 'e\"f'");
    EXPECT_EQ(SingleQuotedLiterals("SELECT 1 -- \"note\"\nFROM t /* \"x\" */ WHERE y = \"z\""),
              "SELECT 1 -- \"note\"\nFROM t /* \"x\" */ WHERE y = 'z'");
    EXPECT_EQ(SingleQuotedLiterals("WHERE [Name]]\"] = \"v\""), "WHERE [Name]]\"] = 'v'");
    // An unterminated literal is left for the engine to report.
    EXPECT_EQ(SingleQuotedLiterals("WHERE a = \"open"), "WHERE a = \"open");
    EXPECT_EQ(SingleQuotedLiterals(""), "");
}

TEST(ReturnsRowsTest, TheStatementsWordsDecide) {
    EXPECT_TRUE(clsCommand::ReturnsRows("SELECT * FROM t"));
    EXPECT_TRUE(clsCommand::ReturnsRows("select a from t"));
    EXPECT_TRUE(clsCommand::ReturnsRows("TRANSFORM Sum(x) SELECT a FROM t GROUP BY a PIVOT b"));
    EXPECT_TRUE(clsCommand::ReturnsRows("(SELECT a FROM t) UNION (SELECT b FROM u)"));
    EXPECT_FALSE(clsCommand::ReturnsRows("SELECT * INTO Copy FROM t"));
    EXPECT_FALSE(clsCommand::ReturnsRows("UPDATE t SET a = 1"));
    EXPECT_FALSE(clsCommand::ReturnsRows(" SELECT * FROM t"));
}

TEST_F(CommandTest, ChangingStatementsAreConfirmedWithTheRightQuestions) {
    // A make-table select asks the action question.
    mScript << ScriptStep::messageBox("will alter", xl::AnswerYes).flags(AskQuestion);
    EXPECT_TRUE(mCommand->ConfirmStatement("SELECT * INTO Copy FROM Items"));
    // A delete without a where clause asks twice; No at the second question stops.
    mScript << ScriptStep::messageBox("will alter", xl::AnswerYes).flags(AskQuestion)
            << ScriptStep::messageBox("will be erased", xl::AnswerNo).flags(AskExclamation);
    EXPECT_FALSE(mCommand->ConfirmStatement("DELETE FROM Items"));
    mScript << ScriptStep::messageBox("will alter", xl::AnswerYes);
    EXPECT_TRUE(mCommand->ConfirmStatement("DELETE FROM Items WHERE Id = 1"));
    // Dropping a table: data definition, then the drop itself.
    mScript << ScriptStep::messageBox("data-definition", xl::AnswerYes).flags(AskQuestion)
            << ScriptStep::messageBox("dropped", xl::AnswerYes).flags(AskExclamation);
    EXPECT_TRUE(mCommand->ConfirmStatement("DROP TABLE Items"));
    mScript << ScriptStep::messageBox("data-definition", xl::AnswerNo);
    EXPECT_FALSE(mCommand->ConfirmStatement("Drop  Table Items"));
    mScript << ScriptStep::messageBox("data-definition", xl::AnswerYes);
    EXPECT_TRUE(mCommand->ConfirmStatement("CREATE TABLE X (a INT)"));
    // Selects, unions and parameter selects run unasked.
    EXPECT_TRUE(mCommand->ConfirmStatement("SELECT * FROM Items"));
    EXPECT_TRUE(mCommand->ConfirmStatement("PARAMETERS [a] Long; SELECT * FROM Items WHERE Id = [a]"));
    EXPECT_TRUE(mScript.finished()) << prompts();
    EXPECT_TRUE(mScript.errors().empty()) << prompts();
}

TEST_F(CommandTest, StatementsOfNoKnownKindAreAskedAboutLikeActionQueries) {
    for (const char* sql :
         {"-- tidy up\nDELETE FROM Items WHERE Id = 1", "(DELETE FROM Items WHERE Id = 1)",
          "WITH x AS (SELECT 1) DELETE FROM Items WHERE Id = 1", "  \r\nUPDATE Items SET Price = 0",
          "UPDATE Items SET Price = 0 WHERE Id IN (SELECT 1 UNION SELECT 2)",
          "PARAMETERS [a] Long; UPDATE Items SET Price = [a]"}) {
        mScript << ScriptStep::messageBox("will alter", xl::AnswerNo).flags(AskQuestion);
        EXPECT_FALSE(mCommand->ConfirmStatement(sql)) << sql;
    }
    // The erase question still follows when the delete has no where clause.
    mScript << ScriptStep::messageBox("will alter", xl::AnswerYes)
            << ScriptStep::messageBox("erased", xl::AnswerNo);
    EXPECT_FALSE(mCommand->ConfirmStatement("/* all */ DELETE FROM Items"));
    EXPECT_TRUE(mScript.finished()) << prompts();
    EXPECT_TRUE(mScript.errors().empty()) << prompts();
}

TEST_F(CommandTest, ResultSheetNamesFitTheHostAndCountUp) {
    EXPECT_EQ(mCommand->ResultSheetName("Cheap Items", false), "Query Cheap Items");
    EXPECT_EQ(mCommand->ResultSheetName("Cheap Items", true), "View Cheap Items");
    EXPECT_EQ(mCommand->ResultSheetName("", false), "SQL statement");
    // The host's forbidden characters are replaced.
    EXPECT_EQ(mCommand->ResultSheetName("Sales: 1/2 [draft]?*\\", false), "Query Sales_ 1_2 _draft____");
    EXPECT_EQ(mCommand->ResultSheetName("Bob's'", false), "Query Bob's_");
    // A taken name counts up; a 31-unit base is cut to make room for the suffix.
    const std::string longName = "A very long query name indeed!!";
    const std::string base = mCommand->ResultSheetName(longName, false);
    EXPECT_EQ(base, "Query A very long query name in");
    mBook->worksheet(1L)->setName(base);
    EXPECT_EQ(mCommand->ResultSheetName(longName, false), "Query A very long query nam (1)");
    // Every suffix fits: a 26-unit base takes " (99)" whole, and is cut for " (100)".
    const std::string shortBase = "Query 12345678901234567890";
    mBook->worksheet(1L)->setName(shortBase);
    for (int n = 1; n <= 99; ++n)
        mBook->addWorksheet()->setName(shortBase + " (" + std::to_string(n) + ")");
    const std::string hundredth = mCommand->ResultSheetName("12345678901234567890", false);
    EXPECT_EQ(hundredth, "Query 1234567890123456789 (100)");
    mBook->addWorksheet()->setName(hundredth);
    // Names are compared without regard to case.
    EXPECT_TRUE(mCommand->SheetExists("query 12345678901234567890 (3)"));
    // A character outside the basic plane is never cut in half.
    const std::string emoji = "\xF0\x9F\x98\x80";
    std::string wide;
    for (int i = 0; i < 15; ++i)
        wide += emoji;
    EXPECT_EQ(mCommand->ResultSheetName(wide, false), "Query " + wide.substr(0, 12 * 4));
}

TEST_F(CommandTest, SavedSelectWritesItsRowsOnANamedSheetAndASecondRunCountsUp) {
    runSaved("Mugs");
    ASSERT_EQ(sheetNames(), (std::vector<std::string>{"Sheet1", "Query Mugs"}));
    WorksheetPtr s = mBook->worksheet("Query Mugs");
    EXPECT_EQ(s->cells(1, 1)->value().toString(), "Name");
    EXPECT_EQ(s->cells(2, 1)->value().toString(), "O'Brien mug");
    EXPECT_TRUE(s->cells(3, 1)->value().isEmpty());
    EXPECT_EQ(s->frozenRows(), 1);
    runSaved("Mugs");
    EXPECT_EQ(sheetNames(), (std::vector<std::string>{"Sheet1", "Query Mugs", "Query Mugs (1)"}));
    EXPECT_EQ(mApp->statusBar(), "Ready");
    EXPECT_TRUE(mScript.records().empty()) << prompts();
    EXPECT_FALSE(mDS->IsConnected());
}

TEST_F(CommandTest, AQueryPickedFromTheMenuIsNamedByTheClickedControl) {
    auto bars = std::dynamic_pointer_cast<sheet::CommandBarSet>(mApp->commandBars());
    ASSERT_TRUE(bars);
    CommandBarControlPtr control = bars->add("Queries")->controls()->add(xl::ControlButton);
    control->setCaption("Cheap Items");
    control->setParameter("Cheap Items");
    bars->setActionControl(control);
    std::string sql;
    mCommand->ExecuteCommand(false, true, sql, 0);
    bars->setActionControl(nullptr);
    EXPECT_EQ(sql, "SELECT Name, Price FROM Items WHERE Price < 50 ORDER BY Id");
    WorksheetPtr s = mBook->findWorksheet("Query Cheap Items");
    ASSERT_TRUE(s) << prompts();
    EXPECT_EQ(s->cells(4, 1)->value().toString(), "Lamp");
    // Outside a click there is no control to take the name from: reported, nothing run.
    mScript << ScriptStep::messageBox("", xl::AnswerOk);
    mCommand->ExecuteCommand(false, true, sql, 0);
    EXPECT_TRUE(mScript.finished()) << prompts();
    EXPECT_EQ(mBook->worksheetCount(), 2);
}

TEST_F(CommandTest, UpdateOfThreeRecordsReportsTheCount) {
    mScript << ScriptStep::messageBox("will alter", xl::AnswerYes)
            << ScriptStep::dialog("frmMessage").click("cmdOK");
    runSaved("Raise Cheap Prices");
    EXPECT_TRUE(mScript.finished()) << prompts();
    EXPECT_EQ(lastUserMessage(), "The query has been executed succesfully.\r3 records have been affected.\r"
                                 "Reopen the table or database to see the result.");
    EXPECT_EQ(readBack(mPath, "SELECT group_concat(Price, ';') FROM (SELECT Price FROM Items ORDER BY Id)"),
              "2.5;8.25;31.0;250.0;99.999999");
    EXPECT_EQ(sheetNames(), std::vector<std::string>{"Sheet1"});
}

TEST_F(CommandTest, DeclinedStatementLeavesTheDatabaseAsItWas) {
    mScript << ScriptStep::messageBox("will alter", xl::AnswerNo);
    runSaved("Raise Cheap Prices");
    EXPECT_EQ(readBack(mPath, "SELECT Price FROM Items WHERE Id = 1"), "1.5");
    EXPECT_TRUE(mScript.finished()) << prompts();
}

TEST_F(CommandTest, ParametersArePromptedInOrderAndBound) {
    mScript << ScriptStep::input("Input parameter: Lowest\rEnter a numeric value.", "5")
            << ScriptStep::input("Input parameter: Highest", "100");
    runSaved("Price Range");
    EXPECT_TRUE(mScript.finished()) << prompts();
    EXPECT_TRUE(mScript.errors().empty()) << prompts();
    WorksheetPtr s = mBook->findWorksheet("Query Price Range");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->cells(2, 1)->value().toString(), "O'Brien mug");
    EXPECT_EQ(s->cells(3, 1)->value().toString(), "Lamp");
    EXPECT_EQ(s->cells(4, 1)->value().toString(), "Chair");
    EXPECT_TRUE(s->cells(5, 1)->value().isEmpty());
}

// An Access query that asks for a name it never declares: Access prompts for it as text, and
// so do we, and the answer picks the rows.
TEST_F(CommandTest, AnUndeclaredNameInAnAccessQueryIsPromptedAsText) {
    const fs::path fixture = "../shared/fixtures/access/parameters.accdb";
    if (!fs::exists(fixture)) GTEST_SKIP() << "Access fixture " << fixture << " is absent";
    const fs::path copy = mDir / "parameters.accdb";
    fs::copy_file(fixture, copy);
    mDS->DisconnectDAO();
    mDS->SetDatabasePath(copy.string());
    ASSERT_TRUE(mDS->ConnectDAO());
    mDS->DetermineDbObjects(true);
    mDS->DetermineDbObjects(false);
    mScript << ScriptStep::input("Input parameter: Enter the country: Example: 'USA'\rEnter a value.", "3x");
    runSaved("Z qq");
    EXPECT_TRUE(mScript.finished()) << prompts();
    EXPECT_TRUE(mScript.errors().empty()) << prompts();
    WorksheetPtr s = mBook->findWorksheet("Query Z qq");
    ASSERT_TRUE(s) << prompts();
    EXPECT_EQ(s->cells(1, 2)->value().toString(), "text1");
    EXPECT_EQ(s->cells(2, 2)->value().toString(), "3x");
    EXPECT_TRUE(s->cells(3, 2)->value().isEmpty());
}

TEST_F(CommandTest, CancelOnANumericPromptEndsSilently) {
    mScript << ScriptStep::input("Lowest", std::nullopt);
    runSaved("Price Range");
    EXPECT_TRUE(mScript.finished()) << prompts();
    EXPECT_EQ(mScript.records().size(), 1u) << prompts();
    EXPECT_EQ(sheetNames(), std::vector<std::string>{"Sheet1"});
    EXPECT_FALSE(mDS->IsConnected());
    EXPECT_EQ(mApp->statusBar(), "Ready");
}

TEST_F(CommandTest, AYesNoParameterTakesFalseInEitherLanguage) {
    // The text a Dutch host gives for the logical value false.
    std::vector<std::string> prompts;
    DSContext dc;
    dc.Objects = &mFactory;
    dc.CurrentTableName = [] { return std::string(); };
    std::string answer;
    dc.InputBox = [&](const std::string& prompt, const std::string&, int type) {
        prompts.push_back(prompt + " #" + std::to_string(type));
        return Variant(answer);
    };
    clsDSAccess ds(std::move(dc));
    ds.SetDatabasePath(mPath);
    ASSERT_TRUE(ds.ConnectDAO());
    ds.DetermineDbObjects(false);
    for (const char* text : {"Onwaar", "False"}) {
        answer = text;
        ds.ConnectADO();
        AdoCommandPtr cmd = ds.InitializeCommand();
        ds.DefineCommand(*cmd, "Items By State");
        EXPECT_EQ(cmd->commandType(), ado::CmdStoredProc);
        EXPECT_EQ(cmd->commandText(), "`Items By State`");
        ASSERT_EQ(cmd->parameterCount(), 1) << text;
        AdoRecordsetPtr rs = cmd->execute();
        ASSERT_EQ(rs->recordCount(), 2) << text;
        EXPECT_EQ(rs->valueAt(0, 0).toString(), "Lamp");
        ds.DisconnectADO();
    }
    ASSERT_EQ(prompts.size(), 2u);
    EXPECT_NE(prompts[0].find("Input parameter: Is Active\r"), std::string::npos);
    EXPECT_NE(prompts[0].find("#4"), std::string::npos);
    // For any other type the logical false is Cancel, in either language.
    ds.SetDatabasePath(mPath);
    for (const char* text : {"Onwaar", "false"}) {
        answer = text;
        AdoCommandPtr cmd = ds.InitializeCommand();
        try {
            ds.DefineCommand(*cmd, "Price Range");
            ADD_FAILURE() << text << " was taken as a value";
        } catch (const NumberedError& e) {
            EXPECT_EQ(e.number(), err::Cancelled) << text;
        }
    }
}

TEST_F(CommandTest, SavedQueryWithoutParametersRunsAsTextWithSingleQuotes) {
    mDS->ConnectADO();
    AdoCommandPtr cmd = mDS->InitializeCommand();
    mDS->DefineCommand(*cmd, "Mugs");
    EXPECT_EQ(cmd->commandType(), ado::CmdText);
    EXPECT_EQ(cmd->commandText(), "SELECT Name, Price FROM Items WHERE Name = 'O''Brien mug'");
    EXPECT_EQ(cmd->execute()->recordCount(), 1);
    mDS->DisconnectADO();
}

TEST_F(CommandTest, AFailedResultSheetIsRemovedAndReported) {
    mFailFill = true;
    mScript << ScriptStep::messageBox("The sheet cannot take these values", xl::AnswerOk)
                   .flags(xl::MsgInformation + xl::MsgSetForeground);
    runSaved("Cheap Items");
    EXPECT_TRUE(mScript.finished()) << prompts();
    EXPECT_TRUE(mScript.errors().empty()) << prompts();
    EXPECT_NE(mScript.records().at(0).text.find("Query: Cheap Items"), std::string::npos) << prompts();
    EXPECT_EQ(sheetNames(), std::vector<std::string>{"Sheet1"});
    EXPECT_TRUE(mApp->screenUpdating());
    EXPECT_FALSE(mDS->IsConnected());
}

TEST_F(CommandTest, TooManyCellsCanBeDeclinedBeforeAnythingIsWritten) {
    mSettings.values["Setting warning nr of cells"] = Variant(3);
    mScript << ScriptStep::messageBox("", xl::AnswerNo);
    runSaved("Cheap Items");
    EXPECT_TRUE(mScript.finished()) << prompts();
    EXPECT_EQ(sheetNames(), std::vector<std::string>{"Sheet1"});
}

TEST_F(CommandTest, FreeSqlIsAskedForAndItsFailureNamesTheStatement) {
    mScript << ScriptStep::input("Execute SQL statement:", "  SELECT Name FROM Items WHERE Id < 3  ");
    mCommand->RunCommand(false, false, 0);
    ASSERT_TRUE(mBook->findWorksheet("SQL statement"));
    EXPECT_EQ(mBook->findWorksheet("SQL statement")->cells(3, 1)->value().toString(), "O'Brien mug");
    // Cancel and an empty answer do nothing.
    mScript << ScriptStep::input("", std::nullopt) << ScriptStep::input("", "   ");
    mCommand->RunCommand(false, false, 0);
    mCommand->RunCommand(false, false, 0);
    mScript << ScriptStep::input("", "SELECT Nope FROM Items")
            << ScriptStep::messageBox("SQL: SELECT Nope FROM Items\r", xl::AnswerOk);
    mCommand->RunCommand(false, false, 0);
    EXPECT_TRUE(mScript.finished()) << prompts();
    EXPECT_TRUE(mScript.errors().empty()) << prompts();
    EXPECT_EQ(mBook->worksheetCount(), 2);
}

TEST_F(CommandTest, DropTableAnsweredNoAtTheSecondQuestionKeepsTheTable) {
    std::string sql = "DROP TABLE Scratch";
    mScript << ScriptStep::messageBox("data-definition", xl::AnswerYes)
            << ScriptStep::messageBox("dropped", xl::AnswerNo);
    mCommand->ExecuteCommand(false, false, sql, 0);
    EXPECT_EQ(readBack(mPath, "SELECT count(*) FROM Scratch"), "2");
    mScript << ScriptStep::messageBox("data-definition", xl::AnswerYes)
            << ScriptStep::messageBox("dropped", xl::AnswerYes)
            << ScriptStep::dialog("frmMessage").click("cmdOK");
    mCommand->ExecuteCommand(false, false, sql, 0);
    EXPECT_EQ(readBack(mPath, "SELECT count(*) FROM sqlite_master WHERE name = 'Scratch'"), "0");
    EXPECT_TRUE(mScript.finished()) << prompts();
    EXPECT_EQ(lastUserMessage().rfind("SQL statement has been executed succesfully.\r", 0), 0u)
        << lastUserMessage();
}

TEST_F(CommandTest, NoDatabaseIsReportedAsAMissingConnection) {
    mDS.reset();
    std::string sql = "SELECT 1";
    mScript << ScriptStep::messageBox("The database connection is not available.", xl::AnswerOk)
                   .flags(xl::MsgExclamation + xl::MsgSetForeground);
    mCommand->ExecuteCommand(false, false, sql, 0);
    EXPECT_TRUE(mScript.finished()) << prompts();
}

} // namespace
} // namespace qv
