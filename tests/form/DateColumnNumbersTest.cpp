// Numbers that other programs store in DATE and DATETIME columns (Julian days, Unix seconds,
// sheet serials): the form shows them without losing them, and writing back an edit of another
// cell of their row leaves every one of them as stored, type and bits alike.
#include "FormFixture.h"

#include <gtest/gtest.h>

namespace qv::test {
namespace {

const char* kDates = R"SQL(
CREATE TABLE Stamp (Id INTEGER PRIMARY KEY, Name TEXT, Day DATE, At DATETIME);
INSERT INTO Stamp VALUES
  (1, 'julian', 2460000.123456789, 1700000000),
  (2, 'mixed', '2024-01-02 10:00:00', 0.1 + 0.2),
  (3, 'before', -800000.5, 45000),
  (4, 'huge', 1e300, -1);
CREATE TABLE Reading (Taken DATETIME PRIMARY KEY, Value REAL);
INSERT INTO Reading VALUES (2460000.5, 1), (1700000000, 2), (45000, 3), ('2024-05-06 07:08:09', 4);
)SQL";

// Every stored value and its storage class, read outside the product with all its digits.
const char* kExact = "SELECT Id, quote(Day), typeof(Day), quote(At), typeof(At) FROM Stamp ORDER BY Id";

class DateColumnNumbersTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path = folder.file("dates.sqlite");
        RunSql(path, kDates);
        world = std::make_unique<FormWorld>(path);
        world->ShowTable("Stamp");
    }
    void type(const std::string& address, const Variant& value) {
        RangePtr r = world->formSheet->range(address);
        r->setValue(value);
        world->form->OnSheetChange(r);
    }

    TempFolder folder;
    std::string path;
    std::unique_ptr<FormWorld> world;
};

TEST_F(DateColumnNumbersTest, AnEditOfAnotherCellWritesBackEveryStoredNumberUnchanged) {
    const std::vector<std::string> before = Query(path, kExact);
    ASSERT_EQ(before.size(), 4u);
    for (long row = 2; row <= 5; ++row)
        type("B" + std::to_string(row), Variant("edited " + std::to_string(row)));
    world->form->WriteData();
    EXPECT_EQ(Query(path, "SELECT group_concat(Name) FROM Stamp"),
              (std::vector<std::string>{"edited 2,edited 3,edited 4,edited 5"}));
    EXPECT_EQ(Query(path, kExact), before);
    // A second round on the reloaded form changes nothing either.
    type("B2", Variant("again"));
    world->form->WriteData();
    EXPECT_EQ(Query(path, kExact), before);
}

TEST_F(DateColumnNumbersTest, ANumberNoSheetDateIsShownAsTheNumberItIs) {
    // Past the year 9999 and before 1900: the number, not a row of hashes.
    EXPECT_EQ(world->Text(2, 4), "1700000000");
    EXPECT_EQ(world->Text(4, 3), "-800000.5");
    EXPECT_EQ(world->Text(5, 4), "-1");
    EXPECT_EQ(world->Text(5, 3).find('#'), std::string::npos) << world->Text(5, 3);
    // A number the sheet can show as a date keeps the column's date format: whether it was
    // meant as a serial or a Julian day cannot be told from the file.
    EXPECT_EQ(world->Text(4, 4), "15/3/2023 0:00:00");
    EXPECT_EQ(world->Text(2, 3), "1/4/8635 2:57:47");
    EXPECT_EQ(world->Text(3, 3), "2/1/2024 10:00:00");
    // The cells hold the numbers themselves.
    EXPECT_EQ(world->Cell(2, 4).toDouble(), 1700000000.0);
    EXPECT_EQ(world->Cell(4, 3).toDouble(), -800000.5);
    // The reload after a save shows them the same way.
    type("B2", Variant("x"));
    world->form->WriteData();
    EXPECT_EQ(world->Text(2, 4), "1700000000");
    EXPECT_EQ(world->Text(4, 3), "-800000.5");
}

TEST_F(DateColumnNumbersTest, ARecordKeyedBySuchANumberIsFoundAndKeepsItsKey) {
    world = std::make_unique<FormWorld>(path);
    world->ShowTable("Reading");
    for (long row = 2; row <= 5; ++row)
        type("B" + std::to_string(row), Variant(10.0 * static_cast<double>(row)));
    world->form->WriteData();
    EXPECT_EQ(Query(path, "SELECT quote(Taken), typeof(Taken), Value FROM Reading ORDER BY rowid"),
              (std::vector<std::string>{"2460000.5|real|20.0", "1700000000|integer|30.0",
                                        "45000|integer|40.0", "'2024-05-06 07:08:09'|text|50.0"}));
    for (const auto& box : world->dialogs.boxes)
        EXPECT_EQ(box.text.find("not found"), std::string::npos) << box.text;
}

} // namespace
} // namespace qv::test
