// A database whose stored field properties are partly unusable still opens; the person is told
// once which property of which field was left out, and the form sees the rest.
#include "DSFakes.h"
#include "common/modGlobalization.h"
#include "datasource/ITable.h"
#include "datasource/clsDSAccess.h"
#include "engines/sqlite/SqliteEngineClasses.h"
#include "platform/IObjectFactory.h"
#include "platform/NumberedError.h"
#include "tests/support/EngineClassFactory.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <map>

namespace qv {
namespace {

namespace fs = std::filesystem;

using EngineFactory = test::EngineClassFactory<registerSqliteEngineClasses>;

TEST(CatalogueWarningsTest, BadPropertyIsToldOnceAndTheTableStillShows) {
    modGlobalization::SetCountryCode(1);
    const fs::path dir = fs::temp_directory_path() / ("qv_ds_warnings_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string path = (dir / "w.db").string();
    fs::remove(path);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(db,
                     "CREATE TABLE Items (Id INTEGER PRIMARY KEY, Label TEXT);"
                     "CREATE TABLE QvFieldProperties (TableName TEXT NOT NULL, FieldName TEXT NOT NULL, "
                     "Name TEXT NOT NULL, Value, Type INTEGER, PRIMARY KEY (TableName, FieldName, Name));"
                     "INSERT INTO QvFieldProperties VALUES ('Items', 'Label', 'ColumnWidth', 70000, 3);"
                     "INSERT INTO QvFieldProperties VALUES ('Items', 'Label', 'Caption', 'Name', 10);",
                     nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(db);

    EngineFactory factory;
    test::RecordingDialogs dialogs;
    std::string table = "Items";
    DSContext c;
    c.RevisionNumber = 12;
    c.Objects = &factory;
    c.Dialogs = &dialogs;
    c.CurrentTableName = [&] { return table; };
    clsDSAccess ds(std::move(c));
    ds.SetDatabasePath(path);
    ASSERT_TRUE(ds.ConnectDAO());
    ds.DetermineDbObjects(true);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    const std::string& text = dialogs.boxes[0].text;
    EXPECT_NE(text.find("'ColumnWidth'"), std::string::npos) << text;
    EXPECT_NE(text.find("'Items.Label'"), std::string::npos) << text;
    ds.DetermineDbObjects(true);
    EXPECT_EQ(dialogs.boxes.size(), 1u);

    ds.Table().Initialize();
    AdoRecordsetPtr rs = ds.GetRecordSet("SELECT * FROM [Items]", true);
    auto label = ds.Table().InitializeField("Label", 2, *rs);
    EXPECT_EQ(label->ColumnWidth(), -1); // as if none was stored, not 4464
    EXPECT_EQ(label->Caption(), "Name");
    ds.DisconnectDAO();
    std::error_code ec;
    fs::remove_all(dir, ec);
}

} // namespace
} // namespace qv
