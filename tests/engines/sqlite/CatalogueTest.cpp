// The catalogue of databases built for the purpose: keys whose order differs from the column
// order, two-column relations, views and saved queries, and the properties kept beside the
// tables.
#include "tests/engines/sqlite/EngineTestSupport.h"

#include "engines/sqlite/DaoDatabase.h"
#include "engines/sqlite/MetadataStore.h"
#include "platform/engine/DaoConstants.h"

#include <map>

using namespace qv;
using namespace qv::enginetest;

namespace {

const char* const Schema = R"(
CREATE TABLE Region (Country TEXT(2) NOT NULL, Code INTEGER NOT NULL, Name VARCHAR(40) DEFAULT 'unnamed',
                     PRIMARY KEY (Code, Country));
CREATE TABLE Shop (ShopId INTEGER PRIMARY KEY AUTOINCREMENT, RegionCountry TEXT(2), RegionCode INTEGER,
                   Opened DATE, Active YESNO DEFAULT 1, Notes MEMO,
                   FOREIGN KEY (RegionCode, RegionCountry) REFERENCES Region (Code, Country) ON DELETE CASCADE);
CREATE TABLE Tag (Name TEXT(20) PRIMARY KEY, Weight DOUBLE) WITHOUT ROWID;
CREATE TABLE Plain (A INT, B VARCHAR, ShopRef INTEGER REFERENCES shop (shopid));
CREATE UNIQUE INDEX ShopNotes ON Shop (RegionCountry, ShopId);
CREATE VIEW ActiveShops AS SELECT * FROM Shop WHERE Active <> 0;
)";

class CatalogueTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path = dir.file("catalogue.db");
        makeDatabase(path, Schema);
    }
    TempDir dir;
    std::string path;
};

std::vector<std::string> fieldNames(const std::vector<DaoFieldPtr>& fields) {
    std::vector<std::string> out;
    for (const auto& f : fields)
        out.push_back(f->name());
    return out;
}

} // namespace

TEST_F(CatalogueTest, CompositeKeyFollowsKeyOrderNotColumnOrder) {
    auto db = openDao(path, true);
    auto region = db->tableDef("Region");
    ASSERT_NE(region, nullptr);
    ASSERT_FALSE(region->indexes().empty());
    auto pk = region->indexes().front();
    EXPECT_TRUE(pk->primary());
    EXPECT_TRUE(pk->unique());
    EXPECT_EQ(fieldNames(pk->fields()), (std::vector<std::string>{"Code", "Country"}));
    EXPECT_EQ(region->field("Code")->attributes() & dao::FieldAutoIncrement, 0);
}

TEST_F(CatalogueTest, KeysOfRowidAliasWithoutRowidAndKeylessTables) {
    auto db = openDao(path, true);
    auto shop = db->tableDef("Shop");
    EXPECT_NE(shop->field("ShopId")->attributes() & dao::FieldAutoIncrement, 0);
    ASSERT_GE(shop->indexes().size(), 2u);
    EXPECT_TRUE(shop->indexes()[0]->primary());
    EXPECT_EQ(fieldNames(shop->indexes()[0]->fields()), std::vector<std::string>{"ShopId"});
    EXPECT_FALSE(shop->indexes()[1]->primary());
    EXPECT_EQ(fieldNames(shop->indexes()[1]->fields()),
              (std::vector<std::string>{"RegionCountry", "ShopId"}));

    auto tag = db->tableDef("Tag");
    ASSERT_EQ(tag->indexes().size(), 1u);
    EXPECT_TRUE(tag->indexes()[0]->primary());
    EXPECT_EQ(fieldNames(tag->indexes()[0]->fields()), std::vector<std::string>{"Name"});
    EXPECT_EQ(tag->field("Name")->attributes() & dao::FieldAutoIncrement, 0);

    auto plainTable = db->tableDef("Plain");
    EXPECT_TRUE(plainTable->indexes().empty());
    // INT is not INTEGER: no rowid alias, no auto-increment.
    EXPECT_EQ(plainTable->field("A")->attributes() & dao::FieldAutoIncrement, 0);
    // A text without length holds any length: a size of 255 would let a writer cut longer values.
    EXPECT_EQ(plainTable->field("B")->size(), 1073741823);
}

