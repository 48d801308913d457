// Every database fixture, truncated and bit-flipped in a few hundred seeded ways, opened through
// the engine with every table read: each variant must end in a numbered error or in the rows of
// the undamaged file, never a crash, a hang or silently different rows.
//
// Each variant runs in a child process with an alarm, so a crash or a hang is one failed
// variant with its seed and damage named, not the end of the test program. A flipped bit inside
// a stored value leaves a file that is internally consistent (SQLite keeps no checksums), so no
// reader can tell; such a variant is accepted only when SQLite's own integrity check finds the
// file sound and the engine shows what the file holds (the row counts SQLite itself reads).
// Damage SQLite can detect must reach the person as an error.
#include "tests/engines/sqlite/EngineTestSupport.h"

#include "platform/engine/AdoConstants.h"
#include "platform/engine/DaoConstants.h"

#include <fmt/format.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <random>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace qv;
using namespace qv::enginetest;

namespace {

const std::filesystem::path AccessFixtureDir = "../shared/fixtures/access";

// What a child found, as one line through a pipe.
struct Outcome {
    enum class Kind { Rows, Error, Crashed, Hung, Foreign, Lost };
    Kind kind = Kind::Lost;
    std::int32_t error = 0;
    std::uint64_t digest = 0;       // the engine's rows, all tables
    std::string counts;             // the engine's row count per table, in table order
    bool sqliteSound = false;       // SQLite's integrity check and a full read both passed
    std::uint64_t sqliteDigest = 0; // the rows as SQLite itself reads them
    std::string sqliteCounts;
    std::string detail;
};

class Digest {
  public:
    void add(std::string_view text) {
        for (unsigned char c : text) {
            mValue ^= c;
            mValue *= 0x100000001b3ull;
        }
        mValue ^= 0xff; // separator, so ("ab","c") and ("a","bc") differ
        mValue *= 0x100000001b3ull;
    }
    std::uint64_t value() const { return mValue; }

  private:
    std::uint64_t mValue = 0xcbf29ce484222325ull;
};

// Reads the file the way the product does: the catalogue (tables, fields, indexes, properties)
// and then every row of every user table through a connection.
void readThroughEngine(const std::string& path, Outcome& out) {
    auto db = openDao(path, true);
    std::vector<std::string> tables;
    Digest digest;
    for (const auto& t : db->tableDefs()) {
        if ((t->attributes() & dao::SystemObject) != 0) continue;
        tables.push_back(t->name());
        digest.add(t->name());
        for (const auto& f : t->fields()) {
            digest.add(f->name());
            digest.add(std::to_string(f->type()));
        }
        for (const auto& ix : t->indexes())
            digest.add(ix->name());
    }
    for (const auto& q : db->queryDefs())
        digest.add(q->sql());
    auto c = openConnection(path);
    for (const auto& table : tables) {
        auto rs = c->execute("SELECT * FROM [" + table + "]");
        const long long rows = rs->recordCount();
        out.counts += fmt::format("{}:{} ", table, rows);
        for (long long row = 0; row < rows; ++row) {
            for (long col = 0; col < rs->fieldCount(); ++col) {
                const Variant v = rs->valueAt(row, col);
                digest.add(std::to_string(static_cast<int>(v.type())));
                digest.add(v.isNull() ? std::string("\x01null") : v.toString());
            }
        }
    }
    out.digest = digest.value();
    out.kind = Outcome::Kind::Rows;
}

// The same file through the SQLite library alone: is it sound, and what does it hold.
void readThroughSqlite(const std::string& path, Outcome& out) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return;
    }
    auto rowsOf = [&](const std::string& sql, const std::function<void(sqlite3_stmt*)>& row) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) return false;
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW)
            row(st);
        sqlite3_finalize(st);
        return rc == SQLITE_DONE;
    };
    std::string check;
    std::vector<std::string> tables;
    bool sound = rowsOf("PRAGMA integrity_check", [&](sqlite3_stmt* st) {
        check += reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    });
    // SQLite's own tables (sqlite_sequence) are no user tables, as the engine lists them.
    sound =
        sound && check == "ok" &&
        rowsOf(
            "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' "
            "ORDER BY name",
            [&](sqlite3_stmt* st) {
                tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
            });
    Digest digest;
    sound = sound && rowsOf("SELECT type, name, tbl_name, sql FROM sqlite_master ORDER BY rowid",
                            [&](sqlite3_stmt* st) {
                                for (int col = 0; col < 4; ++col) {
                                    const auto* text = sqlite3_column_text(st, col);
                                    digest.add(text ? reinterpret_cast<const char*>(text) : "\x01null");
                                }
                            });
    for (const auto& table : tables) {
        if (!sound) break;
        long long rows = 0;
        std::string quoted = "\"";
        for (char ch : table)
            quoted += ch == '"' ? std::string("\"\"") : std::string(1, ch);
        quoted += '"';
        sound = rowsOf("SELECT * FROM " + quoted, [&](sqlite3_stmt* st) {
            ++rows;
            for (int col = 0; col < sqlite3_column_count(st); ++col) {
                const auto* bytes = static_cast<const char*>(sqlite3_column_blob(st, col));
                digest.add(std::to_string(sqlite3_column_type(st, col)));
                digest.add(std::string_view(bytes ? bytes : "",
                                            static_cast<std::size_t>(sqlite3_column_bytes(st, col))));
            }
        });
        out.sqliteCounts += fmt::format("{}:{} ", table, rows);
    }
    sqlite3_close(db);
    out.sqliteSound = sound;
    out.sqliteDigest = digest.value();
}

