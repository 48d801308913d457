// The validation rule each column of the form gets from its type, and the lookup lists of
// columns that refer to another table.
#include "FormFixture.h"

#include "form/clsFormNames.h"
#include "form/clsMatrix.h"
#include "platform/NumberedError.h"
#include "platform/host/HostConstants.h"

#include <gtest/gtest.h>

namespace qv::test {
namespace {

const char* kTypes = R"SQL(
CREATE TABLE Colour (ColourId INTEGER PRIMARY KEY, Name TEXT(20));
CREATE TABLE Maker (Code TEXT(3) PRIMARY KEY, Name TEXT(40));
CREATE TABLE Empty (Id INTEGER PRIMARY KEY);
CREATE TABLE Thing (
  Id INTEGER PRIMARY KEY,
  Count INTEGER, Small SMALLINT, Big BIGINT, Tiny TINYINT,
  Price CURRENCY, Weight DOUBLE, Ratio DECIMAL,
  Made DATETIME, Opens DATETIME, Day DATE,
  Flag YESNO,
  Ref GUID,
  Name VARCHAR(50), Free VARCHAR, Untyped, Memo TEXT,
  ColourId INTEGER REFERENCES Colour (ColourId),
  MakerCode TEXT(3) REFERENCES Maker (Code),
  Missing INTEGER REFERENCES Empty (Id),
  Blob BLOB);
INSERT INTO Colour VALUES (3, 'Red'), (1, 'Blue'), (2, NULL);
INSERT INTO Maker VALUES ('ZZZ', 'Zed'), ('AAA', 'Ay'), ('MMM', NULL);
INSERT INTO Thing (Id, Count, Name, Free, Untyped, ColourId, MakerCode) VALUES
  (1, 5, 'short', 'x', 'y', 1, 'AAA'), (2, 6, 'other', NULL, NULL, 3, 'ZZZ');
CREATE TABLE Other (Id INTEGER PRIMARY KEY, Flag YESNO);
INSERT INTO Other VALUES (1, 1);
)SQL";

class ColumnValidationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path = folder.file("types.sqlite");
        RunSql(path, kTypes);
        RunSql(path, PropertySql("Thing", "Opens", "Format", "Long Time") +
                         PropertySql("Thing", "Day", "Format", "Short Date") +
                         PropertySql("Thing", "Count", "ValidationText", "Counted by hand."));
        w = std::make_unique<FormWorld>(path);
        w->ShowTable("Thing");
    }
    long column(const std::string& field) const { return w->form->Matrix()->Field(field).Index() + 1; }
    std::shared_ptr<IValidation> rule(const std::string& field, long row = 2) {
        return w->formSheet->cells(row, column(field))->validation();
    }

    TempFolder folder;
    std::string path;
    std::unique_ptr<FormWorld> w;
};

TEST_F(ColumnValidationTest, NumbersByKind) {
    for (const char* f : {"Count", "Small", "Big"}) {
        auto v = rule(f);
        ASSERT_TRUE(v->exists()) << f;
        EXPECT_EQ(v->type(), xl::ValidationType::WholeNumber) << f;
        EXPECT_EQ(v->op(), xl::ValidationOperator::Greater) << f;
        EXPECT_EQ(v->formula1(), "-100000000") << f;
        EXPECT_EQ(v->alertStyle(), xl::ValidationAlert::Stop) << f;
        EXPECT_EQ(v->errorTitle(), "Invalid input") << f;
    }
    EXPECT_EQ(rule("Count")->errorMessage(), "Enter an integer\rCounted by hand.");
    EXPECT_EQ(rule("Small")->errorMessage(), "Enter an integer");
    EXPECT_EQ(rule("Price")->type(), xl::ValidationType::Decimal);
    EXPECT_EQ(rule("Price")->errorMessage(), "Enter an amount.");
    EXPECT_EQ(rule("Weight")->errorMessage(), "Enter a numeric value.");
    // The rule covers the whole data column and nothing below it.
    EXPECT_TRUE(rule("Count", 3)->exists());
    EXPECT_FALSE(rule("Count", 4)->exists());
}

