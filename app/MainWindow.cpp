#include "app/MainWindow.h"

#include "app/AddinsDialog.h"
#include "app/CommandBarMenus.h"
#include "app/DesktopSession.h"
#include "app/QtProgress.h"
#include "app/RibbonBar.h"
#include "app/SheetTableModel.h"
#include "app/SheetView.h"
#include "app/SqliteCopy.h"
#include "platform/IAddinEntry.h"
#include "platform/host/HostConstants.h"
#include "spreadsheet/commandbars/RibbonRuntime.h"
#include "spreadsheet/model/AddIns.h"
#include "spreadsheet/model/Application.h"
#include "spreadsheet/model/CellAddress.h"
#include "spreadsheet/model/Workbook.h"
#include "spreadsheet/model/Worksheet.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QShortcut>
#include <QStatusBar>
#include <QTabBar>
#include <QVBoxLayout>

#include <cctype>
#include <filesystem>
#include <fmt/format.h>

namespace qv::app {

namespace {
QString q(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
std::string u(const QString& s) {
    return s.toUtf8().toStdString();
}

const std::vector<FileFilter>& workbookFilters() {
    static const std::vector<FileFilter> filters = {
        {"Workbooks", "*.xlsx;*.xlsm;*.xlam"}, {"XML Spreadsheet", "*.xml"},
        {"Text (tab-delimited)", "*.txt"},     {"CSV (comma-delimited)", "*.csv"},
        {"Web page", "*.htm;*.html"},          {"All files", "*"}};
    return filters;
}
} // namespace

MainWindow::MainWindow(DesktopSession& session, QWidget* parent) : QMainWindow(parent), mSession(session) {
    setObjectName(QStringLiteral("mainWindow"));
    session.dialogs().setParent(this);
    session.toolkit().setParent(this);
    resize(1100, 720);
    buildFileMenu();

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    mColumn = column;
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto runner = [this](const std::function<void()>& f) { run(f); };
    syncRibbon();
    if (!session.application().ribbonAvailable() || !session.ribbon())
        mClassic = std::make_unique<CommandBarMenus>(*this, session.application(), runner);
    buildFormulaBar();
    column->addWidget(mFormula->parentWidget());
    mGrid = new SheetView(central);
    mGrid->setObjectName(QStringLiteral("grid"));
    mGrid->setErrorHandler([this](const NumberedError& e) { report(e); });
    mGrid->setChangedHandler([this] {
        if (!mSyncing) run([] {});
    });
    column->addWidget(mGrid, 1);
    mTabs = new QTabBar(central);
    mTabs->setObjectName(QStringLiteral("sheetTabs"));
    mTabs->setShape(QTabBar::RoundedSouth);
    mTabs->setExpanding(false);
    connect(mTabs, &QTabBar::tabBarClicked, this, [this](int index) {
        if (index < 0) return;
        const std::string name = u(mTabs->tabText(index));
        run([this, name] {
            if (auto book = mSession.application().activeWorkbook()) book->worksheet(name)->activate();
        });
    });
    column->addWidget(mTabs);
    setCentralWidget(central);

    mStatus = new QLabel(this);
    mStatus->setObjectName(QStringLiteral("statusText"));
    statusBar()->addWidget(mStatus, 1);
    session.progress().attach(statusBar(), central);

    for (int f = 6; f <= 9; ++f) {
        const QString key = QStringLiteral("F%1").arg(f);
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, key] { pressHostKey(key); });
    }
    qApp->installEventFilter(this);
    sync();
    mGrid->setFocus();
}

MainWindow::~MainWindow() {
    qApp->removeEventFilter(this);
    mSession.dialogs().setParent(nullptr);
    mSession.toolkit().setParent(nullptr);
}

