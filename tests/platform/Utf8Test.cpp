// The one UTF-8 codec: what is a character, what is not, and how long a text is in the units
// the host and its file formats count.
#include "platform/Utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using qv::Utf8;

namespace {

const std::string Fffd = "\xEF\xBF\xBD";

std::vector<char32_t> decode(std::string_view s) {
    std::vector<char32_t> out;
    for (std::size_t i = 0; i < s.size();)
        out.push_back(Utf8::next(s, i));
    return out;
}

// Status and length of each piece, as "o1 i2 s3" (ok, invalid, surrogate).
std::string pieces(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        const Utf8::Decoded d = Utf8::decode(s, i);
        if (!out.empty()) out += ' ';
        out += d.status == Utf8::Status::Ok ? 'o' : d.status == Utf8::Status::Surrogate ? 's' : 'i';
        out += std::to_string(d.length);
        i += d.length;
    }
    return out;
}

} // namespace

TEST(Utf8Test, DecodesWellFormedCharactersOfEveryLength) {
    EXPECT_EQ(decode("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"),
              (std::vector<char32_t>{'a', 0xE9, 0x20AC, 0x1F600}));
    EXPECT_EQ(decode("\xF4\x8F\xBF\xBF"), (std::vector<char32_t>{0x10FFFF}));
    EXPECT_EQ(decode(std::string_view("\0", 1)), (std::vector<char32_t>{0}));
}

TEST(Utf8Test, IllFormedBytesAreInvalidAndNeverSwallowTheNextCharacter) {
    constexpr char32_t X = Utf8::Invalid;
    EXPECT_EQ(decode("\x80z"), (std::vector<char32_t>{X, 'z'}));                // stray continuation
    EXPECT_EQ(decode("\xC0\xBC"), (std::vector<char32_t>{X, X}));               // overlong '<'
    EXPECT_EQ(decode("\xE0\x80\xBC"), (std::vector<char32_t>{X, X, X}));        // overlong '<' in three
    EXPECT_EQ(decode("\xC3<"), (std::vector<char32_t>{X, '<'}));                // truncated before a '<'
    EXPECT_EQ(decode("\xE2\x82"), (std::vector<char32_t>{X}));                  // truncated at the end
    EXPECT_EQ(decode("\xF4\x90\x80\x80"), (std::vector<char32_t>{X, X, X, X})); // past U+10FFFF
    EXPECT_EQ(decode("\xF8\x88\x80\x80\x80"), std::vector<char32_t>(5, X));
    EXPECT_EQ(decode("\xFF\xFE"), (std::vector<char32_t>{X, X}));
    // Encoded surrogates are answered as such, for the caller to pair or refuse.
    EXPECT_EQ(decode("\xED\xA0\xBD\xED\xB8\x80"), (std::vector<char32_t>{0xD83D, 0xDE00}));
}

TEST(Utf8Test, LengthCountsUtf16UnitsAsTheFileFormatsDo) {
    EXPECT_EQ(Utf8::utf16Length(""), 0u);
    EXPECT_EQ(Utf8::utf16Length("abc"), 3u);
    EXPECT_EQ(Utf8::utf16Length("\xC3\xA9\xE2\x82\xAC"), 2u);
    EXPECT_EQ(Utf8::utf16Length("\xF0\x9F\x98\x80"), 2u); // a pair
    EXPECT_EQ(Utf8::utf16Length("\xC3(\xE2\x82"), 3u);    // each ill-formed piece is one replacement
}

