// Editing the form and writing it back on a small shop database: what an edit marks and
// colours, the statements a save runs (checked in the file with a plain SQLite read), what a
// failure at one row leaves behind, deletion and new rows with their defaults.
#include "FormFixture.h"

#include "datasource/ITable.h"
#include "form/clsMatrix.h"
#include "platform/NumberedError.h"
#include "platform/host/HostConstants.h"

#include <gtest/gtest.h>

namespace qv::test {
namespace {

const char* kShop = R"SQL(
CREATE TABLE Item (
  ItemId INTEGER PRIMARY KEY AUTOINCREMENT,
  Name VARCHAR(20) NOT NULL,
  Price CURRENCY,
  Weight DOUBLE,
  Added DATETIME,
  Active YESNO DEFAULT 'Ja',
  Code GUID,
  Notes VARCHAR DEFAULT 'plain',
  Stock SMALLINT DEFAULT 7,
  Made DATETIME DEFAULT ( Now() ),
  Other TEXT DEFAULT (lower('X')));
CREATE TABLE Pair (A TEXT(5) NOT NULL, B INTEGER NOT NULL, Label TEXT, PRIMARY KEY (A, B));
CREATE TABLE Log (At DATETIME, What TEXT);
INSERT INTO Item (Name, Price, Weight, Added, Active, Code, Notes, Stock, Made) VALUES
  ('Hammer', 12.5, 1.23456789, '2024-03-01 10:20:30', 1, '{6F9619FF-8B86-D011-B42D-00C04FC964FF}', 'heavy', 4, NULL),
  ('Rake', 20, 2.5, '2024-03-02 00:00:00', 0, NULL, NULL, 0, NULL),
  ('Pan', 7.25, 0.75, NULL, 1, NULL, 'non-stick', 12, NULL);
INSERT INTO Pair VALUES ('x', 1, 'one'), ('x', 2, 'two'), ('y', 1, 'three');
INSERT INTO Log VALUES ('2024-01-01 08:00:00', 'start');
)SQL";

class FormEditTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path = folder.file("shop.sqlite");
        RunSql(path, kShop);
        RunSql(path, PropertySql("Item", "Price", "Caption", "Unit price"));
    }
    FormWorld& world() {
        if (!w) {
            w = std::make_unique<FormWorld>(path);
            w->settings.values["Setting color matrix back edited"] = Variant(0x00CCFFFF);
            w->settings.values["Setting color matrix front edited"] = Variant(0x000000FF);
            w->settings.values["Setting color matrix back"] = Variant(0x00FFFFFF);
        }
        return *w;
    }
    // A person typing into cells: the value goes in, then the host's sheet-change event.
    void type(const std::string& address, const Variant& value) {
        RangePtr r = world().formSheet->range(address);
        r->setValue(value);
        world().form->OnSheetChange(r);
    }
    long fill(long row, long column) {
        return static_cast<long>(world().formSheet->cells(row, column)->fillColor().toInt64());
    }
    std::string state(long record) { return world().form->RowState(record); }
    std::vector<std::string> messages() {
        std::vector<std::string> out;
        for (const auto& b : world().dialogs.boxes)
            out.push_back(b.text);
        return out;
    }

    TempFolder folder;
    std::string path;
    std::unique_ptr<FormWorld> w;
};

TEST_F(FormEditTest, EveryRowOfEveryAreaIsMarkedAndColoured) {
    FormWorld& f = world();
    f.ShowTable("Item");
    RangePtr block = f.formSheet->range("B2,B4:C4");
    block->setValue(Variant("Same"));
    f.form->OnSheetChange(block);
    EXPECT_EQ(state(1), "1");
    EXPECT_NE(state(2), "1");
    EXPECT_EQ(state(3), "1");
    EXPECT_EQ(fill(2, 2), 0xCCFFFF);
    EXPECT_EQ(fill(4, 3), 0xCCFFFF);
    EXPECT_EQ(fill(3, 2), 0xFFFFFF);
    EXPECT_EQ(f.app->keyBinding("{F7}"), "ThisWorkbook.WriteData");
    EXPECT_TRUE(f.formSheet->protectContents());
    EXPECT_TRUE(f.app->enableEvents());
    // A whole-column operation is not an edit of records.
    f.form->OnSheetChange(f.formSheet->range("D:D"));
    EXPECT_NE(state(2), "1");
}

