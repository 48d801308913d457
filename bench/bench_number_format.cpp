// Cost of rendering one cell under the formats the grid meets most, against fmt's plain
// fixed-point formatting as the floor, and the cost of parsing a format that is not cached.
#include "platform/OleDateTime.h"
#include "spreadsheet/formats/NumberFormatter.h"
#include "spreadsheet/formats/NumberFormatterCode.h"

#include <benchmark/benchmark.h>
#include <fmt/format.h>

#include <vector>

namespace {

using qv::Variant;
using qv::sheet::Locale;
using qv::sheet::NumberFormatter;

// A spread of magnitudes, so the rounding and grouping paths all run.
const std::vector<double>& values() {
    static const std::vector<double> v = [] {
        std::vector<double> out;
        double x = 0.000123456789;
        for (int i = 0; i < 64; ++i) {
            out.push_back(i % 3 == 0 ? -x : x);
            x *= 1.7;
        }
        return out;
    }();
    return v;
}

void formatCells(benchmark::State& state, const char* format, Locale locale) {
    const auto& v = values();
    const std::string f = format;
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(NumberFormatter::format(Variant(v[i++ % v.size()]), f, locale));
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_Floor_FmtFixed(benchmark::State& state) {
    const auto& v = values();
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(fmt::format("{:.2f}", v[i++ % v.size()]));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Floor_FmtFixed);

void BM_General(benchmark::State& s) {
    formatCells(s, "General", Locale::English);
}
void BM_Fixed2(benchmark::State& s) {
    formatCells(s, "0.00", Locale::English);
}
void BM_Thousands2Dutch(benchmark::State& s) {
    formatCells(s, "#,##0.00", Locale::Dutch);
}
void BM_Euro(benchmark::State& s) {
    formatCells(s, "€ #,##0.00_-", Locale::Dutch);
}
void BM_Percent(benchmark::State& s) {
    formatCells(s, "0.00%", Locale::English);
}
void BM_Scientific(benchmark::State& s) {
    formatCells(s, "0.00E+00", Locale::English);
}
BENCHMARK(BM_General);
BENCHMARK(BM_Fixed2);
BENCHMARK(BM_Thousands2Dutch);
BENCHMARK(BM_Euro);
BENCHMARK(BM_Percent);
BENCHMARK(BM_Scientific);

void BM_DateTime(benchmark::State& state) {
    const Variant d(qv::OleDate{qv::OleDateTime::fromParts({2011, 3, 5, 14, 7, 59})});
    for (auto _ : state)
        benchmark::DoNotOptimize(NumberFormatter::format(d, "d/m/yyyy h:mm:ss", Locale::Dutch));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DateTime);

void BM_LongDateNames(benchmark::State& state) {
    const Variant d(qv::OleDate{qv::OleDateTime::fromParts({2011, 3, 5, 0, 0, 0})});
    for (auto _ : state)
        benchmark::DoNotOptimize(NumberFormatter::format(d, "dddd d mmmm yyyy", Locale::Dutch));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LongDateNames);

// Alternating columns: the cache's last-used shortcut misses every time, the LRU hits.
void BM_AlternatingFormats(benchmark::State& state) {
    const std::string formats[] = {"#,##0.00", "0%", "dd-mm-yyyy", "€ #,##0.00_-"};
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(NumberFormatter::format(Variant(1234.5), formats[i % 4], Locale::English));
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AlternatingFormats);

// What every call would cost without the cache.
void BM_ParseOnly(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(
            qv::sheet::NumberFormatterCode::parse("_-€ * #,##0.00_-;-€ * #,##0.00_-;_-€ * \"-\"??_-;_-@_-"));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParseOnly);

} // namespace

BENCHMARK_MAIN();
