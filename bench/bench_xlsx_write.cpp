// Writing a 1,000,000 x 10 Orders sheet (the columns of ../shared/bench/gen_db.py) to .xlsx:
// our streaming writer at three deflate levels, and, when the library is installed,
// libxlsxwriter in constant-memory mode on the same cells in the same run. Reported as time
// per cell (counter "per_cell"). QV_BENCH_ROWS overrides the row count for quick runs.
#include "spreadsheet/io/AtomicFile.h"
#include "spreadsheet/io/XlsxWriter.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <sys/stat.h>
#include <vector>

#ifdef QV_HAVE_XLSXWRITER
#include <xlsxwriter.h>
#endif

namespace {

using namespace qv;
using namespace qv::sheet;

long rows() {
    const char* env = std::getenv("QV_BENCH_ROWS");
    return env ? std::atol(env) : 1000000;
}

// Deterministic pools of the text columns; values cycle, which the writers do not notice.
struct OrdersData {
    std::vector<std::string> names, guids, memos;
    OrdersData() {
        std::mt19937_64 rng(42);
        const char* first[] = {"James", "Mary",  "Robert",    "Patricia", "Zoë",
                               "José",  "Björn", "Ana-María", "Søren",    "Łukasz"};
        const char* last[] = {"Smith", "Johnson",      "O'Connor",          "Müller",
                              "Núñez", "Van-der-Berg", "Featherstonehaugh", "Lee"};
        const char* words[] = {"the",     "order",  "was",      "shipped",    "via",      "express",
                               "courier", "please", "call",     "before",     "delivery", "fragile",
                               "handle",  "with",   "care",     "\"urgent\"", "leave",    "at",
                               "door,",   "rear",   "entrance", "signature",  "required"};
        for (int i = 0; i < 1024; ++i) {
            std::string n = std::string(first[rng() % 10]) + " " + last[rng() % 8];
            if (rng() % 5 == 0) n += std::string("-") + last[rng() % 8];
            names.push_back(n.substr(0, 50));
            char g[40];
            std::snprintf(g, sizeof g, "%08llx-%04llx-%04llx-%04llx-%012llx",
                          (unsigned long long)(rng() & 0xffffffff), (unsigned long long)(rng() & 0xffff),
                          (unsigned long long)(rng() & 0xffff), (unsigned long long)(rng() & 0xffff),
                          (unsigned long long)(rng() & 0xffffffffffffULL));
            guids.push_back(g);
            std::size_t target = 45 + rng() % 31;
            std::string m;
            while (m.size() < target)
                m += std::string(words[rng() % 23]) + " ";
            m.resize(target);
            while (!m.empty() && m.back() == ' ')
                m.pop_back();
            memos.push_back(m);
        }
    }
    static double amount(long r) { return static_cast<double>((r * 7919) % 9999999 + 1) / 100.0; }
    static double date(long r) { return 42005.0 + static_cast<double>((r * 104729) % 315360000) / 86400.0; }
    static double discount(long r) {
        return static_cast<double>((r * 2654435761u) % 1000003) / 1000003.0 * 0.35;
    }
};

const OrdersData& data() {
    static OrdersData d;
    return d;
}

class OrdersWorkbook : public IWorkbookExport {
  public:
    explicit OrdersWorkbook(long n) : mRows(n) {
        const OrdersData& d = data();
        for (const auto* pool : {&d.names, &d.guids, &d.memos}) {
            auto& cells = mText.emplace_back();
            for (const std::string& s : *pool)
                cells.push_back(ExportCell{Variant(s), 0, ""});
        }
    }
    std::vector<CellStyle> styles() const override {
        CellStyle money, date;
        money.numberFormat = "0.00";
        date.numberFormat = "yyyy-mm-dd hh:mm:ss";
        return {CellStyle{}, money, date};
    }
    long sheetCount() const override { return 1; }
    ExportSheet sheet(long) const override {
        ExportSheet s;
        s.name = "Orders";
        s.lastRow = mRows;
        s.lastColumn = 10;
        s.active = true;
        return s;
    }
    void forEachCell(long, const std::function<void(long, long, const ExportCell&)>& visit) const override {
        ExportCell num, money{Variant(0.0), 1, ""}, when{Variant(OleDate{}), 2, ""},
            flag{Variant(false), 0, ""};
        for (long r = 1; r <= mRows; ++r) {
            std::size_t k = static_cast<std::size_t>(r) & 1023;
            num.value = Variant(static_cast<std::int64_t>(r));
            visit(r, 1, num);
            visit(r, 2, mText[0][k]);
            money.value = Variant(OrdersData::amount(r));
            visit(r, 3, money);
            when.value = Variant(OleDate{OrdersData::date(r)});
            visit(r, 4, when);
            flag.value = Variant(r % 3 == 0);
            visit(r, 5, flag);
            num.value = Variant(static_cast<std::int64_t>(r % 1000 + 1));
            visit(r, 6, num);
            visit(r, 7, mText[1][(k * 7) & 1023]);
            num.value = Variant(static_cast<std::int64_t>(r % 500 + 1));
            visit(r, 8, num);
            visit(r, 9, mText[2][(k * 13) & 1023]);
            num.value = Variant(OrdersData::discount(r));
            visit(r, 10, num);
        }
    }
    std::vector<ExportName> names() const override { return {}; }
    bool structureProtected() const override { return false; }
    std::string structurePasswordHash() const override { return {}; }
    std::string title() const override { return "Orders"; }
    std::vector<std::pair<std::string, std::string>> documentProperties() const override { return {}; }

