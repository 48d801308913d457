// Showing a table as the form on a small shop database: layout, keys, colours, locks,
// protection, naming, the questions asked and what a cancelled or failed load leaves behind.
#include "FormFixture.h"

#include "datasource/ITable.h"
#include "form/clsMatrix.h"
#include "platform/NumberedError.h"
#include "platform/host/HostConstants.h"

#include <gtest/gtest.h>

namespace qv::test {
namespace {

const char* kShop = R"SQL(
CREATE TABLE Category (CategoryId INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT(30) NOT NULL);
CREATE TABLE Supplier (SupplierId INTEGER PRIMARY KEY, Name TEXT(40));
CREATE TABLE Item (
  ItemId INTEGER PRIMARY KEY AUTOINCREMENT,
  Name VARCHAR(50) NOT NULL,
  Price CURRENCY,
  Weight DOUBLE,
  Added DATETIME,
  Active YESNO,
  CategoryId INTEGER REFERENCES Category (CategoryId),
  SupplierId INTEGER REFERENCES Supplier (SupplierId),
  Code GUID,
  Notes VARCHAR,
  Stock SMALLINT);
CREATE TABLE Log (At DATETIME, What TEXT);
CREATE TABLE Pair (A TEXT(5) NOT NULL, B INTEGER NOT NULL, Label TEXT, PRIMARY KEY (A, B));
INSERT INTO Category (Name) VALUES ('Tools'), ('Garden'), ('Kitchen');
INSERT INTO Supplier VALUES (1, 'Acme'), (2, NULL), (3, 'Bolt');
INSERT INTO Item (Name, Price, Weight, Added, Active, CategoryId, SupplierId, Code, Notes, Stock) VALUES
  ('Hammer', 12.5, 1.23456789, '2024-03-01 10:20:30', 1, 1, 1, '{6F9619FF-8B86-D011-B42D-00C04FC964FF}', 'heavy', 4),
  ('Rake', 20, 2.5, '2024-03-02 00:00:00', 0, 2, 3, NULL, NULL, 0),
  ('Pan', 7.25, 0.75, NULL, 1, 3, NULL, NULL, 'non-stick', 12);
INSERT INTO Log VALUES ('2024-01-01 08:00:00', 'start');
INSERT INTO Pair VALUES ('x', 1, 'one'), ('x', 2, 'two'), ('y', 1, 'three');
)SQL";

class FormShowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path = folder.file("shop.sqlite");
        RunSql(path, kShop);
        RunSql(path, PropertySql("Item", "Name", "Caption", "Item name") +
                         PropertySql("Item", "Name", "Description", "What the shop calls it") +
                         PropertySql("Item", "Price", "ValidationText", "Prices are in euro.") +
                         PropertySql("Item", "Added", "Format", "General Date"));
    }
    FormWorld& world() {
        if (!w) w = std::make_unique<FormWorld>(path);
        return *w;
    }

    TempFolder folder;
    std::string path;
    std::unique_ptr<FormWorld> w;
};

TEST_F(FormShowTest, LaysOutCaptionsRecordsAndTypedKeys) {
    FormWorld& f = world();
    f.ShowTable("Item");
    clsForm& form = *f.form;
    ASSERT_TRUE(form.HasMatrix());
    EXPECT_EQ(form.Name(), "Item");
    EXPECT_EQ(f.Cell(1, 1), Variant("ItemId"));
    EXPECT_EQ(f.Cell(1, 2), Variant("Item name"));
    EXPECT_EQ(f.Cell(2, 2), Variant("Hammer"));
    EXPECT_EQ(f.Cell(4, 2), Variant("Pan"));
    EXPECT_TRUE(f.Cell(5, 2).isEmpty());
    EXPECT_EQ(form.Matrix()->RecordCount(), 3);
    EXPECT_EQ(form.Matrix()->LoadedCount(), 3);
    EXPECT_EQ(form.Matrix()->DataRange()->address(), "$A$1:$K$4");
    EXPECT_EQ(form.RowStates().size(), 3u);
    ASSERT_EQ(form.KeyValues().size(), 3u);
    const Variant key = form.KeyValues()[2].Item("ItemId");
    EXPECT_TRUE(key.isNumber());
    EXPECT_EQ(key.toInt64(), 3);
    // The cell of record n in field f is the header cell of f moved down n rows.
    EXPECT_EQ(form.Matrix()->CellOf(2, 1)->address(), "$B$3");
    EXPECT_EQ(f.formSheet->name(), "Item Table");
    EXPECT_TRUE(f.formSheet->protectContents());
    EXPECT_TRUE(f.book->structureProtected());
    EXPECT_TRUE(form.AllowsChanges());
    EXPECT_TRUE(f.app->enableEvents());
    EXPECT_EQ(f.app->keyBinding("{F7}"), "");
    // Filling the interface workbook does not mark it as changed.
    f.book->setSaved(true);
    form.Show("Item", 0);
    EXPECT_TRUE(f.book->saved());
}

