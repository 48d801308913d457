// The connection string as the product builds it, and values that try to smuggle in keys.
#include "platform/ConnectionString.h"

#include "platform/NumberedError.h"

#include <gtest/gtest.h>

using qv::ConnectionString;

TEST(ConnectionStringTest, ReadsTheProductsKeysWhateverTheirCase) {
    auto cs = ConnectionString::parse("Driver={Microsoft Access Driver (*.mdb, *.accdb)};Dbq=/data/shop.db;"
                                      "UID=Admin;pwd=;SystemDB=/data/work.mdw;");
    EXPECT_EQ(cs.driver(), "Microsoft Access Driver (*.mdb, *.accdb)");
    EXPECT_EQ(cs.database(), "/data/shop.db");
    EXPECT_EQ(cs.user(), "Admin");
    EXPECT_TRUE(cs.has("Pwd"));
    EXPECT_EQ(cs.password(), "");
    EXPECT_EQ(cs.systemDb(), "/data/work.mdw");
    EXPECT_FALSE(cs.has("Nothing"));
}

TEST(ConnectionStringTest, BracedValuesKeepSeparatorsAndDoubledBraces) {
    auto cs = ConnectionString::parse("Dbq={/tmp/a;b.db};Pwd={x;Pwd=stolen}};y};Uid=Admin");
    EXPECT_EQ(cs.database(), "/tmp/a;b.db");
    EXPECT_EQ(cs.password(), "x;Pwd=stolen};y");
    EXPECT_EQ(cs.user(), "Admin");
}

TEST(ConnectionStringTest, FirstOccurrenceOfAKeyWins) {
    // A value written without braces that carries ";Pwd=" cannot replace the earlier key.
    auto cs = ConnectionString::parse("Dbq=/a.db;Pwd=secret;Pwd=other;DBQ=/b.db");
    EXPECT_EQ(cs.password(), "secret");
    EXPECT_EQ(cs.database(), "/a.db");
}

TEST(ConnectionStringTest, QuoteRoundTripsAwkwardValues) {
    for (std::string v : {"plain", "", "a;b", "{braced}", "}", "x}}y", " padded ", "Pwd=1;Dbq=/etc/passwd",
                          "\tpw", "pw\n", "\r\npw\f", "\vx\t", "\n{x}", " }"}) {
        auto cs = ConnectionString::parse("Dbq=/x.db;Pwd=" + ConnectionString::quote(v) + ";Uid=U");
        EXPECT_EQ(cs.password(), v) << v;
        EXPECT_EQ(cs.database(), "/x.db") << v;
        EXPECT_EQ(cs.user(), "U") << v;
    }
    EXPECT_EQ(ConnectionString::quote("plain"), "plain");
}

TEST(ConnectionStringTest, UnterminatedBraceIsRefused) {
    try {
        ConnectionString::parse("Dbq={/tmp/a.db;Pwd=x");
        FAIL() << "no error";
    } catch (const qv::NumberedError& e) {
        EXPECT_EQ(e.number(), qv::err::AdoOpenRefused);
    }
}

TEST(ConnectionStringTest, BlanksAroundKeysAndFragmentsWithoutValueAreIgnored) {
    auto cs = ConnectionString::parse(" ; Dbq = /x.db ;junk; Uid= Admin ");
    EXPECT_EQ(cs.database(), "/x.db");
    EXPECT_EQ(cs.user(), "Admin");
}

TEST(ConnectionStringTest, HarmlessValuesAreNotBraced) {
    EXPECT_EQ(ConnectionString::quote("secret=42"), "secret=42");
    EXPECT_EQ(ConnectionString::quote(""), "");
    EXPECT_EQ(ConnectionString::quote("a;b"), "{a;b}");
    EXPECT_EQ(ConnectionString::quote("}"), "{}}}");
}
