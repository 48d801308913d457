// Metadata rows written by another program (or damaged) that do not fit their stored type: each
// costs only its own property, is reported once with table, field and property, and never
// makes the database unopenable.
#include "tests/engines/sqlite/EngineTestSupport.h"

#include "engines/sqlite/DaoDatabase.h"
#include "platform/engine/DaoConstants.h"

using namespace qv;
using namespace qv::enginetest;

namespace {

const char* const Schema = R"(
CREATE TABLE T (id INTEGER PRIMARY KEY, w TEXT);
CREATE TABLE QvFieldProperties (TableName TEXT NOT NULL, FieldName TEXT NOT NULL, Name TEXT NOT NULL, Value,
                                Type INTEGER, PRIMARY KEY (TableName, FieldName, Name));
INSERT INTO QvFieldProperties VALUES ('T', 'w', 'ColumnWidth', 70000, 3);
INSERT INTO QvFieldProperties VALUES ('T', 'w', 'Caption', 'Width', 10);
INSERT INTO QvFieldProperties VALUES ('T', 'w', 'ColumnHidden', 'maybe', 1);
INSERT INTO QvFieldProperties VALUES ('T', 'id', 'ColumnWidth', 1500, 3);
INSERT INTO QvFieldProperties VALUES ('T', 'id', 'DecimalPlaces', 300, 2);
INSERT INTO QvFieldProperties VALUES ('T', 'id', 'Size', 4294967296, 4);
INSERT INTO QvFieldProperties VALUES ('T', '', 'Created', 'not a date', 8);
INSERT INTO QvFieldProperties VALUES ('T', '', 'Ratio', 1e300, 6);
INSERT INTO QvFieldProperties VALUES ('T', '', 'Description', 'Rows', 10);
CREATE TABLE QvQueries (Name TEXT PRIMARY KEY NOT NULL, SQL TEXT NOT NULL, Type INTEGER);
INSERT INTO QvQueries VALUES ('Trailing comma', 'PARAMETERS a Text, ', NULL);
INSERT INTO QvQueries VALUES ('Ok', 'PARAMETERS [x]]y] Long; SELECT * FROM T WHERE id = [x]]y]', NULL);
)";

bool hasProperty(const std::vector<DaoPropertyPtr>& list, const std::string& name) {
    for (const auto& p : list)
        if (p->name() == name) return true;
    return false;
}

} // namespace

TEST(MetadataValuesTest, ValueOutsideItsTypeIsLeftOutAndReportedOnce) {
    TempDir dir;
    const std::string path = dir.file("m.db");
    makeDatabase(path, Schema);
    auto db = openDao(path);
    auto table = db->tableDef("T");
    ASSERT_TRUE(table);
    auto w = table->field("w");
    // 70000 is no 16-bit width: before, it read back as 4464.
    EXPECT_FALSE(w->property("ColumnWidth"));
    EXPECT_EQ(w->property("Caption")->value().toString(), "Width");
    EXPECT_FALSE(w->property("ColumnHidden"));
    auto id = table->field("id");
    EXPECT_EQ(id->property("ColumnWidth")->value().toInt32(), 1500);
    EXPECT_FALSE(id->property("DecimalPlaces"));
    EXPECT_EQ(id->property("Size")->value().toInt32(), 4); // the built-in one stays
    EXPECT_FALSE(hasProperty(table->properties(), "Created"));
    EXPECT_FALSE(hasProperty(table->properties(), "Ratio"));
    EXPECT_TRUE(hasProperty(table->properties(), "Description"));

    const std::vector<std::string> warnings = db->takeCatalogueWarnings();
    ASSERT_EQ(warnings.size(), 6u);
    EXPECT_NE(warnings[0].find("'ColumnWidth'"), std::string::npos) << warnings[0];
    EXPECT_NE(warnings[0].find("'T.w'"), std::string::npos) << warnings[0];
    EXPECT_NE(warnings[0].find("70000"), std::string::npos) << warnings[0];
    EXPECT_NE(warnings[0].find("Integer"), std::string::npos) << warnings[0];
    EXPECT_NE(warnings[4].find("table 'T'"), std::string::npos) << warnings[4];
    EXPECT_NE(warnings[4].find("'Created'"), std::string::npos) << warnings[4];
    EXPECT_TRUE(db->takeCatalogueWarnings().empty());
    // Reading the catalogue again, after something was stored, does not repeat them.
    auto sqliteDb = std::dynamic_pointer_cast<engine::DaoDatabase>(db);
    sqliteDb->refresh();
    EXPECT_TRUE(db->tableDef("T"));
    EXPECT_TRUE(db->takeCatalogueWarnings().empty());
}

TEST(MetadataValuesTest, ParametersClauseEndingInACommaDoesNotStopTheOpen) {
    TempDir dir;
    const std::string path = dir.file("q.db");
    makeDatabase(path, Schema);
    auto db = openDao(path);
    auto trailing = db->queryDef("Trailing comma");
    ASSERT_TRUE(trailing);
    ASSERT_EQ(trailing->parameters().size(), 1u);
    EXPECT_EQ(trailing->parameters()[0]->name(), "a");
    auto ok = db->queryDef("Ok");
    ASSERT_TRUE(ok);
    ASSERT_EQ(ok->parameters().size(), 1u);
    EXPECT_EQ(ok->parameters()[0]->name(), "x]y");
    EXPECT_EQ(ok->parameters()[0]->type(), dao::Long);
    EXPECT_EQ(db->tableDefs().size(), 3u); // T and the two metadata tables
}
