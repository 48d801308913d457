// The add-in's registry wrapper: one value (or key) at a time, addressed by root, key path and
// value name set on the instance before the call, as the settings store and the single-edition
// check use it. Reads never raise (a missing value gives DefaultValue); every failed change
// raises error 26001 with the application's executable name as source, so that the person sees
// which key could not be written.
//
// Text goes into the store as UTF-8: a folder name such as "C:\Gebruikers\Zoë\Documenten"
// must come back exactly as it went in.
#pragma once

#include "platform/IRegistryStore.h"
#include "platform/Variant.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qv {

class IShell;

class clsRegistry {
  public:
    // shell expands REG_EXPAND_SZ texts and names the executable in errors; it may be null
    // (no expansion, the process name as source).
    explicit clsRegistry(IRegistryStore& store, IShell* shell = nullptr);

    std::uint32_t RootKey() const { return mlRootKey; }
    void RootKey(std::uint32_t root) { mlRootKey = root; }
    const std::string& KeyPath() const { return msKeyPath; }
    void KeyPath(std::string path) { msKeyPath = std::move(path); }
    const std::string& ValueName() const { return msValueName; }
    void ValueName(std::string name) { msValueName = std::move(name); }
    // Set by the caller before a write; a successful read sets it to the type found.
    std::uint32_t ValueType() const { return mlValueType; }
    void ValueType(std::uint32_t type) { mlValueType = type; }
    const Variant& DefaultValue() const { return mvDefaultValue; }
    void DefaultValue(Variant v) { mvDefaultValue = std::move(v); }
    // What the last successful write stored.
    const Variant& LastValue() const { return mvValue; }

    bool KeyExists();
    bool CreateKey();   // raises 26001 when the key cannot be created
    bool DeleteKey();   // raises 26001, also while the key has sub-keys
    bool DeleteValue(); // raises 26001
    // Types 1 and 7 give text, 2 text with %NAME% expanded, 4 a 32-bit integer, 5 the
    // big-endian number decoded, anything else the bytes. DefaultValue when nothing is found.
    Variant Value();
    // By ValueType: 1 or 2 text (REG_EXPAND_SZ when it holds a %NAME%-like pair), 3 bytes,
    // 4 or 5 a 32-bit integer stored as REG_DWORD. Raises 26001 on any failure.
    void Value(const Variant& value);
    // Names in the order the store enumerates them; false when the key does not exist.
    bool ListValueNames(std::vector<std::string>& names, std::int32_t& count);
    bool ListSubKeys(std::vector<std::string>& names, std::int32_t& count);

    // The rule that chooses REG_EXPAND_SZ: a "%" and another "%" at least two characters on.
    static bool LooksExpandable(const std::string& text);

  private:
    [[noreturn]] void raise(const std::string& description) const;
    std::string rootText() const;
    std::string section() const; // "'<root>',Section: '<path>"

    IRegistryStore& mStore;
    IShell* mShell;
    std::uint32_t mlRootKey = reg::HKEY_CURRENT_USER;
    std::string msKeyPath;
    std::string msValueName;
    std::uint32_t mlValueType = reg::REG_SZ;
    Variant mvDefaultValue;
    Variant mvValue;
};

} // namespace qv
