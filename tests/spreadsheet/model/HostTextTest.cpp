// Lengths in the host's UTF-16 units and cuts that never split a character.
#include "spreadsheet/model/HostText.h"

#include <gtest/gtest.h>

using qv::sheet::HostText;

namespace {
std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}
const std::string kZhe = "\xD0\x96";          // Cyrillic capital zhe: two bytes, one unit
const std::string kGrin = "\xF0\x9F\x98\x80"; // outside the BMP: four bytes, two units
} // namespace

TEST(HostTextTest, CountsUtf16UnitsNotBytesOrCodePoints) {
    EXPECT_EQ(HostText::length(""), 0u);
    EXPECT_EQ(HostText::length("Sheet1"), 6u);
    EXPECT_EQ(HostText::length(repeat(kZhe, 20)), 20u);
    EXPECT_EQ(HostText::length(kGrin), 2u);
    EXPECT_EQ(HostText::length("a" + kGrin + kZhe), 4u);
}

TEST(HostTextTest, MalformedUtf8HasNoLength) {
    const std::string truncated = "Blad\xD0", overlong = "\xC0\xAF", surrogate = "\xED\xA0\x80",
                      pastUnicode = "\xF4\x90\x80\x80", stray = std::string("a\xFF") + "b";
    for (const std::string& bad : {truncated, overlong, surrogate, pastUnicode, stray})
        EXPECT_FALSE(HostText::length(bad)) << bad;
}

TEST(HostTextTest, PrefixCutsBetweenCharactersAtTheUnitLimit) {
    // 40 Cyrillic letters are 80 bytes; a cut at 31 bytes split the sixteenth letter.
    EXPECT_EQ(HostText::prefix(repeat(kZhe, 40), 31), repeat(kZhe, 31));
    EXPECT_EQ(HostText::prefix(repeat(kZhe, 20), 31), repeat(kZhe, 20));
    // A character of two units that would end past the limit stays out whole.
    EXPECT_EQ(HostText::prefix(repeat("x", 30) + kGrin, 31), repeat("x", 30));
    EXPECT_EQ(HostText::prefix("a" + repeat(kGrin, 20), 31), "a" + repeat(kGrin, 15));
    EXPECT_EQ(HostText::prefix("abc", 0), "");
    // Malformed text is cut before its first bad byte, so the result is always valid.
    EXPECT_EQ(HostText::prefix("ab\xD0", 31), "ab");
    EXPECT_EQ(HostText::prefix(std::string("ab\xFF") + "cd", 31), "ab");
}
