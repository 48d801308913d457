// The runner's script: actions and the answers written among them, paste blocks, and lines that
// cannot be read refused with their number before anything runs.
#include "app/HeadlessScript.h"
#include "platform/NumberedError.h"

#include <gtest/gtest.h>

using namespace qv;
using namespace qv::app;
using Kind = HeadlessAction::Kind;

namespace {
std::string refusal(std::string_view text) {
    try {
        HeadlessScript::read(text);
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), 5);
        return e.description();
    }
    return "read";
}
} // namespace

TEST(HeadlessScriptTest, ActionsAndAnswersKeepTheirOrder) {
    const auto a = HeadlessScript::read("dialog frmMessage\n click cmdOK\n"
                                        "pick cmdOpenDB\n"
                                        "open \"/data/shop.sqlite\"\n"
                                        "# the hint after opening\n"
                                        "dialog frmMessage\n  click cmdOK\n"
                                        "pick cboTables 12\n"
                                        "select B2:C3\n"
                                        "enter B2 \"two  blanks \\\" quote\"\n"
                                        "enter C2 rest of the line\n"
                                        "key F7\n"
                                        "show values A1:C3\n"
                                        "show message\n");
    ASSERT_EQ(a.size(), 10u);
    EXPECT_EQ(a[0].kind, Kind::Answers);
    EXPECT_EQ(a[0].answers.size(), 1u);
    EXPECT_EQ(a[1].kind, Kind::Pick);
    EXPECT_EQ(a[1].target, "cmdOpenDB");
    EXPECT_EQ(a[1].index, 0);
    EXPECT_EQ(a[2].kind, Kind::Answers);
    EXPECT_EQ(a[2].answers.size(), 2u);
    EXPECT_EQ(a[2].line, 4);
    EXPECT_EQ(a[3].index, 12);
    EXPECT_EQ(a[4].kind, Kind::Select);
    EXPECT_EQ(a[5].text, "two  blanks \" quote");
    EXPECT_EQ(a[6].text, "rest of the line");
    EXPECT_EQ(a[7].kind, Kind::Key);
    EXPECT_EQ(a[8].subject, "A1:C3");
    EXPECT_EQ(a[9].target, "message");
}

TEST(HeadlessScriptTest, PasteBlockKeepsEmptyCellsAndEndsAtEnd) {
    const auto a = HeadlessScript::read("paste B2\r\n  1\tAda\t\r\n\t\n  end\r\nshow status\n");
    ASSERT_EQ(a.size(), 2u);
    ASSERT_EQ(a[0].rows.size(), 2u);
    EXPECT_EQ(a[0].rows[0], (std::vector<std::string>{"1", "Ada", ""}));
    EXPECT_EQ(a[0].rows[1], (std::vector<std::string>{"", ""}));
    EXPECT_EQ(a[1].kind, Kind::Show);
}

TEST(HeadlessScriptTest, LinesThatCannotBeReadAreRefusedWithTheirNumber) {
    EXPECT_EQ(refusal("pick cmdOpenDB\nkey F5\n"), "line 2: key takes F6, F7, F8 or F9");
    EXPECT_EQ(refusal("paste A1\n1\t2\n"), "line 1: the paste block has no \"end\" line");
    EXPECT_EQ(refusal("paste A1\nend\n"), "line 1: the paste block is empty");
    EXPECT_EQ(refusal("enter A1 \"open\n"), "line 1: a quote is not closed");
    EXPECT_EQ(refusal("enter A1 \"x\" y\n"), "line 1: text after the closing quote");
    EXPECT_EQ(refusal("select A1; DROP\n"), "line 1: select needs a cell or range address");
    EXPECT_EQ(refusal("pick cboTables two\n"), "line 1: a drop-down entry is a whole number");
    EXPECT_EQ(refusal("pick cboTables 9999999\n"), "line 1: a drop-down entry is a whole number");
    EXPECT_EQ(refusal("show everything\n"),
              "line 1: show takes values, texts, colors, locks, message or status");
    EXPECT_EQ(refusal("show values\n"), "line 1: show values needs a range address");
    EXPECT_EQ(refusal(std::string_view("pick a\0b", 8)), "line 0: the script holds a NUL character");
    // A wrong answer line is refused with the line where its block starts.
    EXPECT_NE(refusal("pick cmdOpenDB\nmessage \"x\" Sometimes\n").find("line 2:"), std::string::npos);
}
