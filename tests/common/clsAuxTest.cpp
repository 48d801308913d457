// The decisions of the common utilities: statement kinds, database error texts, the start-up
// checks, the large-load and workbook confirmations, hot keys and the command-bar reset, and the
// text operations.
#include "CommonFakes.h"

#include "common/CommandBarTags.h"
#include "common/SettingNames.h"
#include "common/clsAux.h"
#include "common/modGlobalization.h"
#include "platform/engine/IAdoRecordset.h"
#include "tests/support/TempRegistry.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

using test::FakeApplication;
using test::FakeCB;
using test::FakeObjectFactory;
using test::FakeSettings;
using test::FakeWorkbook;
using test::ScriptedDialogs;

// Only the size matters to the large-load warning.
class SizedRecordset : public IAdoRecordset {
  public:
    SizedRecordset(long long records, long fields) : mRecords(records), mFields(fields) {}
    int state() const override { return 1; }
    void close() override {}
    long long recordCount() const override { return mRecords; }
    bool eof() const override { return true; }
    bool bof() const override { return true; }
    void moveFirst() override {}
    void moveNext() override {}
    long long absolutePosition() const override { return 0; }
    long fieldCount() const override { return mFields; }
    std::shared_ptr<IAdoField> field(long) const override { return nullptr; }
    std::shared_ptr<IAdoField> field(const std::string&) const override { return nullptr; }
    Variant valueAt(long long, long) const override { return {}; }

  private:
    long long mRecords;
    long mFields;
};

class clsAuxTest : public ::testing::Test {
  protected:
    clsAuxTest() {
        workbook->props["Revision Number"] = Variant::integer(12);
        ctx.application = [this] { return app; };
        ctx.addinWorkbook = [this] { return workbook; };
        ctx.settings = &settings;
        ctx.dialogs = &dialogs;
        ctx.objects = &objects;
        ctx.registry = registry.get();
        ctx.openWebPage = [this](const std::string& a) { pagesOpened.push_back(a); };
        ctx.formIsOpen = [this] { return formOpen; };
        ctx.formAllowsChanges = [this] { return formWritable; };
    }
    void TearDown() override { modGlobalization::SetCountryCode(0); }

    clsAux aux() { return clsAux(ctx); }

    std::shared_ptr<FakeApplication> app = std::make_shared<FakeApplication>();
    std::shared_ptr<FakeWorkbook> workbook = std::make_shared<FakeWorkbook>();
    FakeSettings settings;
    ScriptedDialogs dialogs;
    FakeObjectFactory objects;
    test::TempRegistry registry;
    std::vector<std::string> pagesOpened;
    bool formOpen = true, formWritable = true;
    AuxContext ctx;
};

TEST_F(clsAuxTest, StatementKindsFollowTheOrderOfTheTests) {
    EXPECT_EQ(clsAux::GetQueryIcon("SELECT * INTO Archive FROM Orders"), 533);
    EXPECT_EQ(clsAux::GetQueryIcon("select a.* from a union select b.* from b"), 530);
    EXPECT_EQ(clsAux::GetQueryIcon("Select * From T"), 531);
    EXPECT_EQ(clsAux::GetQueryIcon(" Select * From T"), 463); // prefixes do not skip blanks
    EXPECT_EQ(clsAux::GetQueryIcon("CREATE TABLE x (id int)"), 212);
    EXPECT_EQ(clsAux::GetQueryIcon("Drop Table x"), 212);
    EXPECT_EQ(clsAux::GetQueryIcon("D R O P table x"), 212);
    EXPECT_EQ(clsAux::GetQueryIcon("\r\n  alter table x add y int"), 212);
    EXPECT_EQ(clsAux::GetQueryIcon("PARAMETERS p Long; DELETE FROM T WHERE id=p"), 628);
    EXPECT_EQ(clsAux::GetQueryIcon("insert into T select * from U union select * from V"), 535);
    EXPECT_EQ(clsAux::GetQueryIcon("DELETE FROM T"), 536);
    EXPECT_EQ(clsAux::GetQueryIcon("Update T set a=1"), 534);
    EXPECT_EQ(clsAux::GetQueryIcon("TRANSFORM Sum(x) SELECT y FROM T GROUP BY y PIVOT z"), 532);
    EXPECT_EQ(clsAux::GetQueryIcon("EXEC proc"), 463);
    EXPECT_EQ(clsAux::GetQueryIcon(""), 463);
    EXPECT_FALSE(clsAux::IsDataDefinition("SELECT 'create' FROM T"));
    EXPECT_EQ(clsAux::NormaliseForDdlTest(" Create\r\nTable X "), "createtablex");
}

