// Declared SQLite types to the catalogue's and the record sets' type codes.
#include "engines/sqlite/TypeMapping.h"

#include "engines/accesssql/TextColumnType.h"

#include "platform/engine/AdoConstants.h"
#include "platform/engine/DaoConstants.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <string>

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

namespace {

// What SQLite keeps of '0099' in a column of the declared type.
std::string storageOf(const std::string& declared) {
    sqlite3* db = nullptr;
    sqlite3_open(":memory:", &db);
    const std::string sql = "CREATE TABLE t (c " + declared + "); INSERT INTO t VALUES ('0099');";
    std::string out = "<failed>";
    sqlite3_stmt* st = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db, "SELECT typeof(c) || ':' || c FROM t", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
        out = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
}

} // namespace

// Access text words SQLite would give numeric affinity: what the product writes instead keeps
// digits as text and reads back as the same Access type and size. Files written by others with
// the Access words still read as before.
TEST(TypeMappingTest, TextWordsAreWrittenWithTextAffinityAndReadBackTheSame) {
    using accesssql::TextColumnType;
    for (const char* word : {"MEMO", "Note", "STRING", "Alphanumeric", "HYPERLINK", "string(10)"}) {
        std::string w = word;
        std::string length;
        if (auto paren = w.find('('); paren != std::string::npos) {
            length = w.substr(paren);
            w.erase(paren);
        }
        const std::string_view replacement = TextColumnType::replacementFor(w);
        ASSERT_FALSE(replacement.empty()) << word;
        const std::string written = std::string(replacement) + length;
        EXPECT_EQ(storageOf(written), "text:0099") << written;
        const auto before = TypeMapping::fromDeclared(word);
        const auto after = TypeMapping::fromDeclared(written);
        EXPECT_EQ(after.daoType, before.daoType) << written;
        EXPECT_EQ(after.adoType, before.adoType) << written;
        EXPECT_EQ(after.size, before.size) << written;
        EXPECT_TRUE(before.storage == engine::StorageKind::Text) << word;
    }
    EXPECT_EQ(TypeMapping::fromDeclared("NOTE").daoType, dao::Memo);
    EXPECT_EQ(TypeMapping::fromDeclared("ALPHANUMERIC(8)").size, 8);
    EXPECT_EQ(TextColumnType::memo(), TextColumnType::replacementFor("memo"));
    // Words that already keep text, and words of other kinds, are written as they are.
    for (const char* word : {"TEXT", "LONGTEXT", "VARCHAR", "LONGCHAR", "INTEGER", "DATETIME", "YESNO"})
        EXPECT_TRUE(TextColumnType::replacementFor(word).empty()) << word;
    // The reason for all this: the Access words themselves turn typed digits into numbers.
    EXPECT_EQ(storageOf("MEMO"), "integer:99");
}
