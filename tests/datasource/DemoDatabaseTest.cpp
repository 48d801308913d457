// The demo database of samples/, built from the same demo.sql and demo-metadata.txt that
// samples/build-demo uses, and read through the data source as the form reads it: which
// tables and queries are offered, keys and relations (one over two columns), the field
// properties (captions, formats, widths, hidden and append-only columns, defaults), and every
// saved query run the way the product runs it.
#include "DSFakes.h"
#include "FileDataSourceTest.h"
#include "common/modGlobalization.h"
#include "datasource/ITable.h"
#include "datasource/clsDSAccess.h"
#include "engines/sqlite/SqliteEngineClasses.h"
#include "engines/sqlite/SqliteHandle.h"
#include "engines/sqlite/TypeMapping.h"
#include "platform/IObjectFactory.h"
#include "platform/NameQuote.h"
#include "platform/NumberedError.h"
#include "platform/engine/AdoConstants.h"
#include "platform/engine/DaoConstants.h"
#include "tests/support/TestDatabases.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <unistd.h>

namespace qv {
namespace {

namespace fs = std::filesystem;

class DemoDatabaseTest : public test::FileDataSourceTest {
  protected:
    void SetUp() override {
        if (!test::demoSamplesPresent())
            GTEST_SKIP() << test::DemoSql << " or " << test::DemoMetadata
                         << " is absent (run from the repository root)";
        mPath = mDir.file("demo.db");
        test::buildDemoDatabase(mPath);
        if (HasFatalFailure()) return;
        connect();
    }
    // Every field of the table as the form initialises it, by name.
    std::map<std::string, std::unique_ptr<clsField>> fieldsOf(const std::string& table) {
        mTable = table;
        mDS->Table().Initialize();
        AdoRecordsetPtr rs = mDS->GetRecordSet("SELECT * FROM " + NameQuote::bracketed(table), true);
        std::map<std::string, std::unique_ptr<clsField>> f;
        for (long i = 0; i < rs->fieldCount(); ++i) {
            const std::string name = rs->field(i)->name();
            f[name] = mDS->Table().InitializeField(name, static_cast<std::int16_t>(i + 1), *rs);
        }
        mDS->CloseRecordSet(rs);
        return f;
    }
};

TEST_F(DemoDatabaseTest, ApplicationTablesAndQueriesAreNotOffered) {
    mDS->DetermineDbObjects(true);
    const auto& tables = *mDS->TableNames();
    EXPECT_EQ(std::set<std::string>(tables.begin(), tables.end()),
              (std::set<std::string>{"AuditLog", "Categories", "Customers", "Employees", "Order Details",
                                     "Orders", "Products", "Regions"}));
    mDS->DetermineDbObjects(false);
    const auto& queries = *mDS->QueryNames();
    EXPECT_EQ(std::set<std::string>(queries.begin(), queries.end()),
              (std::set<std::string>{
                  "All Contacts", "Archive Orders 2024", "Clear Audit Log", "Create Price History",
                  "Customers by Country", "Customers in Country", "Drop Archive 2024", "Dutch Customers",
                  "Log Maintenance", "Order Totals", "Orders Since", "Orders by Year", "Product List",
                  "Products in Price Range", "Purge Old Audit", "Retire Sold Out Products"}));
    const auto& range = mDS->Queries()->Item("Products in Price Range").Parameters();
    ASSERT_EQ(range.Count(), 2u);
    EXPECT_EQ(range.Item(1).Name(), "Lowest Price");
    EXPECT_EQ(range.Item(2).Name(), "Highest Price");
    EXPECT_EQ(range.Item(1).Type(), ado::Currency);
}

TEST_F(DemoDatabaseTest, CompositeKeyAndNamedRelationsOfOrderLines) {
    mTable = "Order Details";
    mDS->Table().Initialize();
    const auto& keys = mDS->Table().PrimaryKeys();
    EXPECT_EQ(std::vector<std::string>(keys.begin(), keys.end()),
              (std::vector<std::string>{"OrderID", "ProductID"}));
    std::map<std::string, std::string> byName;
    for (const clsRelation& r : mDS->Table().Relations())
        byName[r.Name()] = r.Table() + "." + r.Field() + " <- " + r.ForeignName();
    EXPECT_EQ(byName, (std::map<std::string, std::string>{
                          {"OrderLineOrder_0", "Orders.OrderID <- OrderID"},
                          {"OrderLineProduct_0", "Products.ProductID <- ProductID"}}));
}

TEST_F(DemoDatabaseTest, TwoColumnRelationGivesOnePairPerColumn) {
    mTable = "Customers";
    mDS->Table().Initialize();
    std::map<std::string, std::string> byName;
    for (const clsRelation& r : mDS->Table().Relations())
        byName[r.Name()] = r.Table() + "." + r.Field() + " <- " + r.ForeignName();
    EXPECT_EQ(byName,
              (std::map<std::string, std::string>{{"CustomerRegion_0", "Regions.Country <- Country"},
                                                  {"CustomerRegion_1", "Regions.Code <- RegionCode"}}));
    mTable = "AuditLog";
    mDS->Table().Initialize();
    EXPECT_FALSE(mDS->Table().HasPrimaryKey());
}

TEST_F(DemoDatabaseTest, FieldPropertiesReachTheForm) {
    auto c = fieldsOf("Customers");
    ASSERT_EQ(c.size(), 11u);
    EXPECT_TRUE(c["CustomerID"]->IsPrimary());
    EXPECT_EQ(c["CustomerID"]->Caption(), "Customer ID");
    EXPECT_EQ(c["CustomerID"]->Format(), ">");
    EXPECT_EQ(c["CustomerID"]->Description(), "Five characters, unique per customer");
    EXPECT_EQ(c["CompanyName"]->ColumnWidth(), 3200);
    EXPECT_EQ(c["CompanyName"]->ValidationText(), "A company name is required.");
    EXPECT_EQ(c["Phone"]->ColumnWidth(), -1);
    EXPECT_TRUE(c["Email"]->ColumnHidden());
    EXPECT_FALSE(c["Phone"]->ColumnHidden());
    EXPECT_EQ(c["CreditLimit"]->Format(), "Currency");
    EXPECT_EQ(c["CreditLimit"]->TypeADO(), ado::Currency);
    // An append-only memo is read-only in the form; an ordinary one is not.
    EXPECT_TRUE(c["Notes"]->IsReadOnly());
    EXPECT_FALSE(c["ContactName"]->IsReadOnly());
    // Defaults as the new-row code compares them.
    EXPECT_EQ(c["Country"]->DefaultValue().toString(), "\"NL\"");
    EXPECT_EQ(c["Active"]->DefaultValue().toString(), "1");
    EXPECT_EQ(c["Since"]->DefaultValue().toString(), "Date()");
    EXPECT_EQ(c["Phone"]->DefaultValue().toString(), "");

    auto o = fieldsOf("Orders");
    EXPECT_TRUE(o["OrderID"]->IsAutoIncr());
    EXPECT_TRUE(o["OrderID"]->IsReadOnly());
    EXPECT_EQ(o["OrderDate"]->DefaultValue().toString(), "Now()");
    EXPECT_EQ(o["OrderDate"]->Format(), "General Date");
    EXPECT_EQ(o["Paid"]->TypeADO(), ado::Boolean);
    EXPECT_EQ(o["Paid"]->Format(), "On/Off");
    EXPECT_TRUE(o["Remarks"]->IsReadOnly());
}

TEST_F(DemoDatabaseTest, EveryColumnTypeMapsAlike) {
    std::set<int> daoTypes;
    for (const char* table :
         {"Categories", "Customers", "Employees", "Products", "Orders", "Order Details"}) {
        for (const auto& [name, f] : fieldsOf(table)) {
            // Record sets report dates as time stamps (135), as the product's driver does.
            const int expected =
                f->TypeDAO() == 8 ? ado::DBTimeStamp : mDS->MapToTypeADO(Variant(f->TypeDAO()));
            EXPECT_EQ(f->TypeADO(), expected) << table << "." << name;
            daoTypes.insert(f->TypeDAO());
        }
    }
    // yes/no, byte, integer, long, currency, single, double, date, binary, long binary, text, memo,
    // GUID, decimal
    EXPECT_EQ(daoTypes, (std::set<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 15, 20}));
}

// A text or memo column whose declared type SQLite reads with numeric affinity would store typed
// digits such as '0099' as the number 99.
TEST_F(DemoDatabaseTest, TextColumnsKeepDigitsAsText) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(mPath.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    auto rows = [&](const std::string& sql) {
        std::vector<std::vector<std::string>> out;
        sqlite3_stmt* st = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr), SQLITE_OK) << sql;
        while (st && sqlite3_step(st) == SQLITE_ROW) {
            out.emplace_back();
            for (int i = 0; i < sqlite3_column_count(st); ++i) {
                const auto* text = sqlite3_column_text(st, i);
                out.back().emplace_back(text ? reinterpret_cast<const char*>(text) : "");
            }
        }
        sqlite3_finalize(st);
        return out;
    };
    int textColumns = 0;
    for (const auto& table :
         rows("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%'")) {
        for (const auto& column : rows("SELECT name, type FROM pragma_table_info('" + table[0] + "')")) {
            const auto mapped = engine::TypeMapping::fromDeclared(column[1]);
            // No declared type keeps values as given.
            if (column[1].empty() || mapped.storage != engine::StorageKind::Text ||
                mapped.daoType == dao::GUID)
                continue;
            ++textColumns;
            EXPECT_EQ(rows("SELECT typeof(CAST('0099' AS " + column[1] + "))")[0][0], "text")
                << table[0] << "." << column[0] << " " << column[1];
        }
    }
    sqlite3_close(db);
    EXPECT_GT(textColumns, 10);
}

