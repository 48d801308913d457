// Comma- and tab-separated text: the active sheet only, displayed text, quoting, and the
// same number of fields on every line.
#include "tests/spreadsheet/support/TestWorkbook.h"

#include "spreadsheet/io/DelimitedTextWriter.h"
#include "spreadsheet/io/WorkbookFileWriter.h"

#include <gtest/gtest.h>

using namespace qv;
using namespace qv::sheet;
using namespace qv::sheet::test;

TEST(DelimitedTextWriterTest, FieldsAreQuotedOnlyWhenNeeded) {
    EXPECT_EQ(DelimitedTextWriter::field("plain text", ','), "plain text");
    EXPECT_EQ(DelimitedTextWriter::field("a,b", ','), "\"a,b\"");
    EXPECT_EQ(DelimitedTextWriter::field("say \"hi\"", ','), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(DelimitedTextWriter::field("two\nlines", ','), "\"two\nlines\"");
    EXPECT_EQ(DelimitedTextWriter::field("cr\ronly", ','), "\"cr\ronly\"");
    EXPECT_EQ(DelimitedTextWriter::field("a,b", '\t'), "a,b");
    EXPECT_EQ(DelimitedTextWriter::field("a\tb", '\t'), "\"a\tb\"");
    EXPECT_EQ(DelimitedTextWriter::field("", ','), "");
}

TEST(DelimitedTextWriterTest, CsvHoldsTheActiveSheetAsARectangle) {
    TestWorkbook b;
    TestSheet& first = b.addSheet("First");
    first.set(1, 1, Variant("not saved"));
    first.info.active = false;
    TestSheet& s = b.addSheet("Second");
    s.info.active = true;
    s.set(1, 1, Variant("Name"));
    s.set(1, 3, Variant("Flag"));
    s.set(2, 1, Variant("Smith, J"));
    s.set(2, 2, Variant(std::int64_t{42}));
    s.set(2, 3, Variant(true));
    s.set(4, 2, Variant(ErrorValue{2042}));
    s.info.lastRow = 5;
    TempDir dir;
    WorkbookFileWriter::write(b, dir.file("out.csv"), 0);
    EXPECT_EQ(readFile(dir.file("out.csv")), "Name,,Flag\r\n\"Smith, J\",42,TRUE\r\n,,\r\n,#N/A,\r\n,,\r\n");
}

TEST(DelimitedTextWriterTest, TabTextFallsBackToTheFirstVisibleSheet) {
    TestWorkbook b;
    TestSheet& hidden = b.addSheet("Hidden");
    hidden.info.visibility = 2; // very hidden and active: not what the user sees
    hidden.set(1, 1, Variant("secret"));
    TestSheet& s = b.addSheet("Shown");
    s.set(1, 1, Variant("a\tb"));
    s.set(1, 2, Variant("c,d"));
    TempDir dir;
    WorkbookFileWriter::write(b, dir.file("out.txt"), -4158);
    EXPECT_EQ(readFile(dir.file("out.txt")), "\"a\tb\"\tc,d\r\n");
}
