// The catalogue of real Access files: tables with their system, hidden and linked flags, field
// types and the properties the product reads, primary keys from the indexes, and relations.
#include "tests/engines/mdb/MdbTestSupport.h"

#include "engines/mdb/MdbCatalogue.h"
#include "platform/engine/AdoConstants.h"
#include "platform/engine/DaoConstants.h"

#include <algorithm>

using namespace qv;
using namespace qv::engine;
using namespace qv::mdbtest;

namespace {

std::vector<std::string> visibleTables(const MdbCatalogue& c) {
    std::vector<std::string> out;
    for (const auto& t : c.tables())
        if ((t.attributes & (dao::SystemObject | dao::HiddenObject)) == 0) out.push_back(t.name);
    std::sort(out.begin(), out.end());
    return out;
}

Variant prop(const DaoFieldPtr& f, const std::string& name) {
    auto p = f->property(name);
    return p ? p->value() : Variant();
}

} // namespace

TEST(MdbCatalogueTest, NorthwindTablesAndSystemObjects) {
    QV_REQUIRE_ACCESS_FIXTURE("nwind.mdb");
    auto c = MdbCatalogue::open(fixture("nwind.mdb"), {});
    EXPECT_EQ(visibleTables(*c),
              (std::vector<std::string>{"Categories", "Customers", "Employees", "Order Details", "Orders",
                                        "Products", "Shippers", "Suppliers", "Umsätze"}));
    const auto* objects = c->findTable("msysobjects");
    ASSERT_NE(objects, nullptr);
    EXPECT_EQ(objects->attributes & dao::SystemObject, dao::SystemObject);
    EXPECT_EQ(c->queries().size(), 22u);
}

TEST(MdbCatalogueTest, NorthwindFieldPropertiesAreTyped) {
    QV_REQUIRE_ACCESS_FIXTURE("nwind.mdb");
    auto c = MdbCatalogue::open(fixture("nwind.mdb"), {});
    auto products = c->tableDef("Products");
    auto id = products->field("ProductID");
    ASSERT_TRUE(id);
    EXPECT_EQ(id->type(), dao::Long);
    EXPECT_EQ(id->attributes() & dao::FieldAutoIncrement, dao::FieldAutoIncrement);
    EXPECT_EQ(prop(id, "Caption").toString(), "Product ID");
    EXPECT_EQ(prop(id, "ColumnWidth").toInt64(), 1140);
    EXPECT_EQ(id->property("ColumnWidth")->type(), dao::Integer);
    EXPECT_EQ(prop(id, "ColumnHidden").type(), VarType::Boolean);
    EXPECT_FALSE(prop(id, "ColumnHidden").toBool());
    // Lookup by name is exact, as the product's existence test expects.
    EXPECT_EQ(id->property("caption"), nullptr);

    auto name = products->field("ProductName");
    EXPECT_EQ(name->type(), dao::Text);
    EXPECT_EQ(name->size(), 40);
    EXPECT_TRUE(name->required());
    EXPECT_FALSE(name->allowZeroLength());

    auto supplier = products->field("SupplierID");
    EXPECT_EQ(prop(supplier, "RowSource").toString(),
              "SELECT DISTINCTROW [SupplierID],[CompanyName] FROM Suppliers ORDER BY [CompanyName];");
    EXPECT_EQ(prop(supplier, "DisplayControl").toInt64(), 111);
    EXPECT_EQ(supplier->property("DecimalPlaces")->type(), dao::Byte);
    EXPECT_EQ(prop(supplier, "ColumnWidths").toString(), "0");
    EXPECT_EQ(supplier->property("ColumnWidths")->type(), dao::Text);

    auto price = products->field("UnitPrice");
    EXPECT_EQ(price->type(), dao::Currency);
    EXPECT_EQ(prop(price, "Format").toString(), "$#,##0.00;($#,##0.00)");

    bool described = false;
    for (const auto& p : products->properties())
        if (p->name() == "Description")
            described = p->value().toString() == "Product names, suppliers, prices, and units in stock.";
    EXPECT_TRUE(described);
}

TEST(MdbCatalogueTest, ValidationRulesAndDefaults) {
    QV_REQUIRE_ACCESS_FIXTURE("nwind.mdb");
    auto c = MdbCatalogue::open(fixture("nwind.mdb"), {});
    int rules = 0;
    for (const auto& t : visibleTables(*c)) {
        auto def = c->tableDef(t);
        for (const auto& f : def->fields())
            if (f->property("ValidationRule")) ++rules;
    }
    EXPECT_EQ(rules, 8);
    auto details = c->tableDef("Order Details");
    EXPECT_EQ(prop(details->field("Discount"), "ValidationRule").toString(), "Between 0 And 1");
    EXPECT_FALSE(prop(details->field("Discount"), "ValidationText").toString().empty());
    EXPECT_EQ(prop(c->tableDef("Employees")->field("BirthDate"), "ValidationRule").toString(), "<Date()");
    EXPECT_EQ(details->field("Quantity")->defaultValue(), "1");
}