TEST_F(clsAuxTest, DatabaseErrorTextsLoseTheDriverPrefixes) {
    EXPECT_EQ(aux().FormatDbError("[Microsoft][ODBC Microsoft Access Driver] Syntax error"),
              "Message MS Access:\rSyntax error");
    EXPECT_EQ(
        clsAux::FormatDbError("[Microsoft][ODBC SQL Server Driver][SQL Server]x [Microsoft][ODBC Microsoft "
                              "Access-stuurprogramma]y  ",
                              "MS SQL Server"),
        "Message MS SQL Server:\rx y");
    workbook->props["Revision Number"] = Variant::integer(22);
    modGlobalization::SetCountryCode(31);
    EXPECT_EQ(
        aux().FormatDbError("[microsoft][odbc microsoft access driver] x"),
        "Melding MS SQL Server:\r[microsoft][odbc microsoft access driver] x"); // case-sensitive removal
    workbook->props["Revision Number"] = Variant::integer(13);
    try {
        aux().FormatDbError("x");
        ADD_FAILURE() << "revision 13 has no data source kind";
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), err::NotImplemented);
        EXPECT_EQ(e.description(), "No such version!");
    }
}

TEST_F(clsAuxTest, LargeLoadAsksOnlyAboveTheLimit) {
    clsAux a = aux();
    EXPECT_FALSE(a.CancelLargeLoad(SizedRecordset(1000, 100)));
    EXPECT_TRUE(dialogs.boxes.empty());

    dialogs.answers = {xl::AnswerYes};
    EXPECT_FALSE(a.CancelLargeLoad(SizedRecordset(1001, 100)));
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text,
              "It could take some time to show the data.\rAre you sure you want to continue?");
    EXPECT_EQ(dialogs.boxes[0].flags, 65572);
    EXPECT_EQ(dialogs.boxes[0].title, "Quorvel LT");

    dialogs.answers = {xl::AnswerNo};
    EXPECT_TRUE(a.CancelLargeLoad(SizedRecordset(1001, 100)));

    settings.values[setting::WarningNrOfCells] = 10;
    dialogs.answers = {xl::AnswerNo};
    EXPECT_TRUE(a.CancelLargeLoad(SizedRecordset(11, 1)));
}

TEST_F(clsAuxTest, WorkbookActionsAskInTurn) {
    clsAux a = aux();
    // Unsaved edits and a No: the action stops at the first question.
    dialogs.answers = {xl::AnswerNo};
    EXPECT_FALSE(a.ConfirmWorkbookAction("close", true, 3));
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text, modGlobalization::GetText(18));

    // The interface workbook (two sheets) closes without the second question.
    dialogs.boxes.clear();
    EXPECT_TRUE(a.ConfirmWorkbookAction("close", false, 2));
    EXPECT_TRUE(dialogs.boxes.empty());

    dialogs.answers = {xl::AnswerNo};
    EXPECT_FALSE(a.ConfirmWorkbookAction("close", false, 3));
    EXPECT_EQ(dialogs.boxes.back().text, modGlobalization::GetText(22));

    dialogs.boxes.clear();
    dialogs.answers = {xl::AnswerYes, xl::AnswerYes};
    EXPECT_TRUE(a.ConfirmWorkbookAction("save", true, 2));
    ASSERT_EQ(dialogs.boxes.size(), 2u);
    EXPECT_EQ(dialogs.boxes[0].text, modGlobalization::GetText(19));
    EXPECT_EQ(dialogs.boxes[1].text, modGlobalization::GetText(23));
}

TEST_F(clsAuxTest, UnknownWorkbookActionIsRefusedBeforeAnyQuestion) {
    try {
        aux().ConfirmWorkbookAction("print", true, 2);
        ADD_FAILURE() << "an unknown action went ahead";
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), err::NotImplemented);
        EXPECT_EQ(e.description(), "The following action is not implemented: print");
    }
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_THROW(aux().ConfirmWorkbookAction("Close", false, 2), NumberedError);
}

