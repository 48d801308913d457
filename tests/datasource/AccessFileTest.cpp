// Access files met through the data source as a person meets them, with the product's engine
// classes: every fixture opens (or fails with its clear message), every table browses with its
// keys, captions and relations, a database password goes through the password dialog, and a
// statement that would change the file is refused in the person's language. Nothing is changed.
#include "DSFakes.h"
#include "common/modGlobalization.h"
#include "datasource/ITable.h"
#include "datasource/clsDSAccess.h"
#include "engines/mdb/MdbCatalogue.h"
#include "engines/mdb/MdbConvert.h"
#include "engines/mdb/MdbEngineClasses.h"
#include "platform/NumberedError.h"
#include "platform/engine/AdoConstants.h"
#include "platform/engine/DaoConstants.h"
#include "tests/support/EngineClassFactory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace qv {
namespace {

namespace fs = std::filesystem;

const fs::path kFixtures = "../shared/fixtures/access";

std::string contents(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class AccessFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::exists(kFixtures / "nwind.mdb")) GTEST_SKIP() << "fixtures " << kFixtures << " are absent";
        modGlobalization::SetCountryCode(1);
        mDir = fs::temp_directory_path() / ("qv_ds_access_" + std::to_string(::getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(mDir);
    }
    void TearDown() override {
        mDS.reset();
        modGlobalization::SetCountryCode(1);
        std::error_code ec;
        if (!mDir.empty()) fs::remove_all(mDir, ec);
    }
    fs::path copy(const std::string& name) {
        const fs::path to = mDir / name;
        fs::copy_file(kFixtures / name, to, fs::copy_options::overwrite_existing);
        return to;
    }
    clsDSAccess& open(const fs::path& path) {
        DSContext c;
        c.RevisionNumber = 12;
        c.Objects = &mFactory;
        c.Toolkit = &mToolkit;
        c.Dialogs = &mDialogs;
        c.CurrentTableName = [this] { return mTable; };
        mDS = std::make_unique<clsDSAccess>(std::move(c));
        mDS->SetDatabasePath(path.string());
        return *mDS;
    }
    NumberedError failure(const std::function<void()>& f) {
        try {
            f();
        } catch (const NumberedError& e) {
            return e;
        }
        return NumberedError(0, "", "no error");
    }

    test::EngineClassFactory<registerEngineClasses> mFactory;
    test::ScriptedToolkit mToolkit;
    test::RecordingDialogs mDialogs;
    std::unique_ptr<clsDSAccess> mDS;
    std::string mTable;
    fs::path mDir;
};

TEST_F(AccessFileTest, EveryTableOfEveryFixtureBrowsesAndNoFileChanges) {
    std::map<std::string, std::string> before;
    for (const auto& entry : fs::directory_iterator(kFixtures)) {
        const auto ext = entry.path().extension();
        if (ext != ".mdb" && ext != ".accdb") continue;
        const fs::path file = copy(entry.path().filename().string());
        before[file.string()] = contents(file);
    }
    int tablesRead = 0;
    for (const auto& [path, bytes] : before) {
        SCOPED_TRACE(path);
        clsDSAccess& ds = open(path);
        if (fs::path(path).filename() == "V2003_with-password.mdb") mToolkit.typeAndOk("password");
        if (fs::path(path).filename() == "db2013-enc.accdb") {
            const NumberedError e = failure([&] { ds.ConnectDAO(); });
            EXPECT_EQ(e.number(), 3343);
            EXPECT_NE(e.description().find("encrypt"), std::string::npos) << e.description();
            continue;
        }
        ASSERT_TRUE(ds.ConnectDAO());
        ds.DetermineDbObjects(true);
        ds.DetermineDbObjects(false);
        ASSERT_NE(ds.TableNames(), nullptr);
        EXPECT_GT(ds.TableNames()->Count(), 0u);
        for (const std::string& name : *ds.TableNames()) {
            SCOPED_TRACE(name);
            mTable = name;
            ds.Table().Initialize();
            AdoRecordsetPtr rs = ds.GetRecordSet("SELECT * FROM [" + name + "]", true);
            ASSERT_NE(rs, nullptr);
            for (long i = 0; i < rs->fieldCount(); ++i) {
                auto field =
                    ds.Table().InitializeField(rs->field(i)->name(), static_cast<std::int16_t>(i + 1), *rs);
                // The catalogue and the record set agree on every column's kind. The product maps
                // a catalogue BigInt to text, as it always has (its catalogue types predate it).
                if (field->TypeDAO() != dao::BigInt) {
                    EXPECT_EQ(ds.GetDataTypeGroup(ds.MapToTypeADO(Variant(field->TypeDAO()))),
                              ds.GetDataTypeGroup(field->TypeADO()))
                        << field->Name();
                }
            }
            ds.CloseRecordSet(rs);
            ++tablesRead;
        }
        ds.DisconnectDAO();
    }
    EXPECT_GE(tablesRead, 30);
    for (const auto& [path, bytes] : before)
        EXPECT_EQ(contents(path), bytes) << path;
    // Only the password-protected file asked.
    EXPECT_EQ(mToolkit.shown.size(), 1u);
}

TEST_F(AccessFileTest, NorthwindShowsItsCaptionsFormatsLookupsAndRelations) {
    clsDSAccess& ds = open(copy("nwind.mdb"));
    ASSERT_TRUE(ds.ConnectDAO());
    ds.DetermineDbObjects(true);
    std::set<std::string> tables(ds.TableNames()->begin(), ds.TableNames()->end());
    EXPECT_EQ(tables, (std::set<std::string>{"Categories", "Customers", "Employees", "Order Details",
                                             "Orders", "Products", "Shippers", "Suppliers", "Umsätze"}));
    mTable = "Products";
    ds.Table().Initialize();
    ASSERT_EQ(ds.Table().PrimaryKeys().Count(), 1u);
    EXPECT_EQ(ds.Table().PrimaryKeys().Item(1), "ProductID");
    std::set<std::string> referenced;
    for (const clsRelation& r : ds.Table().Relations())
        referenced.insert(r.Table() + "." + r.Field() + "=" + r.ForeignName());
    EXPECT_EQ(referenced,
              (std::set<std::string>{"Categories.CategoryID=CategoryID", "Suppliers.SupplierID=SupplierID"}));
    AdoRecordsetPtr rs = ds.GetRecordSet("SELECT * FROM [Products]", true);
    EXPECT_EQ(rs->recordCount(), 77);
    auto id = ds.Table().InitializeField("ProductID", 1, *rs);
    EXPECT_EQ(id->Caption(), "Product ID");
    EXPECT_TRUE(id->IsAutoIncr());
    EXPECT_TRUE(id->IsPrimary());
    auto price = ds.Table().InitializeField("UnitPrice", 6, *rs);
    EXPECT_EQ(price->Format(), "$#,##0.00;($#,##0.00)");
    EXPECT_EQ(ds.GetDataTypeGroup(price->TypeADO()), 1);
    // The lookup the form builds its list from.
    auto supplier = ds.DbDAO()->tableDef("Products")->field("SupplierID");
    ASSERT_NE(supplier->property("RowSource"), nullptr);
    EXPECT_EQ(supplier->property("RowSource")->value().toString(),
              "SELECT DISTINCTROW [SupplierID],[CompanyName] FROM Suppliers ORDER BY [CompanyName];");
    AdoRecordsetPtr list = ds.GetRecordSet(supplier->property("RowSource")->value().toString(), true);
    EXPECT_EQ(list->recordCount(), 29);

    mTable = "Order Details";
    ds.Table().Initialize();
    const auto& keys = ds.Table().PrimaryKeys();
    EXPECT_EQ(std::vector<std::string>(keys.begin(), keys.end()),
              (std::vector<std::string>{"OrderID", "ProductID"}));
    EXPECT_EQ(ds.GetRecordSet("SELECT * FROM [Order Details]", true)->recordCount(), 2155);
}

TEST_F(AccessFileTest, SavedQueriesRunThroughCommandsWithTheirParameters) {
    clsDSAccess& ds = open(copy("nwind.mdb"));
    ASSERT_TRUE(ds.ConnectDAO());
    ds.DetermineDbObjects(false);
    ASSERT_NE(ds.Queries(), nullptr);
    const clsQuery& sales = ds.Queries()->Item("Employee Sales by Country");
    ASSERT_EQ(sales.Parameters().Count(), 2u);
    ds.ConnectADO();
    AdoCommandPtr command = ds.InitializeCommand();
    command->setCommandType(ado::CmdStoredProc);
    command->setCommandText("[Employee Sales by Country]");
    command->appendParameter(
        command->createParameter("Beginning Date", ado::Date, ado::ParamInput, 0, Variant(OleDate{34547.0})));
    command->appendParameter(
        command->createParameter("Ending Date", ado::Date, ado::ParamInput, 0, Variant(OleDate{34577.0})));
    AdoRecordsetPtr rs = command->execute();
    ASSERT_NE(rs, nullptr);
    EXPECT_GT(rs->recordCount(), 0);
    for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
        const double shipped = rs->field("ShippedDate")->value().toDouble();
        EXPECT_GE(shipped, 34547.0); // 1994-08-01
        EXPECT_LE(shipped, 34577.0); // 1994-08-31
    }
    // A plain select through the connection, and a table by name.
    command = ds.InitializeCommand();
    command->setCommandType(ado::CmdTable);
    command->setCommandText("Shippers");
    EXPECT_EQ(command->execute()->recordCount(), 3);
    EXPECT_EQ(ds.GetRecordSet("SELECT * FROM [Ten Most Expensive Products]", false)->recordCount(), 10);
}