TEST(MdbCatalogueTest, CompositePrimaryKeyInKeyOrder) {
    QV_REQUIRE_ACCESS_FIXTURE("nwind.mdb");
    auto c = MdbCatalogue::open(fixture("nwind.mdb"), {});
    auto details = c->tableDef("Order Details");
    DaoIndexPtr primary;
    for (const auto& x : details->indexes())
        if (x->primary()) primary = x;
    ASSERT_TRUE(primary);
    EXPECT_TRUE(primary->unique());
    ASSERT_EQ(primary->fields().size(), 2u);
    EXPECT_EQ(primary->fields()[0]->name(), "OrderID");
    EXPECT_EQ(primary->fields()[1]->name(), "ProductID");
}

TEST(MdbCatalogueTest, NorthwindRelationsWithCascades) {
    QV_REQUIRE_ACCESS_FIXTURE("nwind.mdb");
    auto c = MdbCatalogue::open(fixture("nwind.mdb"), {});
    const auto relations = c->relationDefs();
    EXPECT_EQ(relations.size(), 7u);
    bool cascadeUpdate = false;
    bool cascadeDelete = false;
    for (const auto& r : relations) {
        ASSERT_FALSE(r->fields().empty()) << r->name();
        cascadeUpdate = cascadeUpdate || (r->attributes() & 256);
        cascadeDelete = cascadeDelete || (r->attributes() & 4096);
        if (r->foreignTable() == "Order Details" && r->table() == "Orders") {
            EXPECT_EQ(r->fields()[0]->name(), "OrderID");
            EXPECT_EQ(r->fields()[0]->foreignName(), "OrderID");
        }
    }
    EXPECT_TRUE(cascadeUpdate);
    EXPECT_TRUE(cascadeDelete);
}

TEST(MdbCatalogueTest, IndexTestRelationsPointTheRightWay) {
    QV_REQUIRE_ACCESS_FIXTURE("indexTestV2010.accdb");
    auto c = MdbCatalogue::open(fixture("indexTestV2010.accdb"), {});
    int seen = 0;
    for (const auto& r : c->relationDefs()) {
        if (r->foreignTable() != "Table1") continue;
        ++seen;
        ASSERT_EQ(r->fields().size(), 1u);
        if (r->table() == "Table2") {
            EXPECT_EQ(r->fields()[0]->foreignName(), "otherfk1");
            EXPECT_EQ(r->attributes() & 4096, 4096);
        } else {
            EXPECT_EQ(r->table(), "Table3");
            EXPECT_EQ(r->fields()[0]->foreignName(), "otherfk2");
            EXPECT_EQ(r->attributes() & 256, 256);
        }
    }
    EXPECT_EQ(seen, 2);
}

TEST(MdbCatalogueTest, LinkedTableIsFlaggedAndReadFromItsTarget) {
    QV_REQUIRE_ACCESS_FIXTURE("linkerTestV2007.accdb");
    auto c = MdbCatalogue::open(fixture("linkerTestV2007.accdb"), {});
    const auto* linked = c->findTable("Table2");
    ASSERT_NE(linked, nullptr);
    EXPECT_EQ(linked->attributes & dao::AttachedTable, dao::AttachedTable);
    EXPECT_EQ(linked->foreignName, "Table1");
    EXPECT_NE(linked->database.find("linkeeTest.accdb"), std::string::npos);
    // The stored path (Z:\...) is absent; the file of that name beside the linking one is read.
    auto def = c->tableDef("Table2");
    EXPECT_EQ(def->name(), "Table2");
    EXPECT_FALSE(def->fields().empty());
    // The relation to the linked table is not enforced (grbit 2).
    ASSERT_EQ(c->relations().size(), 1u);
    EXPECT_EQ(c->relations()[0].attributes & 2, 2);
}

TEST(MdbCatalogueTest, LinkedTableWithoutItsTargetGivesAClearMessage) {
    QV_REQUIRE_ACCESS_FIXTURE("linkerTestV2007.accdb");
    TempDir dir;
    writeAll(dir.file("linker.accdb"), readAll(fixture("linkerTestV2007.accdb")));
    auto c = MdbCatalogue::open(dir.file("linker.accdb"), {});
    std::string why;
    EXPECT_EQ(errorNumber([&] { c->tableDef("Table2"); }, &why), err::DatabaseFileNotFound);
    EXPECT_NE(why.find("Table2"), std::string::npos) << why;
    EXPECT_NE(why.find("linkeeTest.accdb"), std::string::npos) << why;
    // The local table still reads.
    EXPECT_NO_THROW(c->tableDef("Table1"));
}

