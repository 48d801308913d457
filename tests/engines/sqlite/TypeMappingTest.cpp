// Declared SQLite types to the catalogue's and the record sets' type codes.
#include "engines/sqlite/TypeMapping.h"

#include "platform/engine/AdoConstants.h"
#include "platform/engine/DaoConstants.h"

#include <gtest/gtest.h>

using namespace qv;
using qv::engine::TypeMapping;

TEST(TypeMappingTest, DeclaredTypesMapToBothCodes) {
    struct Row {
        const char* declared;
        int dao;
        int ado;
        long size;
    };
    const Row rows[] = {
        {"TEXT(50)", dao::Text, ado::VarWChar, 50},
        {"nvarchar (160)", dao::Text, ado::VarWChar, 160},
        {"CHAR(2)", dao::Text, ado::VarWChar, 2},
        {"VARCHAR", dao::Text, ado::VarWChar, 1073741823}, // no length: no limit
        {"CHAR", dao::Text, ado::VarWChar, 1073741823},
        {"", dao::Text, ado::VarWChar, 1073741823},
        {"TEXT", dao::Memo, ado::LongVarWChar, 1073741823},
        {"MEMO", dao::Memo, ado::LongVarWChar, 1073741823},
        {"LONGTEXT", dao::Memo, ado::LongVarWChar, 1073741823},
        {"BYTE", dao::Byte, ado::UnsignedTinyInt, 1},
        {"TINYINT", dao::Byte, ado::UnsignedTinyInt, 1},
        {"SMALLINT", dao::Integer, ado::SmallInt, 2},
        {"SHORT", dao::Integer, ado::SmallInt, 2},
        {"INTEGER", dao::Long, ado::Integer, 4},
        {"int", dao::Long, ado::Integer, 4},
        {"LONG", dao::Long, ado::Integer, 4},
        {"BIGINT", dao::BigInt, ado::BigInt, 8},
        {"CURRENCY", dao::Currency, ado::Currency, 8},
        {"MONEY", dao::Currency, ado::Currency, 8},
        {"REAL", dao::Double, ado::Double, 8}, // SQLite stores REAL as a double
        {"SINGLE", dao::Single, ado::Single, 4},
        {"DOUBLE", dao::Double, ado::Double, 8},
        {"FLOAT", dao::Double, ado::Double, 8},
        {"DECIMAL(18,4)", dao::Decimal, ado::Numeric, 19},
        {"NUMERIC(10,2)", dao::Decimal, ado::Numeric, 19},
        {"DATETIME", dao::Date, ado::DBTimeStamp, 16},
        {"DATE", dao::Date, ado::DBTimeStamp, 16},
        {"TIMESTAMP", dao::Date, ado::DBTimeStamp, 16},
        {"BOOLEAN", dao::Boolean, ado::Boolean, 2},
        {"YESNO", dao::Boolean, ado::Boolean, 2},
        {"BIT", dao::Boolean, ado::Boolean, 2},
        {"GUID", dao::GUID, ado::GUID, 16},
        {"UNIQUEIDENTIFIER", dao::GUID, ado::GUID, 16},
        {"BINARY(16)", dao::Binary, ado::VarBinary, 16},
        {"VARBINARY", dao::Binary, ado::VarBinary, 510},
        {"BLOB", dao::LongBinary, ado::LongVarBinary, 1073741823},
        {"OLEOBJECT", dao::LongBinary, ado::LongVarBinary, 1073741823},
        {"ATTACHMENT", dao::Attachment, ado::LongVarBinary, 1073741823},
        // SQLite's own affinity rules for names nobody listed.
        {"UNSIGNED BIG INT", dao::BigInt, ado::BigInt, 8},
        {"MEDIUMINT", dao::Long, ado::Integer, 4},
        {"VARYING CHARACTER(20)", dao::Text, ado::VarWChar, 20},
        {"SUPERINTEGER", dao::Long, ado::Integer, 4},
        {"NATIVE CLOBBER", dao::Memo, ado::LongVarWChar, 1073741823},
        {"WHATEVER", dao::Decimal, ado::Numeric, 19},
    };
    for (const auto& r : rows) {
        const auto t = TypeMapping::fromDeclared(r.declared);
        EXPECT_EQ(t.daoType, r.dao) << r.declared;
        EXPECT_EQ(t.adoType, r.ado) << r.declared;
        EXPECT_EQ(t.size, r.size) << r.declared;
    }
}

TEST(TypeMappingTest, ParameterTypeNamesOfSavedQueries) {
    EXPECT_EQ(TypeMapping::daoTypeFromParameterName("DateTime"), dao::Date);
    EXPECT_EQ(TypeMapping::daoTypeFromParameterName("Text (255)"), dao::Text);
    EXPECT_EQ(TypeMapping::daoTypeFromParameterName("Long"), dao::Long);
    EXPECT_EQ(TypeMapping::daoTypeFromParameterName("Short"), dao::Integer);
    EXPECT_EQ(TypeMapping::daoTypeFromParameterName("Bit"), dao::Boolean);
    EXPECT_EQ(TypeMapping::daoTypeFromParameterName("IEEEDouble"), dao::Double);
    EXPECT_EQ(TypeMapping::daoTypeFromParameterName("Currency"), dao::Currency);
    EXPECT_EQ(TypeMapping::daoTypeFromParameterName("Guid"), dao::GUID);
    EXPECT_EQ(TypeMapping::daoTypeFromParameterName("Strange"), dao::Text);
}
