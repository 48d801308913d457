// The settings store on a fresh temporary registry: defaults written back on first read, the
// message switches, the key path following the workbook's revision, and the restore buttons.
#include "common/clsSettings.h"

#include "platform/NumberedError.h"
#include "system/RegistryStore.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>
#include <unistd.h>

using namespace qv;

namespace {

class clsSettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        mPath = std::filesystem::temp_directory_path() /
                ("qv-settings-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".db");
        std::filesystem::remove(mPath);
        mStore = std::make_unique<RegistryStore>(mPath.string());
        mSettings = std::make_unique<clsSettings>(*mStore, nullptr, [this] { return mRevision; });
    }
    void TearDown() override {
        mSettings.reset();
        mStore.reset();
        for (const char* suffix : {"", "-wal", "-shm"})
            std::filesystem::remove(mPath.string() + suffix);
    }
    std::optional<RegistryValue> stored(const std::string& name) {
        return mStore->queryValue(reg::HKEY_CURRENT_USER, "SOFTWARE\\Quorvel12", name);
    }
    static std::string text(const RegistryValue& v) { return std::string(v.data.begin(), v.data.end()); }

    int mRevision = 12;
    std::filesystem::path mPath;
    std::unique_ptr<RegistryStore> mStore;
    std::unique_ptr<clsSettings> mSettings;
};

// A registry where no key can be made, as under a locked-down profile.
class LockedStore : public IRegistryStore {
  public:
    bool keyExists(std::uint32_t, const std::string&) override { return false; }
    bool createKey(std::uint32_t, const std::string&) override { return false; }
    bool deleteKey(std::uint32_t, const std::string&) override { return false; }
    bool deleteValue(std::uint32_t, const std::string&, const std::string&) override { return false; }
    std::optional<RegistryValue> queryValue(std::uint32_t, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    bool setValue(std::uint32_t, const std::string&, const std::string&, const RegistryValue&) override {
        return false;
    }
    std::optional<std::vector<std::string>> listValueNames(std::uint32_t, const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::vector<std::string>> listSubKeys(std::uint32_t, const std::string&) override {
        return std::nullopt;
    }
};

} // namespace

TEST(clsSettingsLockedTest, SettingsKeyThatCannotBeCreatedRaises26001WithThePath) {
    LockedStore locked;
    clsSettings settings(locked, nullptr, [] { return 12; });
    for (auto write : std::vector<std::function<void()>>{
             [&] { settings.SaveSetting(reg::REG_SZ, "InitDir", Variant("/data")); },
             [&] { settings.GetSetting("Setting fixed column width"); }, // the default cannot be written back
             [&] { settings.IsMessageEnabled("Show message select db"); }}) {
        try {
            write();
            ADD_FAILURE() << "no error";
        } catch (const NumberedError& e) {
            EXPECT_EQ(e.number(), err::Registry);
            EXPECT_EQ(e.description(), "Failed to create registry Key: 'SOFTWARE\\Quorvel12");
        }
    }
    // Reading never raises.
    EXPECT_TRUE(settings.ReadSetting("InitDir").isEmpty());
    EXPECT_EQ(settings.GetSetting("Not in the catalogue"), Variant(""));
}

TEST_F(clsSettingsTest, KeyPathFollowsTheWorkbookRevisionEachTime) {
    EXPECT_EQ(mSettings->SettingsKeyPath(), "SOFTWARE\\Quorvel12");
    mRevision = 22;
    EXPECT_EQ(mSettings->SettingsKeyPath(), "SOFTWARE\\Quorvel22");
    mRevision = 70000; // not a 16-bit revision
    EXPECT_THROW(mSettings->SettingsKeyPath(), NumberedError);
}

TEST_F(clsSettingsTest, FreshProfileGetsTheDefaultWrittenBackWithItsType) {
    EXPECT_EQ(mSettings->GetSetting("Setting warning nr of cells"), Variant::longValue(100000));
    auto v = stored("Setting warning nr of cells");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->type, reg::REG_DWORD);
    EXPECT_EQ(v->data, (std::vector<std::uint8_t>{0xA0, 0x86, 0x01, 0x00}));
    EXPECT_EQ(mSettings->GetSetting("Setting warning nr of cells"), Variant::longValue(100000));

    EXPECT_EQ(mSettings->GetSetting("Setting display filter"), Variant("True"));
    auto sw = stored("Setting display filter");
    ASSERT_TRUE(sw);
    EXPECT_EQ(sw->type, reg::REG_SZ);
    EXPECT_EQ(text(*sw), "True");
}

TEST_F(clsSettingsTest, StoredValueWinsOverTheDefaultAndNumericTextReadsAsInteger) {
    mSettings->SaveSetting(reg::REG_DWORD, "Setting fixed column width", Variant(35));
    EXPECT_EQ(mSettings->GetSetting("Setting fixed column width"), Variant::longValue(35));
    // A number kept as text by an older writer still comes back as a number.
    mSettings->SaveSetting(reg::REG_SZ, "Setting fixed column width", Variant("42"));
    EXPECT_EQ(mSettings->GetSetting("Setting fixed column width"), Variant::longValue(42));
    mSettings->SaveSetting(reg::REG_SZ, "Setting display zeros", Variant("False"));
    EXPECT_EQ(mSettings->GetSetting("Setting display zeros"), Variant("False"));
}

