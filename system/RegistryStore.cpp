// The registry store over SQLite. Two tables: keys (a tree per root, parent 0 being the root
// itself) and values (per key). Every name is stored twice, as given and case-folded; the
// folded form carries the uniqueness, the given form is what enumeration shows. Ids grow with
// creation, so ordering by id is creation order.
#include "system/RegistryStore.h"

#include "platform/NumberedError.h"
#include "platform/Utf8.h"
#include "sqlite/SqliteStatement.h"

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <cwctype>
#include <filesystem>
#include <locale.h>

namespace qv {

namespace {

constexpr int BusyTimeoutMs = 10000;

const char* const Schema = R"sql(
CREATE TABLE IF NOT EXISTS reg_key(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  root INTEGER NOT NULL, parent INTEGER NOT NULL,
  name TEXT NOT NULL, folded TEXT NOT NULL,
  UNIQUE(root, parent, folded));
CREATE TABLE IF NOT EXISTS reg_value(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  root INTEGER NOT NULL, key INTEGER NOT NULL,
  name TEXT NOT NULL, folded TEXT NOT NULL,
  type INTEGER NOT NULL, data BLOB NOT NULL,
  UNIQUE(root, key, folded));
)sql";

bool validRoot(std::uint32_t root) {
    return root >= 0x80000000u && root <= 0x80000006u;
}

// Case folding through the C.UTF-8 locale, so that "Zoë" and "ZOË" name the same key; the
// C locale's towlower would fold ASCII only. Bytes that are not valid UTF-8 stay as they are.
locale_t foldingLocale() {
    static locale_t loc = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return loc;
}

std::string fold(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    locale_t loc = foldingLocale();
    for (std::size_t i = 0; i < s.size();) {
        const Utf8::Decoded d = Utf8::decode(s, i);
        if (!d.ok()) {
            // Byte by byte as it is: an overlong form must not fold into the letter it spells.
            out += s[i];
            ++i;
            continue;
        }
        char32_t c = d.cp;
        if (c < 0x80)
            c = (c >= 'A' && c <= 'Z') ? c + 32 : c;
        else if (loc)
            c = static_cast<char32_t>(towlower_l(static_cast<wint_t>(c), loc));
        Utf8::append(out, c);
        i += d.length;
    }
    return out;
}

// "SOFTWARE\\Quorvel12\\" -> {"SOFTWARE", "Quorvel12"}: empty parts (repeated, leading or
// trailing separators) are dropped.
std::vector<std::string> splitPath(const std::string& path) {
    std::vector<std::string> parts;
    std::string cur;
    for (char c : path) {
        if (c == '\\') {
            if (!cur.empty()) parts.push_back(std::move(cur));
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) parts.push_back(std::move(cur));
    return parts;
}

} // namespace

// A transaction that rolls back unless committed. Writers take the write lock up front
// (IMMEDIATE) so that two processes never both read, then both try to upgrade and deadlock.
class RegistryStore::Transaction {
  public:
    Transaction(const SqliteConnection& db, bool write) : mDb(db) {
        mOpen = db.execStatus(write ? "BEGIN IMMEDIATE" : "BEGIN") == SQLITE_OK;
    }
    ~Transaction() {
        if (mOpen) mDb.execStatus("ROLLBACK");
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    bool open() const { return mOpen; }
    bool commit() {
        if (!mOpen) return false;
        mOpen = false;
        if (mDb.execStatus("COMMIT") == SQLITE_OK) return true;
        mDb.execStatus("ROLLBACK");
        return false;
    }

  private:
    const SqliteConnection& mDb;
    bool mOpen = false;
};

std::string RegistryStore::defaultPath() {
    const char* over = std::getenv("QUORVEL_REGISTRY");
    if (over && *over) return over;
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && *home ? home : ".") + "/.config";
    }
    return base + "/quorvel/registry.db";
}

RegistryStore::RegistryStore() : RegistryStore(defaultPath()) {}

namespace {
[[noreturn]] void cannotOpen(const std::string& path, const std::string& why) {
    throw NumberedError(err::Registry, "RegistryStore",
                        "Cannot open the registry store '" + path + "': " + why);
}

// Tables a store may hold; anything else means the file belongs to another program.
bool isStoreTable(const std::string& name) {
    return name == "reg_key" || name == "reg_value" || name == "sqlite_sequence";
}

// "QvRg": marks a file as a store, so that a store is known even before it has any table.
constexpr std::int64_t ApplicationId = 0x51765267;

bool damageCode(int rc) {
    rc &= 0xFF;
    return rc == SQLITE_NOTADB || rc == SQLITE_CORRUPT;
}
} // namespace

SqliteConnection RegistryStore::openFile(const std::string& path) {
    SqliteConnection db;
    if (db.open(SqliteApi::plain(), path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                BusyTimeoutMs) != SQLITE_OK)
        cannotOpen(path, db.lastOpenError());
    return db;
}

