// Filling and formatting a 1,000,000 x 10 sheet from a record set: the reference Orders table
// loaded through the engine (QV_BENCH_DB, see scripts/bench), and a synthetic record set with
// the same column types; then bulk formatting of whole million-row columns. Counters report the
// time per cell and the peak resident memory the fill adds (VmHWM over the resident size before
// it, the record set not counted) per cell.
#include "bench/BenchData.h"
#include "engines/sqlite/AdoConnection.h"
#include "platform/ConnectionString.h"
#include "platform/engine/AdoConstants.h"
#include "platform/engine/IAdoRecordset.h"
#include "platform/host/HostConstants.h"
#include "spreadsheet/model/Application.h"
#include "spreadsheet/model/Range.h"
#include "spreadsheet/model/Workbook.h"
#include "spreadsheet/model/Worksheet.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace qv;
using bench::statusKb;

constexpr long Rows = 1000000;
constexpr long Fields = 10;

// A columnar record set held compactly: numbers in typed arrays, texts in one buffer per column.
class OrdersRecordset : public IAdoRecordset {
  public:
    explicit OrdersRecordset(long rows) : mRows(rows) {
        std::uint64_t seed = 42;
        auto next = [&seed] {
            seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
            return static_cast<std::uint32_t>(seed >> 33);
        };
        static const char* first[] = {"James",   "Mary",  "Robert", "Patricia",  "John",    "Jennifer",
                                      "Michael", "Linda", "David",  "Elizabeth", "William", "Barbara",
                                      "Zoë",     "José",  "Björn",  "Søren"};
        static const char* last[] = {"Smith",
                                     "Johnson",
                                     "Williams",
                                     "Brown",
                                     "Jones",
                                     "Garcia",
                                     "Miller",
                                     "Davis",
                                     "O'Connor",
                                     "Müller",
                                     "Núñez",
                                     "Van-der-Berg",
                                     "Featherstonehaugh",
                                     "Lee"};
        static const char* words[] = {"the",     "order",  "was",      "shipped",    "via",      "express",
                                      "courier", "please", "call",     "before",     "delivery", "fragile",
                                      "handle",  "with",   "care",     "\"urgent\"", "leave",    "at",
                                      "door,",   "rear",   "entrance", "signature",  "required"};
        mAmount.reserve(rows), mDate.reserve(rows), mDiscount.reserve(rows);
        mShipped.reserve(rows), mCustomer.reserve(rows), mQuantity.reserve(rows);
        for (auto* t : {&mName, &mGuid, &mMemo})
            t->offsets.reserve(rows + 1), t->offsets.push_back(0);
        for (long i = 0; i < rows; ++i) {
            std::string name = std::string(first[next() % 16]) + " ";
            if (next() % 10 < 3) name += static_cast<char>('A' + next() % 26), name += ". ";
            name += last[next() % 14];
            if (next() % 10 < 2) name += std::string("-") + last[next() % 14];
            mName.add(name.substr(0, 50));
            mAmount.push_back((1 + next() % 9999999) / 100.0);
            mDate.push_back(42005.0 + (next() % (3650 * 86400)) / 86400.0);
            mShipped.push_back(static_cast<std::uint8_t>(next() & 1));
            mCustomer.push_back(static_cast<std::int32_t>(1 + next() % 1000));
            char guid[37];
            static const char* hex = "0123456789abcdef";
            for (int k = 0; k < 36; ++k)
                guid[k] = (k == 8 || k == 13 || k == 18 || k == 23) ? '-' : hex[next() % 16];
            mGuid.add(std::string(guid, 36));
            mQuantity.push_back(static_cast<std::int32_t>(1 + next() % 500));
            std::string memo;
            std::size_t target = 45 + next() % 31;
            while (memo.size() < target)
                memo += std::string(words[next() % 23]) + " ";
            memo.resize(target);
            mMemo.add(memo);
            mDiscount.push_back((next() / 4294967296.0) * 0.35);
        }
    }
    int state() const override { return ado::StateOpen; }
    void close() override {}
    long long recordCount() const override { return mRows; }
    bool eof() const override { return mPos >= mRows; }
    bool bof() const override { return false; }
    void moveFirst() override { mPos = 0; }
    void moveNext() override { ++mPos; }
    long long absolutePosition() const override { return eof() ? 0 : mPos + 1; }
    long fieldCount() const override { return Fields; }
    std::shared_ptr<IAdoField> field(long) const override { return nullptr; }
    std::shared_ptr<IAdoField> field(const std::string&) const override { return nullptr; }
    Variant valueAt(long long row, long column) const override {
        switch (column) {
        case 0:
            return Variant::longValue(static_cast<std::int32_t>(row + 1));
        case 1:
            return Variant(mName.get(row));
        case 2:
            return Variant(mAmount[row]);
        case 3:
            return Variant(OleDate{mDate[row]});
        case 4:
            return Variant(mShipped[row] != 0);
        case 5:
            return Variant::longValue(mCustomer[row]);
        case 6:
            return Variant(mGuid.get(row));
        case 7:
            return Variant::longValue(mQuantity[row]);
        case 8:
            return Variant(mMemo.get(row));
        default:
            return Variant(mDiscount[row]);
        }
    }
    std::size_t bytes() const {
        return mAmount.capacity() * 8 * 3 + mShipped.capacity() + mCustomer.capacity() * 8 + mName.bytes() +
               mGuid.bytes() + mMemo.bytes();
    }

