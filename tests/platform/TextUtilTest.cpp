// The shared text helpers fold and compare ASCII letters only: bytes of UTF-8 sequences pass
// untouched, so a name with accents is neither corrupted nor confused with another.
#include "platform/TextUtil.h"

#include <gtest/gtest.h>

using qv::TextUtil;

TEST(TextUtilTest, CaseFoldingTouchesAsciiLettersOnly) {
    EXPECT_EQ(TextUtil::lowerAscii("Order Details [ÉÀ] 42_X"), "order details [ÉÀ] 42_x");
    EXPECT_EQ(TextUtil::upperAscii("straße é"), "STRAßE é");
    EXPECT_EQ(TextUtil::lowerAscii(""), "");
    // Every byte of a multi-byte sequence is kept: the text stays valid UTF-8.
    const std::string zoe = "Zo\xC3\xAB";
    EXPECT_EQ(TextUtil::lowerAscii(zoe), "zo\xC3\xAB");
    // One character at a time, as the parsers of typed input and number formats fold.
    EXPECT_EQ(TextUtil::lowerAscii('Q'), 'q');
    EXPECT_EQ(TextUtil::lowerAscii('@'), '@');
    EXPECT_EQ(TextUtil::lowerAscii('['), '[');
    EXPECT_EQ(TextUtil::lowerAscii('\xC3'), '\xC3');
}

TEST(TextUtilTest, ComparisonIgnoresAsciiCaseButNotAccents) {
    EXPECT_TRUE(TextUtil::equalsIgnoreCase("ORDERS", "orders"));
    EXPECT_TRUE(TextUtil::equalsIgnoreCase("", ""));
    EXPECT_FALSE(TextUtil::equalsIgnoreCase("Orders", "Order"));
    EXPECT_FALSE(TextUtil::equalsIgnoreCase("é", "É"));
    EXPECT_FALSE(TextUtil::equalsIgnoreCase("a@", "a`")); // neighbours of the letters stay apart
    // The whole text counts, a NUL inside it too (a C string comparison would stop there).
    EXPECT_FALSE(TextUtil::equalsIgnoreCase(std::string_view("a\0b", 3), std::string_view("A\0c", 3)));
}

TEST(TextUtilTest, TrimTakesTheChosenBlanksFromBothEnds) {
    EXPECT_EQ(TextUtil::trim(" \t\r\n\v\fx y \r\n"), "x y");
    EXPECT_EQ(TextUtil::trim("   "), "");
    EXPECT_EQ(TextUtil::trim(""), "");
    EXPECT_EQ(TextUtil::trim("\r\n x \n", " \t"), "\r\n x \n");
    EXPECT_EQ(TextUtil::trim("\t x \t", " \t"), "x");
}
