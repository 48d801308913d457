// Codes of digits in text columns: a person types "0042" into a text, memo or GUID column and the
// database receives the text '0042', not the number 42. The form lays its text columns out in
// the host's Text format, a column's own database format wins, and new rows (also the first of
// an empty table) take the same format; texts of digits loaded, left alone and written with the
// rest of their row come back bit for bit.
#include "FormFixture.h"

#include "form/clsMatrix.h"
#include "spreadsheet/model/Worksheet.h"

#include <gtest/gtest.h>

namespace qv::test {
namespace {

const char* kParts = R"SQL(
CREATE TABLE Part (
  PartId INTEGER PRIMARY KEY,
  Code VARCHAR(10),
  Notes LONGTEXT,
  Tag GUID,
  Qty INTEGER,
  Priced CURRENCY,
  Zip TEXT DEFAULT '0100',
  Label TEXT(10));
CREATE TABLE Empty (Id INTEGER PRIMARY KEY, Code VARCHAR(10));
INSERT INTO Part VALUES (1, '0171', '007', '{6F9619FF-8B86-D011-B42D-00C04FC964FF}', 5, 2.5, '1234', 'a'),
                        (2, '0900', 'memo', NULL, 6, 1.25, '0001', '12.50');
)SQL";

class TextEntryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path = folder.file("parts.sqlite");
        RunSql(path, kParts);
        // A text column with a number format of its own keeps it.
        RunSql(path, PropertySql("Part", "Label", "Format", "Standard"));
        world = std::make_unique<FormWorld>(path);
    }
    sheet::Worksheet& sheet() { return dynamic_cast<sheet::Worksheet&>(*world->formSheet); }
    // What a person does: types into the cell, and the host tells the form.
    void typeInto(long row, long column, const std::string& typed) {
        ASSERT_TRUE(sheet().typeInto(row, column, typed));
        world->form->OnSheetChange(world->formSheet->cells(row, column));
    }
    std::string format(long row, long column) { return world->formSheet->cells(row, column)->numberFormat(); }

    TempFolder folder;
    std::string path;
    std::unique_ptr<FormWorld> world;
};

TEST_F(TextEntryTest, TextColumnsAreLaidOutAsTextAndTheDatabaseFormatWins) {
    world->ShowTable("Part");
    EXPECT_EQ(world->Cell(2, 2), Variant(std::string("0171")));
    EXPECT_EQ(world->Text(2, 2), "0171");
    EXPECT_EQ(format(2, 2), "@");                                           // Code
    EXPECT_EQ(format(3, 3), "@");                                           // Notes (memo)
    EXPECT_EQ(format(2, 4), "@");                                           // Tag (GUID)
    EXPECT_EQ(format(2, 7), "@");                                           // Zip
    EXPECT_NE(format(2, 5), "@");                                           // Qty is a number
    EXPECT_NE(format(2, 6), "@");                                           // Priced keeps its money format
    EXPECT_NE(format(2, 8), "@");                                           // Label's own format
    EXPECT_EQ(format(1, 2), world->formSheet->cells(1, 1)->numberFormat()); // the header is left alone
}

TEST_F(TextEntryTest, DigitsTypedIntoATextColumnAreWrittenAsTextWithTheirZeros) {
    world->ShowTable("Part");
    typeInto(2, 2, "0042");
    typeInto(3, 3, "0099");
    EXPECT_EQ(world->Cell(2, 2), Variant(std::string("0042")));
    world->form->WriteData();
    EXPECT_FALSE(world->form->HasEdits());
    EXPECT_EQ(Query(path, "SELECT Code, typeof(Code) FROM Part WHERE PartId = 1"),
              std::vector<std::string>{"0042|text"});
    EXPECT_EQ(Query(path, "SELECT Notes, typeof(Notes) FROM Part WHERE PartId = 2"),
              std::vector<std::string>{"0099|text"});
    // Shown again after the reload with the zeros.
    EXPECT_EQ(world->Text(2, 2), "0042");
    // The number column beside it still reads digits as a number.
    typeInto(2, 5, "0012");
    world->form->WriteData();
    EXPECT_EQ(Query(path, "SELECT Qty, typeof(Qty) FROM Part WHERE PartId = 1"),
              std::vector<std::string>{"12|integer"});
}

TEST_F(TextEntryTest, UntouchedTextsOfDigitsInAnEditedRowComeBackBitForBit) {
    world->ShowTable("Part");
    const auto before = Query(path, "SELECT quote(Code), quote(Notes), quote(Tag), quote(Zip), quote(Label) "
                                    "FROM Part ORDER BY PartId");
    typeInto(2, 5, "9"); // only Qty of record 1 edited
    typeInto(3, 5, "8");
    world->form->WriteData();
    EXPECT_FALSE(world->form->HasEdits());
    EXPECT_EQ(Query(path, "SELECT quote(Code), quote(Notes), quote(Tag), quote(Zip), quote(Label) "
                          "FROM Part ORDER BY PartId"),
              before);
}

TEST_F(TextEntryTest, NewRowsTakeTheTextFormatAlsoInAnEmptyTable) {
    world->ShowTable("Empty");
    world->form->AddRow();
    EXPECT_EQ(format(2, 2), "@");
    typeInto(2, 2, "0007");
    world->form->WriteData();
    EXPECT_EQ(Query(path, "SELECT Code, typeof(Code) FROM Empty"), std::vector<std::string>{"0007|text"});

    // A text default keeps its zeros in the new row of a table with rows.
    world->ShowTable("Part");
    world->form->AddRow();
    const long row = world->form->Matrix()->RecordCount() + 1;
    EXPECT_EQ(format(row, 7), "@");
    EXPECT_EQ(world->Cell(row, 7), Variant(std::string("0100")));
    EXPECT_EQ(format(row, 2), "@");
    typeInto(row, 2, "0003");
    world->form->WriteData();
    EXPECT_EQ(Query(path, "SELECT Code, typeof(Code), Zip, typeof(Zip) FROM Part WHERE PartId = 3"),
              std::vector<std::string>{"0003|text|0100|text"});
}

} // namespace
} // namespace qv::test