  private:
    struct Texts {
        std::string chars;
        std::vector<std::uint32_t> offsets;
        void add(const std::string& s) {
            chars += s;
            offsets.push_back(static_cast<std::uint32_t>(chars.size()));
        }
        std::string_view get(long long i) const {
            return std::string_view(chars).substr(offsets[i], offsets[i + 1] - offsets[i]);
        }
        std::size_t bytes() const { return chars.capacity() + offsets.capacity() * 4; }
    };
    long mRows;
    long long mPos = 0;
    std::vector<double> mAmount, mDate, mDiscount;
    std::vector<std::uint8_t> mShipped;
    std::vector<std::int32_t> mCustomer, mQuantity;
    Texts mName, mGuid, mMemo;
};

OrdersRecordset& orders() {
    static OrdersRecordset rs(Rows);
    return rs;
}

// The formatting the form applies after a load: number formats per type, text left-aligned,
// editable colours and unlocked cells, a read-only key column, the header row.
void formatOrders(sheet::Worksheet& s) {
    const long last = Rows + 1;
    auto column = [&](long c) { return s.rangeOf(2, c, last, c); };
    column(3)->setStyle("Comma");
    column(4)->setNumberFormat("d/m/yyyy h:mm:ss");
    column(10)->setStyle("Percent");
    for (long c : {2L, 7L, 9L})
        column(c)->setHorizontalAlignment(xl::AlignLeft);
    auto data = s.rangeOf(2, 1, last, Fields);
    data->setFillColor(0xF0FFF0);
    data->setFontColor(0x000000);
    data->setLocked(false);
    column(1)->setFillColor(0xE0E0E0);
    column(1)->setLocked(true);
    auto header = s.rangeOf(1, 1, 1, Fields);
    header->setFontBold(true);
    header->setFillColor(0x804000);
    header->setFontColor(0xFFFFFF);
}

// The real case: the Orders table as the engine loads it (not timed), copied and formatted.
void BM_SheetFillFromTable(benchmark::State& state) {
    const std::string path = bench::ordersPath(Rows);
    if (path.empty() || !std::filesystem::exists(path)) {
        state.SkipWithError("no benchmark database (set QV_BENCH_DB or run scripts/bench)");
        return;
    }
    qv::engine::AdoConnection connection;
    connection.setCursorLocation(3);
    connection.open("Driver={Microsoft Access Driver (*.mdb, *.accdb)};Dbq=" +
                    qv::ConnectionString::quote(path) + ";Uid=Admin;Pwd=;");
    AdoRecordsetPtr rs = connection.execute("SELECT * FROM Orders");
    connection.close();
    const double cells = static_cast<double>(rs->recordCount()) * static_cast<double>(rs->fieldCount());
    double peakBytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        rs->moveFirst();
        bench::PeakProbe peak;
        peak.start();
        state.ResumeTiming();
        auto app = sheet::Application::create();
        auto book = std::dynamic_pointer_cast<sheet::Workbook>(app->addWorkbook());
        auto ws = std::dynamic_pointer_cast<sheet::Worksheet>(book->worksheet(1));
        app->setEnableEvents(false);
        long n = ws->cells(2, 1)->copyFromRecordset(*rs);
        formatOrders(*ws);
        benchmark::DoNotOptimize(n);
        state.PauseTiming();
        peakBytes = std::max(peakBytes, peak.addedBytes());
        ws.reset(), book.reset(), app.reset(); // freeing the sheet is not part of filling it
        state.ResumeTiming();
    }
    bench::reportPerCell(state, cells, peakBytes);
}
BENCHMARK(BM_SheetFillFromTable)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_SheetFillFromRecordset(benchmark::State& state) {
    auto& source = orders();
    const long rssBefore = statusKb("VmRSS");
    bench::resetPeak();
    double seconds = 0, cpuSeconds = 0;
    for (auto _ : state) {
        OrdersRecordset& rs = source;
        rs.moveFirst();
        auto t0 = std::chrono::steady_clock::now();
        const std::clock_t c0 = std::clock();
        auto app = sheet::Application::create();
        auto book = std::dynamic_pointer_cast<sheet::Workbook>(app->addWorkbook());
        auto ws = std::dynamic_pointer_cast<sheet::Worksheet>(book->worksheet(1));
        app->setEnableEvents(false);
        long n = ws->cells(2, 1)->copyFromRecordset(rs);
        formatOrders(*ws);
        auto t1 = std::chrono::steady_clock::now();
        cpuSeconds += static_cast<double>(std::clock() - c0) / CLOCKS_PER_SEC;
        seconds += std::chrono::duration<double>(t1 - t0).count();
        benchmark::DoNotOptimize(n);
        state.counters["sheet_MiB"] = static_cast<double>(statusKb("VmRSS") - rssBefore) / 1024.0;
    }
    const double cells = static_cast<double>(Rows) * Fields;
    state.counters["ns_per_cell"] = seconds * 1e9 / (cells * static_cast<double>(state.iterations()));
    // The machine is shared: CPU time per cell is the steadier figure.
    state.counters["cpu_ns_per_cell"] = cpuSeconds * 1e9 / (cells * static_cast<double>(state.iterations()));
    state.counters["cells"] = cells;
    state.counters["peak_RSS_MiB"] = static_cast<double>(statusKb("VmHWM")) / 1024.0;
    state.counters["peak_bytes_per_cell"] =
        static_cast<double>(statusKb("VmHWM") - rssBefore) * 1024.0 / cells;
    state.counters["sheet_bytes_per_cell"] = state.counters["sheet_MiB"] * 1048576.0 / cells;
    state.counters["recordset_MiB"] = static_cast<double>(source.bytes()) / 1048576.0;
}
BENCHMARK(BM_SheetFillFromRecordset)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

