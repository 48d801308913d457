// The settings store on a fresh temporary registry: defaults written back on first read, the
// message switches, the key path following the workbook's revision, and the restore buttons.
#include "common/clsSettings.h"

#include "platform/NumberedError.h"
#include "tests/support/TempRegistry.h"

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
        mSettings = std::make_unique<clsSettings>(*mStore, nullptr, [this] { return mRevision; });
    }
    std::optional<RegistryValue> stored(const std::string& name) {
        return mStore->queryValue(reg::HKEY_CURRENT_USER, "SOFTWARE\\Quorvel12", name);
    }
    static std::string text(const RegistryValue& v) { return std::string(v.data.begin(), v.data.end()); }

    int mRevision = 12;
    test::TempRegistry mStore;
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
             [&] { settings.SaveSetting(reg::REG_SZ, setting::InitDir, Variant("/data")); },
             [&] { settings.GetSetting(setting::FixedColumnWidth); }, // the default cannot be written back
             [&] { settings.IsMessageEnabled(setting::ShowMessageSelectDb); }}) {
        try {
            write();
            ADD_FAILURE() << "no error";
        } catch (const NumberedError& e) {
            EXPECT_EQ(e.number(), err::Registry);
            EXPECT_EQ(e.description(), "Failed to create registry Key: 'SOFTWARE\\Quorvel12");
        }
    }
    // Reading never raises.
    EXPECT_TRUE(settings.ReadSetting(setting::InitDir).isEmpty());
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
    EXPECT_EQ(mSettings->GetSetting(setting::WarningNrOfCells), Variant::longValue(100000));
    auto v = stored(setting::WarningNrOfCells);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->type, reg::REG_DWORD);
    EXPECT_EQ(v->data, (std::vector<std::uint8_t>{0xA0, 0x86, 0x01, 0x00}));
    EXPECT_EQ(mSettings->GetSetting(setting::WarningNrOfCells), Variant::longValue(100000));

    EXPECT_EQ(mSettings->GetSetting(setting::DisplayFilter), Variant("True"));
    auto sw = stored(setting::DisplayFilter);
    ASSERT_TRUE(sw);
    EXPECT_EQ(sw->type, reg::REG_SZ);
    EXPECT_EQ(text(*sw), "True");
}

TEST_F(clsSettingsTest, StoredValueWinsOverTheDefaultAndNumericTextReadsAsInteger) {
    mSettings->SaveSetting(reg::REG_DWORD, setting::FixedColumnWidth, Variant(35));
    EXPECT_EQ(mSettings->GetSetting(setting::FixedColumnWidth), Variant::longValue(35));
    // A number kept as text by an older writer still comes back as a number.
    mSettings->SaveSetting(reg::REG_SZ, setting::FixedColumnWidth, Variant("42"));
    EXPECT_EQ(mSettings->GetSetting(setting::FixedColumnWidth), Variant::longValue(42));
    mSettings->SaveSetting(reg::REG_SZ, setting::DisplayZeros, Variant("False"));
    EXPECT_EQ(mSettings->GetSetting(setting::DisplayZeros), Variant("False"));
}

TEST_F(clsSettingsTest, StoredEmptyTextIsTreatedAsMissing) {
    mSettings->SaveSetting(reg::REG_SZ, setting::FreezeTopRow, Variant(""));
    EXPECT_EQ(mSettings->GetSetting(setting::FreezeTopRow), Variant("True"));
    ASSERT_TRUE(stored(setting::FreezeTopRow));
    EXPECT_EQ(text(*stored(setting::FreezeTopRow)), "True");

    mSettings->SaveSetting(reg::REG_SZ, setting::ColorFormBack, Variant(""));
    EXPECT_EQ(mSettings->GetSetting(setting::ColorFormBack), Variant::longValue(16777215));
    EXPECT_EQ(stored(setting::ColorFormBack)->type, reg::REG_DWORD);
}

TEST_F(clsSettingsTest, NamesWithoutADefaultGiveEmptyTextAndWriteNothing) {
    EXPECT_EQ(mSettings->GetSetting("No such setting"), Variant(""));
    EXPECT_EQ(mSettings->GetSetting(setting::InitDir), Variant(""));
    EXPECT_FALSE(stored("No such setting"));
    EXPECT_FALSE(stored(setting::InitDir));
    EXPECT_TRUE(mSettings->ReadSetting(setting::Version).isEmpty());
}