TEST_F(clsAuxTest, ComponentsAllPresent) {
    EXPECT_TRUE(aux().CheckComponents());
    EXPECT_EQ(objects.created, (std::vector<std::string>{"ADODB.Connection", "DAO.DBEngine.120"}));
    EXPECT_TRUE(dialogs.boxes.empty());

    objects.created.clear();
    workbook->props["Revision Number"] = Variant::integer(11);
    EXPECT_TRUE(aux().CheckComponents());
    EXPECT_EQ(objects.created, (std::vector<std::string>{"ADODB.Connection", "DAO.DBEngine.36"}));

    for (int revision : {21, 22}) { // the SQL Server edition tests no DAO engine
        objects.created.clear();
        workbook->props["Revision Number"] = Variant::integer(static_cast<std::int16_t>(revision));
        EXPECT_TRUE(aux().CheckComponents());
        EXPECT_EQ(objects.created, (std::vector<std::string>{"ADODB.Connection"}));
    }
}

TEST_F(clsAuxTest, MissingComponentIsNamedAndItsPageOpened) {
    objects.failing = {"DAO.DBEngine.120"};
    app->mVersion = "14.0";
    EXPECT_FALSE(aux().CheckComponents());
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text,
              modGlobalization::GetText(29, "Microsoft Access Database Engine 2010 Redistributable"));
    EXPECT_EQ(dialogs.boxes[0].flags, 65600);
    EXPECT_EQ(dialogs.boxes[0].title, "Quorvel LT");
    ASSERT_EQ(pagesOpened.size(), 1u);
    EXPECT_NE(pagesOpened[0].find("microsoft.com"), std::string::npos);

    dialogs.boxes.clear();
    app->mVersion = "12.0";
    EXPECT_FALSE(aux().CheckComponents());
    EXPECT_NE(dialogs.boxes.at(0).text.find("2007 Office System Driver: Data Connectivity Components"),
              std::string::npos);

    dialogs.boxes.clear();
    objects.failing = {"ADODB.Connection"};
    EXPECT_FALSE(aux().CheckComponents());
    EXPECT_NE(dialogs.boxes.at(0).text.find("Microsoft Data Access Components (MDAC) 2.8"),
              std::string::npos);
    EXPECT_EQ(objects.created.back(), "ADODB.Connection"); // stopped at the first failure
}

TEST_F(clsAuxTest, OtherStartUpFailuresAreUnexpectedErrors) {
    ctx.objects = nullptr;
    EXPECT_FALSE(aux().CheckComponents());
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_TRUE(dialogs.boxes[0].text.starts_with("Unexpected error:\r"));
    EXPECT_EQ(dialogs.boxes[0].flags, 65552);
    EXPECT_TRUE(pagesOpened.empty());
}

class SingleEditionTest : public clsAuxTest {
  protected:
    const std::string key = "Software\\Microsoft\\Office\\12.0\\Excel\\Options";
    void setText(const std::string& name, const std::string& text) {
        ASSERT_TRUE(registry->createKey(reg::HKEY_CURRENT_USER, key));
        ASSERT_TRUE(registry->setValue(
            reg::HKEY_CURRENT_USER, key, name,
            RegistryValue{reg::REG_SZ, std::vector<std::uint8_t>(text.begin(), text.end())}));
    }
};

TEST_F(SingleEditionTest, OneEditionInTheStartUpList) {
    setText("OPEN", "\"C:\\Addins\\Other.xlam\"");
    setText("OPEN1", "\"/home/u/addins/Quorvel.xlam\"");
    EXPECT_TRUE(aux().CheckSingleEdition());
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(SingleEditionTest, OnlyTheEditionInOpen1Starts) {
    setText("Options", "\"Quorvel\""); // not an OPEN value: not counted
    setText("OPEN", "\"/home/u/old/Quorvel 11.xla\"");
    setText("OPEN1", "\"/HOME/U/ADDINS/Quorvel.XLAM\"");
    EXPECT_TRUE(aux().CheckSingleEdition()); // this edition is the one in OPEN1 (case and quotes ignored)

    workbook->mFullName = "/home/u/old/Quorvel 11.xla";
    EXPECT_FALSE(aux().CheckSingleEdition());
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text, modGlobalization::GetText(30));
    EXPECT_EQ(dialogs.boxes[0].flags, 65600);
}