TEST_F(CatalogueTest, TwoColumnRelationPairsColumnsInKeyOrder) {
    auto db = openDao(path, true);
    auto relations = db->relations();
    ASSERT_EQ(relations.size(), 2u);
    auto r = relations[1];
    // Names written in another case in the REFERENCES clause come back as the table spells them.
    EXPECT_EQ(relations[0]->name(), "ShopPlain");
    EXPECT_EQ(relations[0]->table(), "Shop");
    EXPECT_EQ(relations[0]->fields().at(0)->name(), "ShopId");
    EXPECT_EQ(r->name(), "RegionShop");
    EXPECT_EQ(r->table(), "Region");
    EXPECT_EQ(r->foreignTable(), "Shop");
    EXPECT_EQ(r->attributes() & 4096, 4096); // cascading delete
    ASSERT_EQ(r->fields().size(), 2u);
    EXPECT_EQ(r->fields()[0]->name(), "Code");
    EXPECT_EQ(r->fields()[0]->foreignName(), "RegionCode");
    EXPECT_EQ(r->fields()[1]->name(), "Country");
    EXPECT_EQ(r->fields()[1]->foreignName(), "RegionCountry");
}

TEST_F(CatalogueTest, StoredRelationNameReplacesTheMadeUpOne) {
    {
        auto db = openDao(path);
        engine::MetadataStore(std::dynamic_pointer_cast<engine::DaoDatabase>(db)->handle()->db())
            .setRelationName({"Shop", "Region", "RegionCode,RegionCountry", "ShopsInRegion"});
    }
    EXPECT_EQ(openDao(path, true)->relations().at(1)->name(), "ShopsInRegion");
}

TEST_F(CatalogueTest, DefaultsTypesAndZeroLengthRules) {
    auto db = openDao(path, true);
    auto shop = db->tableDef("Shop");
    EXPECT_EQ(shop->field("Active")->type(), dao::Boolean);
    EXPECT_EQ(shop->field("Active")->defaultValue(), "1");
    EXPECT_EQ(shop->field("Notes")->type(), dao::Memo);
    EXPECT_EQ(shop->field("Opened")->type(), dao::Date);
    EXPECT_EQ(shop->field("Opened")->defaultValue(), "");
    EXPECT_FALSE(shop->field("Opened")->allowZeroLength());
    auto region = db->tableDef("Region");
    EXPECT_EQ(region->field("Name")->defaultValue(),
              "\"unnamed\""); // quoted as the product writes text defaults
    EXPECT_EQ(region->field("Name")->size(), 40);
    EXPECT_EQ(region->field("Country")->size(), 2);
    EXPECT_EQ(region->field("Name")->ordinalPosition(), 2);
}

TEST_F(CatalogueTest, PropertiesRoundTripWithExactNames) {
    {
        auto db = openDao(path);
        engine::MetadataStore store(std::dynamic_pointer_cast<engine::DaoDatabase>(db)->handle()->db());
        store.setProperty("Shop", "Notes", "Caption", Variant("Remarks"));
        store.setProperty("Shop", "Notes", "ColumnWidth", Variant::longValue(2400));
        store.setProperty("Shop", "Notes", "ColumnHidden", Variant(true));
        store.setProperty("Shop", "Notes", "AppendOnly", Variant(true));
        store.setProperty("Shop", "Opened", "caption", Variant("lower-case name"));
        store.setProperty("Shop", "Opened", "Format", Variant("Short Date"));
        store.setProperty("Shop", "", "Description", Variant("Our shops"));
        store.setProperty("Shop", "Notes", "Caption", Variant("Notes shown")); // replaces
    }
    auto db = openDao(path, true);
    auto notes = db->tableDef("Shop")->field("Notes");
    ASSERT_NE(notes->property("Caption"), nullptr);
    EXPECT_EQ(notes->property("Caption")->value(), Variant("Notes shown"));
    EXPECT_EQ(notes->property("ColumnWidth")->value().toInt32(), 2400);
    EXPECT_EQ(notes->property("ColumnHidden")->value(), Variant(true));
    EXPECT_EQ(notes->property("AppendOnly")->value(), Variant(true));
    int captions = 0;
    for (const auto& p : notes->properties())
        captions += p->name() == "Caption";
    EXPECT_EQ(captions, 1);

    auto opened = db->tableDef("Shop")->field("Opened");
    EXPECT_EQ(opened->property("Caption"), nullptr);
    ASSERT_NE(opened->property("caption"), nullptr);
    EXPECT_EQ(opened->property("Format")->value().str(), "Short Date");
    // Fields without a stored "AppendOnly" still answer it, as false.
    EXPECT_EQ(opened->property("AppendOnly")->value(), Variant(false));
    EXPECT_EQ(opened->property("ColumnWidth"), nullptr);

    bool described = false;
    for (const auto& p : db->tableDef("Shop")->properties())
        described |= p->name() == "Description";
    EXPECT_TRUE(described);
    auto meta = db->tableDef(engine::MetadataStore::PropertiesTable);
    ASSERT_NE(meta, nullptr);
    EXPECT_EQ(meta->attributes() & dao::SystemObject, dao::SystemObject);
}

