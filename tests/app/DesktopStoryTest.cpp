// The whole story in the window, with the add-in started from its package as the program starts
// it: a database opened through the ribbon's open command and its picker, a table picked from
// the Tables list and shown as a form in the grid, edits, new and deleted rows written with the
// host keys, a reload, a saved query answered at its prompt, and a colour changed in the
// settings dialog. What reached the database is read back with SQLite itself.
#include "QtTestSupport.h"
#include "tests/support/TestFiles.h"

#include "app/MainWindow.h"
#include "app/RibbonBar.h"
#include "app/SheetTableModel.h"
#include "app/SheetView.h"
#include "platform/IAddinEntry.h"
#include "spreadsheet/model/Application.h"
#include "spreadsheet/model/Worksheet.h"

#include <QAbstractButton>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>
#include <iostream>
#include <map>
#include <sqlite3.h>

using namespace qv;

namespace {
namespace fs = std::filesystem;

// One answer of SQLite, as text; "" for NULL or no row.
std::string queryOne(const std::string& file, const std::string& sql) {
    sqlite3* db = nullptr;
    std::string out;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            if (const unsigned char* t = sqlite3_column_text(st, 0)) out = reinterpret_cast<const char*>(t);
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return out;
}

QString labelsOf(QWidget& w) {
    QString all;
    for (QLabel* l : w.findChildren<QLabel*>())
        all += l->text() + "\n";
    return all;
}

class DesktopStoryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::exists(QV_ADDIN_PACKAGE))
            GTEST_SKIP() << QV_ADDIN_PACKAGE << " is absent (build addin_package)";
        test::qtApp();
        test::freshRegistry();
        app::DesktopOptions o;
        o.package = QV_ADDIN_PACKAGE;
        session = std::make_unique<app::DesktopSession>(o);
        const std::string why = session->start();
        ASSERT_EQ(why, "");
        ASSERT_NE(session->addin(), nullptr) << "the package's code did not create the add-in";
        window = std::make_unique<app::MainWindow>(*session);
        window->show();
        // The host keys are the window's shortcuts, which only the active window receives.
        QApplication::setActiveWindow(window.get());
        // The first start greets the person once the window shows; it is closed as a person would.
        auto starting = std::make_shared<bool>(true);
        dismissModals(starting);
        window->run([] {});
        *starting = false;
        QTest::qWait(1);
    }
    void TearDown() override {
        stop();
        window.reset();
        session.reset();
    }
    // Closes every modal window with Escape while `active` holds.
    void dismissModals(std::shared_ptr<bool> active) {
        auto poll = std::make_shared<std::function<void()>>();
        std::weak_ptr<std::function<void()>> self = poll;
        auto* seen = &greetings;
        QWidget* main = window.get();
        *poll = [active, self, seen, main] {
            if (!*active) return;
            if (QWidget* w = QApplication::activeModalWidget()) {
                seen->push_back({labelsOf(*w), main && main->isVisible()});
                QTest::keyClick(w, Qt::Key_Escape);
            }
            if (auto again = self.lock()) QTimer::singleShot(10, [again] { (*again)(); });
        };
        QTimer::singleShot(10, [poll] { (*poll)(); });
    }
    // A person at the window: every modal window that shows is recorded by its title and text
    // and answered: pickers and input boxes with the next of `typed`, message boxes with Yes or
    // OK, the add-in's message dialog with OK. Polls until stop() or the test's end.
    using Handler = std::function<void(QWidget&)>;
    void person(std::vector<std::string> typed, std::map<QString, Handler> handlers = {}) {
        auto queue = std::make_shared<std::vector<std::string>>(std::move(typed));
        auto poll = std::make_shared<std::function<void()>>();
        std::weak_ptr<std::function<void()>> self = poll;
        auto* seen = &prompts;
        auto stopped = mStopped = std::make_shared<bool>(false);
        *poll = [queue, self, seen, stopped, handlers] {
            if (*stopped) return;
            // The next look is due before this answer, which may open a window of its own.
            if (auto again = self.lock()) QTimer::singleShot(10, [again] { (*again)(); });
            if (QWidget* w = QApplication::activeModalWidget(); w && w->isVisible()) {
                seen->push_back(w->windowTitle() + ": " + labelsOf(*w));
                const std::string next = queue->empty() ? std::string() : queue->front();
                auto own = handlers.find(w->objectName());
                if (own != handlers.end()) {
                    own->second(*w);
                } else if (auto* colours = qobject_cast<QColorDialog*>(w)) {
                    if (!queue->empty()) queue->erase(queue->begin());
                    colours->setCurrentColor(QColor(QString::fromStdString(next)));
                    colours->accept();
                } else if (auto* picker = qobject_cast<QFileDialog*>(w)) {
                    // The picker resolves a typed name against a folder it may still be
                    // reading; it is answered once it names the file asked for.
                    const QString file = QFileInfo(QString::fromStdString(next)).absoluteFilePath();
                    picker->selectFile(file);
                    if (picker->selectedFiles().value(0) == file) {
                        if (!queue->empty()) queue->erase(queue->begin());
                        static_cast<QDialog*>(picker)->done(QDialog::Accepted);
                    }
                } else if (auto* input = qobject_cast<QInputDialog*>(w)) {
                    if (!queue->empty()) queue->erase(queue->begin());
                    input->setTextValue(QString::fromStdString(next));
                    input->accept();
                } else if (auto* box = qobject_cast<QMessageBox*>(w)) {
                    QAbstractButton* yes = box->button(QMessageBox::Yes);
                    (yes ? yes : box->button(QMessageBox::Ok))->click();
                } else if (auto* ok = w->findChild<QAbstractButton*>("cmdOK")) {
                    ok->click();
                } else {
                    QTest::keyClick(w, Qt::Key_Escape);
                }
            }
        };
        QTimer::singleShot(10, [poll] { (*poll)(); });
    }
    void stop() {
        if (mStopped) *mStopped = true;
    }
    bool prompted(const QString& containing) const {
        for (const QString& p : prompts)
            if (p.contains(containing)) return true;
        return false;
    }
    std::string promptList() const {
        std::string all;
        for (const QString& p : prompts)
            all += p.toStdString() + "\n---\n";
        return all;
    }
    QComboBox* list(const char* id) {
        window->ribbon()->refresh();
        return window->ribbon()->findChild<QComboBox*>(QString::fromLatin1(id) + ".list");
    }
    // "Open database..." in the ribbon, the file chosen in the picker that it opens.
    void openThroughRibbon(const std::string& file) {
        person({file});
        auto* open = qobject_cast<QToolButton*>(window->ribbon()->controlWidget("cmdOpenDB"));
        ASSERT_NE(open, nullptr);
        ASSERT_TRUE(open->isEnabled()) << window->ribbon()->toolTip().toStdString();
        open->click();
        QTest::qWait(1);
        stop();
    }
    // A host key pressed in the grid; the window is made active first, as the dialogs before
    // may have left another one active.
    void hostKey(Qt::Key key) {
        QApplication::setActiveWindow(window.get());
        window->grid()->setFocus();
        QTest::keyClick(window->grid(), key);
        QTest::qWait(1);
    }
    std::shared_ptr<sheet::Worksheet> activeSheet() {
        return std::dynamic_pointer_cast<sheet::Worksheet>(session->application().activeSheet());
    }

    std::vector<QString> prompts;
    // What the start showed, and whether the window was up by then.
    std::vector<std::pair<QString, bool>> greetings;
    std::shared_ptr<bool> mStopped;
    test::TempDir dir;
    std::unique_ptr<app::DesktopSession> session;
    std::unique_ptr<app::MainWindow> window;
};