std::string encode(const Outcome& o) {
    return fmt::format("{} {} {} {} {}\n{}\n{}\n{}\n", static_cast<int>(o.kind), o.error, o.digest,
                       o.sqliteSound ? 1 : 0, o.sqliteDigest, o.counts, o.sqliteCounts, o.detail);
}

Outcome decode(const std::string& text) {
    Outcome o;
    std::istringstream in(text);
    int kind = static_cast<int>(Outcome::Kind::Lost), sound = 0;
    if (!(in >> kind >> o.error >> o.digest >> sound >> o.sqliteDigest)) return Outcome{};
    in.ignore(1);
    std::getline(in, o.counts);
    std::getline(in, o.sqliteCounts);
    std::getline(in, o.detail);
    o.kind = static_cast<Outcome::Kind>(kind);
    o.sqliteSound = sound != 0;
    return o;
}

// Opens and reads `path` in a child process that the alarm ends after `seconds`.
// SQLite's own reading is only needed to judge rows that differ from `expected`, so it is skipped
// otherwise: it costs as much as the engine's.
Outcome readInChild(const std::string& path, unsigned seconds, std::uint64_t expected = 0) {
    int fds[2];
    if (::pipe(fds) != 0) {
        Outcome o;
        o.detail = "no pipe";
        return o;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        ::alarm(seconds);
        Outcome o;
        try {
            readThroughEngine(path, o);
            if (o.digest != expected) readThroughSqlite(path, o);
        } catch (const NumberedError& e) {
            o.kind = Outcome::Kind::Error;
            o.error = e.number();
            o.detail = e.description().substr(0, 200);
        } catch (const std::exception& e) {
            o.kind = Outcome::Kind::Foreign;
            o.detail = e.what();
        }
        for (char& ch : o.detail)
            if (ch == '\n') ch = ' ';
        const std::string line = encode(o);
        ssize_t written = ::write(fds[1], line.data(), line.size());
        std::_Exit(written == static_cast<ssize_t>(line.size()) ? 0 : 1);
    }
    ::close(fds[1]);
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n > 0) {
            text.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    Outcome o = decode(text);
    if (WIFSIGNALED(status)) {
        o.kind = WTERMSIG(status) == SIGALRM ? Outcome::Kind::Hung : Outcome::Kind::Crashed;
        o.detail = fmt::format("signal {}", WTERMSIG(status));
    } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        o.kind = Outcome::Kind::Crashed;
        o.detail = fmt::format("exit status {}", WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    }
    return o;
}

struct Damage {
    std::string bytes;
    std::string what;
    bool truncated = false; // lost bytes are never an acceptable reading, however sound the rest looks
};

// Truncations at random lengths, at page boundaries and within the header; flips of one to four
// bits anywhere, a quarter of them within the first page where the header and schema live.
std::vector<Damage> damagedVariants(const std::string& original, unsigned seed, int count) {
    std::mt19937_64 random(seed);
    std::vector<Damage> out;
    const std::size_t size = original.size();
    const int truncations = count / 3;
    for (int i = 0; i < truncations; ++i) {
        std::size_t length = 0;
        switch (i % 4) {
        case 0:
            length = random() % 128;
            break;
        case 1:
            length = (random() % (size / 1024 + 1)) * 1024;
            break;
        case 2:
            length = (random() % (size / 4096 + 1)) * 4096;
            break;
        default:
            length = random() % size;
            break;
        }
        length = std::min(length, size - 1);
        out.push_back({original.substr(0, length), fmt::format("truncated to {} bytes", length), true});
    }
    for (int i = truncations; i < count; ++i) {
        std::string bytes = original;
        std::string what = "bits flipped at";
        const int flips = 1 + static_cast<int>(random() % 4);
        for (int f = 0; f < flips; ++f) {
            const std::size_t limit = (i % 4 == 0) ? std::min<std::size_t>(size, 4096) : size;
            const std::size_t at = random() % limit;
            const int bit = static_cast<int>(random() % 8);
            bytes[at] = static_cast<char>(bytes[at] ^ (1 << bit));
            what += fmt::format(" {}.{}", at, bit);
        }
        out.push_back({std::move(bytes), std::move(what)});
    }
    return out;
}

