// The catalogue is the one place a number gets its name and text; these pin that it answers
// every number it defines and nothing else, and that names and numbers are one to one.
#include "platform/ErrorCatalogue.h"
#include "platform/NumberedError.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace qv;

TEST(ErrorCatalogueTest, EveryNumberAndNameStandsOnce) {
    std::set<std::int32_t> numbers;
    std::set<std::string_view> names;
    for (const ErrorEntry& e : ErrorCatalogue::entries()) {
        EXPECT_TRUE(numbers.insert(e.number).second) << e.number;
        EXPECT_TRUE(names.insert(e.name).second) << e.name;
        EXPECT_EQ(ErrorCatalogue::find(e.number), &e) << e.name;
    }
    EXPECT_GE(numbers.size(), 50u);
}

TEST(ErrorCatalogueTest, LooksUpNameAndTextByNumber) {
    const ErrorEntry* e = ErrorCatalogue::find(3265);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->name, "ItemNotFound");
    EXPECT_EQ(err::ItemNotFound, 3265);
    EXPECT_EQ(ErrorCatalogue::text(err::ObjectInvalid), "Object invalid or no longer set.");
    EXPECT_EQ(ErrorCatalogue::text(err::SubscriptOutOfRange), "Subscript out of range");
    // Engine numbers beyond 2^31 are kept as the negative 32-bit values callers compare with.
    EXPECT_EQ(err::ErrorsInCommand, static_cast<std::int32_t>(0x80040E14u));
    EXPECT_EQ(ErrorCatalogue::find(err::ErrorsInCommand)->name, "ErrorsInCommand");
}

TEST(ErrorCatalogueTest, UnknownNumbersHaveNoEntryAndNoText) {
    EXPECT_EQ(ErrorCatalogue::find(0), nullptr);
    EXPECT_EQ(ErrorCatalogue::find(-1), nullptr);
    EXPECT_EQ(ErrorCatalogue::text(123456), "");
    // Numbers whose every raise words its own text have none to lend.
    EXPECT_EQ(ErrorCatalogue::text(err::PreparedMessage), "");
}

TEST(ErrorCatalogueTest, MakeCarriesNumberSourceAndStandardText) {
    const NumberedError e = ErrorCatalogue::make(err::ObjectClosed, "ADODB.Recordset");
    EXPECT_EQ(e.number(), 3704);
    EXPECT_EQ(e.source(), "ADODB.Recordset");
    EXPECT_EQ(e.description(), "Operation is not allowed when the object is closed.");
    EXPECT_STREQ(e.what(), "Operation is not allowed when the object is closed.");
}