RegistryStore::Health RegistryStore::inspect(const std::string& path, SqliteConnection& db,
                                             std::string& why) {
    db = openFile(path);
    // Until the file is known to be a healthy store, closing must not fold its log into it.
    db.lib().db_config(db.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    // quick_check reads every page, so a file whose header survived but whose pages did not
    // is found now rather than by the first setting that happens to touch a bad page.
    {
        SqliteStatement check(db.ref(), "PRAGMA quick_check");
        const int rc = check.step();
        if (damageCode(rc) || damageCode(db.lib().extended_errcode(db.get()))) {
            why = db.lib().errmsg(db.get());
            return Health::Damaged;
        }
        if (rc != SQLITE_ROW) cannotOpen(path, db.lib().errmsg(db.get()));
        if (check.text(0) != "ok") {
            why = check.text(0);
            return Health::Damaged;
        }
    }
    SqliteStatement appId(db.ref(), "PRAGMA application_id");
    const std::int64_t id = appId.step() == SQLITE_ROW ? appId.int64(0) : 0;
    if (id != 0 && id != ApplicationId) {
        why = "the file is another program's database";
        return Health::Foreign;
    }
    SqliteStatement tables(db.ref(), "SELECT name FROM sqlite_master WHERE type IN ('table', 'view')");
    bool any = false;
    int rc;
    while ((rc = tables.step()) == SQLITE_ROW) {
        any = true;
        if (!isStoreTable(tables.text(0))) {
            why = "the file is another program's database (it has a table '" + tables.text(0) + "')";
            return Health::Foreign;
        }
    }
    if (damageCode(rc)) {
        why = db.lib().errmsg(db.get());
        return Health::Damaged;
    }
    if (rc != SQLITE_DONE) cannotOpen(path, db.lib().errmsg(db.get()));
    return any || id == ApplicationId ? Health::Store : Health::Empty;
}

std::string RegistryStore::keepAside(const std::string& path) {
    namespace fs = std::filesystem;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    std::string kept = path + ".damaged-" + stamp;
    std::error_code ec;
    for (int n = 1; fs::exists(kept, ec) || fs::exists(kept + "-wal", ec); ++n)
        kept = path + ".damaged-" + stamp + "-" + std::to_string(n);
    fs::rename(path, kept, ec);
    if (ec) cannotOpen(path, "the file is damaged and cannot be renamed aside: " + ec.message());
    // The log belongs to the damaged file: replayed into a new store it would damage that too.
    if (fs::exists(path + "-wal", ec)) fs::rename(path + "-wal", kept + "-wal", ec);
    fs::remove(path + "-shm", ec);
    return kept;
}

RegistryStore::RegistryStore(const std::string& path) : mPath(path) {
    std::error_code ec;
    auto folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);
    std::string why;
    Health health = inspect(path, mDb, why);
    if (health == Health::Foreign) cannotOpen(path, why);
    if (health == Health::Damaged) {
        mDb.close();
        mKeptAs = keepAside(path);
        health = inspect(path, mDb, why);
        if (health != Health::Empty) cannotOpen(path, "a new store cannot be started: " + why);
    }
    mDb.lib().db_config(mDb.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 0, nullptr);
    createSchema();
}

void RegistryStore::createSchema() {
    // Switching to WAL needs a moment of exclusive access; a second process opening at the same
    // time sees BUSY past the timeout only in pathological cases, and then simply stays in the
    // mode the file already has.
    mDb.execStatus("PRAGMA journal_mode=WAL");
    auto fail = [this] { cannotOpen(mPath, mDb.lib().errmsg(mDb.get())); };
    Transaction t(mDb, true);
    if (!t.open()) fail();
    if (mDb.execStatus(Schema) != SQLITE_OK) fail();
    const std::string mark = "PRAGMA application_id=" + std::to_string(ApplicationId);
    if (mDb.execStatus(mark) != SQLITE_OK) fail();
    if (!t.commit()) fail();
}

RegistryStore::~RegistryStore() = default;

std::optional<std::int64_t> RegistryStore::findKey(std::uint32_t root,
                                                   const std::vector<std::string>& parts) {
    std::int64_t id = 0;
    for (const auto& part : parts) {
        SqliteStatement q(mDb.ref(), "SELECT id FROM reg_key WHERE root=? AND parent=? AND folded=?");
        q.bind(1, root).bind(2, id).bind(3, fold(part));
        if (q.step() != SQLITE_ROW) return std::nullopt;
        id = q.int64(0);
    }
    return id;
}

bool RegistryStore::keyExists(std::uint32_t root, const std::string& path) {
    if (!validRoot(root)) return false;
    Transaction t(mDb, false);
    return t.open() && findKey(root, splitPath(path)).has_value();
}

