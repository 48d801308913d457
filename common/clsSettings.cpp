// The settings catalogue and the store operations on top of clsRegistry. The catalogue is data,
// in the order the settings dialog writes it, so that restoring defaults is a loop over it.
#include "common/clsSettings.h"

#include "common/clsRegistry.h"
#include "platform/NumberedError.h"

#include <limits>

namespace qv {

namespace {

constexpr const char* AppTitle = "Quorvel";
constexpr std::size_t FormSettingCount = 19; // "Setting color title back" .. "Setting fixed column width"

std::vector<SettingDefinition> buildCatalogue() {
    using namespace setting;
    auto dword = [](const char* n, int v) {
        return SettingDefinition{n, reg::REG_DWORD, Variant::longValue(v)};
    };
    auto text = [](const char* n, const char* v) { return SettingDefinition{n, reg::REG_SZ, Variant(v)}; };
    auto none = [](const char* n, std::uint32_t t) { return SettingDefinition{n, t, Variant()}; };
    return {
        dword(ColorTitleBack, 8404992),
        dword(ColorTitleFront, 16777215),
        dword(ColorMatrixBack, 10092543),
        dword(ColorMatrixFront, 0),
        dword(ColorMatrixBackReadOnly, 16777215),
        dword(ColorMatrixFrontReadOnly, 8421504),
        dword(ColorMatrixBackEdited, 65535),
        dword(ColorMatrixFrontEdited, 255),
        dword(ColorMatrixLines, 8404992),
        dword(ColorFormBack, 16777215),
        text(DisplayHeadings, "False"),
        text(DisplayFilter, "True"),
        text(DisplayZeros, "True"),
        text(DisplayFieldDescription, "False"),
        text(FreezeTopRow, "True"),
        dword(WarningNrOfCells, 100000),
        text(AdjustWidthsAutomatically, "False"),
        text(ApplyColumnPropertiesAccess, "False"),
        dword(FixedColumnWidth, 20),
        text(ShowMessageSelectDb, "True"),
        text(ShowMessageSelectTable, "True"),
        text(ShowMessageUpdatedRecords, "True"),
        text(ShowMessageDeletedRecords, "True"),
        text(ShowMessageQueryExecuted, "True"),
        text(ShowMessageNoPrimaryKey, "True"),
        none(UserMoveAfterReturnDirection, reg::REG_DWORD),
        none(UserDisplayTaskPane, reg::REG_SZ),
        none(Version, reg::REG_SZ),
        none(InitDir, reg::REG_SZ),
    };
}

// A stored text counts as missing when it is empty, as a value never written does.
bool isMissing(const Variant& v) {
    return v.isEmpty() || (v.isString() && v.str().empty());
}

} // namespace

clsSettings::clsSettings(IRegistryStore& store, IShell* shell, std::function<int()> revisionNumber)
    : mStore(store), mShell(shell), mRevisionNumber(std::move(revisionNumber)) {}

const std::vector<SettingDefinition>& clsSettings::Catalogue() {
    static const std::vector<SettingDefinition> catalogue = buildCatalogue();
    return catalogue;
}

const SettingDefinition* clsSettings::Find(const std::string& name) {
    for (const auto& s : Catalogue())
        if (name == s.name) return &s;
    return nullptr;
}

bool clsSettings::IsMessageSwitch(const std::string& name) {
    return name.rfind("Show message ", 0) == 0;
}

std::string clsSettings::SettingsKeyPath() const {
    // The revision is a 16-bit integer in the workbook; a value outside it is an overflow there.
    const int revision = mRevisionNumber ? mRevisionNumber() : 0;
    if (revision < std::numeric_limits<std::int16_t>::min() ||
        revision > std::numeric_limits<std::int16_t>::max())
        throw ErrorCatalogue::make(err::Overflow, AppTitle);
    return std::string("SOFTWARE\\") + AppTitle + std::to_string(revision);
}

Variant clsSettings::ReadRegistryValue(const std::string& keyPath, const std::string& name) {
    clsRegistry reg(mStore, mShell);
    reg.RootKey(reg::HKEY_CURRENT_USER);
    reg.KeyPath(keyPath);
    reg.ValueName(name);
    return reg.Value();
}

void clsSettings::WriteRegistryValue(const std::string& keyPath, std::uint32_t valueType,
                                     const std::string& name, const Variant& value) {
    clsRegistry reg(mStore, mShell);
    reg.RootKey(reg::HKEY_CURRENT_USER);
    reg.KeyPath(keyPath);
    if (!reg.KeyExists()) reg.CreateKey();
    reg.ValueType(valueType);
    reg.ValueName(name);
    reg.Value(value);
}

Variant clsSettings::ReadSetting(const std::string& name) {
    return ReadRegistryValue(SettingsKeyPath(), name);
}

void clsSettings::SaveSetting(std::uint32_t valueType, const std::string& name, const Variant& value) {
    WriteRegistryValue(SettingsKeyPath(), valueType, name, value);
}

Variant clsSettings::GetSetting(const std::string& name) {
    Variant v = ReadSetting(name);
    if (isMissing(v)) {
        const SettingDefinition* def = Find(name);
        if (!def || def->defaultValue.isEmpty()) return Variant(std::string());
        SaveSetting(def->type, name, def->defaultValue);
        v = def->defaultValue;
    }
    // Numbers (and numeric text) come back as 32-bit integers; text that is numeric but too big
    // for 32 bits stays text rather than failing the caller with an overflow.
    if (v.isNumeric() && !v.isBinary()) {
        try {
            return Variant::longValue(v.toInt32());
        } catch (const NumberedError&) {
            return v;
        }
    }
    return v;
}

bool clsSettings::IsMessageEnabled(const std::string& switchName) {
    Variant v = ReadSetting(switchName);
    if (!isMissing(v)) {
        try {
            return v.toBool();
        } catch (const NumberedError&) {
            // A switch that holds something other than a truth value is repaired below, so
            // that a damaged setting shows the message instead of failing the command.
        }
    }
    SaveSetting(reg::REG_SZ, switchName, Variant("True"));
    return true;
}

void clsSettings::RestoreDefaultSettings() {
    const auto& catalogue = Catalogue();
    for (std::size_t i = 0; i < FormSettingCount; ++i)
        SaveSetting(catalogue[i].type, catalogue[i].name, catalogue[i].defaultValue);
}

void clsSettings::RestoreMessageSwitches() {
    for (const auto& s : Catalogue())
        if (IsMessageSwitch(s.name)) SaveSetting(reg::REG_SZ, s.name, Variant("True"));
}

} // namespace qv