TEST_F(SingleEditionTest, MissingOptionsKeyCountsNothing) {
    app->mVersion = "16.0";
    setText("OPEN", "Quorvel");
    setText("OPEN2", "Quorvel");
    EXPECT_TRUE(aux().CheckSingleEdition()); // the 16.0 key does not exist
    app->mVersion = "12.0";
    EXPECT_FALSE(aux().CheckSingleEdition());
}

TEST_F(clsAuxTest, HotKeysFollowTheRequestAndTheForm) {
    FakeCB bar;
    auto refresh = bar.add(xl::ControlButton, tag::RefreshData);
    auto addRow = bar.add(xl::ControlButton, tag::RowAdd);
    auto del = bar.add(xl::ControlButton, tag::RowDelete);
    auto update = bar.add(xl::ControlButton, tag::RowUpdate);
    clsAux a = aux();

    a.SetHotKeys(bar, true);
    EXPECT_EQ(app->keys["{F9}"], "ThisWorkbook.Refresh");
    EXPECT_EQ(app->keys["{F6}"], "ThisWorkbook.AddRow");
    EXPECT_EQ(app->keys["{F8}"], "ThisWorkbook.DeleteRows");
    EXPECT_EQ(app->keys["{F7}"], "ThisWorkbook.WriteData");
    EXPECT_TRUE(refresh->mEnabled && addRow->mEnabled && del->mEnabled && update->mEnabled);

    formWritable = false; // a read-only table can still be refreshed
    a.SetHotKeys(bar, true);
    EXPECT_EQ(app->keys["{F9}"], "ThisWorkbook.Refresh");
    EXPECT_EQ(app->keys["{F6}"], "");
    EXPECT_EQ(app->keys["{F7}"], "");
    EXPECT_TRUE(refresh->mEnabled);
    EXPECT_FALSE(addRow->mEnabled || del->mEnabled || update->mEnabled);

    formWritable = true;
    a.SetHotKeys(bar, false);
    for (const char* k : {"{F6}", "{F7}", "{F8}", "{F9}"}) {
        ASSERT_EQ(app->keys.count(k), 1u);
        EXPECT_EQ(app->keys[k], "") << k; // bound to nothing, so the key does nothing
    }
    EXPECT_FALSE(refresh->mEnabled);
}

TEST_F(clsAuxTest, ExecuteSqlControlIsFoundByItsTag) {
    FakeCB bar;
    auto sql = bar.add(xl::ControlButton, tag::ExecuteSql);
    sql->mEnabled = false;
    aux().SetExecuteSqlEnabled(bar, true);
    EXPECT_TRUE(sql->mEnabled);
    EXPECT_NO_THROW(aux().SetControlEnabled(bar, "No such tag", true));
}

TEST_F(clsAuxTest, CommandBarResetPutsEveryControlInItsStartState) {
    FakeCB bar;
    auto open = bar.add(xl::ControlButton, tag::OpenDatabase);
    auto tables = bar.add(xl::ControlPopup, tag::Tables);
    tables->mChildren->addControl(xl::ControlButton, "t1");
    tables->mChildren->addControl(xl::ControlButton, "t2");
    tables->mChildren->addControl(xl::ControlButton, "t3");
    auto queries = bar.add(xl::ControlPopup, tag::Queries);
    auto addRow = bar.add(xl::ControlButton, tag::RowAdd);
    auto sql = bar.add(xl::ControlButton, tag::ExecuteSql);
    auto settingsButton = bar.add(xl::ControlButton, tag::Settings);
    auto close = bar.add(xl::ControlButton, tag::CloseApplication);
    open->mEnabled = settingsButton->mEnabled = false;
    formOpen = false;

    aux().ResetCommandBar(bar);
    EXPECT_TRUE(open->mEnabled);
    EXPECT_TRUE(settingsButton->mEnabled);
    EXPECT_EQ(tables->mChildren->count(), 0);
    EXPECT_FALSE(tables->mEnabled);
    EXPECT_FALSE(queries->mEnabled);
    EXPECT_FALSE(addRow->mVisible);
    EXPECT_FALSE(sql->mEnabled);
    EXPECT_FALSE(close->mEnabled);

    formOpen = true;
    aux().ResetCommandBar(bar);
    EXPECT_TRUE(close->mEnabled);

    bar.exists = false; // a surface that is gone is left alone
    close->mEnabled = false;
    EXPECT_NO_THROW(aux().ResetCommandBar(bar));
    EXPECT_FALSE(close->mEnabled);
}