TEST_F(clsSettingsTest, StoredEmptyTextIsTreatedAsMissing) {
    mSettings->SaveSetting(reg::REG_SZ, "Setting freeze top row", Variant(""));
    EXPECT_EQ(mSettings->GetSetting("Setting freeze top row"), Variant("True"));
    ASSERT_TRUE(stored("Setting freeze top row"));
    EXPECT_EQ(text(*stored("Setting freeze top row")), "True");

    mSettings->SaveSetting(reg::REG_SZ, "Setting color form back", Variant(""));
    EXPECT_EQ(mSettings->GetSetting("Setting color form back"), Variant::longValue(16777215));
    EXPECT_EQ(stored("Setting color form back")->type, reg::REG_DWORD);
}

TEST_F(clsSettingsTest, NamesWithoutADefaultGiveEmptyTextAndWriteNothing) {
    EXPECT_EQ(mSettings->GetSetting("No such setting"), Variant(""));
    EXPECT_EQ(mSettings->GetSetting("InitDir"), Variant(""));
    EXPECT_FALSE(stored("No such setting"));
    EXPECT_FALSE(stored("InitDir"));
    EXPECT_TRUE(mSettings->ReadSetting("Version").isEmpty());
}

TEST_F(clsSettingsTest, MessageSwitchesReadFalseAndComeBackWhenDeleted) {
    const std::string sw = "Show message updated records";
    EXPECT_TRUE(mSettings->IsMessageEnabled(sw));
    ASSERT_TRUE(stored(sw));
    EXPECT_EQ(stored(sw)->type, reg::REG_SZ);
    EXPECT_EQ(text(*stored(sw)), "True");

    mSettings->SaveSetting(reg::REG_SZ, sw, Variant("False"));
    EXPECT_FALSE(mSettings->IsMessageEnabled(sw));

    ASSERT_TRUE(mStore->deleteValue(reg::HKEY_CURRENT_USER, "SOFTWARE\\Quorvel12", sw));
    EXPECT_TRUE(mSettings->IsMessageEnabled(sw));
    ASSERT_TRUE(stored(sw));
    EXPECT_EQ(text(*stored(sw)), "True");
}

TEST_F(clsSettingsTest, DamagedSwitchIsRepairedInsteadOfFailingTheCommand) {
    const std::string sw = "Show message no primary key";
    mSettings->SaveSetting(reg::REG_SZ, sw, Variant("garbage"));
    EXPECT_TRUE(mSettings->IsMessageEnabled(sw));
    EXPECT_EQ(text(*stored(sw)), "True");
}

TEST_F(clsSettingsTest, InitDirKeepsADutchFolderName) {
    const std::string folder = "C:\\Gebruikers\\Zoë\\Documenten";
    mSettings->SaveSetting(reg::REG_SZ, "InitDir", Variant(folder));
    EXPECT_EQ(mSettings->ReadSetting("InitDir"), Variant(folder));
    EXPECT_EQ(mSettings->GetSetting("InitDir"), Variant(folder));
}

TEST_F(clsSettingsTest, RestoreDefaultsRewritesTheFormSettingsAndLeavesTheRest) {
    mSettings->SaveSetting(reg::REG_DWORD, "Setting color title back", Variant(1));
    mSettings->SaveSetting(reg::REG_SZ, "Setting display headings", Variant("True"));
    mSettings->SaveSetting(reg::REG_DWORD, "Setting fixed column width", Variant(99));
    mSettings->SaveSetting(reg::REG_SZ, "Show message select db", Variant("False"));
    mSettings->SaveSetting(reg::REG_SZ, "Version", Variant("1.0"));
    mSettings->RestoreDefaultSettings();

    EXPECT_EQ(mSettings->ReadSetting("Setting color title back"), Variant::longValue(8404992));
    EXPECT_EQ(mSettings->ReadSetting("Setting display headings"), Variant("False"));
    EXPECT_EQ(mSettings->ReadSetting("Setting fixed column width"), Variant::longValue(20));
    EXPECT_EQ(mSettings->ReadSetting("Show message select db"), Variant("False"));
    EXPECT_EQ(mSettings->ReadSetting("Version"), Variant("1.0"));
    auto names = mStore->listValueNames(reg::HKEY_CURRENT_USER, "SOFTWARE\\Quorvel12");
    ASSERT_TRUE(names);
    EXPECT_EQ(names->size(), 19u + 2u); // the 19 form settings, the switch and "Version"

    mSettings->RestoreMessageSwitches();
    for (const char* sw :
         {"Show message select db", "Show message select table", "Show message updated records",
          "Show message deleted records", "Show message query executed", "Show message no primary key"})
        EXPECT_EQ(mSettings->ReadSetting(sw), Variant("True")) << sw;
}

TEST_F(clsSettingsTest, CatalogueHoldsEveryNameOnceWithItsDefault) {
    const auto& cat = clsSettings::Catalogue();
    ASSERT_EQ(cat.size(), 29u);
    EXPECT_STREQ(cat[0].name, "Setting color title back");
    EXPECT_STREQ(cat[18].name, "Setting fixed column width");
    std::set<std::string> seen;
    for (const auto& s : cat)
        EXPECT_TRUE(seen.insert(s.name).second) << s.name;
    const auto* matrixBack = clsSettings::Find("Setting color matrix back");
    ASSERT_NE(matrixBack, nullptr);
    EXPECT_EQ(matrixBack->defaultValue, Variant::longValue(10092543));
    EXPECT_EQ(clsSettings::Find("Setting color matrix front read only")->defaultValue,
              Variant::longValue(8421504));
    EXPECT_EQ(clsSettings::Find("setting color matrix back"), nullptr);
}