TEST_F(ColumnValidationTest, DatesAndTimesByFormat) {
    EXPECT_EQ(rule("Made")->type(), xl::ValidationType::Date);
    EXPECT_EQ(rule("Made")->formula1(), "1/1/1900");
    EXPECT_EQ(rule("Opens")->type(), xl::ValidationType::Time);
    EXPECT_EQ(rule("Opens")->op(), xl::ValidationOperator::GreaterEqual);
    EXPECT_EQ(rule("Opens")->formula1(), "00:00");
    EXPECT_EQ(rule("Opens")->errorMessage(), "Enter a valid time value.");
    EXPECT_EQ(rule("Day")->type(), xl::ValidationType::Date);
    EXPECT_EQ(rule("Day")->errorMessage(), "Enter a date.");
}

TEST_F(ColumnValidationTest, BooleanGuidAndTextRules) {
    auto flag = rule("Flag");
    EXPECT_EQ(flag->type(), xl::ValidationType::List);
    EXPECT_EQ(flag->formula1(), "=lst_Boolean");
    EXPECT_EQ(flag->errorMessage(), "Select TRUE or FALSE in the list.");
    auto guid = rule("Ref");
    EXPECT_EQ(guid->type(), xl::ValidationType::TextLength);
    EXPECT_EQ(guid->formula1(), "38");
    EXPECT_EQ(guid->formula2(), "38");
    auto name = rule("Name");
    EXPECT_EQ(name->type(), xl::ValidationType::TextLength);
    EXPECT_EQ(name->alertStyle(), xl::ValidationAlert::Warning);
    EXPECT_EQ(name->op(), xl::ValidationOperator::LessEqual);
    EXPECT_EQ(name->formula1(), "50");
    EXPECT_EQ(name->errorTitle(), "Text is too long");
    EXPECT_NE(name->errorMessage().find("truncated to 50 characters"), std::string::npos);
    // A warning lets the person keep the longer text.
    w->formSheet->unprotect(clsAux::SheetPassword());
    EXPECT_NO_THROW(w->formSheet->cells(2, column("Name"))->setValue(Variant(std::string(51, 'x'))));
}

TEST_F(ColumnValidationTest, TextWithoutDeclaredLengthHasNoLimit) {
    for (const char* f : {"Free", "Untyped", "Memo"}) {
        EXPECT_FALSE(rule(f)->exists()) << f;
        EXPECT_GE(w->form->Matrix()->Field(f).Size(), 1073741823) << f;
    }
    // A long value in such a column is loaded whole.
    const std::string longText(5000, 'q');
    RunSql(path, "UPDATE Thing SET Free = '" + longText + "' WHERE Id = 1;");
    w->form->Show("Thing", 0);
    EXPECT_EQ(w->Cell(2, column("Free")), Variant(longText));
}

TEST_F(ColumnValidationTest, ColumnsWithoutARuleKeepNone) {
    EXPECT_FALSE(rule("Blob")->exists());
}

TEST_F(ColumnValidationTest, LookupListsAreStackedNamedAndSorted) {
    WorksheetPtr lists = w->listsSheet;
    EXPECT_EQ(lists->range("A1")->value(), Variant("Sources:"));
    EXPECT_EQ(lists->range("B1")->value(), Variant("Lists:"));
    EXPECT_EQ(lists->range("A2")->value(), Variant("Boolean:"));
    EXPECT_EQ(lists->range("B2")->value(), Variant("Value"));
    EXPECT_EQ(lists->range("B3")->value(), Variant(true));
    EXPECT_EQ(lists->range("B4")->value(), Variant(false));
    // Colour, Maker and the empty Empty table, in column order.
    EXPECT_EQ(lists->range("A5")->value(), Variant("Colour:"));
    EXPECT_EQ(lists->range("B5")->value(), Variant("ColourId"));
    EXPECT_EQ(lists->range("B6")->value().toInt64(), 1);
    EXPECT_EQ(lists->range("B8")->value().toInt64(), 3);
    EXPECT_EQ(lists->range("A9")->value(), Variant("Maker:"));
    EXPECT_EQ(lists->range("B10")->value(), Variant("AAA"));
    EXPECT_EQ(lists->range("B12")->value(), Variant("ZZZ"));
    EXPECT_EQ(lists->range("A13")->value(), Variant("Empty:"));
    EXPECT_EQ(lists->range("B14")->value(), Variant("[leeg]"));
    ASSERT_NE(lists->range("B13")->comment(), nullptr);
    EXPECT_EQ(lists->range("B13")->comment()->text(), "Geen waarde(s) aangetroffen");

    auto colour = rule("ColourId");
    EXPECT_EQ(colour->type(), xl::ValidationType::List);
    EXPECT_EQ(colour->formula1(), "=lst_1");
    EXPECT_EQ(colour->errorMessage(), "Select a value from the list.");
    EXPECT_EQ(rule("MakerCode")->formula1(), "=lst_2");
    EXPECT_EQ(rule("Missing")->formula1(), "=lst_3");
    RangePtr one = w->book->nameRange("lst_1");
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(one->address(), "$B$6:$B$8");
    EXPECT_EQ(w->book->nameRange("lst_3")->address(), "$B$14");
    EXPECT_EQ(w->book->nameRange("lst_Boolean")->address(), "$B$3:$B$4");
}