TEST_F(clsSettingsTest, MessageSwitchesReadFalseAndComeBackWhenDeleted) {
    const std::string sw = setting::ShowMessageUpdatedRecords;
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
    const std::string sw = setting::ShowMessageNoPrimaryKey;
    mSettings->SaveSetting(reg::REG_SZ, sw, Variant("garbage"));
    EXPECT_TRUE(mSettings->IsMessageEnabled(sw));
    EXPECT_EQ(text(*stored(sw)), "True");
}

TEST_F(clsSettingsTest, InitDirKeepsADutchFolderName) {
    const std::string folder = "C:\\Gebruikers\\Zoë\\Documenten";
    mSettings->SaveSetting(reg::REG_SZ, setting::InitDir, Variant(folder));
    EXPECT_EQ(mSettings->ReadSetting(setting::InitDir), Variant(folder));
    EXPECT_EQ(mSettings->GetSetting(setting::InitDir), Variant(folder));
}

TEST_F(clsSettingsTest, RestoreDefaultsRewritesTheFormSettingsAndLeavesTheRest) {
    mSettings->SaveSetting(reg::REG_DWORD, setting::ColorTitleBack, Variant(1));
    mSettings->SaveSetting(reg::REG_SZ, setting::DisplayHeadings, Variant("True"));
    mSettings->SaveSetting(reg::REG_DWORD, setting::FixedColumnWidth, Variant(99));
    mSettings->SaveSetting(reg::REG_SZ, setting::ShowMessageSelectDb, Variant("False"));
    mSettings->SaveSetting(reg::REG_SZ, setting::Version, Variant("1.0"));
    mSettings->RestoreDefaultSettings();

    EXPECT_EQ(mSettings->ReadSetting(setting::ColorTitleBack), Variant::longValue(8404992));
    EXPECT_EQ(mSettings->ReadSetting(setting::DisplayHeadings), Variant("False"));
    EXPECT_EQ(mSettings->ReadSetting(setting::FixedColumnWidth), Variant::longValue(20));
    EXPECT_EQ(mSettings->ReadSetting(setting::ShowMessageSelectDb), Variant("False"));
    EXPECT_EQ(mSettings->ReadSetting(setting::Version), Variant("1.0"));
    auto names = mStore->listValueNames(reg::HKEY_CURRENT_USER, "SOFTWARE\\Quorvel12");
    ASSERT_TRUE(names);
    EXPECT_EQ(names->size(), 19u + 2u); // the 19 form settings, the switch and "Version"

    mSettings->RestoreMessageSwitches();
    for (const char* sw : {setting::ShowMessageSelectDb, setting::ShowMessageSelectTable,
                           setting::ShowMessageUpdatedRecords, setting::ShowMessageDeletedRecords,
                           setting::ShowMessageQueryExecuted, setting::ShowMessageNoPrimaryKey})
        EXPECT_EQ(mSettings->ReadSetting(sw), Variant("True")) << sw;
}

TEST_F(clsSettingsTest, CatalogueHoldsEveryNameOnceWithItsDefault) {
    const auto& cat = clsSettings::Catalogue();
    ASSERT_EQ(cat.size(), 29u);
    EXPECT_STREQ(cat[0].name, setting::ColorTitleBack);
    EXPECT_STREQ(cat[18].name, setting::FixedColumnWidth);
    std::set<std::string> seen;
    for (const auto& s : cat)
        EXPECT_TRUE(seen.insert(s.name).second) << s.name;
    const auto* matrixBack = clsSettings::Find(setting::ColorMatrixBack);
    ASSERT_NE(matrixBack, nullptr);
    EXPECT_EQ(matrixBack->defaultValue, Variant::longValue(10092543));
    EXPECT_EQ(clsSettings::Find(setting::ColorMatrixFrontReadOnly)->defaultValue,
              Variant::longValue(8421504));
    EXPECT_EQ(clsSettings::Find("setting color matrix back"), nullptr);
}