std::string demoCopy(const test::TempDir& dir) {
    if (!fs::exists(QV_DEMO_DATABASE)) return {};
    const std::string copy = dir.file("demo.db");
    fs::copy_file(QV_DEMO_DATABASE, copy);
    return copy;
}
} // namespace

TEST_F(DesktopStoryTest, TheFirstStartGreetsOverTheWindow) {
    ASSERT_EQ(greetings.size(), 1u);
    EXPECT_TRUE(greetings[0].first.contains("Open a database")) << greetings[0].first.toStdString();
    EXPECT_TRUE(greetings[0].second);
}

TEST_F(DesktopStoryTest, ADatabaseNamedOnTheCommandLineOpensAsIfPicked) {
    const std::string db = demoCopy(dir);
    if (db.empty()) GTEST_SKIP() << QV_DEMO_DATABASE << " is absent (build the samples target)";
    person({});
    window->openDatabase(db);
    stop();
    EXPECT_TRUE(prompted("Select a table")) << promptList();
    QComboBox* tables = list("cboTables");
    ASSERT_NE(tables, nullptr);
    EXPECT_TRUE(tables->isEnabled());
    EXPECT_GE(tables->findText("Customers"), 0);
    // The picker was answered once; the next one shows again.
    EXPECT_EQ(session->dialogs().lastOpened(), db);
}