TEST_F(FormShowTest, CompositeKeysAreKeptPerRecordInKeyOrder) {
    FormWorld& f = world();
    f.ShowTable("Pair");
    const auto& keys = f.form->KeyValues();
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[2].Count(), 2u);
    EXPECT_EQ(keys[2].Key(1), "A");
    EXPECT_EQ(keys[2].Item("A"), Variant("y"));
    EXPECT_EQ(keys[2].Item("B").toInt64(), 1);
}

TEST_F(FormShowTest, ColoursLocksAndTheReadOnlyAutoNumber) {
    FormWorld& f = world();
    f.settings.values["Setting color matrix back"] = Variant(0x00FFFFF0);
    f.settings.values["Setting color matrix back read only"] = Variant(0x00C0C0C0);
    f.settings.values["Setting color form back"] = Variant(0x00EEEEEE);
    f.ShowTable("Item");
    EXPECT_EQ(f.formSheet->cells(2, 1)->fillColor().toInt64(), 0xC0C0C0);
    EXPECT_EQ(f.formSheet->cells(2, 1)->locked(), Variant(true));
    EXPECT_EQ(f.formSheet->cells(3, 2)->fillColor().toInt64(), 0xFFFFF0);
    EXPECT_EQ(f.formSheet->cells(3, 2)->locked(), Variant(false));
    EXPECT_EQ(f.formSheet->cells(1, 2)->locked(), Variant(true));
    EXPECT_EQ(f.formSheet->cells(1, 2)->fontBold(), Variant(true));
    // Outside the matrix: the form's background, locked.
    EXPECT_EQ(f.formSheet->cells(10, 20)->fillColor().toInt64(), 0xEEEEEE);
    EXPECT_EQ(f.formSheet->cells(5, 2)->locked(), Variant(true));
    EXPECT_EQ(f.formSheet->enableSelection(), xl::SelectionUnlockedCells);
    // The protected sheet refuses an edit of the auto-number.
    EXPECT_THROW(f.formSheet->cells(2, 1)->setValue(Variant(99)), NumberedError);
    // The first editable data cell is selected.
    EXPECT_EQ(f.app->selection()->address(), "$B$2");
}

// The settings dialog's Apply: the shown table takes the new colours at once, keeps its
// values and ends protected again; with nothing shown there is nothing to do.
TEST_F(FormShowTest, NewSettingsRecolourTheShownFormAtOnce) {
    FormWorld& f = world();
    EXPECT_NO_THROW(f.form->ApplySettings());
    f.ShowTable("Item");
    f.settings.values["Setting color matrix back"] = Variant(0x00FFFFF0);
    f.settings.values["Setting color title back"] = Variant(0x000000FF);
    f.form->ApplySettings();
    EXPECT_EQ(f.formSheet->cells(3, 2)->fillColor().toInt64(), 0xFFFFF0);
    EXPECT_EQ(f.formSheet->cells(1, 2)->fillColor().toInt64(), 0xFF);
    EXPECT_EQ(f.Cell(2, 2), Variant("Hammer"));
    EXPECT_TRUE(f.formSheet->protectContents());
    EXPECT_TRUE(f.book->structureProtected());
    EXPECT_TRUE(f.app->enableEvents());
}

TEST_F(FormShowTest, TableWithoutPrimaryKeyIsShownReadOnlyWithTheMessage) {
    FormWorld& f = world();
    f.ShowTable("Log");
    EXPECT_FALSE(f.form->AllowsChanges());
    EXPECT_EQ(f.formSheet->cells(2, 2)->locked(), Variant(true));
    EXPECT_EQ(f.Cell(2, 2), Variant("start"));
    EXPECT_EQ(f.toolkit.shown, 1);
    EXPECT_NE(f.toolkit.lastText.find("A primary key needs to be defined regarding Log"), std::string::npos);
    EXPECT_EQ(f.formSheet->enableSelection(), xl::SelectionNoRestrictions);
}

