// The demo database of samples/, built from the same demo.sql and demo-metadata.txt that
// samples/build-demo uses, and read through the data source as the form reads it: which
// tables and queries are offered, keys and relations (one over two columns), the field
// properties (captions, formats, widths, hidden and append-only columns, defaults), and every
// saved query run the way the product runs it.
#include "DSFakes.h"
#include "SqliteEngineFactory.h"
#include "common/modGlobalization.h"
#include "datasource/ITable.h"
#include "datasource/clsDSAccess.h"
#include "engines/sqlite/MetadataStore.h"
#include "engines/sqlite/SqliteEngineClasses.h"
#include "engines/sqlite/SqliteHandle.h"
#include "engines/sqlite/TypeMapping.h"
#include "platform/IObjectFactory.h"
#include "platform/NameQuote.h"
#include "platform/NumberedError.h"
#include "platform/engine/AdoConstants.h"
#include "platform/engine/DaoConstants.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <unistd.h>

namespace qv {
namespace {

namespace fs = std::filesystem;

const char* kDemoSql = "samples/demo.sql";
const char* kDemoMetadata = "samples/demo-metadata.txt";

using DemoFactory = test::SqliteEngineFactory;

std::vector<std::string> splitBars(const std::string& line) {
    std::vector<std::string> out;
    std::string part;
    std::istringstream in(line);
    while (std::getline(in, part, '|'))
        out.push_back(part);
    return out;
}

// The metadata lines, applied with the engine's own writers (those quorvel-db uses).
void applyMetadata(const std::string& dbPath, std::istream& lines) {
    auto handle = engine::SqliteHandle::open(dbPath, engine::SqliteHandle::Options{});
    engine::MetadataStore store(handle->db());
    handle->exec("BEGIN", "test"); // one write to disk instead of one per line
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#') continue;
        const auto a = splitBars(line);
        ASSERT_GE(a.size(), 3u) << line;
        if (a[0] == "set-property") {
            ASSERT_GE(a.size(), 5u) << line;
            const std::string type = a.size() > 5 ? a[5] : "text";
            Variant v(a[4]);
            if (type == "long") v = Variant::longValue(Variant(a[4]).toInt32());
            if (type == "bool") v = Variant(Variant(a[4]).toBool());
            store.setProperty(a[1], a[2], a[3], v);
        } else if (a[0] == "save-query") {
            store.saveQuery(a[1], a[2]);
        } else if (a[0] == "name-relation") {
            ASSERT_EQ(a.size(), 5u) << line;
            store.setRelationName({a[1], a[2], a[3], a[4]});
        } else {
            FAIL() << "unknown command in " << kDemoMetadata << ": " << line;
        }
    }
    handle->exec("COMMIT", "test");
}

class DemoDatabaseTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::exists(kDemoSql) || !fs::exists(kDemoMetadata))
            GTEST_SKIP() << kDemoSql << " or " << kDemoMetadata
                         << " is absent (run from the repository root)";
        modGlobalization::SetCountryCode(1);
        mDir = fs::temp_directory_path() /
               fs::path("qv_ds_demo_" + std::to_string(::getpid()) + "_" +
                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(mDir);
        fs::create_directories(mDir);
        mPath = (mDir / "demo.db").string();
        std::ifstream sqlFile(kDemoSql);
        std::stringstream sql;
        sql << sqlFile.rdbuf();
        // The schema and rows with the plain SQLite library, as the sqlite3 shell builds them.
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(mPath.c_str(), &db), SQLITE_OK);
        char* msg = nullptr;
        const int rc = sqlite3_exec(db, sql.str().c_str(), nullptr, nullptr, &msg);
        const std::string error = msg ? msg : "";
        sqlite3_free(msg);
        sqlite3_close(db);
        ASSERT_EQ(rc, SQLITE_OK) << error;
        std::ifstream metadata(kDemoMetadata);
        applyMetadata(mPath, metadata);
        if (HasFatalFailure()) return;

        DSContext c;
        c.RevisionNumber = 12;
        c.Objects = &mFactory;
        c.CurrentTableName = [this] { return mTable; };
        mDS = std::make_unique<clsDSAccess>(std::move(c));
        mDS->SetDatabasePath(mPath);
        ASSERT_TRUE(mDS->ConnectDAO());
    }
    void TearDown() override {
        mDS.reset();
        std::error_code ec;
        if (!mDir.empty()) fs::remove_all(mDir, ec);
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

    DemoFactory mFactory;
    fs::path mDir;
    std::string mPath;
    std::string mTable;
    std::unique_ptr<clsDSAccess> mDS;
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