TEST_F(CatalogueTest, ReadingCreatesNoMetadataTables) {
    const std::string before = readAll(path);
    auto db = openDao(path);
    db->tableDefs();
    db->queryDefs();
    db->relations();
    db->close();
    EXPECT_EQ(readAll(path), before);
}

TEST_F(CatalogueTest, QueriesFromViewsAndSavedActionAndParameterQueries) {
    {
        auto db = openDao(path);
        engine::MetadataStore store(std::dynamic_pointer_cast<engine::DaoDatabase>(db)->handle()->db());
        store.saveQuery("Close shops", "UPDATE Shop SET Active = 0 WHERE RegionCode = 3");
        store.saveQuery("Shops opened since",
                        "PARAMETERS [Start Date] DateTime, Country Text (2);\r\n"
                        "SELECT * FROM Shop WHERE Opened >= [Start Date] AND RegionCountry = Country");
        store.saveQuery("Add region", "INSERT INTO Region (Country, Code) VALUES ('NL', 1)");
        store.saveQuery("Tidy", "DELETE FROM Plain");
        store.saveQuery("Both", "SELECT A FROM Plain UNION SELECT Code FROM Region");
        store.saveQuery("Copy", "SELECT * INTO Plain2 FROM Plain");
    }
    auto db = openDao(path, true);
    std::map<std::string, DaoQueryDefPtr> q;
    for (const auto& d : db->queryDefs())
        q[d->name()] = d;
    ASSERT_EQ(q.size(), 7u);
    EXPECT_EQ(q["ActiveShops"]->type(), dao::QuerySelect);
    EXPECT_EQ(q["ActiveShops"]->sql(), "SELECT * FROM Shop WHERE Active <> 0");
    EXPECT_TRUE(q["ActiveShops"]->parameters().empty());
    EXPECT_EQ(q["Close shops"]->type(), dao::QueryUpdate);
    EXPECT_EQ(q["Add region"]->type(), dao::QueryAppend);
    EXPECT_EQ(q["Tidy"]->type(), dao::QueryDelete);
    EXPECT_EQ(q["Both"]->type(), dao::QuerySetOperation);
    EXPECT_EQ(q["Copy"]->type(), dao::QueryMakeTable);
    auto p = q["Shops opened since"];
    EXPECT_EQ(p->type(), dao::QuerySelect);
    ASSERT_EQ(p->parameters().size(), 2u);
    EXPECT_EQ(p->parameters()[0]->name(), "Start Date");
    EXPECT_EQ(p->parameters()[0]->type(), dao::Date);
    EXPECT_EQ(p->parameters()[0]->direction(), dao::ParamInput);
    EXPECT_EQ(p->parameters()[1]->name(), "Country");
    EXPECT_EQ(p->parameters()[1]->type(), dao::Text);
    EXPECT_EQ(db->queryDef("shops OPENED since"), p);
    EXPECT_EQ(db->queryDef("none"), nullptr);
}

TEST_F(CatalogueTest, WritingThroughAReadOnlyDatabaseIsRefused) {
    auto db = openDao(path, true);
    EXPECT_FALSE(db->updatable());
    engine::MetadataStore store(std::dynamic_pointer_cast<engine::DaoDatabase>(db)->handle()->db());
    EXPECT_EQ(errorNumberOf([&] { store.setProperty("Shop", "Notes", "Caption", Variant("x")); }),
              err::ReadOnlyDatabase);
}

TEST_F(CatalogueTest, ClosedDatabaseRaisesInsteadOfCrashing) {
    auto db = openDao(path, true);
    db->close();
    EXPECT_EQ(errorNumberOf([&] { db->tableDefs(); }), err::ObjectInvalid);
}