TEST_F(FormEditTest, WriteUpdatesOnlyTheEditedCellsAndReloads) {
    FormWorld& f = world();
    f.ShowTable("Item");
    type("B2", Variant("O'Neill's hammer"));
    type("D3", Variant("1,5"));
    type("H4", Variant("   "));
    f.form->WriteData();
    EXPECT_EQ(Query(path, "SELECT Name, Weight, Notes, Price FROM Item ORDER BY ItemId"),
              (std::vector<std::string>{"O'Neill's hammer|1.23456789|heavy|12.5", "Rake|1.5|NULL|20",
                                        "Pan|0.75|NULL|7.25"}));
    // The reload starts clean.
    EXPECT_FALSE(f.form->HasEdits());
    EXPECT_EQ(fill(2, 2), 0xFFFFFF);
    EXPECT_EQ(f.toolkit.lastText, "The changes are stored in the database.");
}

TEST_F(FormEditTest, NothingEditedWritesNothingAndSaysSo) {
    FormWorld& f = world();
    f.ShowTable("Item");
    const std::string before = FileBytes(path);
    f.form->WriteData();
    EXPECT_EQ(f.toolkit.lastText, "No records were altered.");
    EXPECT_EQ(FileBytes(path), before);
}

TEST_F(FormEditTest, ChangedKeyCellReKeysTheRecordFoundByItsLoadedKey) {
    FormWorld& f = world();
    f.ShowTable("Pair");
    type("A3", Variant("z"));
    type("C3", Variant("deux"));
    f.form->WriteData();
    EXPECT_EQ(Query(path, "SELECT A, B, Label FROM Pair ORDER BY A, B"),
              (std::vector<std::string>{"x|1|one", "y|1|three", "z|2|deux"}));
}

TEST_F(FormEditTest, MalformedValueRefusesItsRowNamingTheFieldAndKeepsTheRest) {
    FormWorld& f = world();
    f.ShowTable("Item");
    type("B2", Variant("Claw hammer"));
    type("C3", Variant("12; DELETE FROM Item"));
    type("B4", Variant("Wok"));
    f.form->WriteData();
    // Row 1 is written; the refused row and the one after it stay marked and unwritten.
    EXPECT_EQ(Query(path, "SELECT Name, Price FROM Item ORDER BY ItemId"),
              (std::vector<std::string>{"Claw hammer|12.5", "Rake|20", "Pan|7.25"}));
    EXPECT_EQ(state(1), "0");
    EXPECT_EQ(state(2), "1");
    EXPECT_EQ(state(3), "1");
    EXPECT_EQ(fill(2, 2), 0xFFFFFF);
    EXPECT_EQ(fill(3, 3), 0xCCFFFF);
    EXPECT_EQ(fill(4, 2), 0xCCFFFF);
    EXPECT_EQ(f.Cell(3, 3), Variant("12; DELETE FROM Item"));
    ASSERT_FALSE(f.dialogs.boxes.empty());
    EXPECT_NE(f.dialogs.boxes.back().text.find("Unit price"), std::string::npos);
    EXPECT_EQ(f.app->selection()->address(), "$C$3");
    EXPECT_TRUE(f.formSheet->protectContents());
    EXPECT_EQ(f.app->keyBinding("{F7}"), "ThisWorkbook.WriteData");

    // Corrected, the next save writes the rest.
    type("C3", Variant("21,5"));
    f.form->WriteData();
    EXPECT_EQ(Query(path, "SELECT Name, Price FROM Item ORDER BY ItemId"),
              (std::vector<std::string>{"Claw hammer|12.5", "Rake|21.5", "Wok|7.25"}));
    EXPECT_FALSE(f.form->HasEdits());
}

TEST_F(FormEditTest, UpdateOfARecordThatIsGoneIsAFailureNotASuccess) {
    FormWorld& f = world();
    f.ShowTable("Item");
    RunSql(path, "DELETE FROM Item WHERE ItemId = 2");
    type("B2", Variant("Mallet"));
    type("B3", Variant("Lost rake"));
    type("B4", Variant("Pot"));
    f.form->WriteData();
    EXPECT_EQ(Query(path, "SELECT Name FROM Item ORDER BY ItemId"),
              (std::vector<std::string>{"Mallet", "Pan"}));
    EXPECT_EQ(state(1), "0");
    EXPECT_EQ(state(2), "1");
    EXPECT_EQ(state(3), "1");
    // No reload: the vanished row is still on the sheet with the person's text.
    EXPECT_EQ(f.Cell(3, 2), Variant("Lost rake"));
    ASSERT_FALSE(f.dialogs.boxes.empty());
    EXPECT_NE(f.dialogs.boxes.back().text.find("row 3 was not found"), std::string::npos);
    EXPECT_EQ(f.app->selection()->row(), 3);
}

