// Opening a 1 MB database with a password against opening the same database without one. The
// encrypted file is opened in place: the cost over the plain open is the key derivation the
// encryption library does once per connection, not a pass over the file. Each case opens and
// reads one row by key.
#include "engines/sqlite/CipherLibrary.h"
#include "engines/sqlite/SqliteHandle.h"
#include "engines/sqlite/Statement.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <sqlite3.h>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using qv::engine::SqliteHandle;

struct Files {
    fs::path dir;
    std::string plain, locked;
    explicit Files(long long rows) {
        dir = fs::temp_directory_path() /
              ("qv_bench_cipher_" + std::to_string(::getpid()) + "_" + std::to_string(rows));
        fs::create_directories(dir);
        plain = (dir / "plain.db").string();
        locked = (dir / "locked.db").string();
        sqlite3* db = nullptr;
        sqlite3_open(plain.c_str(), &db);
        const std::string sql =
            "CREATE TABLE Orders (Id INTEGER PRIMARY KEY, Customer TEXT, Amount REAL, Note TEXT);"
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
            std::to_string(rows) +
            ") INSERT INTO Orders (Customer, Amount, Note) SELECT 'Customer ' || (i % 97), i * 1.25, "
            "printf('%.60c', 'x') FROM n;";
        sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
        sqlite3_close(db);
        if (qv::engine::CipherLibrary::available())
            qv::engine::CipherLibrary::exportCopy(plain, "", locked, "bench-password");
    }
    ~Files() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

// About 1 MB at 11,000 rows; the second size shows whether opening grows with the file.
const Files& files(long long rows) {
    static const Files small(11000);
    static const Files large(176000);
    return rows == 11000 ? small : large;
}

void open(benchmark::State& state, const std::string& path, const std::string& password) {
    SqliteHandle::Options options;
    options.password = password;
    for (auto _ : state) {
        auto handle = SqliteHandle::open(path, options);
        qv::engine::Statement st(handle->db(), "SELECT Amount FROM Orders WHERE Id = 1", "bench");
        st.step();
        benchmark::DoNotOptimize(st.value(0));
    }
    state.counters["file_kib"] = static_cast<double>(fs::file_size(path)) / 1024.0;
}

void BM_OpenPlain(benchmark::State& state) {
    open(state, files(state.range(0)).plain, "");
}

void BM_OpenEncrypted(benchmark::State& state) {
    if (!qv::engine::CipherLibrary::available()) {
        state.SkipWithError("the encryption library is not installed");
        return;
    }
    open(state, files(state.range(0)).locked, "bench-password");
}

} // namespace

BENCHMARK(BM_OpenPlain)->Arg(11000)->Arg(176000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenEncrypted)->Arg(11000)->Arg(176000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
