// The settings catalogue and the settings store of the add-in: every user preference is one
// registry value under HKEY_CURRENT_USER\SOFTWARE\Quorvel<revision>. Nothing is cached; every
// read goes to the store, so two running hosts see each other's changes (the last write wins).
// clsAux forwards its settings members here.
#pragma once

#include "common/SettingNames.h"
#include "platform/IRegistryStore.h"
#include "platform/Variant.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qv {

class IShell;

struct SettingDefinition {
    const char* name;
    std::uint32_t type;   // reg::REG_DWORD or reg::REG_SZ
    Variant defaultValue; // empty for the settings without a default
};

class clsSettings {
  public:
    // revisionNumber answers the add-in workbook's "Revision Number"; it is asked each time the
    // key path is built, because the workbook, not this object, decides the edition.
    clsSettings(IRegistryStore& store, IShell* shell, std::function<int()> revisionNumber);

    // Every setting in catalogue order: the nineteen form settings, the six message switches,
    // then the four values without a default.
    static const std::vector<SettingDefinition>& Catalogue();
    // The catalogue entry of name (exact name), or null.
    static const SettingDefinition* Find(const std::string& name);
    static bool IsMessageSwitch(const std::string& name);

    // "SOFTWARE\Quorvel" + revision number.
    std::string SettingsKeyPath() const;
    // The stored value, or the catalogue default written back when it is missing or empty.
    // Numeric text and numbers come back as 32-bit integers, anything else as stored.
    Variant GetSetting(const std::string& name);
    void SaveSetting(std::uint32_t valueType, const std::string& name, const Variant& value);
    Variant ReadSetting(const std::string& name); // empty when missing, no default
    bool IsMessageEnabled(const std::string& switchName);

    Variant ReadRegistryValue(const std::string& keyPath, const std::string& name);
    void WriteRegistryValue(const std::string& keyPath, std::uint32_t valueType, const std::string& name,
                            const Variant& value);

    // The settings dialog's two restore buttons: the form settings from "Setting color title
    // back" to "Setting fixed column width" back to their defaults, and every message switch on.
    // Neither deletes anything.
    void RestoreDefaultSettings();
    void RestoreMessageSwitches();

  private:
    IRegistryStore& mStore;
    IShell* mShell;
    std::function<int()> mRevisionNumber;
};

} // namespace qv
