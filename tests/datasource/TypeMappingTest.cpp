// Type groups, catalogue-to-records type mapping and the SQL literals built from cell values.
#include "datasource/modDataTypes.h"

#include "platform/NumberedError.h"
#include "platform/OleDateTime.h"

#include <gtest/gtest.h>

#include <cmath>

namespace qv {
namespace {

Variant at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return Variant(OleDate{OleDateTime::fromParts({y, mo, d, h, mi, s})});
}

TEST(TypeMappingTest, GroupsTellBooleanNumberDateAndOtherApart) {
    EXPECT_EQ(GetDataTypeGroup(11), 0);
    for (int code : {2, 3, 4, 5, 6, 14, 16, 17, 18, 19, 20, 21, 131})
        EXPECT_EQ(GetDataTypeGroup(code), 1) << code;
    for (int code : {7, 64, 133, 134, 135})
        EXPECT_EQ(GetDataTypeGroup(code), 2) << code;
    // A GUID is text to the form, not a number, although its code sits between numeric ones.
    for (int code : {72, 202, 203, 204, 205, 0, 8, 129, 200})
        EXPECT_EQ(GetDataTypeGroup(code), 3) << code;
}

// A GUID is typed as it stands like text, but its length rule is its own, not a text's.
TEST(TypeMappingTest, TypedTextIsTheCharacterTypesAndTheGuid) {
    for (int code : {129, 130, 200, 201, 202, 203}) {
        EXPECT_TRUE(IsCharacterType(code)) << code;
        EXPECT_TRUE(HoldsTypedText(code)) << code;
    }
    EXPECT_FALSE(IsCharacterType(72));
    EXPECT_TRUE(HoldsTypedText(72));
    for (int code : {3, 5, 7, 11, 128, 204, 205})
        EXPECT_FALSE(HoldsTypedText(code)) << code;
}

TEST(TypeMappingTest, CatalogueTypesMapToRecordTypes) {
    const std::pair<int, int> table[] = {{1, 11},   {2, 17},   {3, 2},   {4, 3},   {5, 6},
                                         {6, 4},    {7, 5},    {8, 7},   {9, 204}, {10, 202},
                                         {11, 205}, {12, 203}, {15, 72}, {20, 131}};
    for (auto [daoType, adoType] : table)
        EXPECT_EQ(MapToTypeADO(Variant(daoType)), adoType) << daoType;
    // Attachments and unknown or unreadable codes fall back to text.
    EXPECT_EQ(MapToTypeADO(Variant(101)), 202);
    EXPECT_EQ(MapToTypeADO(Variant(16)), 202);
    EXPECT_EQ(MapToTypeADO(Variant::null()), 202);
    EXPECT_EQ(MapToTypeADO(Variant("memo")), 202);
    EXPECT_EQ(MapToTypeADO(Variant("8")), 7);
}

TEST(TypeMappingTest, ParameterDirectionsBeyondInOutBecomeZero) {
    EXPECT_EQ(GetParameterDirectionTypeADO(Variant(1)), 1);
    EXPECT_EQ(GetParameterDirectionTypeADO(Variant(2)), 2);
    EXPECT_EQ(GetParameterDirectionTypeADO(Variant(3)), 3);
    EXPECT_EQ(GetParameterDirectionTypeADO(Variant(4)), 0);
    EXPECT_EQ(GetParameterDirectionTypeADO(Variant(0)), 0);
    EXPECT_EQ(GetParameterDirectionTypeADO(Variant()), 0);
}

TEST(TypeMappingTest, DateLiteralKeepsSecondsAndMidnight) {
    EXPECT_EQ(Convert2Date(at(2011, 3, 5, 14, 7, 59)), "#03/05/2011 14:07:59#");
    EXPECT_EQ(Convert2Date(at(2024, 12, 31)), "#12/31/2024 00:00:00#");
    EXPECT_EQ(Convert2Date(at(1999, 1, 2, 23, 59, 59)), "#01/02/1999 23:59:59#");
    // Day numbers and text the host reads as a date convert the same way.
    EXPECT_EQ(Convert2Date(Variant(0.5)), "#12/30/1899 12:00:00#");
    EXPECT_EQ(Convert2Date(Variant("2011-03-05 14:07:59")), "#03/05/2011 14:07:59#");
}

TEST(TypeMappingTest, DateLiteralRefusesWhatIsNoDate) {
    try {
        Convert2Date(Variant("not a date"));
        FAIL() << "no error";
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), err::TypeMismatch);
    }
    EXPECT_THROW(Convert2Date(Variant::null()), NumberedError);
    // Values that are numbers but no date with a four-digit year: before, they became literals
    // such as "#01/01/-100 ...#" or garbage from NaN.
    for (double bad : {std::nan(""), HUGE_VAL, -HUGE_VAL, 2958466.0, -657435.0, 1e300}) {
        try {
            Convert2Date(Variant(OleDate{bad}));
            ADD_FAILURE() << "no error for " << bad;
        } catch (const NumberedError& e) {
            EXPECT_EQ(e.number(), err::Overflow) << bad;
            EXPECT_NE(e.description().find("100"), std::string::npos) << e.description();
        }
    }
    EXPECT_EQ(Convert2Date(Variant(2958465.0)), "#12/31/9999 00:00:00#");
    EXPECT_EQ(Convert2Date(Variant(-657434.0)), "#01/01/0100 00:00:00#");
}

TEST(TypeMappingTest, GuidLiteralIsQuotedAndCannotBeBrokenOutOf) {
    EXPECT_EQ(Convert2GUID(""), "''");
    EXPECT_EQ(Convert2GUID("{6F9619FF-8B86-D011-B42D-00C04FC964FF}"),
              "'{6F9619FF-8B86-D011-B42D-00C04FC964FF}'");
    EXPECT_EQ(Convert2GUID("x' OR '1'='1"), "'x'' OR ''1''=''1'");
}

} // namespace
} // namespace qv
