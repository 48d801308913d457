// Statements built from cells: only well-formed literals of a column's type reach SQL, and
// anything else refuses the record naming the field.
#include "form/clsRowSql.h"
#include "common/modGlobalization.h"
#include "datasource/DSContext.h"
#include "datasource/clsDSAccess.h"
#include "datasource/clsField.h"
#include "platform/NumberedError.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

clsField makeField(const std::string& name, std::int32_t typeADO, std::int32_t size = 0,
                   const std::string& caption = {}) {
    clsField::Values v;
    v.Name = name;
    v.Caption = caption;
    v.TypeADO = typeADO;
    v.Size = size;
    clsField f;
    f.Init(v, KeyedCollection<std::string>{});
    return f;
}

class clsRowSqlTest : public ::testing::Test {
  protected:
    void SetUp() override { modGlobalization::SetCountryCode(1); }

    std::string cell(const clsField& f, const Variant& v) { return clsRowSql::CellToSql(mDS, f, v); }
    // The description of the refusal, or "" when the value was accepted.
    std::string refusal(const clsField& f, const Variant& v) {
        try {
            clsRowSql::CellToSql(mDS, f, v);
        } catch (const NumberedError& e) {
            EXPECT_EQ(e.number(), err::PreparedMessage);
            return e.description();
        }
        return {};
    }

    clsDSAccess mDS{DSContext{}};
};

TEST_F(clsRowSqlTest, NumbersBecomeInvariantLiteralsOrAreRefused) {
    const clsField price = makeField("UnitPrice", 5, 0, "Price");
    EXPECT_EQ(cell(price, Variant(0.99)), "0.99");
    EXPECT_EQ(cell(price, Variant("1,5")), "1.5");
    EXPECT_EQ(cell(price, Variant(" -2.25 ")), "-2.25");
    EXPECT_EQ(cell(price, Variant("+.5")), "0.5");
    EXPECT_EQ(cell(price, Variant("1e3")), "1e3");
    EXPECT_EQ(cell(price, Variant(1e300)), "1e+300");
    for (const char* bad : {"1; DROP TABLE Track", "12abc", "1.2.3", "1,234.5", "e5", "-", ".", "0x10", "1e",
                            "nan", "inf", "1 2"}) {
        const std::string why = refusal(price, Variant(bad));
        EXPECT_NE(why.find("Price"), std::string::npos) << bad << ": " << why;
    }
    EXPECT_FALSE(refusal(price, Variant(true)).empty());
    EXPECT_FALSE(refusal(price, Variant(OleDate{40000})).empty());
    EXPECT_FALSE(refusal(price, Variant(ErrorValue{2042})).empty());
    EXPECT_FALSE(refusal(price, Variant(std::numeric_limits<double>::infinity())).empty());
}

TEST_F(clsRowSqlTest, IntegerColumnsTakeOnlyWholeNumbersTheTypeHolds) {
    const clsField small = makeField("Qty", 2);
    EXPECT_EQ(cell(small, Variant(42)), "42");
    EXPECT_EQ(cell(small, Variant("-32768")), "-32768");
    EXPECT_EQ(cell(small, Variant(7.0)), "7");
    EXPECT_FALSE(refusal(small, Variant("32768")).empty());
    EXPECT_FALSE(refusal(small, Variant(3.5)).empty());
    EXPECT_FALSE(refusal(small, Variant("3,5")).empty());
    const clsField unsignedByte = makeField("B", 17);
    EXPECT_EQ(cell(unsignedByte, Variant("0")), "0");
    EXPECT_FALSE(refusal(unsignedByte, Variant(-1)).empty());
    // Digits beyond a double's precision are written as typed, not rounded.
    const clsField big = makeField("Id", 20);
    EXPECT_EQ(cell(big, Variant("9007199254740993")), "9007199254740993");
    EXPECT_EQ(cell(big, Variant(static_cast<std::int64_t>(9007199254740993LL))), "9007199254740993");
}

TEST_F(clsRowSqlTest, CurrencyIsWrittenExactly) {
    const clsField money = makeField("Total", 6);
    EXPECT_EQ(cell(money, Variant(Currency{9900})), "0.99");
    EXPECT_EQ(cell(money, Variant(Currency{-12345678})), "-1234.5678");
    EXPECT_EQ(cell(money, Variant(Currency{std::numeric_limits<std::int64_t>::min()})),
              "-922337203685477.5808");
    EXPECT_EQ(cell(money, Variant("0,10")), "0.10");
}

TEST_F(clsRowSqlTest, BlankCellsAreNull) {
    const clsField name = makeField("Name", 202, 10);
    EXPECT_EQ(cell(name, Variant()), "NULL");
    EXPECT_EQ(cell(name, Variant("   ")), "NULL");
    EXPECT_EQ(cell(makeField("N", 3), Variant("  ")), "NULL");
    EXPECT_EQ(cell(makeField("D", 7), Variant::null()), "NULL");
}