  private:
    long mRows;
    std::vector<std::vector<ExportCell>> mText;
};

std::string outPath(const char* name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

void report(benchmark::State& state, const std::string& path, long n) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    state.counters["per_cell"] =
        benchmark::Counter(static_cast<double>(n) * 10,
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["MiB"] = static_cast<double>(st.st_size) / (1024.0 * 1024.0);
    state.counters["cells"] = static_cast<double>(n) * 10;
    std::remove(path.c_str());
}

void BM_QuorvelXlsx(benchmark::State& state) {
    long n = rows();
    OrdersWorkbook book(n);
    std::string path = outPath("bench_quorvel.xlsx");
    XlsxWriter writer(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        AtomicFile file(path);
        writer.write(book, file);
        file.commit();
    }
    report(state, path, n);
}
BENCHMARK(BM_QuorvelXlsx)
    ->Arg(1)
    ->Arg(3)
    ->Arg(6)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

#ifdef QV_HAVE_XLSXWRITER
void BM_LibxlsxwriterConstantMemory(benchmark::State& state) {
    long n = rows();
    const OrdersData& d = data();
    std::string path = outPath("bench_libxlsxwriter.xlsx");
    for (auto _ : state) {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        options.tmpdir = nullptr;
        lxw_workbook* wb = workbook_new_opt(path.c_str(), &options);
        lxw_worksheet* ws = workbook_add_worksheet(wb, "Orders");
        lxw_format* money = workbook_add_format(wb);
        format_set_num_format(money, "0.00");
        lxw_format* date = workbook_add_format(wb);
        format_set_num_format(date, "yyyy-mm-dd hh:mm:ss");
        for (long r = 1; r <= n; ++r) {
            auto row = static_cast<lxw_row_t>(r - 1);
            std::size_t k = static_cast<std::size_t>(r) & 1023;
            worksheet_write_number(ws, row, 0, static_cast<double>(r), nullptr);
            worksheet_write_string(ws, row, 1, d.names[k].c_str(), nullptr);
            worksheet_write_number(ws, row, 2, OrdersData::amount(r), money);
            worksheet_write_number(ws, row, 3, OrdersData::date(r), date);
            worksheet_write_boolean(ws, row, 4, r % 3 == 0, nullptr);
            worksheet_write_number(ws, row, 5, static_cast<double>(r % 1000 + 1), nullptr);
            worksheet_write_string(ws, row, 6, d.guids[(k * 7) & 1023].c_str(), nullptr);
            worksheet_write_number(ws, row, 7, static_cast<double>(r % 500 + 1), nullptr);
            worksheet_write_string(ws, row, 8, d.memos[(k * 13) & 1023].c_str(), nullptr);
            worksheet_write_number(ws, row, 9, OrdersData::discount(r), nullptr);
        }
        if (workbook_close(wb) != LXW_NO_ERROR) state.SkipWithError("libxlsxwriter failed");
    }
    report(state, path, n);
}
BENCHMARK(BM_LibxlsxwriterConstantMemory)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
#endif

} // namespace

BENCHMARK_MAIN();