TEST(Utf8Test, WellFormedJoinsPairsAndReplacesTheRest) {
    EXPECT_EQ(Utf8::wellFormed("plain \xC3\xA9"), "plain \xC3\xA9");
    EXPECT_EQ(Utf8::wellFormed("\xED\xA0\xBD\xED\xB8\x80"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf8::wellFormed("a\xED\xA0\xBD"
                               "b"),
              "a" + Fffd + "b");                                          // a high half alone
    EXPECT_EQ(Utf8::wellFormed("\xED\xB8\x80\xED\xA0\xBD"), Fffd + Fffd); // halves in the wrong order
    EXPECT_EQ(Utf8::wellFormed("\xC0\xBC"), Fffd + Fffd);
}

TEST(Utf8Test, EachIllFormedPieceIsReportedWithTheLengthOfItsMaximalSubpart) {
    EXPECT_EQ(pieces("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"), "o1 o2 o3 o4");
    EXPECT_EQ(pieces("\x80\xBF"), "i1 i1");                    // stray continuation bytes, one each
    EXPECT_EQ(pieces("\xC0\xAF\xC1\xBF"), "i1 i1 i1 i1");      // overlong two-byte leads never start
    EXPECT_EQ(pieces("\xE0\x9F\xBF"), "i1 i1 i1");             // overlong three-byte form
    EXPECT_EQ(pieces("\xF0\x8F\xBF\xBF"), "i1 i1 i1 i1");      // overlong four-byte form
    EXPECT_EQ(pieces("\xE2\x82z"), "i2 o1");                   // truncated: the start is one piece
    EXPECT_EQ(pieces("\xF0\x9F\x98"), "i3");                   // truncated at the end of the text
    EXPECT_EQ(pieces("\xF4\x8F\xBF\xBF\xF4\x90"), "o4 i1 i1"); // U+10FFFF, then past it
    EXPECT_EQ(pieces("\xF5\x80\x80\x80"), "i1 i1 i1 i1");
    EXPECT_EQ(pieces("\xED\x9F\xBF\xED\xA0\x80\xED\xBF\xBF\xEE\x80\x80"),
              "o3 s3 s3 o3"); // around the surrogates
    EXPECT_EQ(Utf8::decode("\xED\xA0\x80", 0).cp, 0xD800u);
    EXPECT_EQ(Utf8::decode("\xC0\x80", 0).cp, Utf8::Invalid); // an overlong NUL is no NUL
}

TEST(Utf8Test, ValidationFindsTheFirstPieceThatIsNoCharacter) {
    EXPECT_TRUE(Utf8::isValid(""));
    EXPECT_TRUE(Utf8::isValid("Zo\xC3\xAB \xF0\x9F\x98\x80"));
    EXPECT_EQ(Utf8::firstInvalid("ab\xC3"), 2u);
    EXPECT_EQ(Utf8::firstInvalid("ab\xED\xA0\x80"), 2u); // an encoded surrogate is not UTF-8
    EXPECT_EQ(Utf8::firstInvalid("\xC3\xA9\xF8"), 2u);
    EXPECT_FALSE(Utf8::isValid("\xF4\x90\x80\x80"));
}

TEST(Utf8Test, EncodingRoundTripsEveryLengthAndItsBoundaries) {
    for (std::uint32_t cp : {0x0u, 0x7Fu, 0x80u, 0x7FFu, 0x800u, 0xFFFFu, 0x10000u, 0x10FFFFu}) {
        std::string s;
        Utf8::append(s, cp);
        const std::size_t expected = cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
        ASSERT_EQ(s.size(), expected) << std::hex << cp;
        const Utf8::Decoded d = Utf8::decode(s, 0);
        EXPECT_TRUE(d.ok()) << std::hex << cp;
        EXPECT_EQ(d.cp, cp);
        EXPECT_EQ(d.length, expected);
    }
}

TEST(Utf8Test, CountsAndPrefixesNeverSplitACharacter) {
    const std::string grin = "\xF0\x9F\x98\x80", zhe = "\xD0\x96";
    EXPECT_EQ(Utf8::codePoints("a" + grin + zhe), 3u);
    EXPECT_EQ(Utf8::codePoints("\xE2\x82z\x80"), 3u); // each ill-formed piece counts once
    EXPECT_EQ(Utf8::prefixUnits("a" + grin + zhe, 2), "a");
    EXPECT_EQ(Utf8::prefixUnits("a" + grin + zhe, 3), "a" + grin);
    EXPECT_EQ(Utf8::prefixUnits("a" + grin + zhe, 99), "a" + grin + zhe);
    EXPECT_EQ(Utf8::prefixUnits(grin, 1), "");
    EXPECT_EQ(Utf8::prefixUnits("ab\xE2\x82z", 3), "ab\xE2\x82"); // a bad piece is one unit, kept whole
    EXPECT_EQ(Utf8::prefixUnits("abc", 0), "");
}