TEST_F(AccessFileTest, DatabasePasswordGoesThroughThePasswordDialogUntilRight) {
    const fs::path file = copy("V2003_with-password.mdb");
    clsDSAccess& ds = open(file);
    mToolkit.typeAndOk("guess");
    mToolkit.typeAndOk("password");
    ASSERT_TRUE(ds.ConnectDAO());
    EXPECT_EQ(mToolkit.shown.size(), 2u);
    ASSERT_EQ(mDialogs.boxes.size(), 1u);
    EXPECT_EQ(mDialogs.boxes[0].text, "Not a valid password.");
    EXPECT_EQ(ds.Password(), "password");
    // The records connection uses the password that opened the catalogue.
    AdoRecordsetPtr rs = ds.GetRecordSet("SELECT * FROM [Table1]", true);
    EXPECT_EQ(rs->recordCount(), 3);
}

TEST_F(AccessFileTest, CancellingThePasswordDialogIsACancel) {
    clsDSAccess& ds = open(copy("V2003_with-password.mdb"));
    mToolkit.typeAndCancel("");
    EXPECT_EQ(failure([&] { ds.ConnectDAO(); }).number(), err::Cancelled);
}

TEST_F(AccessFileTest, WritingIsRefusedInThePersonsLanguageAndChangesNothing) {
    const fs::path file = copy("nwind.mdb");
    const std::string before = contents(file);
    clsDSAccess& ds = open(file);
    ASSERT_TRUE(ds.ConnectDAO());
    for (const char* sql : {"DELETE FROM [Shippers]", "UPDATE [Shippers] SET [CompanyName] = 'x'",
                            "INSERT INTO [Shippers] ([CompanyName]) VALUES ('x')", "DROP TABLE [Shippers]",
                            "CREATE TABLE [New] (A Long)", "SELECT * INTO [Copy] FROM [Shippers]"}) {
        const NumberedError e = failure([&] { ds.ExecuteQuery(sql); });
        EXPECT_EQ(e.number(), err::PreparedWarning) << sql;
        EXPECT_EQ(e.description(),
                  "The database " + file.string() +
                      " is an Access file, which Quorvel LT reads but does not change.\rSave a "
                      "copy as SQLite to edit its data.")
            << sql;
    }
    modGlobalization::SetCountryCode(31);
    ds.ConnectDAO(); // the text is made in the language of the moment the file opens
    const NumberedError e = failure([&] { ds.ExecuteQuery("DELETE FROM [Shippers]"); });
    EXPECT_EQ(e.description(),
              "De database " + file.string() +
                  " is een Access-bestand, dat Quorvel LT wel leest maar niet wijzigt.\rSla een "
                  "kopie op als SQLite om de gegevens te bewerken.");
    // A mistake in a statement is still reported as the mistake it is.
    EXPECT_EQ(failure([&] { ds.GetRecordSet("SELECT * FROM [No Such Table]", true); }).number(),
              err::ForeignError);
    EXPECT_EQ(contents(file), before);
}