struct FilledSheet {
    std::shared_ptr<sheet::Application> app;
    std::shared_ptr<sheet::Worksheet> sheet;
    FilledSheet() {
        OrdersRecordset& rs = orders();
        rs.moveFirst();
        app = sheet::Application::create();
        app->setEnableEvents(false);
        auto book = app->addWorkbook();
        sheet = std::dynamic_pointer_cast<sheet::Worksheet>(book->worksheet(1));
        sheet->cells(2, 1)->copyFromRecordset(rs);
        formatOrders(*sheet);
    }
};

FilledSheet& filled() {
    static FilledSheet f;
    return f;
}

void BM_SheetColourColumn(benchmark::State& state) {
    auto& f = filled();
    auto column = f.sheet->rangeOf(2, 3, Rows + 1, 3);
    long colour = 0;
    for (auto _ : state)
        column->setFillColor(colour++ & 0xFFFFFF);
    state.counters["ns_per_cell"] =
        benchmark::Counter(static_cast<double>(Rows) * state.iterations(),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SheetColourColumn)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SheetLockColumn(benchmark::State& state) {
    auto& f = filled();
    auto column = f.sheet->rangeOf(2, 5, Rows + 1, 5);
    bool locked = false;
    for (auto _ : state)
        column->setLocked(locked = !locked);
    state.counters["ns_per_cell"] =
        benchmark::Counter(static_cast<double>(Rows) * state.iterations(),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SheetLockColumn)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SheetValidateColumn(benchmark::State& state) {
    auto& f = filled();
    auto column = f.sheet->rangeOf(2, 8, Rows + 1, 8);
    for (auto _ : state) {
        auto v = column->validation();
        v->remove();
        v->add(xl::ValidationType::WholeNumber, xl::ValidationAlert::Stop, xl::ValidationOperator::Greater,
               "-100000000");
        v->setErrorTitle("Invalid input");
        v->setErrorMessage("Enter an integer");
    }
}
BENCHMARK(BM_SheetValidateColumn)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SheetColourWholeColumnEntire(benchmark::State& state) {
    auto& f = filled();
    auto column = f.sheet->columns(9, 9);
    long colour = 0;
    for (auto _ : state)
        column->setFillColor(colour++ & 0xFFFFFF);
}
BENCHMARK(BM_SheetColourWholeColumnEntire)->Unit(benchmark::kMillisecond)->UseRealTime();

// The matrix borders and column fitting the form applies after every load.
void BM_SheetBordersAndAutoFit(benchmark::State& state) {
    auto& f = filled();
    auto matrix = f.sheet->rangeOf(1, 1, Rows + 1, Fields);
    for (auto _ : state) {
        for (auto edge :
             {xl::BorderEdge::Left, xl::BorderEdge::Top, xl::BorderEdge::Bottom, xl::BorderEdge::Right,
              xl::BorderEdge::InsideVertical, xl::BorderEdge::InsideHorizontal})
            matrix->setBorder(edge, xl::LineStyleContinuous, xl::WeightThin, 0xC0C0C0);
        matrix->autoFitColumns();
    }
    state.counters["ns_per_cell"] =
        benchmark::Counter(static_cast<double>(Rows) * Fields * state.iterations(),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SheetBordersAndAutoFit)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
