// The registry store: the typed, hierarchical key/value store of the settings, kept in one
// SQLite file so that it survives the process, is atomic per write, and can be shared by two
// running programs (write-ahead log plus a busy timeout: a second writer waits instead of
// failing or corrupting the file).
//
// Key paths follow the registry's rules: "\" between names, names compared case-insensitively
// (Unicode simple case folding through the C.UTF-8 locale), repeated, leading and trailing
// separators ignored. "/" is NOT a separator: the registry allows it inside key names
// ("text/html"), so it is kept as part of the name. Keys and values enumerate in the order
// they were first created; overwriting a value keeps its place.
#pragma once

#include "platform/IRegistryStore.h"

#include <memory>
#include <string>

struct sqlite3;

namespace qv {

class RegistryStore : public IRegistryStore {
  public:
    // Opens (creating when needed) the store file at path, including its folder.
    // Raises error 26001 when the file cannot be opened or is not a store.
    explicit RegistryStore(const std::string& path);
    // Opens the store at defaultPath().
    RegistryStore();
    ~RegistryStore() override;
    RegistryStore(const RegistryStore&) = delete;
    RegistryStore& operator=(const RegistryStore&) = delete;

    // $QUORVEL_REGISTRY when set and not empty, else $XDG_CONFIG_HOME/quorvel/registry.db,
    // with ~/.config standing in for an unset XDG_CONFIG_HOME.
    static std::string defaultPath();

    const std::string& path() const { return mPath; }

    bool keyExists(std::uint32_t root, const std::string& path) override;
    bool createKey(std::uint32_t root, const std::string& path) override;
    bool deleteKey(std::uint32_t root, const std::string& path) override;
    bool deleteValue(std::uint32_t root, const std::string& path, const std::string& name) override;
    std::optional<RegistryValue> queryValue(std::uint32_t root, const std::string& path,
                                            const std::string& name) override;
    bool setValue(std::uint32_t root, const std::string& path, const std::string& name,
                  const RegistryValue& value) override;
    std::optional<std::vector<std::string>> listValueNames(std::uint32_t root,
                                                           const std::string& path) override;
    std::optional<std::vector<std::string>> listSubKeys(std::uint32_t root, const std::string& path) override;

  private:
    // The names of one key's values or sub-keys, in creation order; query binds root and key id.
    std::optional<std::vector<std::string>> listNames(std::uint32_t root, const std::string& path, const char* query);
    class Transaction;
    // The id of the key at path, 0 for the root itself; nothing when a part is missing.
    std::optional<std::int64_t> findKey(std::uint32_t root, const std::vector<std::string>& parts);

    std::string mPath;
    sqlite3* mDb = nullptr;
};

} // namespace qv
