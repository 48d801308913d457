// The desktop application's two speed targets: painting the visible grid of a 1,000,000-row
// sheet while scrolling (one frame: scroll a page, paint the viewport into an image, offscreen)
// and starting the program to a usable window. The reference in the same run is a bare
// QTableView over a model that answers one constant text: what Qt itself costs per frame.
#include "app/DesktopSession.h"
#include "app/SheetView.h"
#include "spreadsheet/model/Application.h"
#include "spreadsheet/model/Worksheet.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QTableView>

#include <benchmark/benchmark.h>

#include <QHeaderView>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {
constexpr long Rows = 1000000;
constexpr int Columns = 8;

QApplication& qtApp() {
    static int argc = 1;
    static char name[] = "bench_desktop";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        return new QApplication(argc, argv);
    }();
    return *app;
}

// Frame times of one run, reported as median and 99th percentile (milliseconds).
void report(benchmark::State& state, std::vector<double>& ms) {
    if (ms.empty()) return;
    std::sort(ms.begin(), ms.end());
    state.counters["median_ms"] = ms[ms.size() / 2];
    state.counters["p99_ms"] = ms[std::min(ms.size() - 1, ms.size() * 99 / 100)];
    state.counters["frames"] = static_cast<double>(ms.size());
}

// Scrolls a page at a time through the sheet, jumping now and then as a dragged scroll bar
// does, and paints the viewport each time.
void scrollAndPaint(benchmark::State& state, QAbstractItemView& view) {
    QImage image(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    QScrollBar* bar = view.verticalScrollBar();
    std::vector<double> ms;
    int frame = 0;
    for (auto _ : state) {
        const int page = std::max(1, bar->pageStep());
        int next = bar->value() + page;
        if (++frame % 10 == 0)
            next = static_cast<int>((static_cast<long long>(frame) * 7919) % bar->maximum());
        if (next > bar->maximum()) next = 0;
        const auto start = std::chrono::steady_clock::now();
        bar->setValue(next);
        view.viewport()->render(&image);
        const auto end = std::chrono::steady_clock::now();
        const double elapsed = std::chrono::duration<double>(end - start).count();
        state.SetIterationTime(elapsed);
        ms.push_back(elapsed * 1000.0);
    }
    report(state, ms);
}

void BM_GridPaintMillionRows(benchmark::State& state) {
    qtApp();
    const auto registry =
        std::filesystem::temp_directory_path() / ("qv-bench-desktop-" + std::to_string(getpid()));
    setenv("QUORVEL_REGISTRY", registry.c_str(), 1);
    qv::app::DesktopOptions options;
    options.withAddin = false;
    qv::app::DesktopSession session(options);
    session.start();
    auto sheet = std::dynamic_pointer_cast<qv::sheet::Worksheet>(session.application().activeSheet());
    // A form as the add-in lays it out: a bold coloured header, typed columns with formats,
    // the top row frozen.
    for (int c = 1; c <= Columns; ++c)
        sheet->cells(1, c)->setValue(qv::Variant("Field " + std::to_string(c)));
    auto& cells = sheet->data();
    for (long r = 2; r <= Rows; ++r) {
        cells.setValue(r, 1, qv::Variant(static_cast<double>(r)));
        cells.setValue(r, 2, qv::Variant("Customer " + std::to_string(r % 5000)));
        cells.setValue(r, 3, qv::Variant(r * 1.25));
        cells.setValue(r, 4, qv::Variant(std::string(r % 3 ? "North" : "South")));
    }
    sheet->rangeOf(2, 3, Rows, 3)->setNumberFormat("#,##0.00");
    sheet->rangeOf(1, 1, 1, Columns)->setFontBold(true);
    sheet->rangeOf(1, 1, 1, Columns)->setFillColor(0xC0C0C0);
    sheet->rangeOf(2, 1, Rows, 1)->setFillColor(0xE0E0E0);
    sheet->freezePanes(2, 1);
    qv::app::SheetView view;
    view.resize(1280, 800);
    view.setSheet(sheet);
    view.show();
    QApplication::processEvents();
    scrollAndPaint(state, view);
    std::filesystem::remove(registry);
}
BENCHMARK(BM_GridPaintMillionRows)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(400);

// The floor: Qt's own table view over a model that computes nothing.
class ConstantModel : public QAbstractTableModel {
  public:
    int rowCount(const QModelIndex& = {}) const override { return Rows; }
    int columnCount(const QModelIndex& = {}) const override { return 26; }
    QVariant data(const QModelIndex& index, int role) const override {
        return role == Qt::DisplayRole ? QVariant(QStringLiteral("1,234.50")) : QVariant();
    }
};

void BM_GridPaintQtFloor(benchmark::State& state) {
    qtApp();
    ConstantModel model;
    QTableView view;
    view.setModel(&model);
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.verticalHeader()->setDefaultSectionSize(20);
    view.resize(1280, 800);
    view.show();
    QApplication::processEvents();
    scrollAndPaint(state, view);
}
BENCHMARK(BM_GridPaintQtFloor)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(400);

// From starting the program to its window shown and the event loop running, add-in and ribbon
// included: the program leaves as soon as its first event-loop turn comes.
void BM_StartToUsableWindow(benchmark::State& state) {
    const std::string binary = QV_QUORVEL_BINARY;
    const auto registry =
        std::filesystem::temp_directory_path() / ("qv-bench-start-" + std::to_string(getpid()));
    setenv("QUORVEL_REGISTRY", registry.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::vector<double> ms;
    for (auto _ : state) {
        char* argv[] = {const_cast<char*>(binary.c_str()), const_cast<char*>("--quit-after-start"), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        const auto start = std::chrono::steady_clock::now();
        pid_t pid = 0;
        if (posix_spawn(&pid, binary.c_str(), &actions, nullptr, argv, environ) != 0) {
            state.SkipWithError("cannot start quorvel");
            break;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        posix_spawn_file_actions_destroy(&actions);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("quorvel did not reach a usable window");
            break;
        }
        state.SetIterationTime(elapsed);
        ms.push_back(elapsed * 1000.0);
    }
    report(state, ms);
    std::filesystem::remove(registry);
}
BENCHMARK(BM_StartToUsableWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
} // namespace

BENCHMARK_MAIN();
