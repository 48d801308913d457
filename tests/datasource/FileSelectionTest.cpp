// Picking the database: the picker's filters and preselection per edition, the folder it opens
// in, wrong picks, cancel, and shortcuts (Windows links and desktop entries) with their
// workgroup switches.
#include "common/ISettings.h"
#include "common/modGlobalization.h"
#include "datasource/clsDSAccess.h"
#include "platform/IShell.h"
#include "platform/NumberedError.h"
#include "system/DialogScript.h"
#include "system/ScriptedDialogs.h"
#include "system/Shell.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <unistd.h>

namespace qv::test {

namespace {

class MemorySettings : public ISettings {
  public:
    Variant GetSetting(const std::string& name) override { return ReadSetting(name); }
    void SaveSetting(int, const std::string& name, const Variant& value) override { values[name] = value; }
    Variant ReadSetting(const std::string& name) override {
        auto it = values.find(name);
        return it == values.end() ? Variant() : it->second;
    }
    bool IsMessageEnabled(const std::string&) override { return true; }
    std::map<std::string, Variant> values;
};

// The shell as far as the selection uses it: a documents folder and shortcuts by path.
class LinkShell : public IShell {
  public:
    bool open(const std::string&) override { return false; }
    std::string documentsFolder() override { return "/home/ada/Documents"; }
    std::string tempFolder() override { return "/tmp/"; }
    std::string libraryFolder() override { return {}; }
    std::string executableName() override { return "test"; }
    std::optional<ShortcutInfo> readShortcut(const std::string& path) override {
        auto it = links.find(path);
        if (it == links.end()) return std::nullopt;
        return it->second;
    }
    std::string newGuid() override { return {}; }
    bool fileExists(const std::string&) override { return false; }
    std::string expandEnvironment(const std::string& t) override { return t; }
    bool programAvailable(const std::string&) override { return false; }
    bool startProgram(const std::string&, const std::vector<std::string>&) override { return false; }
    std::map<std::string, ShortcutInfo> links;
};

class FileSelectionTest : public ::testing::Test {
  protected:
    void SetUp() override { modGlobalization::SetCountryCode(1); }
    std::unique_ptr<clsDSAccess> make(int revision = 12, IShell* shell = nullptr) {
        DSContext c;
        c.RevisionNumber = revision;
        c.Dialogs = &dialogs;
        c.Shell = shell ? shell : &links;
        c.Settings = &settings;
        return std::make_unique<clsDSAccess>(std::move(c));
    }
    int errorOf(const std::function<void()>& f) {
        try {
            f();
        } catch (const NumberedError& e) {
            lastError = e.description();
            return e.number();
        }
        return 0;
    }
    DialogScript script;
    ScriptedDialogs dialogs{script};
    MemorySettings settings;
    LinkShell links;
    std::string lastError;
};

std::vector<std::string> patternsOf(const std::vector<FileFilter>& filters) {
    std::vector<std::string> out;
    for (const auto& f : filters)
        out.push_back(f.patterns + (f.preselected ? "!" : ""));
    return out;
}

} // namespace

TEST_F(FileSelectionTest, FiltersAndPreselectionFollowTheEdition) {
    const auto old = clsDSAccess::DatabaseFilters(11);
    EXPECT_EQ(patternsOf(old), (std::vector<std::string>{"*.*", "*.mdb!", "*.mde", "*.sqlite;*.sqlite3;*.db",
                                                         "*.lnk;*.desktop"}));
    EXPECT_EQ(old[1].description, "MS Access databases (*.mdb)");
    EXPECT_EQ(old[0].description, "All files (*.*)");

    const auto current = clsDSAccess::DatabaseFilters(12);
    EXPECT_EQ(patternsOf(current), (std::vector<std::string>{"*.*", "*.mdb", "*.mde", "*.accdb!", "*.accde",
                                                             "*.sqlite;*.sqlite3;*.db", "*.lnk;*.desktop"}));
    EXPECT_EQ(current[1].description, "MS Access 97-2003 databases (*.mdb)");
    EXPECT_EQ(current[2].description, "MS Access 97-2003 executable files (*.mde)");
    EXPECT_EQ(current[4].description, "MS Access executable files (*.accde)");
    EXPECT_EQ(current[6].description, "Workgroup file shortcuts (*.lnk;*.desktop)");

    EXPECT_EQ(errorOf([] { clsDSAccess::DatabaseFilters(21); }), err::NotImplemented);
    EXPECT_EQ(lastError, "No such version!");
}

TEST_F(FileSelectionTest, PickerOpensInTheRememberedFolderElseTheDocumentsFolder) {
    auto ds = make();
    script << ScriptStep::openFile(std::string("/data/shop/Orders.SQLITE"))
           << ScriptStep::openFile(std::string("/data/other/x.accdb"));
    ds->GetConnectionInfo();
    // Capitals in the extension are accepted.
    EXPECT_EQ(ds->DatabasePath(), "/data/shop/Orders.SQLITE");
    EXPECT_EQ(settings.ReadSetting("InitDir").toString(), "/data/shop");
    ds->GetConnectionInfo();
    ASSERT_EQ(script.records().size(), 2u);
    EXPECT_EQ(script.records()[0].defaultText, "/home/ada/Documents");
    EXPECT_EQ(script.records()[0].title, "Open the database...");
    EXPECT_EQ(script.records()[1].defaultText, "/data/shop");
    EXPECT_EQ(settings.ReadSetting("InitDir").toString(), "/data/other");
}

TEST_F(FileSelectionTest, CancelIsAnExplicitResultWhateverThePathLooksLike) {
    auto ds = make();
    ds->SetDatabasePath("/old.db");
    script << ScriptStep::openFile(std::nullopt);
    EXPECT_FALSE(ds->SelectDatabaseFile());
    // A path on this platform has no backslash; it is still a choice, not a cancel.
    script << ScriptStep::openFile(std::string("/plain/path.db"));
    EXPECT_EQ(ds->SelectDatabaseFile().value_or("cancel"), "/plain/path.db");
    script << ScriptStep::openFile(std::nullopt);
    ds->GetConnectionInfo();
    EXPECT_EQ(ds->Connector(), "");
    EXPECT_EQ(settings.ReadSetting("InitDir").toString(), "/plain");
}

TEST_F(FileSelectionTest, AWrongFileIsRefusedAndThePickerShownAgain) {
    auto ds = make();
    script << ScriptStep::openFile(std::string("/data/notes.txt"))
           << ScriptStep::messageBox("Select a valid Access file", 1)
           << ScriptStep::openFile(std::string("/data/noextension"))
           << ScriptStep::messageBox("Select a valid Access file", 1)
           << ScriptStep::openFile(std::string("/data/db.mde"));
    EXPECT_EQ(ds->SelectDatabaseFile().value_or(""), "/data/db.mde");
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(script.records()[1].flags, 64 + 65536);
}

TEST_F(FileSelectionTest, WindowsShortcutGivesDatabaseWorkgroupAndUser) {
    links.links["C:\\Links\\Shop.LNK"] = {
        "C:\\Program Files\\Office\\msaccess.exe",
        "\"C:\\Data\\Shop.mdb\" /wrkgrp \"C:\\Data\\Secured.mdw\" /user Ada", ""};
    auto ds = make();
    ds->SetPassword("kept");
    script << ScriptStep::openFile(std::string("C:\\Links\\Shop.LNK"));
    ds->GetConnectionInfo();
    EXPECT_EQ(ds->DatabasePath(), "C:\\Data\\Shop.mdb");
    EXPECT_EQ(ds->WorkgroupFile(), "C:\\Data\\Secured.mdw");
    EXPECT_EQ(ds->UserName(), "Ada");
    EXPECT_EQ(ds->Password(), "kept");
}

TEST_F(FileSelectionTest, ShortcutWithoutWorkgroupLeavesTheUserAdmin) {
    links.links["/l/a.lnk"] = {"C:\\MSACCESS.EXE", "\"C:\\Data\\Shop.mdb\" /user Bert /pwd s3cret /excl x",
                               ""};
    auto ds = make();
    EXPECT_EQ(ds->ResolveShortcut("/l/a.lnk"), "C:\\Data\\Shop.mdb");
    EXPECT_EQ(ds->WorkgroupFile(), "");
    EXPECT_EQ(ds->UserName(), "Admin");
    EXPECT_EQ(ds->Password(), "s3cret");
}

TEST_F(FileSelectionTest, ShortcutsThatCannotBeUsedRaiseThePreparedMessage) {
    links.links["/l/word.lnk"] = {"C:\\Office\\WINWORD.EXE", "\"C:\\a.mdb\"", ""};
    links.links["/l/novalue.lnk"] = {"C:\\MSACCESS.EXE", "\"C:\\a.mdb\" /wrkgrp \"C:\\s.mdw\" /user", ""};
    links.links["/l/nodb.lnk"] = {"C:\\MSACCESS.EXE", "/wrkgrp \"C:\\s.mdw\"", ""};
    auto ds = make();
    for (const char* path : {"/l/word.lnk", "/l/novalue.lnk", "/l/nodb.lnk", "/l/missing.lnk"}) {
        EXPECT_EQ(errorOf([&] { ds->ResolveShortcut(path); }), err::PreparedMessage) << path;
        EXPECT_EQ(lastError, "Select a valid workgroup file shortcut.") << path;
    }
    // A refused shortcut applies none of its switches.
    EXPECT_EQ(ds->WorkgroupFile(), "");
}

TEST_F(FileSelectionTest, DesktopEntryStartsTheProductOnADatabaseWithAWorkgroupFile) {
    const auto dir = std::filesystem::temp_directory_path() / ("qv-select-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto entry = dir / "Shop.desktop";
    std::ofstream(entry)
        << "[Desktop Entry]\nType=Application\nName=Shop\n"
           "Exec=/usr/bin/quorvel-desktop /srv/data/shop.sqlite /wrkgrp \"/srv/secure/work group.mdw\" "
           "/user Ada\n";
    std::ofstream(dir / "Other.desktop") << "[Desktop Entry]\nType=Application\nName=Edit\n"
                                            "Exec=gedit /srv/data/shop.sqlite\n";
    Shell shell;
    auto ds = make(12, &shell);
    script << ScriptStep::openFile(entry.string());
    ds->GetConnectionInfo();
    EXPECT_EQ(ds->DatabasePath(), "/srv/data/shop.sqlite");
    EXPECT_EQ(ds->WorkgroupFile(), "/srv/secure/work group.mdw");
    EXPECT_EQ(ds->UserName(), "Ada");
    EXPECT_EQ(errorOf([&] { ds->ResolveShortcut((dir / "Other.desktop").string()); }), err::PreparedMessage);
    std::filesystem::remove_all(dir);
}

} // namespace qv::test
