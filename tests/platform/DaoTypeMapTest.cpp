// The one table from catalogue field types to record types, shared by the add-in and the engine.
#include "platform/DaoTypeMap.h"

#include "platform/engine/AdoConstants.h"
#include "platform/engine/DaoConstants.h"

#include <gtest/gtest.h>

#include <initializer_list>

using qv::DaoTypeMap;

TEST(DaoTypeMapTest, OnlyTheBigIntegerDependsOnWhoAsks) {
    EXPECT_EQ(DaoTypeMap::adoType(qv::dao::BigInt), qv::ado::BigInt);
    EXPECT_EQ(DaoTypeMap::adoType(qv::dao::BigInt, false), qv::ado::VarWChar);
    for (int code = -1; code <= 130; ++code) {
        if (code == qv::dao::BigInt) continue;
        EXPECT_EQ(DaoTypeMap::adoType(code), DaoTypeMap::adoType(code, false)) << code;
    }
}

TEST(DaoTypeMapTest, TypesTheTableDoesNotNameAreText) {
    for (int code :
         std::initializer_list<int>{0, -1, qv::dao::Text, qv::dao::Attachment, qv::dao::ComplexText, 99999})
        EXPECT_EQ(DaoTypeMap::adoType(code), qv::ado::VarWChar) << code;
    EXPECT_EQ(DaoTypeMap::adoType(qv::dao::Decimal), qv::ado::Numeric);
    EXPECT_EQ(DaoTypeMap::adoType(qv::dao::Memo), qv::ado::LongVarWChar);
}