void MainWindow::buildFileMenu() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("fileMenu"));
    file->addAction(QStringLiteral("&New"), QKeySequence(QStringLiteral("Ctrl+N")), this,
                    [this] { newWorkbook(); })
        ->setObjectName(QStringLiteral("fileNew"));
    file->addAction(QStringLiteral("&Open..."), QKeySequence(QStringLiteral("Ctrl+O")), this,
                    [this] { openWorkbook(); })
        ->setObjectName(QStringLiteral("fileOpen"));
    file->addAction(QStringLiteral("&Close"), QKeySequence(QStringLiteral("Ctrl+W")), this,
                    [this] { closeWorkbook(); })
        ->setObjectName(QStringLiteral("fileClose"));
    file->addAction(QStringLiteral("Save &As..."), QKeySequence(QStringLiteral("Ctrl+Shift+S")), this,
                    [this] { saveWorkbookAs(); })
        ->setObjectName(QStringLiteral("fileSaveAs"));
    file->addAction(QStringLiteral("Save a Copy as S&QLite..."), this, [this] { saveCopyAsSqlite(); })
        ->setObjectName(QStringLiteral("fileSaveCopyAsSqlite"));
    file->addSeparator();
    file->addAction(QStringLiteral("Add-&Ins..."), this, [this] { showAddins(); })
        ->setObjectName(QStringLiteral("fileAddins"));
    file->addSeparator();
    file->addAction(QStringLiteral("E&xit"), QKeySequence(QStringLiteral("Ctrl+Q")), this,
                    [this] { close(); });
}

void MainWindow::buildFormulaBar() {
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(2, 2, 2, 2);
    mNameBox = new QLabel(bar);
    mNameBox->setObjectName(QStringLiteral("nameBox"));
    mNameBox->setMinimumWidth(70);
    mNameBox->setFrameShape(QFrame::StyledPanel);
    row->addWidget(mNameBox);
    row->addWidget(new QLabel(QStringLiteral("fx"), bar));
    mFormula = new QLineEdit(bar);
    mFormula->setObjectName(QStringLiteral("formulaBar"));
    connect(mFormula, &QLineEdit::returnPressed, this, [this] { commitFormula(); });
    row->addWidget(mFormula, 1);
}

void MainWindow::commitFormula() {
    auto sheet = mShown.lock();
    if (!sheet) return;
    const QModelIndex current = mGrid->currentIndex();
    if (!current.isValid()) return;
    mGrid->sheetModel()->setData(current, mFormula->text(), Qt::EditRole);
    run([] {});
    mGrid->setFocus();
}

void MainWindow::report(const NumberedError& e) {
    // The host's own message for a failed command: the text and, for foreign failures, the number.
    const std::string text = e.number() == 1004 || e.number() == 665 || e.number() == 666 || e.number() == 667
                                 ? e.description()
                                 : fmt::format("Run-time error '{}':\r\r{}", e.number(), e.description());
    mSession.dialogs().messageBox(text, xl::MsgOk | xl::MsgExclamation, mSession.application().name());
}

void MainWindow::run(const std::function<void()>& command) {
    // While long work lets the event loop run, the window takes no second command: the add-in
    // runs one command at a time.
    if (mSession.progress().visible()) return;
    ++mDepth;
    mSession.progress().begin();
    try {
        command();
        mSession.application().runPendingTimers();
    } catch (const NumberedError& e) {
        // A task the person cancelled ends quietly: they know, they asked for it.
        if (e.number() != ProgressCancelled) report(e);
    } catch (const std::exception& e) {
        report(NumberedError(670, mSession.application().name(), e.what()));
    }
    mSession.progress().end();
    --mDepth;
    // A command that shows a modal dialog runs the event loop inside itself; the outermost
    // command brings the window up to date once.
    if (mDepth == 0) sync();
}

void MainWindow::pressHostKey(const QString& key) {
    run([this, key] { mSession.application().pressKey(u(QStringLiteral("{%1}").arg(key))); });
}

bool MainWindow::pickRibbonEntry(const QString& controlId, const QString& label) {
    if (!mRibbon) return false;
    auto* combo = mRibbon->findChild<QComboBox*>(controlId + QStringLiteral(".list"));
    if (!combo) return false;
    const int index = combo->findText(label);
    if (index < 0) return false;
    combo->setCurrentIndex(index);
    emit combo->activated(index);
    return true;
}

void MainWindow::sync() {
    if (mSyncing) return;
    mSyncing = true;
    sheet::Application& app = mSession.application();
    auto sheet = std::dynamic_pointer_cast<sheet::Worksheet>(app.activeSheet());
    if (sheet != mShown.lock()) {
        mShown = sheet;
        mGrid->setSheet(sheet);
    } else {
        mGrid->refresh();
    }
    syncTabs();
    syncFormulaBar();
    const std::string status = app.statusBar();
    mStatus->setText(status.empty() ? QStringLiteral("Ready") : q(status));
    syncRibbon();
    if (mRibbon) mRibbon->refresh();
    if (mClassic) mClassic->rebuild();
    auto book = app.activeWorkbook();
    setWindowTitle(book ? QStringLiteral("%1 - %2").arg(q(book->name()), q(app.name())) : q(app.name()));
    mSyncing = false;
}