TEST_F(FormEditTest, DatabaseRefusalStopsAtItsRowWithTheCleanedText) {
    FormWorld& f = world();
    f.ShowTable("Item");
    type("D2", Variant(9.5));
    type("B3", Variant(" "));
    f.form->WriteData();
    EXPECT_EQ(Query(path, "SELECT Name, Weight FROM Item WHERE ItemId <= 2 ORDER BY ItemId"),
              (std::vector<std::string>{"Hammer|9.5", "Rake|2.5"}));
    EXPECT_EQ(state(2), "1");
    ASSERT_FALSE(f.dialogs.boxes.empty());
    EXPECT_EQ(f.dialogs.boxes.back().flags & 0xF0, 64);
    EXPECT_NE(f.dialogs.boxes.back().text.find("'Name' cannot contain a Null value"), std::string::npos);
    EXPECT_EQ(f.app->selection()->row(), 3);
}

TEST_F(FormEditTest, WrittenNewRowIsNotInsertedAgainAfterALaterFailure) {
    FormWorld& f = world();
    f.ShowTable("Pair");
    f.form->AddRow();
    f.form->AddRow();
    type("A5", Variant("n"));
    type("B5", Variant(5));
    type("A6", Variant("m"));
    type("B6", Variant("five"));
    f.form->WriteData();
    EXPECT_EQ(Query(path, "SELECT count(*) FROM Pair WHERE A = 'n'"), std::vector<std::string>{"1"});
    EXPECT_EQ(state(4), "0");
    EXPECT_EQ(state(5), "1");
    type("C5", Variant("later"));
    type("B6", Variant(6));
    f.form->WriteData();
    EXPECT_EQ(Query(path, "SELECT A, B, Label FROM Pair WHERE A IN ('n', 'm') ORDER BY A"),
              (std::vector<std::string>{"m|6|NULL", "n|5|later"}));
}

TEST_F(FormEditTest, WrittenNewRowWithAChosenKeyIsLockedUntilTheReload) {
    FormWorld& f = world();
    f.ShowTable("Item");
    f.form->AddRow();
    f.form->AddRow();
    type("B5", Variant("Saw"));
    type("B6", Variant("Drill"));
    type("I6", Variant(70000));
    f.form->WriteData();
    EXPECT_EQ(Query(path, "SELECT count(*) FROM Item WHERE Name = 'Saw'"), std::vector<std::string>{"1"});
    EXPECT_EQ(f.formSheet->cells(5, 2)->locked(), Variant(true));
    EXPECT_THROW(f.formSheet->cells(5, 2)->setValue(Variant("Saw again")), NumberedError);
    type("I6", Variant(3));
    f.form->WriteData();
    EXPECT_EQ(Query(path, "SELECT Name, Stock FROM Item WHERE ItemId > 3 ORDER BY ItemId"),
              (std::vector<std::string>{"Saw|7", "Drill|3"}));
}

TEST_F(FormEditTest, NewRowGetsItsDefaultsAndStaysCleanUntilTyped) {
    FormWorld& f = world();
    f.ShowTable("Item");
    f.form->AddRow();
    clsMatrix& m = *f.form->Matrix();
    EXPECT_EQ(m.RecordCount(), 4);
    EXPECT_EQ(m.LoadedCount(), 3);
    EXPECT_EQ(f.Cell(5, 6), Variant(true));    // boolean default "Ja"
    EXPECT_EQ(f.Cell(5, 8), Variant("plain")); // quotes removed
    EXPECT_EQ(f.Cell(5, 9).toInt64(), 7);      // number
    EXPECT_TRUE(f.Cell(5, 10).isDate());       // Now() with blanks around it
    EXPECT_TRUE(f.Cell(5, 11).isEmpty());      // another function: nothing
    EXPECT_TRUE(f.Cell(5, 1).isEmpty());       // auto-number: no default, locked
    EXPECT_EQ(f.formSheet->cells(5, 1)->locked(), Variant(true));
    EXPECT_EQ(f.formSheet->cells(5, 2)->locked(), Variant(false));
    EXPECT_FALSE(f.form->HasEdits());
    EXPECT_EQ(f.app->selection()->address(), "$B$5");
    EXPECT_TRUE(f.formSheet->protectContents());
    // Typing blanks, or a default again, leaves the row clean.
    type("B5", Variant("  "));
    EXPECT_EQ(state(4), "0");
    type("H5", Variant("plain"));
    EXPECT_EQ(state(4), "0");
    EXPECT_EQ(fill(5, 8), 0xFFFFFF);
    f.form->WriteData();
    EXPECT_EQ(Query(path, "SELECT count(*) FROM Item"), std::vector<std::string>{"3"});
    // A row that was typed into is inserted with the typed cells only.
    f.form->AddRow();
    type("B5", Variant("Chisel"));
    EXPECT_EQ(state(4), "1");
    f.form->WriteData();
    EXPECT_EQ(Query(path, "SELECT Name, Notes, Stock FROM Item WHERE ItemId = 4"),
              std::vector<std::string>{"Chisel|plain|7"});
}