TEST_F(FormShowTest, SheetNameIsCutAndCleanedToFitTheHost) {
    const std::string longName = "A very long table name: with/odd?chars*[and]\\more";
    RunSql(path, "CREATE TABLE \"" + longName +
                     "\" (Id INTEGER PRIMARY KEY, V TEXT);"
                     "CREATE TABLE \"'quoted\" (Id INTEGER PRIMARY KEY);");
    FormWorld& f = world();
    f.ShowTable(longName);
    const std::string name = f.formSheet->name();
    EXPECT_EQ(name.size(), 31u);
    EXPECT_EQ(name, "A very long table name_ w Table");
    f.ShowTable("'quoted");
    EXPECT_EQ(f.formSheet->name(), "_quoted Table");
}

TEST_F(FormShowTest, SheetNameTakenByAnotherSheetGetsANumberThatStillFits) {
    RunSql(path, "CREATE TABLE \"Abcdefghijklmnopqrstuvwxyz0123\" (Id INTEGER PRIMARY KEY);");
    FormWorld& f = world();
    f.book->addWorksheet()->setName("Abcdefghijklmnopqrstuvwxy Table");
    f.formSheet->activate();
    f.ShowTable("Abcdefghijklmnopqrstuvwxyz0123");
    EXPECT_EQ(f.formSheet->name(), "Abcdefghijklmnopqrstu Table (2)");
}

TEST_F(FormShowTest, CaptionsAndTableNamesStartingWithEqualsStayText) {
    RunSql(path, "CREATE TABLE \"=Sum\" (Id INTEGER PRIMARY KEY, \"=A1\" TEXT, \"007\" TEXT);"
                 "INSERT INTO \"=Sum\" VALUES (1, '=1+1', 'x');"
                 "CREATE TABLE Ref (Id INTEGER PRIMARY KEY, S INTEGER REFERENCES \"=Sum\" (Id));"
                 "INSERT INTO Ref VALUES (1, 1);" +
                     PropertySql("=Sum", "Id", "Caption", "=NOW()"));
    FormWorld& f = world();
    f.ShowTable("=Sum");
    EXPECT_EQ(f.Cell(1, 1), Variant("=NOW()"));
    EXPECT_EQ(f.formSheet->cells(1, 1)->formula(), "=NOW()");
    EXPECT_EQ(f.Cell(1, 2), Variant("=A1"));
    EXPECT_EQ(f.Cell(1, 3), Variant("007"));
    EXPECT_EQ(f.formSheet->name(), "=Sum Table");
    f.ShowTable("Ref");
    EXPECT_EQ(f.listsSheet->cells(5, 1)->value(), Variant("=Sum:"));
}

TEST_F(FormShowTest, PickingAnotherTableWithEditsAsksAndNoKeepsEverything) {
    FormWorld& f = world();
    f.ShowTable("Item");
    f.form->SetRowState(2, "1");
    f.formSheet->unprotect(clsAux::SheetPassword());
    f.formSheet->cells(3, 2)->setFillColor(0x00FFFF);
    f.formSheet->protect(clsAux::SheetPassword(), true, true);
    f.dialogs.answers.push_back(xl::AnswerNo);
    f.ShowTable("Category");
    ASSERT_EQ(f.dialogs.boxes.size(), 1u);
    EXPECT_NE(f.dialogs.boxes[0].text.find("Are you sure you want to select Category?"), std::string::npos);
    EXPECT_EQ(f.form->Name(), "Item");
    EXPECT_EQ(f.form->RowState(2), "1");
    EXPECT_EQ(f.formSheet->cells(3, 2)->fillColor().toInt64(), 0x00FFFF);
    EXPECT_EQ(f.Cell(2, 2), Variant("Hammer"));
    // Yes shows the other table and forgets the edits.
    f.ShowTable("Category");
    EXPECT_EQ(f.form->Name(), "Category");
    EXPECT_FALSE(f.form->HasEdits());
}

TEST_F(FormShowTest, RefreshAsksWhenEditedAndReloadKeepsSelectionAndFilter) {
    FormWorld& f = world();
    f.settings.values["Setting display filter"] = Variant("True");
    f.ShowTable("Item");
    f.formSheet->range("C3:D4")->select();
    f.formSheet->unprotect(clsAux::SheetPassword());
    f.form->Matrix()->DataRange()->autoFilter(2, "=Rake");
    f.formSheet->protect(clsAux::SheetPassword(), true, true);
    ASSERT_TRUE(f.formSheet->filterMode());
    f.form->SetRowState(1, "1");
    f.dialogs.answers.push_back(xl::AnswerNo);
    f.form->Refresh();
    EXPECT_EQ(f.dialogs.boxes.size(), 1u);
    EXPECT_TRUE(f.form->HasEdits());
    f.form->Refresh();
    EXPECT_FALSE(f.form->HasEdits());
    EXPECT_EQ(f.app->selection()->address(), "$C$3:$D$4");
    EXPECT_TRUE(f.formSheet->filterMode());
    EXPECT_TRUE(f.formSheet->cells(2, 1)->rowHidden());
    EXPECT_FALSE(f.formSheet->cells(3, 1)->rowHidden());
}