void MainWindow::syncTabs() {
    QSignalBlocker block(mTabs);
    auto book = std::dynamic_pointer_cast<sheet::Workbook>(mSession.application().activeWorkbook());
    QStringList names;
    int active = -1;
    if (book)
        for (const auto& s : book->sheets()) {
            if (s->visible() != xl::SheetVisible) continue;
            if (s->isActive()) active = static_cast<int>(names.size());
            names << q(s->name());
        }
    QStringList shown;
    for (int i = 0; i < mTabs->count(); ++i)
        shown << mTabs->tabText(i);
    if (shown != names) {
        while (mTabs->count())
            mTabs->removeTab(0);
        for (const QString& n : names)
            mTabs->addTab(n);
    }
    if (active >= 0) mTabs->setCurrentIndex(active);
}

void MainWindow::syncFormulaBar() {
    auto sheet = mShown.lock();
    if (!sheet) {
        mNameBox->clear();
        mFormula->clear();
        mFormula->setEnabled(false);
        return;
    }
    const auto [row, col] = sheet->activeCellPosition();
    mNameBox->setText(q(sheet::CellAddress::formatA1(sheet::Rect{row, col, row, col}, false, false)));
    mFormula->setText(mGrid->sheetModel()->entryText(row, col));
    const QModelIndex index =
        mGrid->sheetModel()->index(static_cast<int>(row - 1), static_cast<int>(col - 1));
    mFormula->setEnabled(mGrid->sheetModel()->flags(index) & Qt::ItemIsEditable);
}

void MainWindow::newWorkbook() {
    run([this] { mSession.application().addWorkbook(); });
}

void MainWindow::openWorkbook() {
    run([this] {
        auto path = mSession.dialogs().openFile("Open", {}, workbookFilters());
        if (path) mSession.application().openWorkbook(*path);
    });
}

void MainWindow::saveWorkbookAs() {
    run([this] {
        auto book = mSession.application().activeWorkbook();
        if (!book) return;
        auto path = mSession.dialogs().saveAsFile("Save As", book->name(), workbookFilters());
        if (path) book->saveAs(*path);
    });
}

void MainWindow::closeWorkbook() {
    run([this] {
        auto book = mSession.application().activeWorkbook();
        if (!book) return;
        if (!book->saved()) {
            const int answer = mSession.dialogs().messageBox(
                fmt::format("Do you want to save the changes you made to '{}'?", book->name()),
                xl::MsgYesNoCancel | xl::MsgExclamation, mSession.application().name());
            if (answer == xl::AnswerCancel) return;
            if (answer == xl::AnswerYes) {
                auto path = book->path().empty()
                                ? mSession.dialogs().saveAsFile("Save As", book->name(), workbookFilters())
                                : std::optional<std::string>(book->fullName());
                if (!path || !(book->path().empty() ? book->saveAs(*path) : book->save())) return;
            }
        }
        book->close(false);
    });
}

void MainWindow::openDatabase(const std::string& path) {
    run([this, path] { openThroughAddin(path); });
}

// As "Open database" with the file chosen in its picker, so the add-in builds its form
// workbook and fills its lists exactly as for a person.
void MainWindow::openThroughAddin(const std::string& path) {
    IAddinEntry* addin = mSession.addin();
    if (!addin) return;
    mSession.dialogs().answerNextOpen(path);
    addin->GetDatabase();
    mSession.dialogs().answerNextOpen(std::string());
    if (mSession.ribbon()) mSession.ribbon()->ui()->invalidate();
}

namespace {
bool isAccessFile(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".mdb" || ext == ".accdb";
}
} // namespace