std::vector<std::filesystem::path> fixtures() {
    std::vector<std::filesystem::path> out;
    for (const auto& dir : {FixtureDir, AccessFixtureDir}) {
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
            const auto ext = entry.path().extension().string();
            if (ext == ".sqlite" || ext == ".db" || ext == ".mdb" || ext == ".accdb")
                out.push_back(entry.path());
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

int variantCount() {
    const char* text = std::getenv("QV_DAMAGED_VARIANTS");
    const int n = text ? std::atoi(text) : 0;
    return n > 0 ? n : 200;
}

std::string describe(const Outcome& o) {
    switch (o.kind) {
    case Outcome::Kind::Rows:
        return fmt::format("rows {}", o.counts);
    case Outcome::Kind::Error:
        return fmt::format("error {} {}", o.error, o.detail);
    case Outcome::Kind::Crashed:
        return "crashed: " + o.detail;
    case Outcome::Kind::Hung:
        return "hung";
    case Outcome::Kind::Foreign:
        return "a foreign exception escaped: " + o.detail;
    case Outcome::Kind::Lost:
        break;
    }
    return "no outcome: " + o.detail;
}

class DamagedFileTest : public ::testing::TestWithParam<std::filesystem::path> {};

} // namespace

TEST_P(DamagedFileTest, EveryVariantEndsInAnErrorOrTheOriginalRows) {
    const auto fixture = GetParam();
    TempDir dir;
    const std::string original = readAll(fixture.string());
    ASSERT_GT(original.size(), 1024u) << fixture;
    const std::string whole = dir.file("whole" + fixture.extension().string());
    writeAll(whole, original);
    const Outcome baseline = readInChild(whole, 120);
    ASSERT_TRUE(baseline.kind == Outcome::Kind::Rows || baseline.kind == Outcome::Kind::Error)
        << fixture << ": the undamaged file " << describe(baseline);
    if (baseline.kind == Outcome::Kind::Error) {
        // An engine that cannot read this kind of file yet must still refuse each variant cleanly.
        std::cout << fixture.filename() << ": the undamaged file is refused (" << describe(baseline) << ")\n";
    }

    const unsigned seed =
        static_cast<unsigned>(std::hash<std::string>{}(fixture.filename().string()) & 0xffff);
    const auto started = std::chrono::steady_clock::now();
    int errors = 0, same = 0, faithful = 0, bad = 0;
    // While the engine refuses the undamaged file, every variant takes that same refusal path, so
    // a few of them show it holds; the full count applies once the engine reads the format.
    const int count = baseline.kind == Outcome::Kind::Rows ? variantCount() : std::min(variantCount(), 24);
    const auto variants = damagedVariants(original, seed, count);
    for (std::size_t i = 0; i < variants.size(); ++i) {
        const std::string path = dir.file(fmt::format("v{}{}", i, fixture.extension().string()));
        writeAll(path, variants[i].bytes);
        const Outcome o = readInChild(path, 60, baseline.digest);
        std::filesystem::remove(path);
        std::filesystem::remove(path + "-journal");
        std::filesystem::remove(path + "-wal");
        std::filesystem::remove(path + "-shm");
        const std::string where = fmt::format("{} variant {} (seed {}, {})", fixture.filename().string(), i,
                                              seed, variants[i].what);
        if (o.kind == Outcome::Kind::Error && o.error != 0) {
            ++errors;
        } else if (o.kind == Outcome::Kind::Rows && baseline.kind == Outcome::Kind::Rows &&
                   o.digest == baseline.digest) {
            ++same;
        } else if (o.kind == Outcome::Kind::Rows && !variants[i].truncated && o.sqliteSound &&
                   o.sqliteDigest != baseline.sqliteDigest && o.counts == o.sqliteCounts) {
            ++faithful; // a changed value the file format cannot detect, shown as stored
        } else {
            ++bad;
            ADD_FAILURE() << where << ": " << describe(o)
                          << (o.kind == Outcome::Kind::Rows
                                  ? fmt::format(" instead of {}; SQLite {} reads {}", baseline.counts,
                                                o.sqliteSound ? "finds it sound and" : "finds it damaged",
                                                o.sqliteCounts)
                                  : std::string());
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::cout << fmt::format(
        "{}: {} variants in {:.1f} s: {} errors, {} original rows, {} changed values as stored, "
        "{} wrong\n",
        fixture.filename().string(), variants.size(), seconds, errors, same, faithful, bad);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, DamagedFileTest, ::testing::ValuesIn(fixtures()),
                         [](const ::testing::TestParamInfo<std::filesystem::path>& param) {
                             std::string name;
                             for (char ch : param.param.filename().string())
                                 if (std::isalnum(static_cast<unsigned char>(ch))) name += ch;
                             return name;
                         });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(DamagedFileTest);

TEST(DamagedFileFixturesTest, ArePresent) {
    if (fixtures().empty())
        GTEST_SKIP() << "no fixtures under " << FixtureDir << " or " << AccessFixtureDir
                     << "; run from the repository root with ../shared present";
}