TEST_F(FormShowTest, ReloadScrollsAFarSelectionIntoViewWithContext) {
    std::string sql = "CREATE TABLE Wide (Id INTEGER PRIMARY KEY";
    for (int c = 2; c <= 20; ++c)
        sql += ", C" + std::to_string(c) + " INTEGER";
    sql += ");";
    for (int r = 1; r <= 40; ++r)
        sql += "INSERT INTO Wide (Id) VALUES (" + std::to_string(r) + ");";
    RunSql(path, sql);
    FormWorld& f = world();
    f.ShowTable("Wide");
    f.formSheet->cells(30, 15)->select();
    f.form->Show("Wide", 0);
    EXPECT_EQ(f.formSheet->scrollRow(), 20);
    EXPECT_EQ(f.formSheet->scrollColumn(), 10);
}

TEST_F(FormShowTest, DeclinedLargeLoadLeavesTheFormReleasedAndProtected) {
    FormWorld& f = world();
    f.ShowTable("Category");
    f.settings.values["Setting warning nr of cells"] = Variant(5);
    f.dialogs.answers.push_back(xl::AnswerNo);
    try {
        f.ShowTable("Item");
        FAIL() << "no cancel";
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), err::Cancelled);
    }
    EXPECT_NE(f.dialogs.boxes.back().text.find("It could take some time"), std::string::npos);
    EXPECT_FALSE(f.form->HasMatrix());
    EXPECT_FALSE(f.form->AllowsChanges());
    EXPECT_TRUE(f.formSheet->protectContents());
    EXPECT_TRUE(f.book->structureProtected());
    EXPECT_TRUE(f.app->enableEvents());
    EXPECT_TRUE(f.app->screenUpdating());
    EXPECT_EQ(f.app->keyBinding("{F7}"), "");
}

TEST_F(FormShowTest, CancelDuringTheFillReleasesAndLeavesTheDatabaseUntouched) {
    std::string sql =
        "CREATE TABLE Big (Id INTEGER PRIMARY KEY, V TEXT); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL "
        "SELECT i + 1 FROM n WHERE i < 150000) INSERT INTO Big SELECT i, 'v' || i FROM n;";
    RunSql(path, sql);
    const std::string before = FileBytes(path);
    FormWorld& f = world();
    f.settings.values["Setting warning nr of cells"] = Variant(100000000);
    CancellingProgress progress;
    progress.cancelAfter = 2; // the fetch, then one chunk of the fill
    f.progress = &progress;
    try {
        f.ShowTable("Big");
        FAIL() << "no cancel";
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), err::Cancelled);
    }
    EXPECT_EQ(progress.reports, 2);
    EXPECT_FALSE(f.form->HasMatrix());
    EXPECT_EQ(f.form->KeyValues().size(), 0u);
    EXPECT_TRUE(f.formSheet->protectContents());
    f.ds->DisconnectADO();
    f.ds->DisconnectDAO();
    EXPECT_EQ(FileBytes(path), before);
    // The form works again afterwards, and a load that is not cancelled reports its way to the end.
    CancellingProgress patient;
    patient.cancelAfter = 1000;
    f.progress = &patient;
    f.ShowTable("Big");
    EXPECT_EQ(f.form->Matrix()->RecordCount(), 150000);
    ASSERT_FALSE(patient.fractions.empty());
    EXPECT_DOUBLE_EQ(patient.fractions.back(), 1.0);
    EXPECT_EQ(f.Cell(150001, 2), Variant("v150000"));
}

// Asks to stop at the k-th look at the cancel flag after the records are all copied (0: never),
// counting the looks: the steps after the copy (rounding, formats, key values, colours, locks,
// validation) must each look, or a window waits for them without repainting or answering Cancel.
class CancelAfterCopyProgress : public IProgress {
  public:
    int cancelAtLook = 0;
    mutable int looksAfterCopy = 0;
    bool copied = false;
    void Report(double fraction, const std::string&) override { copied = fraction >= 1.0; }
    bool Cancelled() const override {
        if (!copied) return false;
        ++looksAfterCopy;
        return cancelAtLook > 0 && looksAfterCopy >= cancelAtLook;
    }
};

