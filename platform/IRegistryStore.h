// A typed, hierarchical key/value store with the registry's value types. Paths use "\" between
// key names and compare case-insensitively; text is UTF-8. Operations answer false (or
// nothing) on failure rather than raising: the callers decide what a failure means.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qv {

namespace reg {
constexpr std::uint32_t HKEY_CLASSES_ROOT = 0x80000000u;
constexpr std::uint32_t HKEY_CURRENT_USER = 0x80000001u;
constexpr std::uint32_t HKEY_LOCAL_MACHINE = 0x80000002u;

constexpr std::uint32_t REG_NONE = 0;
constexpr std::uint32_t REG_SZ = 1;
constexpr std::uint32_t REG_EXPAND_SZ = 2;
constexpr std::uint32_t REG_BINARY = 3;
constexpr std::uint32_t REG_DWORD = 4;
constexpr std::uint32_t REG_DWORD_BIG_ENDIAN = 5;
constexpr std::uint32_t REG_MULTI_SZ = 7;
} // namespace reg

struct RegistryValue {
    std::uint32_t type = reg::REG_NONE;
    // The raw bytes as stored: text without a terminating NUL (multi-strings keep their inner
    // NULs), numbers as four little-endian bytes (big-endian for REG_DWORD_BIG_ENDIAN).
    std::vector<std::uint8_t> data;
};

class IRegistryStore {
  public:
    virtual ~IRegistryStore() = default;
    virtual bool keyExists(std::uint32_t root, const std::string& path) = 0;
    virtual bool createKey(std::uint32_t root, const std::string& path) = 0; // creates parents too
    virtual bool deleteKey(std::uint32_t root, const std::string& path) = 0; // fails while it has sub-keys
    virtual bool deleteValue(std::uint32_t root, const std::string& path, const std::string& name) = 0;
    virtual std::optional<RegistryValue> queryValue(std::uint32_t root, const std::string& path,
                                                    const std::string& name) = 0;
    // Fails when the key does not exist.
    virtual bool setValue(std::uint32_t root, const std::string& path, const std::string& name,
                          const RegistryValue& value) = 0;
    // In creation order; nothing when the key does not exist.
    virtual std::optional<std::vector<std::string>> listValueNames(std::uint32_t root,
                                                                   const std::string& path) = 0;
    virtual std::optional<std::vector<std::string>> listSubKeys(std::uint32_t root,
                                                                const std::string& path) = 0;
    // When the store found its file damaged at start-up and began afresh: where the damaged
    // file was kept, for the person to hear of; empty otherwise.
    virtual std::string damagedFileKeptAs() const { return {}; }
};

} // namespace qv