TEST_F(ColumnValidationTest, ListsEndingInABlankValueDoNotOverlap) {
    // Colour 2 has no name; a list of names holds a blank cell, and the next list starts after it.
    RunSql(path, "CREATE TABLE Named (Name TEXT PRIMARY KEY);"
                 "CREATE TABLE UsesNames (Id INTEGER PRIMARY KEY, A TEXT REFERENCES Colour (Name), "
                 "B TEXT REFERENCES Maker (Name)); INSERT INTO UsesNames VALUES (1, NULL, NULL);");
    FormWorld f(path);
    f.ShowTable("UsesNames");
    ASSERT_EQ(f.ds->Table().Relations().Count(), 2u);
    WorksheetPtr lists = f.listsSheet;
    // Colour names ascending: NULL first, then Blue, Red.
    EXPECT_EQ(lists->range("A5")->value(), Variant("Colour:"));
    EXPECT_TRUE(lists->range("B6")->value().isEmpty());
    EXPECT_EQ(lists->range("B8")->value(), Variant("Red"));
    EXPECT_EQ(lists->range("A9")->value(), Variant("Maker:"));
    EXPECT_EQ(f.book->nameRange("lst_1")->address(), "$B$6:$B$8");
    EXPECT_EQ(f.book->nameRange("lst_2")->address(), "$B$10:$B$12");
    EXPECT_EQ(lists->range("B12")->value(), Variant("Zed"));
}

TEST_F(ColumnValidationTest, ReloadAndAnotherTableStartTheListsAfresh) {
    w->form->Show("Thing", 0);
    w->form->Show("Thing", 0);
    EXPECT_EQ(w->book->nameRange("lst_3")->address(), "$B$14");
    EXPECT_TRUE(w->listsSheet->range("A15")->value().isEmpty());
    EXPECT_EQ(w->form->Matrix()->Names().ListCount(), 3);
    EXPECT_EQ(rule("ColourId")->formula1(), "=lst_1");
    w->ShowTable("Other");
    EXPECT_EQ(w->book->nameRange("lst_1"), nullptr);
    EXPECT_EQ(w->book->nameRange("lst_2"), nullptr);
    EXPECT_NE(w->book->nameRange("lst_Boolean"), nullptr);
    EXPECT_TRUE(w->listsSheet->range("A5")->value().isEmpty());
    EXPECT_EQ(rule("Flag")->formula1(), "=lst_Boolean");
}

TEST_F(ColumnValidationTest, TooManyListRowsIsRefusedWithMessage96) {
    clsFormNames names(*w->form);
    names.InitListsSheet();
    // Fill column B down to the last rows of the sheet: no list fits below it any more.
    const long rows = w->listsSheet->allCells()->rowCount();
    w->listsSheet->rangeOf(5, 2, rows - 1, 2)->setValue(Variant("taken"));
    clsRelation r;
    r.Init("x", "Colour", "ColourId", "Thing", "ColourId");
    try {
        names.BuildLookupList(r);
        FAIL() << "no error";
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), err::NotImplemented);
        EXPECT_NE(e.description().find("validation lists is greater than 1048576"), std::string::npos);
    }
}

} // namespace
} // namespace qv::test
