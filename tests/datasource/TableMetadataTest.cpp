// Keys, relations and column properties of the shown table.
#include "DSTestSupport.h"

#include "datasource/ITable.h"
#include "platform/engine/DaoConstants.h"

#include <gtest/gtest.h>

namespace qv::test {
namespace {

struct TableWorld : DSWorld {
    std::shared_ptr<FakeTableDef> lines = std::make_shared<FakeTableDef>("Order Lines");
    FakeRecordset rs;
    TableWorld() {
        lines->add("OrderId", dao::Long);
        lines->add("LineNo", dao::Integer);
        lines->add("ProductId", dao::Long);
        lines->add("Supplier", dao::Long);
        lines->add("Note", dao::Memo);
        lines->primaryKey({"OrderId", "LineNo"});
        file.tables.push_back(std::make_shared<FakeTableDef>("Orders"));
        file.tables.push_back(lines);
        rs.add("OrderId", 3, 4)
            .add("LineNo", 2, 2)
            .add("ProductId", 3, 4)
            .add("Note", 203, 536870910)
            .add("Files", 202, 0);
        currentTable = "Order Lines";
    }
    void relation(std::string name, std::string table, std::string foreignTable,
                  std::vector<std::pair<std::string, std::string>> cols) {
        auto r = std::make_shared<FakeRelation>();
        r->n = std::move(name);
        r->t = std::move(table);
        r->ft = std::move(foreignTable);
        for (auto& [field, foreign] : cols) {
            auto f = std::make_shared<FakeField>(field);
            f->foreign = foreign;
            r->f.push_back(f);
        }
        file.relations.push_back(r);
    }
};

TEST(TableMetadataTest, CompositeKeyInIndexOrder) {
    TableWorld w;
    // Declared in another order than the columns: the index order wins.
    w.lines->idx.clear();
    w.lines->primaryKey({"LineNo", "OrderId"});
    auto ds = w.make();
    ds->Table().Initialize();
    const auto& keys = ds->Table().PrimaryKeys();
    EXPECT_EQ(std::vector<std::string>(keys.begin(), keys.end()),
              (std::vector<std::string>{"LineNo", "OrderId"}));
    EXPECT_TRUE(ds->Table().HasPrimaryKey());
    EXPECT_TRUE(ds->Table().InitializeField("OrderId", 1, w.rs)->IsPrimary());
    EXPECT_TRUE(ds->Table().InitializeField("LineNo", 2, w.rs)->IsPrimary());
    EXPECT_FALSE(ds->Table().InitializeField("ProductId", 3, w.rs)->IsPrimary());
}

TEST(TableMetadataTest, TableWithoutKey) {
    TableWorld w;
    w.lines->idx.clear();
    auto ds = w.make();
    ds->Table().Initialize();
    EXPECT_FALSE(ds->Table().HasPrimaryKey());
    EXPECT_TRUE(ds->Table().PrimaryKeys().empty());
    EXPECT_FALSE(ds->Table().InitializeField("OrderId", 1, w.rs)->IsPrimary());
}

TEST(TableMetadataTest, MultiColumnRelationGivesOneRecordPerPair) {
    TableWorld w;
    w.relation("OrdersOrder Lines", "Orders", "Order Lines", {{"Id", "OrderId"}, {"Version", "LineNo"}});
    w.relation("ProductsOrder Lines", "Products", "Order Lines", {{"Id", "ProductId"}});
    w.relation("Order LinesShipments", "Order Lines", "Shipments",
               {{"OrderId", "OrderId"}});                                  // we are referenced
    w.relation("Other", "Products", "order lines", {{"Id", "ProductId"}}); // case differs: another table
    auto ds = w.make();
    ds->Table().Initialize();
    const auto& r = ds->Table().Relations();
    ASSERT_EQ(r.Count(), 3u);
    EXPECT_EQ(r.Item(1).Name(), "OrdersOrder Lines_0");
    EXPECT_EQ(r.Item(1).Field(), "Id");
    EXPECT_EQ(r.Item(1).ForeignName(), "OrderId");
    EXPECT_EQ(r.Item(2).Name(), "OrdersOrder Lines_1");
    EXPECT_EQ(r.Item(2).Table(), "Orders");
    EXPECT_EQ(r.Item(2).Field(), "Version");
    EXPECT_EQ(r.Item(2).ForeignTable(), "Order Lines");
    EXPECT_EQ(r.Item(2).ForeignName(), "LineNo");
    EXPECT_EQ(r.Item("ProductsOrder Lines_0").Table(), "Products");

    // Showing another table replaces the relations instead of adding to them.
    w.currentTable = "Orders";
    ds->Table().Initialize();
    EXPECT_TRUE(ds->Table().Relations().empty());
}

TEST(TableMetadataTest, PropertiesAreReadByExactName) {
    TableWorld w;
    w.lines->col("ProductId")
        .prop("caption", Variant("lower-case caption"))
        .prop("Format", Variant("Standard"))
        .prop("ColumnWidth", Variant(1800))
        .prop("ColumnHidden", Variant(true))
        .prop("Description", Variant("The product"))
        .prop("ValidationText", Variant::null());
    w.lines->col("OrderId").prop("Caption", Variant("Order"));
    w.lines->col("ProductId").def = "0";
    w.lines->col("ProductId").azl = true;
    auto ds = w.make();
    ds->Table().Initialize();
    auto f = ds->Table().InitializeField("ProductId", 3, w.rs);
    EXPECT_EQ(f->Caption(), "");
    EXPECT_EQ(f->Format(), "Standard");
    EXPECT_EQ(f->ColumnWidth(), 1800);
    EXPECT_TRUE(f->ColumnHidden());
    EXPECT_EQ(f->Description(), "The product");
    EXPECT_EQ(f->ValidationText(), "");
    EXPECT_EQ(f->DefaultValue(), Variant("0"));
    EXPECT_TRUE(f->AllowZeroLength());
    EXPECT_EQ(f->Index(), 3);
    EXPECT_EQ(f->Size(), 4);
    EXPECT_EQ(f->TypeADO(), 3);
    EXPECT_EQ(f->TypeDAO(), dao::Long);
    auto o = ds->Table().InitializeField("OrderId", 1, w.rs);
    EXPECT_EQ(o->Caption(), "Order");
    EXPECT_EQ(o->ColumnWidth(), -1);
    EXPECT_FALSE(o->ColumnHidden());
}

TEST(TableMetadataTest, ReadOnlyCausesFollowTheRevision) {
    TableWorld w;
    w.lines->add("Files", dao::Attachment);
    w.lines->col("OrderId").attr = dao::FieldAutoIncrement | dao::FieldFixed;
    {
        auto ds = w.make(12);
        ds->Table().Initialize();
        // A memo without "AppendOnly" and a number without it are plainly editable.
        EXPECT_FALSE(ds->Table().InitializeField("Note", 5, w.rs)->IsReadOnly());
        EXPECT_FALSE(ds->Table().InitializeField("LineNo", 2, w.rs)->IsReadOnly());
        EXPECT_TRUE(ds->Table().InitializeField("Files", 6, w.rs)->IsReadOnly());
        auto id = ds->Table().InitializeField("OrderId", 1, w.rs);
        EXPECT_TRUE(id->IsAutoIncr());
        EXPECT_TRUE(id->IsReadOnly());
        w.lines->col("Note").prop("AppendOnly", Variant(false));
        EXPECT_FALSE(ds->Table().InitializeField("Note", 5, w.rs)->IsReadOnly());
        w.lines->col("Note").props.clear();
        w.lines->col("Note").prop("AppendOnly", Variant(true));
        EXPECT_TRUE(ds->Table().InitializeField("Note", 5, w.rs)->IsReadOnly());
    }
    {
        auto ds = w.make(11);
        ds->Table().Initialize();
        EXPECT_FALSE(ds->Table().InitializeField("Files", 6, w.rs)->IsReadOnly());
        EXPECT_FALSE(ds->Table().InitializeField("Note", 5, w.rs)->IsReadOnly());
        EXPECT_TRUE(ds->Table().InitializeField("OrderId", 1, w.rs)->IsReadOnly());
    }
    {
        auto ds = w.make(21);
        ASSERT_TRUE(ds->ConnectDAO());
        ds->Table().DeterminePrimaryKeys();
        try {
            ds->Table().InitializeField("Note", 5, w.rs);
            FAIL();
        } catch (const NumberedError& e) {
            EXPECT_EQ(e.number(), err::NotImplemented);
            EXPECT_EQ(e.description(), "No such version!");
        }
    }
}

TEST(TableMetadataTest, UnknownTableOrColumnReachesTheCaller) {
    TableWorld w;
    auto ds = w.make();
    ds->Table().Initialize();
    EXPECT_THROW(ds->Table().InitializeField("NotThere", 1, w.rs), NumberedError);
    w.rs.add("OnlyInRecordset", 202);
    EXPECT_THROW(ds->Table().InitializeField("OnlyInRecordset", 1, w.rs), NumberedError);
    w.currentTable = "Gone";
    try {
        ds->Table().Initialize();
        FAIL();
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.number(), err::ItemNotFound);
    }
}

} // namespace
} // namespace qv::test