TEST_F(DesktopStoryTest, OpeningThroughTheRibbonEnablesTheTablesAndPickingOneShowsTheForm) {
    const std::string db = demoCopy(dir);
    if (db.empty()) GTEST_SKIP() << QV_DEMO_DATABASE << " is absent (build the samples target)";
    QComboBox* tables = list("cboTables");
    ASSERT_NE(tables, nullptr);
    EXPECT_FALSE(tables->isEnabled()) << "no database yet";
    openThroughRibbon(db);
    ASSERT_TRUE(session->addin()->DataSourceExists());
    tables = list("cboTables");
    ASSERT_NE(tables, nullptr);
    EXPECT_TRUE(tables->isEnabled());
    ASSERT_GE(tables->findText("Customers"), 0);
    ASSERT_TRUE(window->pickRibbonEntry("cboTables", "Customers"));
    QTest::qWait(1);
    auto sheet = activeSheet();
    ASSERT_TRUE(sheet);
    const QAbstractItemModel* grid = window->grid()->model();
    EXPECT_EQ(grid->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "A");
    EXPECT_EQ(grid->data(grid->index(0, 0)).toString().toStdString(), sheet->range("A1")->text());
    EXPECT_FALSE(sheet->range("A1")->text().empty());
    const std::string count = queryOne(db, "SELECT count(*) FROM Customers");
    EXPECT_FALSE(sheet->cells(std::stol(count) + 1, 1)->text().empty());
    EXPECT_TRUE(sheet->cells(std::stol(count) + 2, 1)->text().empty());
}

namespace {
// The row of the form whose first column shows `key`; 0 when none.
long formRow(sheet::Worksheet& sheet, const std::string& column1, long last = 1000) {
    for (long r = 2; r <= last; ++r)
        if (sheet.cells(r, 1)->text() == column1) return r;
    return 0;
}
} // namespace

