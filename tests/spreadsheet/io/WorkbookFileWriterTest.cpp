// Choosing the format and the all-or-nothing save: refused formats and failed writes leave
// the destination as it was and no temporary file behind.
#include "tests/spreadsheet/support/TestWorkbook.h"

#include "platform/NumberedError.h"
#include "spreadsheet/io/ExportValues.h"
#include "spreadsheet/io/WorkbookFileWriter.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace qv;
using namespace qv::sheet;
using namespace qv::sheet::test;

namespace {
TestWorkbook smallBook() {
    TestWorkbook b;
    b.addSheet("Data").set(1, 1, Variant("x"));
    return b;
}

std::string errorOf(const TestWorkbook& b, const std::string& path, int format, std::int32_t& number) {
    try {
        WorkbookFileWriter::write(b, path, format);
    } catch (const NumberedError& e) {
        number = e.number();
        return e.description();
    }
    number = 0;
    return {};
}
} // namespace

TEST(WorkbookFileWriterTest, ExtensionsMapToTheHostsFormatNumbers) {
    EXPECT_EQ(WorkbookFileWriter::formatForExtension("/a/b.xlsx"), 51);
    EXPECT_EQ(WorkbookFileWriter::formatForExtension("/a/b.XLS"), 56);
    EXPECT_EQ(WorkbookFileWriter::formatForExtension("b.xml"), 46);
    EXPECT_EQ(WorkbookFileWriter::formatForExtension("b.mht"), 45);
    EXPECT_EQ(WorkbookFileWriter::formatForExtension("b.mhtml"), 45);
    EXPECT_EQ(WorkbookFileWriter::formatForExtension("b.htm"), 44);
    EXPECT_EQ(WorkbookFileWriter::formatForExtension("b.html"), 44);
    EXPECT_EQ(WorkbookFileWriter::formatForExtension("b.txt"), -4158);
    EXPECT_EQ(WorkbookFileWriter::formatForExtension("b.csv"), 6);
    EXPECT_EQ(WorkbookFileWriter::formatForExtension("b.pdf"), 0);
    EXPECT_EQ(WorkbookFileWriter::formatForExtension("/dir.v2/book"), 0); // a dot in the folder only
}

TEST(WorkbookFileWriterTest, XlsIsRefusedAndNothingIsWritten) {
    TempDir dir;
    for (auto [name, format] : {std::pair{"a.xls", 56}, {"b.xls", -4143}, {"c.xls", 0}, {"d.xlsx", 56}}) {
        std::int32_t number = 0;
        std::string message = errorOf(smallBook(), dir.file(name), format, number);
        EXPECT_EQ(number, err::ApplicationDefined) << name;
        EXPECT_NE(message.find("Saving as .xls"), std::string::npos) << message;
        EXPECT_NE(message.find("save as .xlsx instead"), std::string::npos) << message;
    }
    std::int32_t number = 0;
    errorOf(smallBook(), dir.file("e.ods"), 60, number);
    EXPECT_EQ(number, err::ApplicationDefined);
    std::string message = errorOf(smallBook(), dir.file("f.pdf"), 0, number); // never a mislabelled file
    EXPECT_EQ(number, err::ApplicationDefined);
    EXPECT_NE(message.find("f.pdf"), std::string::npos);
    EXPECT_TRUE(dir.entries().empty());
    WorkbookFileWriter::write(smallBook(), dir.file("plain"), 0); // no extension: the default format
    EXPECT_EQ(readFile(dir.file("plain")).substr(0, 2), "PK");
}

TEST(WorkbookFileWriterTest, UnwritablePathRaises1004NamingThePath) {
    TempDir dir;
    for (int format : {51, 6, 44, 45, 46}) {
        std::string path = dir.file("missing/folder/book.out");
        std::int32_t number = 0;
        std::string message = errorOf(smallBook(), path, format, number);
        EXPECT_EQ(number, err::ApplicationDefined) << format;
        EXPECT_NE(message.find(path), std::string::npos) << message;
    }
    // The destination is a folder: the finished temporary file cannot replace it and is removed.
    ::mkdir(dir.file("taken.xlsx").c_str(), 0755);
    std::int32_t number = 0;
    std::string message = errorOf(smallBook(), dir.file("taken.xlsx"), 0, number);
    EXPECT_EQ(number, err::ApplicationDefined);
    EXPECT_NE(message.find("taken.xlsx"), std::string::npos);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"taken.xlsx"});
}

