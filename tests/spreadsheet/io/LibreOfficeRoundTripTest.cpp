// Opens a written .xlsx in another spreadsheet program (LibreOffice, headless) and checks that
// it reads the same values and still finds validation, protection, comments and names, and
// that text XML cannot carry as it is, a text at the cell limit and dates before 1900 come
// back cell for cell, with every row after them.
// Skipped when the program is not installed (scripts/setup installs libreoffice-calc-nogui).
#include "tests/spreadsheet/support/TestWorkbook.h"

#include "spreadsheet/io/WorkbookFileWriter.h"
#include "tests/support/OfficeConvert.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace qv;
using namespace qv::sheet;
using namespace qv::sheet::test;

namespace {

bool convert(const std::string& program, const TempDir& dir, const std::string& filter,
             const std::string& file) {
    return ::qv::test::officeConvert(program, dir, filter, file);
}

class LibreOfficeRoundTripTest : public ::testing::Test {
  protected:
    void SetUp() override {
        program = ::qv::test::officeProgram();
        if (program.empty())
            GTEST_SKIP()
                << "soffice/libreoffice is not on PATH; install libreoffice-calc-nogui to run this test";
    }
    std::string program;
};

} // namespace

TEST_F(LibreOfficeRoundTripTest, AnotherProgramReadsTheWorkbookBack) {
    TempDir dir;
    WorkbookFileWriter::write(sampleWorkbook(), dir.file("book.xlsx"), 51);

    ASSERT_TRUE(convert(program, dir, "csv:Text - txt - csv (StarCalc):44,34,76,1", dir.file("book.xlsx")));
    std::string csv = readFile(dir.file("book.csv"));
    ASSERT_FALSE(csv.empty()) << "the conversion produced no csv";
    // The filter options quote every text cell.
    EXPECT_NE(csv.find("\"ID\",\"Name\",\"Amount\",\"Date\",\"Shipped\",\"Ratio\""), std::string::npos)
        << csv;
    EXPECT_NE(csv.find("1,\"Smith, J\",12.50,3/15/2023 12:00,TRUE,0.125"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\"Say \"\"hi\"\"\",\"1,234.50\""), std::string::npos) << csv;
    EXPECT_NE(csv.find("3/16/2023,FALSE,2469"), std::string::npos) << csv; // the formula's value
    EXPECT_NE(csv.find("\" lead\",-0.10,17-03-2023,\"#N/A\",0.300"), std::string::npos) << csv;

    ASSERT_TRUE(convert(program, dir, "fods", dir.file("book.xlsx")));
    std::string fods = readFile(dir.file("book.fods"));
    ASSERT_FALSE(fods.empty()) << "the conversion produced no fods";
    EXPECT_NE(fods.find("table:content-validation "), std::string::npos);
    EXPECT_NE(fods.find("Select a value from the list."), std::string::npos);
    EXPECT_NE(fods.find("table:protected=\"true\""), std::string::npos);
    EXPECT_NE(fods.find("office:annotation"), std::string::npos);
    EXPECT_NE(fods.find("Customer name"), std::string::npos);
    EXPECT_NE(fods.find("table:named-range table:name=\"BoolList\""), std::string::npos);
    EXPECT_NE(fods.find("table:name=\"Lists\""), std::string::npos);
    EXPECT_NE(fods.find("table:database-range"), std::string::npos);            // the auto-filter
    EXPECT_NE(fods.find("fo:background-color=\"#ff0000\""), std::string::npos); // red header fill, not blue
}

