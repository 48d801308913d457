#include "form/KeyValueTable.h"

#include "platform/NumberedError.h"

#include "tests/support/ErrorNumber.h"

#include <gtest/gtest.h>

using namespace qv;
using qv::test::errorNumberOf;

namespace {

KeyValueCollection keys(std::initializer_list<std::pair<std::string, Variant>> items) {
    KeyValueCollection c;
    for (const auto& [name, value] : items)
        c.Add(name, value);
    return c;
}
} // namespace

TEST(KeyValueTableTest, LoadedRecordsAnswerTheirKeysTypedAndInKeyOrder) {
    KeyValueTable t;
    t.reset({"Region", "Id"}, 3);
    EXPECT_EQ(t.size(), 3u);
    EXPECT_FALSE(t.hasKeys(0));
    EXPECT_TRUE(t[0].empty());
    t.setValue(1, 0, Variant("Nørd"));
    t.setValue(1, 1, Variant::longValue(7));
    const KeyValueCollection second = t[1];
    ASSERT_EQ(second.Count(), 2u);
    EXPECT_EQ(second.Key(1), "Region");
    EXPECT_EQ(second.Item("region"), Variant("Nørd"));
    EXPECT_EQ(second.Item(2).type(), VarType::Long);
    EXPECT_TRUE(t.hasKeys(1));
    EXPECT_FALSE(t.hasKeys(2));
    EXPECT_FALSE(t.hasKeys(3)); // past the end is no record, not a fault
    EXPECT_EQ(errorNumberOf([&] { t[3]; }), err::SubscriptOutOfRange);
    EXPECT_EQ(errorNumberOf([&] { t.setValue(0, 2, Variant(1)); }), err::SubscriptOutOfRange);
}

TEST(KeyValueTableTest, AWrittenRowGetsItsKeysAndOtherKeysAreRefusedWithoutChange) {
    KeyValueTable t;
    t.reset({"Id"}, 2);
    t.setValue(0, 0, Variant(1.0));
    t.resize(4); // two new rows
    EXPECT_EQ(t.size(), 4u);
    EXPECT_FALSE(t.hasKeys(3));
    t.set(3, keys({{"ID", Variant(9.0)}}));
    EXPECT_EQ(t[3].Item("Id"), Variant(9.0));
    EXPECT_EQ(errorNumberOf([&] { t.set(2, keys({{"Other", Variant(1)}})); }), err::InvalidProcedureCall);
    EXPECT_EQ(errorNumberOf([&] {
                  t.set(2, keys({{"Id", Variant(1)}, {"More", Variant(2)}}));
              }),
              err::InvalidProcedureCall);
    EXPECT_FALSE(t.hasKeys(2));
    // An empty collection takes a record's keys away.
    t.set(0, KeyValueCollection());
    EXPECT_FALSE(t.hasKeys(0));
    EXPECT_TRUE(t[0].empty());
    t.resize(1);
    EXPECT_EQ(t.size(), 1u);
    EXPECT_EQ(errorNumberOf([&] { t[1]; }), err::SubscriptOutOfRange);
}

TEST(KeyValueTableTest, ATableLoadedWithoutKeysTakesTheNamesOfItsFirstWrittenRow) {
    KeyValueTable t;
    t.reset({}, 0);
    EXPECT_TRUE(t.empty());
    t.resize(1);
    t.set(0, keys({{"A", Variant("x")}, {"B", Variant(2.0)}}));
    EXPECT_EQ(t.keyNames(), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(t.back().Item("B"), Variant(2.0));
    t.clear();
    EXPECT_TRUE(t.empty());
    EXPECT_TRUE(t.keyNames().empty());
}

TEST(KeyValueTableTest, WholeNumberKeysKeepTheirWidthAndAMixedColumnKeepsEveryValue) {
    KeyValueTable t;
    t.reset({"Id"}, 5);
    t.setValue(0, 0, Variant::longValue(2147483647));
    t.setValue(1, 0, Variant::longValue(-5));
    EXPECT_EQ(t[0].Item(1).type(), VarType::Long);
    EXPECT_EQ(t[0].Item(1).toInt64(), 2147483647);
    // Another width, then a text: what was stored before stays as it was loaded.
    t.setValue(2, 0, Variant(std::int64_t{1} << 40));
    t.setValue(3, 0, Variant("A-7"));
    EXPECT_EQ(t[1].Item(1).type(), VarType::Long);
    EXPECT_EQ(t[1].Item(1).toInt64(), -5);
    EXPECT_EQ(t[2].Item(1).type(), VarType::LongLong);
    EXPECT_EQ(t[2].Item(1).toInt64(), std::int64_t{1} << 40);
    EXPECT_EQ(t[3].Item(1), Variant("A-7"));
    EXPECT_FALSE(t.hasKeys(4));

    KeyValueTable small;
    small.reset({"Code", "Step"}, 2);
    small.setValue(0, 0, Variant::byteValue(200));
    small.setValue(0, 1, Variant::integer(-3));
    small.set(1, small[0]);
    EXPECT_EQ(small[1].Item("Code").type(), VarType::Byte);
    EXPECT_EQ(small[1].Item("Code").toInt64(), 200);
    EXPECT_EQ(small[1].Item("Step").type(), VarType::Integer);
    EXPECT_EQ(small[1].Item("Step").toInt64(), -3);
    // A double key is a double, never a whole number.
    small.setValue(1, 0, Variant(2.5));
    EXPECT_EQ(small[1].Item("Code"), Variant(2.5));
    EXPECT_EQ(small[0].Item("Code").type(), VarType::Byte);
}
