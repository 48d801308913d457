#include "engines/accesssql/LikePattern.h"

#include <gtest/gtest.h>

using qv::accesssql::LikePattern;

namespace {
std::string sqlite(std::string_view access) {
    const auto p = LikePattern::toSqlite(access);
    if (!p) return "<function>";
    return p->pattern + (p->needsEscape ? " ESCAPE" : "");
}
} // namespace

TEST(LikePatternTest, SimplePatternsBecomeSqlitePatterns) {
    EXPECT_EQ(sqlite("A*"), "A%");
    EXPECT_EQ(sqlite("?b*"), "_b%");
    EXPECT_EQ(sqlite("*"), "%");
    EXPECT_EQ(sqlite("100%"), "100\\% ESCAPE");
    EXPECT_EQ(sqlite("a_b\\c"), "a\\_b\\\\c ESCAPE");
    // One-character classes are how Access writes a literal wildcard.
    EXPECT_EQ(sqlite("[*]x[?][#][[]"), "*x?#[");
    EXPECT_EQ(sqlite("5[%]"), "5\\% ESCAPE");
    EXPECT_EQ(sqlite("a[b"), "a[b"); // no closing bracket: a plain character
}

TEST(LikePatternTest, PatternsSqliteCannotExpressAreLeftToTheFunction) {
    EXPECT_EQ(sqlite("[a-c]*"), "<function>");
    EXPECT_EQ(sqlite("[!a]"), "<function>");
    EXPECT_EQ(sqlite("##"), "<function>");
    EXPECT_EQ(sqlite("é*"), "<function>"); // SQLite folds ASCII letters only
}

TEST(LikePatternTest, MatchingFollowsTheAccessRules) {
    EXPECT_TRUE(LikePattern::match("a*b*c", "aXXbYYc"));
    EXPECT_TRUE(LikePattern::match("*ab", "aab")); // needs a retry after the first "a"
    EXPECT_FALSE(LikePattern::match("a*b", "aXbX"));
    EXPECT_TRUE(LikePattern::match("*", ""));
    EXPECT_FALSE(LikePattern::match("?", ""));
    EXPECT_TRUE(LikePattern::match("", ""));
    EXPECT_TRUE(LikePattern::match("#-##", "1-23"));
    EXPECT_FALSE(LikePattern::match("#", "x"));
    EXPECT_TRUE(LikePattern::match("[a-c]x", "Bx"));
    EXPECT_FALSE(LikePattern::match("[!a-c]x", "Bx"));
    EXPECT_TRUE(LikePattern::match("[*]*", "*star"));
    EXPECT_FALSE(LikePattern::match("[*]*", "star"));
    EXPECT_TRUE(LikePattern::match("ÉCOLE", "école"));
    EXPECT_TRUE(LikePattern::match("?cole", "école")); // ? is one character, not one byte
    EXPECT_TRUE(LikePattern::match("[a-z0-9]?", "7q"));
    EXPECT_TRUE(LikePattern::match("a[b", "a[b"));
}