TEST_F(FormShowTest, TheStepsAfterTheCopyLookForCancelAndACancelThereReleasesTheForm) {
    RunSql(path, "CREATE TABLE Big (Id INTEGER PRIMARY KEY, V TEXT, Amount REAL); WITH RECURSIVE n(i) AS "
                 "(SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 140000) INSERT INTO Big SELECT i, 'v' "
                 "|| i, i / 3.0 FROM n;");
    FormWorld& f = world();
    f.settings.values["Setting warning nr of cells"] = Variant(100000000);
    CancelAfterCopyProgress patient;
    f.progress = &patient;
    f.ShowTable("Big");
    ASSERT_EQ(f.form->Matrix()->RecordCount(), 140000);
    // One look per column, per block of key values and per formatting step, not one for all.
    const int looks = patient.looksAfterCopy;
    EXPECT_GE(looks, 8);
    for (int k = 2; k <= looks; ++k) {
        SCOPED_TRACE("cancelled at look " + std::to_string(k));
        CancelAfterCopyProgress progress;
        progress.cancelAtLook = k;
        f.progress = &progress;
        try {
            f.ShowTable("Big");
            ADD_FAILURE() << "no cancel";
        } catch (const NumberedError& e) {
            EXPECT_EQ(e.number(), err::Cancelled);
        }
        EXPECT_FALSE(f.form->HasMatrix());
        EXPECT_EQ(f.form->KeyValues().size(), 0u);
        EXPECT_FALSE(f.form->AllowsChanges());
        EXPECT_TRUE(f.formSheet->protectContents());
    }
    // Shown again without a cancel, it is whole.
    CancelAfterCopyProgress again;
    f.progress = &again;
    f.ShowTable("Big");
    EXPECT_EQ(f.form->Matrix()->RecordCount(), 140000);
    EXPECT_EQ(f.Cell(140001, 2), Variant("v140000"));
}

TEST_F(FormShowTest, AFailedLoadReleasesTheFormAndReportsTheError) {
    FormWorld& f = world();
    f.ShowTable("Category");
    // The table disappears between the catalogue and the show.
    RunSql(path, "DROP TABLE Log;");
    EXPECT_THROW(f.ShowTable("Log"), NumberedError);
    EXPECT_FALSE(f.form->HasMatrix());
    EXPECT_TRUE(f.formSheet->protectContents());
    EXPECT_TRUE(f.app->enableEvents());
}

TEST_F(FormShowTest, FieldDescriptionsBecomeHeaderCommentsAndGoAgain) {
    FormWorld& f = world();
    f.settings.values["Setting display field description"] = Variant("True");
    f.ShowTable("Item");
    auto comment = f.formSheet->cells(1, 2)->comment();
    ASSERT_NE(comment, nullptr);
    EXPECT_EQ(comment->text(), "What the shop calls it");
    EXPECT_EQ(f.formSheet->cells(1, 3)->comment(), nullptr);
    f.settings.values["Setting display field description"] = Variant("False");
    f.form->Show("Item", 0);
    EXPECT_EQ(f.formSheet->cells(1, 2)->comment(), nullptr);
}

TEST_F(FormShowTest, ClearFormattingReleaseAndClose) {
    FormWorld& f = world();
    f.ShowTable("Item");
    f.form->ClearFormatting();
    EXPECT_EQ(f.formSheet->cells(3, 3)->fillColorIndex().toInt64(), xl::ColorNone);
    EXPECT_EQ(f.formSheet->cells(1, 1)->fontBold(), Variant(true));
    f.form->Release();
    EXPECT_FALSE(f.form->HasMatrix());
    EXPECT_EQ(f.form->RowStates().size(), 1u);
    EXPECT_FALSE(f.form->HasEdits());
    const long before = f.app->workbookCount();
    f.form->Close();
    EXPECT_EQ(f.app->workbookCount(), before - 1);
}

TEST_F(FormShowTest, EmptyTableShowsTheHeaderAlone) {
    RunSql(path, "DELETE FROM Item;");
    FormWorld& f = world();
    f.ShowTable("Item");
    EXPECT_EQ(f.form->Matrix()->RecordCount(), 0);
    EXPECT_EQ(f.form->Matrix()->DataRange()->address(), "$A$1:$K$1");
    EXPECT_FALSE(f.formSheet->cells(2, 2)->validation()->exists());
    EXPECT_EQ(f.form->KeyValues().size(), 0u);
    EXPECT_EQ(f.form->RowStates().size(), 1u);
}

} // namespace
} // namespace qv::test
