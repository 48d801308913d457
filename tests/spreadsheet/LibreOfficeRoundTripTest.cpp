// Opens a written .xlsx in another spreadsheet program (LibreOffice, headless) and checks that
// it reads the same values and still finds validation, protection, comments and names.
// Skipped when the program is not installed (scripts/setup installs libreoffice-calc-nogui).
#include "TestWorkbook.h"

#include "spreadsheet/WorkbookFileWriter.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace qv::sheet;
using namespace qv::sheet::test;

namespace {

std::string office() {
    for (const char* name : {"soffice", "libreoffice"})
        if (std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0) return name;
    return {};
}

bool convert(const std::string& program, const TempDir& dir, const std::string& filter, const std::string& file) {
    std::string cmd = "cd '" + dir.path() + "' && timeout 60 " + program +
                      " -env:UserInstallation=file://" + dir.path() + "/profile --headless --norestore --convert-to '" +
                      filter + "' --outdir '" + dir.path() + "' '" + file + "' >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

} // namespace

TEST(LibreOfficeRoundTripTest, AnotherProgramReadsTheWorkbookBack) {
    std::string program = office();
    if (program.empty()) GTEST_SKIP() << "soffice/libreoffice is not on PATH; install libreoffice-calc-nogui to run this test";
    TempDir dir;
    WorkbookFileWriter::write(sampleWorkbook(), dir.file("book.xlsx"), 51);

    ASSERT_TRUE(convert(program, dir, "csv:Text - txt - csv (StarCalc):44,34,76,1", dir.file("book.xlsx")));
    std::string csv = readFile(dir.file("book.csv"));
    ASSERT_FALSE(csv.empty()) << "the conversion produced no csv";
    // The filter options quote every text cell.
    EXPECT_NE(csv.find("\"ID\",\"Name\",\"Amount\",\"Date\",\"Shipped\",\"Ratio\""), std::string::npos) << csv;
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
    EXPECT_NE(fods.find("table:database-range"), std::string::npos); // the auto-filter
    EXPECT_NE(fods.find("fo:background-color=\"#ff0000\""), std::string::npos); // red header fill, not blue
}