bool RegistryStore::createKey(std::uint32_t root, const std::string& path) {
    if (!validRoot(root)) return false;
    Transaction t(mDb, true);
    if (!t.open()) return false;
    std::int64_t id = 0;
    for (const auto& part : splitPath(path)) {
        const std::string folded = fold(part);
        SqliteStatement q(mDb.ref(), "SELECT id FROM reg_key WHERE root=? AND parent=? AND folded=?");
        q.bind(1, root).bind(2, id).bind(3, folded);
        int rc = q.step();
        if (rc == SQLITE_ROW) {
            id = q.int64(0);
            continue;
        }
        if (rc != SQLITE_DONE) return false;
        SqliteStatement ins(mDb.ref(), "INSERT INTO reg_key(root, parent, name, folded) VALUES(?,?,?,?)");
        if (!ins.bind(1, root).bind(2, id).bind(3, part).bind(4, folded).run()) return false;
        id = mDb.lib().last_insert_rowid(mDb.get());
    }
    return t.commit();
}

bool RegistryStore::deleteKey(std::uint32_t root, const std::string& path) {
    if (!validRoot(root)) return false;
    auto parts = splitPath(path);
    if (parts.empty()) return false; // a root cannot be deleted
    Transaction t(mDb, true);
    if (!t.open()) return false;
    auto id = findKey(root, parts);
    if (!id) return false;
    SqliteStatement children(mDb.ref(), "SELECT 1 FROM reg_key WHERE root=? AND parent=? LIMIT 1");
    children.bind(1, root).bind(2, *id);
    if (children.step() != SQLITE_DONE) return false; // sub-keys exist (or the query failed)
    SqliteStatement delValues(mDb.ref(), "DELETE FROM reg_value WHERE root=? AND key=?");
    SqliteStatement delKey(mDb.ref(), "DELETE FROM reg_key WHERE id=?");
    if (!delValues.bind(1, root).bind(2, *id).run() || !delKey.bind(1, *id).run()) return false;
    return t.commit();
}

bool RegistryStore::deleteValue(std::uint32_t root, const std::string& path, const std::string& name) {
    if (!validRoot(root)) return false;
    Transaction t(mDb, true);
    if (!t.open()) return false;
    auto id = findKey(root, splitPath(path));
    if (!id) return false;
    SqliteStatement del(mDb.ref(), "DELETE FROM reg_value WHERE root=? AND key=? AND folded=?");
    if (!del.bind(1, root).bind(2, *id).bind(3, fold(name)).run()) return false;
    if (mDb.lib().changes(mDb.get()) == 0) return false; // no such value
    return t.commit();
}

std::optional<RegistryValue> RegistryStore::queryValue(std::uint32_t root, const std::string& path,
                                                       const std::string& name) {
    if (!validRoot(root)) return std::nullopt;
    Transaction t(mDb, false);
    if (!t.open()) return std::nullopt;
    auto id = findKey(root, splitPath(path));
    if (!id) return std::nullopt;
    SqliteStatement q(mDb.ref(), "SELECT type, data FROM reg_value WHERE root=? AND key=? AND folded=?");
    q.bind(1, root).bind(2, *id).bind(3, fold(name));
    if (q.step() != SQLITE_ROW) return std::nullopt;
    RegistryValue v;
    v.type = static_cast<std::uint32_t>(q.int64(0));
    v.data = q.blob(1);
    return v;
}

bool RegistryStore::setValue(std::uint32_t root, const std::string& path, const std::string& name,
                             const RegistryValue& value) {
    if (!validRoot(root)) return false;
    Transaction t(mDb, true);
    if (!t.open()) return false;
    auto id = findKey(root, splitPath(path));
    if (!id) return false;
    // An update in place keeps the value's id, and with it its place in the enumeration.
    SqliteStatement up(mDb.ref(),
                       "INSERT INTO reg_value(root, key, name, folded, type, data) VALUES(?,?,?,?,?,?) "
                       "ON CONFLICT(root, key, folded) DO UPDATE SET type=excluded.type, data=excluded.data");
    up.bind(1, root)
        .bind(2, *id)
        .bind(3, name)
        .bind(4, fold(name))
        .bind(5, value.type)
        .bindBlob(6, value.data);
    if (!up.run()) return false;
    return t.commit();
}

std::optional<std::vector<std::string>> RegistryStore::listNames(std::uint32_t root, const std::string& path,
                                                                 const char* query) {
    if (!validRoot(root)) return std::nullopt;
    Transaction t(mDb, false);
    if (!t.open()) return std::nullopt;
    auto id = findKey(root, splitPath(path));
    if (!id) return std::nullopt;
    SqliteStatement q(mDb.ref(), query);
    q.bind(1, root).bind(2, *id);
    std::vector<std::string> names;
    int rc;
    while ((rc = q.step()) == SQLITE_ROW)
        names.push_back(q.text(0));
    if (rc != SQLITE_DONE) return std::nullopt;
    return names;
}

std::optional<std::vector<std::string>> RegistryStore::listValueNames(std::uint32_t root,
                                                                      const std::string& path) {
    return listNames(root, path, "SELECT name FROM reg_value WHERE root=? AND key=? ORDER BY id");
}

std::optional<std::vector<std::string>> RegistryStore::listSubKeys(std::uint32_t root,
                                                                   const std::string& path) {
    return listNames(root, path, "SELECT name FROM reg_key WHERE root=? AND parent=? ORDER BY id");
}

} // namespace qv