TEST_F(DesktopStoryTest, EditAddDeleteWriteReloadQueryAndRecolourInTheWindow) {
    const std::string db = demoCopy(dir);
    if (db.empty()) GTEST_SKIP() << QV_DEMO_DATABASE << " is absent (build the samples target)";
    openThroughRibbon(db);
    ASSERT_TRUE(window->pickRibbonEntry("cboTables", "Categories"));
    QTest::qWait(1);
    auto sheet = activeSheet();
    ASSERT_TRUE(sheet);
    ASSERT_EQ(sheet->range("B1")->text(), "Category name"); // the caption the database gives
    const long beverages = formRow(*sheet, "1");
    ASSERT_GT(beverages, 0);
    app::SheetView* grid = window->grid();

    // A cell typed into, as a person types: the first key opens the editor.
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(static_cast<int>(beverages - 1), 2));
    QTest::keyClick(grid, Qt::Key_D);
    QLineEdit* editor = grid->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, "rinks of every kind");
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::qWait(10);
    EXPECT_EQ(sheet->cells(beverages, 3)->text(), "drinks of every kind");

    // F6: a new row, its name typed through the formula bar.
    person({});
    hostKey(Qt::Key_F6);
    const auto [newRow, newCol] = sheet->activeCellPosition();
    ASSERT_GT(newRow, beverages);
    grid->setCurrentIndex(grid->model()->index(static_cast<int>(newRow - 1), 1));
    window->formulaBar()->setText("Tea");
    QTest::keyClick(window->formulaBar(), Qt::Key_Return);
    EXPECT_EQ(sheet->cells(newRow, 2)->text(), "Tea");

    // F7 writes both.
    hostKey(Qt::Key_F7);
    EXPECT_EQ(queryOne(db, "SELECT Description FROM Categories WHERE CategoryID = 1"), "drinks of every kind")
        << promptList();
    const std::string teaId = queryOne(db, "SELECT CategoryID FROM Categories WHERE CategoryName = 'Tea'");
    ASSERT_FALSE(teaId.empty()) << promptList();

    // F9 reloads; F8 deletes the new row once it is confirmed.
    hostKey(Qt::Key_F9);
    sheet = activeSheet();
    const long teaRow = formRow(*sheet, teaId);
    ASSERT_GT(teaRow, 0);
    grid->setCurrentIndex(grid->model()->index(static_cast<int>(teaRow - 1), 1));
    hostKey(Qt::Key_F8);
    hostKey(Qt::Key_F7);
    EXPECT_EQ(queryOne(db, "SELECT count(*) FROM Categories WHERE CategoryName = 'Tea'"), "0")
        << promptList();
    hostKey(Qt::Key_F9);
    sheet = activeSheet();
    EXPECT_EQ(formRow(*sheet, teaId), 0);
    EXPECT_EQ(sheet->cells(formRow(*sheet, "1"), 3)->text(), "drinks of every kind");
    EXPECT_TRUE(prompted("Are you sure you want to delete this record?")) << promptList();
    stop();

    // A saved query with parameters, picked in the Queries list; its prompts answered.
    person({"10", "20"});
    ASSERT_TRUE(window->pickRibbonEntry("cboQueries", "Products in Price Range")) << promptList();
    QTest::qWait(1);
    stop();
    EXPECT_TRUE(prompted("Lowest Price")) << promptList();
    EXPECT_TRUE(prompted("Highest Price")) << promptList();
    auto result = activeSheet();
    ASSERT_TRUE(result);
    const std::string inRange =
        queryOne(db, "SELECT count(*) FROM Products WHERE UnitPrice BETWEEN 10 AND 20");
    ASSERT_NE(inRange, "0");
    const long last = std::stol(inRange) + 1;
    EXPECT_FALSE(result->cells(last, 1)->text().empty()) << result->name();
    EXPECT_TRUE(result->cells(last + 1, 1)->text().empty()) << result->name();
    for (long r = 2; r <= last; ++r) {
        const double price = result->cells(r, 2)->value().toDouble();
        EXPECT_TRUE(price >= 10 && price <= 20) << "row " << r << ": " << price;
    }

    // The settings dialog: the editable cells' fill changed through the colour picker, then OK;
    // the open form is recoloured at once.
    window->pickRibbonEntry("cboTables", "Categories");
    QTest::qWait(1);
    sheet = activeSheet();
    const long row = formRow(*sheet, "1");
    ASSERT_GT(row, 0);
    const QColor chosen(0x12, 0x9A, 0x56);
    const long ole = 0x569A12;
    ASSERT_NE(sheet->cells(row, 3)->fillColor().toInt64(), ole);
    person({chosen.name().toStdString()}, {{"frmSettings", [](QWidget& w) {
                                                auto* change =
                                                    w.findChild<QAbstractButton*>("cmdChangeColor(2)");
                                                ASSERT_NE(change, nullptr);
                                                change->click(); // the colour picker answers inside
                                                w.findChild<QAbstractButton*>("cmdOK")->click();
                                            }}});
    auto* settings = qobject_cast<QToolButton*>(window->ribbon()->controlWidget("cmdSettings"));
    ASSERT_NE(settings, nullptr);
    settings->click();
    QTest::qWait(1);
    stop();
    sheet = activeSheet();
    EXPECT_EQ(sheet->cells(row, 3)->fillColor().toInt64(), ole) << promptList();
    const QAbstractItemModel* model = window->grid()->model();
    EXPECT_EQ(
        model->data(model->index(static_cast<int>(row - 1), 2), Qt::BackgroundRole).value<QBrush>().color(),
        chosen);
}