TEST_F(FormEditTest, AddingToAnEmptyTableAndTwoRowsInARow) {
    RunSql(path, "DELETE FROM Pair");
    FormWorld& f = world();
    f.ShowTable("Pair");
    f.form->AddRow();
    EXPECT_EQ(f.form->Matrix()->RecordCount(), 1);
    EXPECT_EQ(f.formSheet->cells(2, 1)->fontBold(), Variant(false));
    f.form->AddRow();
    EXPECT_EQ(f.form->Matrix()->DataRange()->address(), "$A$1:$C$3");
    type("A3", Variant("q"));
    type("B3", Variant(1));
    f.form->WriteData();
    EXPECT_EQ(Query(path, "SELECT A, B FROM Pair"), std::vector<std::string>{"q|1"});
}

TEST_F(FormEditTest, DeletionAsksAndDeletesByTheCompositeKey) {
    FormWorld& f = world();
    f.ShowTable("Pair");
    type("C4", Variant("edited"));
    f.formSheet->range("B2:C3")->select();
    f.form->DeleteRows();
    ASSERT_FALSE(f.dialogs.boxes.empty());
    EXPECT_EQ(
        f.dialogs.boxes.front().text,
        "The changes will not be saved unless you write them to the database.\rAre you sure you want to "
        "delete these 2 records?");
    EXPECT_EQ(Query(path, "SELECT A, B, Label FROM Pair"), std::vector<std::string>{"y|1|three"});
    EXPECT_EQ(f.toolkit.lastText, "2 records have been deleted.");
    EXPECT_EQ(f.form->Matrix()->RecordCount(), 1);
}

TEST_F(FormEditTest, DeletionRefusesWhatItCannotDoBeforeDeletingAnything) {
    FormWorld& f = world();
    f.ShowTable("Item");
    auto refusal = [&](const std::string& address) {
        f.formSheet->range(address)->select();
        try {
            f.form->DeleteRows();
        } catch (const NumberedError& e) {
            return std::to_string(e.number()) + " " + e.description();
        }
        return std::string("none");
    };
    EXPECT_EQ(refusal("B2,B4"), "666 Only a contiguous selection is processed.");
    EXPECT_EQ(refusal("A2:A4"), "666 No rows have been found for deletion.");
    f.form->AddRow();
    EXPECT_EQ(refusal("B3:B5"),
              "666 The record can not be deleted because it\rhas not yet been added to the table.");
    f.dialogs.answers.push_back(xl::AnswerNo);
    EXPECT_EQ(refusal("B2:D2"), "665 Cancelled");
    EXPECT_EQ(f.dialogs.boxes.back().text, "Are you sure you want to delete this record?");
    EXPECT_EQ(Query(path, "SELECT count(*) FROM Item"), std::vector<std::string>{"3"});
}

TEST_F(FormEditTest, DeletingAFilteredSelectionSparesTheHiddenRows) {
    FormWorld& f = world();
    f.ShowTable("Item");
    f.formSheet->unprotect(clsAux::SheetPassword());
    f.form->Matrix()->DataRange()->autoFilter();
    f.form->Matrix()->DataRange()->autoFilter(2, "=Rake", xl::FilterValues);
    f.formSheet->protect(clsAux::SheetPassword(), true, true);
    ASSERT_TRUE(f.formSheet->cells(2, 2)->rowHidden());
    f.formSheet->range("B2:B4")->select();
    f.form->DeleteRows();
    EXPECT_EQ(Query(path, "SELECT Name FROM Item ORDER BY ItemId"),
              (std::vector<std::string>{"Hammer", "Pan"}));
}

TEST_F(FormEditTest, TableWithoutKeyRefusesWritingAddingAndDeleting) {
    FormWorld& f = world();
    f.ShowTable("Log");
    EXPECT_THROW(f.form->AddRow(), NumberedError);
    EXPECT_THROW(f.form->WriteData(), NumberedError);
    f.formSheet->range("B2")->select();
    EXPECT_THROW(f.form->DeleteRows(), NumberedError);
    EXPECT_EQ(Query(path, "SELECT count(*) FROM Log"), std::vector<std::string>{"1"});
}

} // namespace
} // namespace qv::test
