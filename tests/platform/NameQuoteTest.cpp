// Names pasted into statements: whatever a name holds, quoting and reading back give the same
// name, and nothing in it can close the brackets early.
#include "platform/NameQuote.h"

#include <gtest/gtest.h>

using namespace qv;

namespace {

const char* const kHostileNames[] = {
    "Orders",       "a]b",      "]", "]]", "[x]", "Pub] UNION SELECT * FROM [Secret", "x]; DROP TABLE T; --",
    "`back`quote`", " padded ", "",
};

} // namespace

TEST(NameQuoteTest, HostileNamesRoundTripThroughBracketsAndBackQuotes) {
    for (const std::string name : kHostileNames) {
        const std::string b = NameQuote::bracketed(name);
        ASSERT_EQ(NameQuote::unquoted(b), name) << b;
        const std::string q = NameQuote::backQuoted(name);
        ASSERT_EQ(NameQuote::unquoted(q), name) << q;
        // The only single closing bracket is the last character.
        for (std::size_t i = 1; i + 1 < b.size(); ++i) {
            if (b[i] == ']') {
                ASSERT_EQ(b[i + 1], ']') << b;
                ++i;
            }
        }
    }
    EXPECT_EQ(NameQuote::bracketed("a]b"), "[a]]b]");
    EXPECT_EQ(NameQuote::backQuoted("a`b"), "`a``b`");
}

TEST(NameQuoteTest, UnquotedRefusesWhatIsNotExactlyOneName) {
    EXPECT_EQ(NameQuote::unquoted("  [Order Details] "), "Order Details");
    EXPECT_FALSE(NameQuote::unquoted("[a]b]")); // a lone "]" inside
    EXPECT_FALSE(NameQuote::unquoted("[a]] ")); // the last "]" is half of a doubled one
    EXPECT_FALSE(NameQuote::unquoted("[a"));
    EXPECT_FALSE(NameQuote::unquoted("a"));
    EXPECT_FALSE(NameQuote::unquoted("[a]`"));
    EXPECT_FALSE(NameQuote::unquoted("`a`b`"));
    EXPECT_FALSE(NameQuote::unquoted(""));
}

TEST(NameQuoteTest, DottedPathsQuoteEachPart) {
    EXPECT_EQ(NameQuote::bracketedPath("dbo.Orders"), "[dbo].[Orders]");
    EXPECT_EQ(NameQuote::bracketedPath("Orders"), "[Orders]");
    EXPECT_EQ(NameQuote::bracketedPath("s].x.T"), "[s]]].[x].[T]");
    EXPECT_EQ(NameQuote::bracketedPath(""), "[]");
}

TEST(NameQuoteTest, SheetReferencesAreQuotedUnlessPlainWithQuotesDoubled) {
    EXPECT_EQ(NameQuote::sheetReference("Lists"), "Lists");
    EXPECT_EQ(NameQuote::sheetReference("Zo\xC3\xAB_2"), "Zo\xC3\xAB_2");
    EXPECT_EQ(NameQuote::sheetReference("Order Details"), "'Order Details'");
    EXPECT_EQ(NameQuote::sheetReference("O'Brien"), "'O''Brien'");
    EXPECT_EQ(NameQuote::sheetReference("'"), "''''");
    EXPECT_EQ(NameQuote::sheetReference("a!b"), "'a!b'"); // a "!" never ends the sheet part early
    EXPECT_EQ(NameQuote::sheetReference(""), "''");
}