void MainWindow::saveCopyAsSqlite() {
    run([this] {
        QtDialogs& dialogs = mSession.dialogs();
        std::string source = dialogs.lastOpened();
        if (!isAccessFile(source)) {
            auto picked = dialogs.openFile("Open an Access database", {},
                                           {{"Access databases", "*.mdb;*.accdb"}, {"All files", "*"}});
            if (!picked) return;
            source = *picked;
        }
        const std::string initial = std::filesystem::path(source).replace_extension(".sqlite").string();
        auto target =
            dialogs.saveAsFile("Save a copy as SQLite", initial, {{"SQLite databases", "*.sqlite;*.db"}});
        if (!target) return;
        // The copy is written beside the chosen name and renamed when complete, so a failure
        // leaves nothing half-written under the person's name.
        const engine::MdbConvertReport r = SqliteCopy::copy(source, std::string(), *target);
        std::string text = fmt::format("{} was saved as {}: {} tables, {} rows, {} relations, {} queries.",
                                       std::filesystem::path(source).filename().string(), *target, r.tables,
                                       r.rows, r.relations, r.queries);
        if (!r.queriesNotCopied.empty()) {
            text += "\r\rQueries not copied:";
            for (const std::string& q : r.queriesNotCopied)
                text += "\r" + q;
        }
        text += "\r\rOpen the copy now?";
        const int answer =
            dialogs.messageBox(text, xl::MsgYesNo | xl::MsgQuestion, mSession.application().name());
        if (answer != xl::AnswerYes) return;
        openThroughAddin(*target);
    });
}

// The host's add-in list: the add-in workbooks it has open, with the add-in they carry.
void MainWindow::showAddins() {
    std::vector<NumberedError> failures;
    run([this, &failures] {
        AddinsDialog dialog(mSession.application().addInList(), mSession.dialogs(), this);
        if (dialog.exec() != QDialog::Accepted) return;
        // The strip may show the ribbon of a package about to close: it goes first, and comes
        // back from whatever ribbon remains once the changes are made.
        dropRibbon();
        failures = dialog.apply();
    });
    for (const NumberedError& e : failures)
        run([&] { throw e; });
}

void MainWindow::syncRibbon() {
    sheet::RibbonRuntime* live = mSession.ribbon();
    if (mRibbon && &mRibbon->runtime() == live) return;
    dropRibbon();
    if (!live) return;
    mRibbon = new RibbonBar(
        *live, [this](const std::function<void()>& f) { run(f); }, mColumn->parentWidget());
    mColumn->insertWidget(0, mRibbon);
}

void MainWindow::dropRibbon() {
    if (!mRibbon) return;
    // It may be the strip whose click is still on the stack: it goes once control is back in
    // the event loop, asking nothing of its ribbon meanwhile.
    mRibbon->detach();
    mRibbon->hide();
    mColumn->removeWidget(mRibbon);
    mRibbon->deleteLater();
    mRibbon = nullptr;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    sheet::Application& app = mSession.application();
    // Every book of the person's with changes is offered for saving; Cancel keeps the window.
    for (long i = app.workbookCount(); i >= 1; --i) {
        auto book = app.workbook(i);
        // An add-in's package is no book of the person's.
        if (AddInPtr a = app.addInList().find(book->fullName()); a && a->installed()) continue;
        if (book->saved()) continue;
        book->activate();
        sync();
        closeWorkbook();
        if (app.workbookCount() >= i && app.workbook(i) == book) {
            event->ignore();
            return;
        }
    }
    event->accept();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // Key tips: Alt pressed and released alone shows them; letters then pick.
    if (mRibbon && (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) &&
        QApplication::activeModalWidget() == nullptr && QApplication::activePopupWidget() == nullptr &&
        watched ==
            (QApplication::focusWidget() ? static_cast<QObject*>(QApplication::focusWidget()) : this)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (event->type() == QEvent::KeyPress) {
            if (key->key() == Qt::Key_Alt) {
                mAltAlone = !key->isAutoRepeat();
                return false;
            }
            mAltAlone = false;
            if (mRibbon->keyTipsShown()) {
                if (key->key() == Qt::Key_Escape) {
                    mRibbon->setKeyTipsShown(false);
                    return true;
                }
                if (!key->text().isEmpty() && key->text().at(0).isLetterOrNumber())
                    return mRibbon->typeKeyTip(key->text().at(0));
            }
        } else if (key->key() == Qt::Key_Alt && mAltAlone) {
            mAltAlone = false;
            mRibbon->setKeyTipsShown(!mRibbon->keyTipsShown());
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace qv::app