TEST_F(clsRowSqlTest, TextIsQuotedSoItCannotEndTheLiteral) {
    const clsField name = makeField("Name", 202, 0);
    EXPECT_EQ(cell(name, Variant("O'Brien")), "'O''Brien'");
    EXPECT_EQ(cell(name, Variant("x'); DELETE FROM Track; --")), "'x''); DELETE FROM Track; --'");
    EXPECT_EQ(cell(name, Variant("Ærø ß 東京")), "'Ærø ß 東京'");
    // A column without a declared size takes any length.
    const std::string longText(100000, 'a');
    EXPECT_EQ(cell(name, Variant(longText)).size(), longText.size() + 2);
}

TEST_F(clsRowSqlTest, TextLongerThanTheColumnIsRefusedNotCut) {
    const clsField name = makeField("Name", 202, 5, "Naam");
    EXPECT_EQ(cell(name, Variant("東京東京東")), "'東京東京東'"); // five characters, fifteen bytes
    const std::string why = refusal(name, Variant("abcdef"));
    EXPECT_NE(why.find("Naam"), std::string::npos);
    EXPECT_NE(why.find("5"), std::string::npos);
    EXPECT_FALSE(refusal(makeField("N", 202), Variant(std::string("a\0b", 3))).empty());
}

TEST_F(clsRowSqlTest, BooleansAndGuidsAreCheckedLiterals) {
    const clsField flag = makeField("Active", 11);
    EXPECT_EQ(cell(flag, Variant(true)), "1");
    EXPECT_EQ(cell(flag, Variant(false)), "0");
    EXPECT_EQ(cell(flag, Variant("Waar")), "1");
    EXPECT_EQ(cell(flag, Variant("onwaar")), "0");
    EXPECT_EQ(cell(flag, Variant(-1)), "1");
    EXPECT_FALSE(refusal(flag, Variant("maybe")).empty());
    const clsField guid = makeField("Id", 72);
    EXPECT_EQ(cell(guid, Variant("{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}")),
              "'{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}'");
    EXPECT_FALSE(refusal(guid, Variant("{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F'}")).empty());
    EXPECT_FALSE(refusal(guid, Variant("0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9")).empty());
    EXPECT_FALSE(refusal(guid, Variant(12)).empty());
}

TEST_F(clsRowSqlTest, DatesKeepTheirSecondsAndNonDatesAreRefused) {
    const clsField when = makeField("InvoiceDate", 135);
    // 5 March 2011 14:07:59
    EXPECT_EQ(cell(when, Variant(OleDate{40607.0 + (14 * 3600 + 7 * 60 + 59) / 86400.0})),
              "#03/05/2011 14:07:59#");
    EXPECT_EQ(cell(when, Variant(OleDate{40607.0})), "#03/05/2011 00:00:00#");
    EXPECT_FALSE(refusal(when, Variant("tomorrow'; --")).empty());
    EXPECT_FALSE(refusal(when, Variant(true)).empty());
}

TEST_F(clsRowSqlTest, KeysAddressTheRecordAsLoaded) {
    const clsField a = makeField("A", 3), b = makeField("B", 202), c = makeField("C", 11);
    EXPECT_EQ(clsRowSql::KeyCondition(mDS, {{&a, Variant(5)}, {&b, Variant("x'y")}, {&c, Variant("Waar")}}),
              " WHERE [A] = 5 AND [B] = 'x''y' AND [C] = 1");
    EXPECT_EQ(clsRowSql::KeyCondition(mDS, {{&c, Variant(" TRUE ")}}), " WHERE [C] = 1");
    EXPECT_EQ(clsRowSql::KeyCondition(mDS, {{&c, Variant("nee")}}), " WHERE [C] = 0");
    EXPECT_EQ(clsRowSql::KeyCondition(mDS, {{&b, Variant::null()}}), " WHERE [B] Is Null");
    EXPECT_THROW(clsRowSql::KeyCondition(mDS, {}), NumberedError);
}

TEST_F(clsRowSqlTest, StatementsNameOnlyTheGivenColumns) {
    const clsField id = makeField("Id", 3), name = makeField("Na]me", 202), price = makeField("Price", 5);
    EXPECT_EQ(clsRowSql::BuildUpdate(mDS, "dbo.Track", {{&id, Variant(9)}, {&name, Variant("A")}},
                                     {{&id, Variant(3)}}),
              "Update [dbo].[Track] SET [Id] = 9, [Na]]me] = 'A' WHERE [Id] = 3");
    EXPECT_EQ(clsRowSql::BuildInsert(mDS, "Track", {{&name, Variant("A")}, {&price, Variant("1,25")}}),
              "Insert Into [Track] ([Na]]me], [Price]) Values ('A', 1.25)");
    EXPECT_EQ(clsRowSql::BuildDelete(mDS, "Track", {{&id, Variant(3)}, {&price, Variant(2.5)}}),
              "DELETE FROM [Track] WHERE [Id] = 3 AND [Price] = 2.5");
}

} // namespace
} // namespace qv