TEST_F(clsAuxTest, ColumnLettersAtTheAlphabetsEdges) {
    EXPECT_EQ(clsAux::ColumnLetters(1), "A");
    EXPECT_EQ(clsAux::ColumnLetters(26), "Z");
    EXPECT_EQ(clsAux::ColumnLetters(27), "AA");
    EXPECT_EQ(clsAux::ColumnLetters(28), "AB");
    EXPECT_EQ(clsAux::ColumnLetters(52), "AZ");
    EXPECT_EQ(clsAux::ColumnLetters(702), "ZZ");
    EXPECT_EQ(clsAux::ColumnLetters(703), "AAA");
    EXPECT_EQ(clsAux::ColumnLetters(16384), "XFD");
    EXPECT_THROW(clsAux::ColumnLetters(0), NumberedError);
    EXPECT_THROW(clsAux::ColumnLetters(16385), NumberedError);
}

TEST_F(clsAuxTest, NamesAndPaths) {
    EXPECT_EQ(clsAux::QuoteName("dbo.Orders"), "[dbo].[Orders]");
    EXPECT_EQ(clsAux::QuoteName("Orders"), "[Orders]");
    EXPECT_EQ(clsAux::QuoteName("dbo.Pub] UNION SELECT 1 --"), "[dbo].[Pub]] UNION SELECT 1 --]");
    EXPECT_EQ(clsAux::TextAfterFirstDot("dbo.Orders.x"), "Orders.x");
    EXPECT_EQ(clsAux::TextAfterFirstDot("Orders"), "Orders");
    EXPECT_EQ(clsAux::FileExtension("C:\\Data\\Shop.ACCDB"), "accdb");
    EXPECT_EQ(clsAux::FileExtension("/home/u/my.dir/file"), "");
    EXPECT_EQ(clsAux::FileExtension("/home/u/archive.tar.GZ"), "gz");
    EXPECT_EQ(clsAux::FileNameOf("C:\\Data\\Shop.mdb"), "Shop.mdb");
    EXPECT_EQ(clsAux::FileNameOf("/home/u/shop.mdb"), "shop.mdb");
    EXPECT_EQ(clsAux::FileNameOf("shop.mdb"), "shop.mdb");
    EXPECT_EQ(clsAux::FileNameOf("C:"), "");
    EXPECT_EQ(clsAux::SheetPassword(), "k47m");
}

TEST_F(clsAuxTest, NumericKeysOnly) {
    for (int k : {48, 53, 57, 8, 9, 12, 37, 38, 39, 40, 46})
        EXPECT_TRUE(clsAux::IsNumericKey(k)) << k;
    for (int k : {47, 58, 65, 13, 32, 45, 190, 189})
        EXPECT_FALSE(clsAux::IsNumericKey(k)) << k;
}

TEST_F(clsAuxTest, RestoringMessagesAsksThenSwitchesAllOn) {
    dialogs.answers = {xl::AnswerNo};
    EXPECT_FALSE(aux().RestoreUserMessages());
    EXPECT_TRUE(settings.writes.empty());

    dialogs.boxes.clear();
    dialogs.answers = {xl::AnswerYes};
    settings.values[setting::ShowMessageUpdatedRecords] = "False";
    EXPECT_TRUE(aux().RestoreUserMessages());
    ASSERT_EQ(settings.writes.size(), 6u);
    EXPECT_EQ(settings.writes.front().first, setting::ShowMessageSelectDb);
    EXPECT_EQ(settings.writes.back().first, setting::ShowMessageNoPrimaryKey);
    for (auto& [name, value] : settings.writes)
        EXPECT_EQ(value, "True") << name;
    EXPECT_TRUE(settings.IsMessageEnabled(setting::ShowMessageUpdatedRecords));
    ASSERT_EQ(dialogs.boxes.size(), 2u);
    EXPECT_EQ(dialogs.boxes[0].text, "Are you sure?");
    EXPECT_EQ(dialogs.boxes[0].flags, 65572);
    EXPECT_EQ(dialogs.boxes[1].text, "User messages are restored.");
    EXPECT_EQ(dialogs.boxes[1].flags, 65600);
}

} // namespace
} // namespace qv