TEST_F(DesktopStoryTest, TheSettingsDialogKeepsABadThresholdInItsBox) {
    bool stayed = false, asked = false;
    QString refusal;
    person({}, {{"frmSettings", [&](QWidget& w) {
                     QApplication::setActiveWindow(&w);
                     auto* box = w.findChild<QLineEdit*>("txtCellsWarning");
                     ASSERT_NE(box, nullptr);
                     box->setFocus();
                     box->selectAll();
                     QTest::keyClicks(box, "9999");
                     const size_t before = prompts.size();
                     QTest::mouseClick(w.findChild<QAbstractButton*>("cmdOK"), Qt::LeftButton);
                     asked = prompts.size() > before;
                     if (asked) refusal = prompts.back();
                     stayed = w.isVisible() && w.focusWidget() == box;
                     box->selectAll();
                     QTest::keyClicks(box, "20000");
                     QTest::mouseClick(w.findChild<QAbstractButton*>("cmdOK"), Qt::LeftButton);
                 }}});
    auto* settings = qobject_cast<QToolButton*>(window->ribbon()->controlWidget("cmdSettings"));
    ASSERT_NE(settings, nullptr);
    settings->click();
    QTest::qWait(1);
    stop();
    EXPECT_TRUE(asked) << promptList();
    EXPECT_TRUE(refusal.contains("10,000") || refusal.contains("10000")) << refusal.toStdString();
    EXPECT_TRUE(stayed);
    // The good value was written: the dialog shows it when opened again.
    QString shown;
    person({}, {{"frmSettings", [&](QWidget& w) {
                     shown = w.findChild<QLineEdit*>("txtCellsWarning")->text();
                     w.findChild<QAbstractButton*>("cmdCancel")->click();
                 }}});
    settings = qobject_cast<QToolButton*>(window->ribbon()->controlWidget("cmdSettings"));
    settings->click();
    QTest::qWait(1);
    stop();
    EXPECT_EQ(shown, "20000");
}

TEST_F(DesktopStoryTest, AnAccessFileBrowsesAndIsSavedAsAnSqliteCopyThatOpens) {
    const std::string mdb = "../shared/fixtures/access/nwind.mdb";
    if (!fs::exists(mdb)) GTEST_SKIP() << mdb << " is absent";
    const std::string access = dir.file("nwind.mdb");
    fs::copy_file(mdb, access);
    openThroughRibbon(access);
    ASSERT_TRUE(session->addin()->DataSourceExists()) << promptList();
    ASSERT_TRUE(window->pickRibbonEntry("cboTables", "Shippers")) << promptList();
    QTest::qWait(1);
    auto sheet = activeSheet();
    ASSERT_TRUE(sheet);
    long rows = 0;
    while (!sheet->cells(rows + 2, 1)->text().empty())
        ++rows;
    EXPECT_GT(rows, 0);

    const std::string copy = dir.file("nwind.sqlite");
    person({copy});
    window->saveCopyAsSqlite();
    QTest::qWait(1);
    stop();
    EXPECT_TRUE(prompted("Open the copy now?")) << promptList();
    EXPECT_EQ(queryOne(copy, "SELECT count(*) FROM Shippers"), std::to_string(rows));
    // The copy is what the add-in has open now, its tables offered, and it is editable.
    ASSERT_TRUE(session->addin()->DataSourceExists());
    QComboBox* tables = list("cboTables");
    ASSERT_NE(tables, nullptr);
    EXPECT_TRUE(tables->isEnabled());
    EXPECT_GE(tables->findText("Shippers"), 0);
    ASSERT_TRUE(window->pickRibbonEntry("cboTables", "Shippers")) << promptList();
    QTest::qWait(1);
    sheet = activeSheet();
    sheet->cells(2, 2)->select();
    const QModelIndex cell = window->grid()->model()->index(1, 1);
    EXPECT_TRUE(window->grid()->model()->flags(cell) & Qt::ItemIsEditable);
}

TEST_F(DesktopStoryTest, SavingACopyOverAnExistingFileIsRefusedAndKeepsIt) {
    const std::string mdb = "../shared/fixtures/access/nwind.mdb";
    if (!fs::exists(mdb)) GTEST_SKIP() << mdb << " is absent";
    const std::string taken = dir.file("taken.sqlite");
    test::writeAll(taken, "the person's own file");
    person({fs::absolute(mdb).string(), taken});
    window->saveCopyAsSqlite();
    QTest::qWait(1);
    stop();
    EXPECT_EQ(test::readAll(taken), "the person's own file");
    EXPECT_FALSE(prompted("Open the copy now?")) << promptList();
    EXPECT_TRUE(prompted("3027") || prompted("already exists")) << promptList();
}
