// The named constants stand for texts that already live outside the program: registry values
// written by earlier versions and tags stored in the host's command bars. Renaming a constant
// is free; changing its text would orphan what people have, so the texts are pinned here.
#include "common/CommandBarTags.h"
#include "common/SettingNames.h"
#include "common/clsSettings.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace qv {
namespace {

TEST(StoredNamesTest, SettingNamesAreTheOnesEarlierVersionsWrote) {
    EXPECT_STREQ(setting::ColorTitleBack, "Setting color title back");
    EXPECT_STREQ(setting::ApplyColumnPropertiesAccess, "Setting apply column properties MS Access");
    EXPECT_STREQ(setting::AdjustWidthsAutomatically, "Setting adjust widths columns automatically");
    EXPECT_STREQ(setting::ShowMessageSelectDb, "Show message select db");
    EXPECT_STREQ(setting::UserMoveAfterReturnDirection, "User MoveAfterReturnDirection");
    EXPECT_STREQ(setting::InitDir, "InitDir");
    // Every named setting is in the catalogue, so none is read without its default.
    for (const char* name : {setting::ColorTitleFront, setting::WarningNrOfCells, setting::FixedColumnWidth,
                             setting::ShowMessageNoPrimaryKey, setting::Version})
        EXPECT_NE(clsSettings::Find(name), nullptr) << name;
}

TEST(StoredNamesTest, CommandBarTagsAreTheStoredOnesAndDistinct) {
    const std::pair<const char*, const char*> pinned[] = {
        {tag::OpenDatabase, "Open database"},
        {tag::Tables, "Tables"},
        {tag::Views, "Views"},
        {tag::Queries, "Queries"},
        {tag::RowAdd, "Row Add"},
        {tag::RowUpdate, "Row Update"},
        {tag::RowDelete, "Row Delete"},
        {tag::RefreshData, "Refresh data"},
        {tag::ExecuteSql, "Excecute SQL"},
        {tag::Settings, "Settings"},
        {tag::Help, "Help"},
        {tag::CloseApplication, "Close application"},
        {tag::DevControl, "Dev. control"},
    };
    std::set<std::string> seen;
    for (const auto& [constant, stored] : pinned) {
        EXPECT_STREQ(constant, stored);
        EXPECT_TRUE(seen.insert(constant).second) << constant;
    }
}

} // namespace
} // namespace qv