TEST_F(DemoDatabaseTest, SavedQueriesRunAsTheProductRunsThem) {
    mDS->DetermineDbObjects(false);
    // Without parameters: the text, double quotes turned into single ones.
    for (const char* name :
         {"Customers by Country", "Order Totals", "All Contacts", "Product List", "Orders by Year"}) {
        std::string sql = mDS->Queries()->Item(name).SQL();
        for (auto& ch : sql)
            if (ch == '"') ch = '\'';
        AdoRecordsetPtr rs = mDS->GetRecordSet(sql, true);
        EXPECT_GT(rs->recordCount(), 0) << name;
        mDS->CloseRecordSet(rs);
    }
    // With parameters: a stored procedure named between back quotes.
    mDS->ConnectADO();
    AdoCommandPtr cmd = mDS->InitializeCommand();
    cmd->setCommandType(ado::CmdStoredProc);
    cmd->setCommandText("`Products in Price Range`");
    cmd->appendParameter(
        cmd->createParameter("Lowest Price", ado::Currency, ado::ParamInput, 8, Variant("10")));
    cmd->appendParameter(
        cmd->createParameter("Highest Price", ado::Currency, ado::ParamInput, 8, Variant("20")));
    AdoRecordsetPtr rs = cmd->execute();
    ASSERT_GT(rs->recordCount(), 0);
    for (long r = 0; r < rs->recordCount(); ++r) {
        EXPECT_GE(rs->valueAt(r, 1).toDouble(), 10.0);
        EXPECT_LE(rs->valueAt(r, 1).toDouble(), 20.0);
    }
    mDS->DisconnectADO();
    // Action queries change what they say they change.
    EXPECT_EQ(mDS->ExecuteQuery(mDS->Queries()->Item("Retire Sold Out Products").SQL()), 4);
    EXPECT_EQ(mDS->ExecuteQuery(mDS->Queries()->Item("Log Maintenance").SQL()), 1);
    EXPECT_EQ(mDS->ExecuteQuery(mDS->Queries()->Item("Purge Old Audit").SQL()), 0);
    mDS->ExecuteQuery(mDS->Queries()->Item("Archive Orders 2024").SQL());
    AdoRecordsetPtr archived = mDS->GetRecordSet("SELECT COUNT(*) AS N FROM [OrdersArchive2024]", true);
    archived->moveFirst();
    EXPECT_GT(archived->field("N")->value().toInt64(), 0);
}

} // namespace
} // namespace qv