TEST_F(LibreOfficeRoundTripTest, OddTextLongTextAndEarlyDatesComeBackCellForCell) {
    const std::string fffd = "\xEF\xBF\xBD";
    struct Row {
        std::string written, shown;
    };
    const std::string longest = std::string(32766, 'x') + "E";
    const std::vector<Row> rows = {
        {std::string("a\x01\x02\x08\x0B\x0C\x0E\x1F z", 11),
         std::string("a\x01\x02\x08\x0B\x0C\x0E\x1F z", 11)},
        {"x\xEF\xBF\xBEy\xEF\xBF\xBFz", "x\xEF\xBF\xBEy\xEF\xBF\xBFz"},
        {"caf\xE9 \xC3(", "caf" + fffd + " " + fffd + "("},
        {"\xC0\xBCtag", fffd + fffd + "tag"},
        {"half \xED\xA0\xBD!", "half " + fffd + "!"},
        {"\xED\xA0\xBD\xED\xB8\x80", "\xF0\x9F\x98\x80"},
        {"tail_x0041_", "tail_x0041_"},
        {"trail  ", "trail  "},
        {longest, longest},
    };
    TestWorkbook b;
    TestSheet& s = b.addSheet("Odd");
    for (std::size_t i = 0; i < rows.size(); ++i) {
        s.set(static_cast<long>(i) + 1, 1, Variant(rows[i].written));
        s.set(static_cast<long>(i) + 1, 2, Variant(static_cast<double>(i + 1)));
    }
    const long firstDate = static_cast<long>(rows.size()) + 1;
    s.set(firstDate, 1, Variant(OleDate{-18201}));
    s.set(firstDate, 2, Variant(1.0));
    s.set(firstDate + 1, 1, Variant(OleDate{-18201.75}));
    s.set(firstDate + 1, 2, Variant(2.0));
    s.set(firstDate + 2, 1, Variant(OleDate{1}));
    s.set(firstDate + 2, 2, Variant(3.0));
    s.set(firstDate + 3, 1, Variant("last row"));
    s.set(firstDate + 3, 2, Variant(4.0));
    TempDir dir;
    WorkbookFileWriter::write(b, dir.file("odd.xlsx"), 51);
    ASSERT_TRUE(convert(program, dir, "csv:Text - txt - csv (StarCalc):44,34,76,1", dir.file("odd.xlsx")));
    std::vector<std::vector<std::string>> csv = ::qv::test::parseOfficeCsv(readFile(dir.file("odd.csv")));
    ASSERT_EQ(csv.size(), rows.size() + 4) << "LibreOffice dropped rows";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        ASSERT_EQ(csv[i].size(), 2u) << "row " << i + 1;
        EXPECT_EQ(csv[i][0], rows[i].shown) << "row " << i + 1;
        EXPECT_EQ(csv[i][1], std::to_string(i + 1)) << "row " << i + 1;
    }
    const std::vector<std::string> dates = {"1850-03-01", "1850-03-01 18:00:00", "1899-12-31", "last row"};
    for (std::size_t k = 0; k < dates.size(); ++k) {
        const std::size_t r = rows.size() + k;
        ASSERT_EQ(csv[r].size(), 2u) << "row " << r + 1;
        EXPECT_EQ(csv[r][0], dates[k]) << "row " << r + 1;
        EXPECT_EQ(csv[r][1], std::to_string(k + 1)) << "row " << r + 1;
    }
}

// Cells next to each other are written without references; after a skipped blank, a blank
// styled cell or a skipped row, the other program must still put every value in its column.
TEST_F(LibreOfficeRoundTripTest, CellsAfterGapsKeepTheirColumns) {
    TempDir dir;
    WorkbookFileWriter::write(gapsWorkbook(), dir.file("gaps.xlsx"), 51);
    ASSERT_TRUE(convert(program, dir, "csv:Text - txt - csv (StarCalc):44,34,76,1", dir.file("gaps.xlsx")));
    std::vector<std::vector<std::string>> csv = ::qv::test::parseOfficeCsv(readFile(dir.file("gaps.csv")));
    const std::vector<std::vector<std::string>> expected = {{"1", "2", "3", "4", "5"},
                                                            {"", "b2", "c2", "", "e2"},
                                                            {"", "b3", "", "", ""},
                                                            {"", "", "", "", ""},
                                                            {"", "", "", "d5", "e5"}};
    EXPECT_EQ(csv, expected);
}