TEST_F(AccessFileTest, LinkedTableWithoutItsTargetIsNamedClearly) {
    const fs::path file = copy("linkerTestV2007.accdb"); // its target is not copied beside it
    clsDSAccess& ds = open(file);
    ASSERT_TRUE(ds.ConnectDAO());
    ds.DetermineDbObjects(true);
    std::set<std::string> tables(ds.TableNames()->begin(), ds.TableNames()->end());
    EXPECT_TRUE(tables.count("Table2"));
    const NumberedError e = failure([&] { ds.GetRecordSet("SELECT * FROM [Table2]", true); });
    EXPECT_NE(e.description().find("linkeeTest.accdb"), std::string::npos) << e.description();
    // With the target beside it, the linked table reads from there.
    copy("linkeeTest.accdb");
    AdoRecordsetPtr rs = ds.GetRecordSet("SELECT * FROM [Table2]", true);
    EXPECT_GT(rs->fieldCount(), 0);
}

TEST_F(AccessFileTest, TheSqliteCopyOpensWithTheSameTablesQueriesCaptionsAndLookups) {
    const fs::path file = copy("nwind.mdb");
    const fs::path copied = mDir / "nwind.sqlite";
    engine::MdbConvert::toSqlite(*engine::MdbCatalogue::open(file.string(), {}), copied.string());

    auto names = [](const NameCollectionPtr& list) {
        return std::set<std::string>(list->begin(), list->end());
    };
    clsDSAccess& access = open(file);
    ASSERT_TRUE(access.ConnectDAO());
    access.DetermineDbObjects(true);
    access.DetermineDbObjects(false);
    const auto accessTables = names(access.TableNames());
    const auto accessQueries = names(access.QueryNames());
    clsDSAccess& sqlite = open(copied);
    ASSERT_TRUE(sqlite.ConnectDAO());
    EXPECT_TRUE(sqlite.DbDAO()->updatable());
    sqlite.DetermineDbObjects(true);
    sqlite.DetermineDbObjects(false);
    EXPECT_EQ(names(sqlite.TableNames()), accessTables);
    EXPECT_EQ(names(sqlite.QueryNames()), accessQueries);
    EXPECT_EQ(sqlite.Queries()->Item("Employee Sales by Country").Parameters().Count(), 2u);

    mTable = "Products";
    sqlite.Table().Initialize();
    AdoRecordsetPtr rs = sqlite.GetRecordSet("SELECT * FROM [Products]", true);
    EXPECT_EQ(rs->recordCount(), 77);
    EXPECT_EQ(sqlite.Table().InitializeField("ProductID", 1, *rs)->Caption(), "Product ID");
    EXPECT_EQ(sqlite.Table().InitializeField("UnitPrice", 6, *rs)->Format(), "$#,##0.00;($#,##0.00)");
    EXPECT_EQ(sqlite.Table().Relations().Count(), 2u);
    auto supplier = sqlite.DbDAO()->tableDef("Products")->field("SupplierID");
    ASSERT_NE(supplier->property("RowSource"), nullptr);
    EXPECT_EQ(sqlite.GetRecordSet(supplier->property("RowSource")->value().toString(), true)->recordCount(),
              29);
    // And it is editable.
    EXPECT_EQ(sqlite.ExecuteQuery("UPDATE [Shippers] SET [Phone] = '(503) 555-0000' WHERE [ShipperID] = 1"),
              1);
}

} // namespace
} // namespace qv