TEST(WorkbookFileWriterTest, FailedWriteKeepsTheOriginalFile) {
    TempDir dir;
    std::string path = dir.file("book.xlsx");
    WorkbookFileWriter::write(smallBook(), path, 0);
    std::string before = readFile(path);
    TestWorkbook broken;
    broken.addSheet("Same");
    broken.addSheet("same");
    std::int32_t number = 0;
    errorOf(broken, path, 0, number);
    EXPECT_EQ(number, err::ApplicationDefined);
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"book.xlsx"});
}

TEST(WorkbookFileWriterTest, ReadOnlyFileIsNotReplaced) {
    TempDir dir;
    std::string path = dir.file("locked.csv");
    WorkbookFileWriter::write(smallBook(), path, 0);
    ::chmod(path.c_str(), 0444);
    TestWorkbook other;
    other.addSheet("Data").set(1, 1, Variant("second"));
    std::int32_t number = 0;
    std::string message = errorOf(other, path, 0, number);
    EXPECT_EQ(number, err::ApplicationDefined);
    EXPECT_NE(message.find("read-only"), std::string::npos) << message;
    EXPECT_EQ(readFile(path), "x\r\n");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"locked.csv"});
}

TEST(WorkbookFileWriterTest, SuccessfulWriteReplacesTheFileWithOrdinaryPermissions) {
    TempDir dir;
    std::string path = dir.file("book.csv");
    WorkbookFileWriter::write(smallBook(), path, 0);
    TestWorkbook other;
    other.addSheet("Data").set(1, 1, Variant("second"));
    WorkbookFileWriter::write(other, path, 0);
    EXPECT_EQ(readFile(path), "second\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"book.csv"});
}

TEST(ExportValuesTest, OleColoursBecomeRedFirstHex) {
    EXPECT_EQ(ExportValues::argbFromOle(0x0000FF), "FFFF0000"); // red is the low byte
    EXPECT_EQ(ExportValues::argbFromOle(0x00FF00), "FF00FF00");
    EXPECT_EQ(ExportValues::argbFromOle(0xFF0000), "FF0000FF"); // blue is the high byte
    EXPECT_EQ(ExportValues::argbFromOle(0x123456), "FF563412");
    EXPECT_EQ(ExportValues::argbFromOle(0), "FF000000");
    EXPECT_EQ(ExportValues::argbFromOle(NoColor), "");
    EXPECT_EQ(ExportValues::argbFromOle(static_cast<std::int32_t>(0x80000005u)), ""); // a system colour
    EXPECT_EQ(ExportValues::htmlFromOle(0x00CCFF99), "#99FFCC");
}

TEST(ExportValuesTest, DisplayTextOfValuesWithoutNumberFormat) {
    EXPECT_EQ(ExportValues::displayText(Variant(true), "General"), "TRUE");
    EXPECT_EQ(ExportValues::displayText(Variant(ErrorValue{2007}), "General"), "#DIV/0!");
    EXPECT_EQ(ExportValues::displayText(Variant::missing(), "General"), "");
    EXPECT_EQ(ExportValues::displayText(Variant::null(), "General"), "");
    EXPECT_EQ(ExportValues::displayText(Variant(std::numeric_limits<double>::infinity()), "0.00"), "#NUM!");
    EXPECT_EQ(ExportValues::displayText(Variant("a,b"), "@"), "a,b");
}

TEST(WorkbookFileWriterTest, ErrorWhileStreamingLeavesNoPartialFile) {
    // The model fails half-way through the cells (a lost database connection, say).
    class FailingBook : public TestWorkbook {
      public:
        void forEachCell(long sheetIndex,
                         const std::function<void(long, long, const ExportCell&)>& visit) const override {
            ExportCell c{Variant(1.0), 0, ""};
            for (long r = 1; r <= 5000; ++r)
                visit(r, 1, c);
            throw NumberedError(err::DaoOdbcConnectFailed, "Engine", "connection lost");
        }
    };
    FailingBook b;
    b.addSheet("Data").info.lastRow = 10000;
    TempDir dir;
    for (const char* name : {"a.xlsx", "a.csv", "a.html", "a.mht", "a.xml"}) {
        std::string path = dir.file(name);
        WorkbookFileWriter::write(smallBook(), path, 0);
        std::string before = readFile(path);
        try {
            WorkbookFileWriter::write(b, path, 0);
            ADD_FAILURE() << name;
        } catch (const NumberedError& e) {
            EXPECT_EQ(e.number(), err::DaoOdbcConnectFailed); // the cause reaches the caller unchanged
        }
        EXPECT_EQ(readFile(path), before) << name;
    }
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"a.csv", "a.html", "a.mht", "a.xlsx", "a.xml"}));
}
