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
//
// A store file that cannot be read as a database (a crash mid-copy, a disk fault, anything
// written over it) must not stop the program from starting: it is renamed aside whole, a new
// empty store takes its place, and damagedFileKeptAs() tells the add-in where the old one went
// so that the person hears of it once. A healthy SQLite database that belongs to some other
// program is never touched: it is refused, because adding our tables to it would change a file
// that is not ours.
#pragma once

#include "platform/IRegistryStore.h"
#include "sqlite/SqliteConnection.h"

#include <memory>
#include <string>

namespace qv {

class RegistryStore : public IRegistryStore {
  public:
    // Opens (creating when needed) the store file at path, including its folder. A damaged
    // file is kept aside and replaced by an empty store. Raises error 26001 when the file is
    // another program's database, or cannot be opened or kept aside.
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
    std::string damagedFileKeptAs() const override { return mKeptAs; }

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
    std::optional<std::vector<std::string>> listNames(std::uint32_t root, const std::string& path,
                                                      const char* query);
    class Transaction;
    // The id of the key at path, 0 for the root itself; nothing when a part is missing.
    std::optional<std::int64_t> findKey(std::uint32_t root, const std::vector<std::string>& parts);

    enum class Health { Store, Empty, Damaged, Foreign };
    // Opens the file as it is and says what it holds; the reason fills why for the last two.
    static Health inspect(const std::string& path, SqliteConnection& db, std::string& why);
    static SqliteConnection openFile(const std::string& path);
    // Renames the damaged file (and its write-ahead log) aside; answers the new name.
    static std::string keepAside(const std::string& path);
    void createSchema();

    std::string mPath;
    std::string mKeptAs;
    SqliteConnection mDb;
};

} // namespace qv