TEST(MdbCatalogueTest, UnknownTableIs3078) {
    QV_REQUIRE_ACCESS_FIXTURE("testV2010.accdb");
    auto c = MdbCatalogue::open(fixture("testV2010.accdb"), {});
    EXPECT_EQ(errorNumber([&] { c->tableDef("NoSuchTable"); }), err::UnknownObject);
}

TEST(MdbCatalogueTest, BasicTypesMapToTheEngineCodes) {
    QV_REQUIRE_ACCESS_FIXTURE("testV2010.accdb");
    auto c = MdbCatalogue::open(fixture("testV2010.accdb"), {});
    auto t = c->tableDef("Table1");
    const std::vector<std::pair<std::string, int>> expected{
        {"A", dao::Text},   {"B", dao::Text}, {"C", dao::Byte},     {"D", dao::Integer}, {"E", dao::Long},
        {"F", dao::Double}, {"G", dao::Date}, {"H", dao::Currency}, {"I", dao::Boolean}};
    for (const auto& [name, type] : expected) {
        ASSERT_TRUE(t->field(name)) << name;
        EXPECT_EQ(t->field(name)->type(), type) << name;
    }
    EXPECT_EQ(t->field("A")->size(), 50);
    EXPECT_EQ(prop(t->field("I"), "Format").toString(), "Yes/No");
    // Table4 has a replication ID (GUID) primary key.
    auto t4 = c->tableDef("Table4");
    bool guidKey = false;
    for (const auto& x : t4->indexes())
        if (x->primary() && x->fields().size() == 1)
            guidKey = t4->field(x->fields()[0]->name())->type() == dao::GUID;
    EXPECT_TRUE(guidKey);
}

TEST(MdbCatalogueTest, DeletedColumnsDoNotShiftKeysAndTempTablesAreHidden) {
    QV_REQUIRE_ACCESS_FIXTURE("withdeletedcol.accdb");
    auto c = MdbCatalogue::open(fixture("withdeletedcol.accdb"), {});
    EXPECT_EQ(visibleTables(*c), (std::vector<std::string>{"Table1"}));
    int temp = 0;
    for (const auto& t : c->tables())
        if (t.name.rfind("~TMPCLP", 0) == 0) {
            ++temp;
            EXPECT_EQ(t.attributes & dao::HiddenObject, dao::HiddenObject);
        }
    EXPECT_EQ(temp, 2);
    auto t = c->tableDef("Table1");
    std::vector<std::string> names;
    for (const auto& f : t->fields())
        names.push_back(f->name());
    EXPECT_EQ(names, (std::vector<std::string>{"col2", "col3", "col5", "col6", "col7", "col8", "col1"}));
    for (const auto& x : t->indexes())
        for (const auto& f : x->fields())
            EXPECT_TRUE(t->field(f->name())) << x->name() << " names " << f->name();
}

TEST(MdbCatalogueTest, ComplexAndAppendOnlyColumns) {
    QV_REQUIRE_ACCESS_FIXTURE("complexDataTestV2010.accdb");
    auto c = MdbCatalogue::open(fixture("complexDataTestV2010.accdb"), {});
    auto t = c->tableDef("Table1");
    EXPECT_EQ(t->field("attach-data")->type(), dao::Attachment);
    EXPECT_EQ(t->field("attach-data")->attributes() & dao::FieldAutoIncrement, 0);
    EXPECT_TRUE(prop(t->field("multi-value-data"), "AllowMultipleValues").toBool());
    EXPECT_TRUE(prop(t->field("append-memo-data"), "AppendOnly").toBool());
    EXPECT_FALSE(prop(t->field("memo-data"), "AppendOnly").toBool());
    // The complex value tables are hidden, not shown as user tables.
    EXPECT_EQ(visibleTables(*c), (std::vector<std::string>{"Table1"}));
}

TEST(MdbCatalogueTest, UnicodeNamesComeOutAsUtf8) {
    QV_REQUIRE_ACCESS_FIXTURE("metaDataParameterized.accdb");
    auto c = MdbCatalogue::open(fixture("metaDataParameterized.accdb"), {});
    bool sawNonAscii = false;
    for (const auto& name : visibleTables(*c)) {
        auto def = c->tableDef(name);
        for (const auto& f : def->fields())
            for (unsigned char ch : f->name())
                if (ch >= 0x80) sawNonAscii = true;
        EXPECT_TRUE(g_utf8_validate(name.c_str(), -1, nullptr)) << name;
    }
    EXPECT_TRUE(sawNonAscii);
}
