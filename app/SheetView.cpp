#include "app/SheetView.h"

#include "app/GridDelegate.h"
#include "app/SheetTableModel.h"
#include "platform/host/HostConstants.h"
#include "spreadsheet/model/Worksheet.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>

#include <algorithm>
#include <map>

namespace qv::app {

namespace {
constexpr int RowHeight = 20;
// A filter menu lists the distinct entries of at most this many rows; the host does the same
// so a menu over a million rows still opens at once.
constexpr long MaxFilterRows = 100000;
constexpr int MaxFilterEntries = 1000;
QString q(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
} // namespace

int SheetView::columnPixels(double characters) {
    return static_cast<int>(characters * 7 + 5 + 0.5);
}

SheetView::SheetView(QWidget* parent) : QTableView(parent), mModel(new SheetTableModel(this)) {
    setModel(mModel);
    setItemDelegate(new GridDelegate(this));
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(RowHeight);
    horizontalHeader()->setDefaultSectionSize(columnPixels(sheet::Worksheet::DefaultColumnWidth));
    horizontalHeader()->setHighlightSections(true);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setWordWrap(false);

    // The frozen top rows: a second view over the same model that never scrolls vertically,
    // laid over the top of this one and following its horizontal scrolling.
    mFrozen = new QTableView(this);
    mFrozen->setObjectName(QStringLiteral("frozenRows"));
    mFrozen->setModel(mModel);
    mFrozen->setItemDelegate(new GridDelegate(mFrozen));
    mFrozen->setFocusPolicy(Qt::NoFocus);
    mFrozen->horizontalHeader()->hide();
    mFrozen->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    mFrozen->verticalHeader()->setDefaultSectionSize(RowHeight);
    mFrozen->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mFrozen->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mFrozen->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    mFrozen->setSelectionModel(selectionModel());
    // The shared current cell would otherwise scroll the strip to itself, and the strip would show
    // the record in hand where the captions belong.
    mFrozen->setAutoScroll(false);
    mFrozen->setStyleSheet(QStringLiteral("QTableView { border: none; border-bottom: 2px solid #808080; }"));
    mFrozen->hide();
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, mFrozen->horizontalScrollBar(),
            &QScrollBar::setValue);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int section, int, int size) { mFrozen->setColumnWidth(section, size); });
    connect(verticalHeader(), &QHeaderView::sectionResized, this, [this] { placeFrozen(); });
    mModel->setErrorHandler([this](const NumberedError& e) { report(e); });
}

SheetView::~SheetView() = default;

void SheetView::setErrorHandler(std::function<void(const NumberedError&)> handler) {
    mOnError = std::move(handler);
}

void SheetView::report(const NumberedError& e) {
    if (mOnError) mOnError(e);
}

void SheetView::setSheet(std::shared_ptr<sheet::Worksheet> sheet) {
    mSheet = std::move(sheet);
    mHiddenRows.clear();
    mApplying = true;
    mModel->setSheet(mSheet);
    mApplying = false;
    applyLayout();
    if (mSheet) {
        const auto [row, col] = mSheet->activeCellPosition();
        mApplying = true;
        setCurrentIndex(mModel->index(static_cast<int>(row - 1), static_cast<int>(col - 1)));
        mApplying = false;
    }
}

void SheetView::refresh() {
    // An entry being typed is the person's: a refresh from the model would overwrite it.
    if (state() == QAbstractItemView::EditingState) {
        viewport()->update();
        return;
    }
    mApplying = true;
    mModel->refresh();
    // The sheet moves its active cell itself (Enter moves down, the add-in selects a record):
    // the view follows the sheet, never the other way round.
    const auto [row, col] = mSheet ? mSheet->activeCellPosition() : std::pair<long, long>{1, 1};
    const QModelIndex current = currentIndex();
    if (mSheet && (current.row() != row - 1 || current.column() != col - 1) &&
        col - 1 < mModel->columnCount())
        selectionModel()->setCurrentIndex(mModel->index(static_cast<int>(row - 1), static_cast<int>(col - 1)),
                                          QItemSelectionModel::ClearAndSelect);
    mApplying = false;
    applyLayout();
    viewport()->update();
    mFrozen->viewport()->update();
}

void SheetView::applyLayout() {
    if (!mSheet) return;
    mApplying = true;
    const auto& cells = mSheet->data();
    for (int c = 0; c < mModel->columnCount(); ++c) {
        const sheet::ColumnStore* column = cells.findColumn(c + 1);
        const double width =
            column && column->width >= 0 ? column->width : sheet::Worksheet::DefaultColumnWidth;
        const bool hidden = column && column->hidden;
        setColumnWidth(c, columnPixels(width));
        setColumnHidden(c, hidden);
        mFrozen->setColumnWidth(c, columnPixels(width));
        mFrozen->setColumnHidden(c, hidden);
    }
    // Only rows that change state are touched: the hidden set is small next to the sheet.
    const std::vector<long> hidden = cells.hiddenRows();
    std::set<long> now(hidden.begin(), hidden.end());
    for (long r : mHiddenRows)
        if (!now.count(r)) setRowHidden(static_cast<int>(r - 1), false);
    for (long r : now)
        if (!mHiddenRows.count(r)) setRowHidden(static_cast<int>(r - 1), true);
    mHiddenRows = std::move(now);
    setShowGrid(mSheet->displayGridlines());
    mFrozen->setShowGrid(mSheet->displayGridlines());
    horizontalHeader()->setVisible(mSheet->displayHeadings());
    verticalHeader()->setVisible(mSheet->displayHeadings());
    mFrozen->verticalHeader()->setVisible(mSheet->displayHeadings());
    mFrozenRows = mSheet->frozenRows();
    mApplying = false;
    placeFrozen();
}

void SheetView::placeFrozen() {
    if (!mFrozen) return; // the base class lays out before the overlay exists
    if (mFrozenRows <= 0) {
        mFrozen->hide();
        return;
    }
    int height = 0;
    for (long r = 0; r < mFrozenRows; ++r)
        height += rowHeight(static_cast<int>(r));
    mFrozen->verticalHeader()->setFixedWidth(verticalHeader()->isVisible() ? verticalHeader()->width() : 0);
    mFrozen->setGeometry(
        frameWidth(), frameWidth() + (horizontalHeader()->isVisible() ? horizontalHeader()->height() : 0),
        viewport()->width() + (verticalHeader()->isVisible() ? verticalHeader()->width() : 0), height + 2);
    mFrozen->horizontalScrollBar()->setValue(horizontalScrollBar()->value());
    mFrozen->show();
    mFrozen->raise();
}

void SheetView::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    placeFrozen();
}

void SheetView::updateGeometries() {
    QTableView::updateGeometries();
    placeFrozen();
}

void SheetView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    // Below the frozen rows the current cell must not hide under them.
    if (current.isValid() && mFrozenRows > 0 && current.row() >= mFrozenRows) {
        const int top = rowViewportPosition(current.row());
        int frozenHeight = 0;
        for (long r = 0; r < mFrozenRows; ++r)
            frozenHeight += rowHeight(static_cast<int>(r));
        if (top >= 0 && top < frozenHeight) verticalScrollBar()->setValue(verticalScrollBar()->value() - 1);
    }
    pushSelection();
}

void SheetView::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    QTableView::selectionChanged(selected, deselected);
    pushSelection();
}

// The add-in reads the selection and the active cell from the host, so the view keeps the sheet
// told; the selection change event goes out as the host raises it.
void SheetView::pushSelection() {
    if (!mSheet || mApplying) return;
    const QModelIndex current = currentIndex();
    if (!current.isValid()) return;
    std::vector<sheet::Rect> areas;
    for (const QItemSelectionRange& r : selectionModel()->selection())
        areas.push_back({r.top() + 1, r.left() + 1, r.bottom() + 1, r.right() + 1});
    if (areas.empty())
        areas.push_back({current.row() + 1, current.column() + 1, current.row() + 1, current.column() + 1});
    const auto before = mSheet->selectionAreas();
    const auto beforeCell = mSheet->activeCellPosition();
    mSheet->setSelection(areas, current.row() + 1, current.column() + 1);
    if (before == areas && beforeCell == mSheet->activeCellPosition()) return;
    try {
        mSheet->raiseSelectionChange();
    } catch (const NumberedError& e) {
        report(e);
    }
    if (mChanged) mChanged();
}

QString SheetView::selectedText() const {
    if (!mSheet) return {};
    const QItemSelection sel = selectionModel()->selection();
    sheet::Rect r;
    if (sel.isEmpty()) {
        const QModelIndex c = currentIndex();
        if (!c.isValid()) return {};
        r = {c.row() + 1, c.column() + 1, c.row() + 1, c.column() + 1};
    } else {
        // A block is the bounding rectangle of the first range, as the host copies one area.
        const QItemSelectionRange& first = sel.first();
        r = {first.top() + 1, first.left() + 1, first.bottom() + 1, first.right() + 1};
    }
    QString out;
    for (long row = r.r1; row <= r.r2; ++row) {
        if (mSheet->data().rowHidden(row)) continue;
        for (long col = r.c1; col <= r.c2; ++col) {
            if (col > r.c1) out += QLatin1Char('\t');
            if (!mSheet->data().isEmpty(row, col)) out += q(mSheet->displayText(row, col));
        }
        out += QLatin1Char('\n');
    }
    return out;
}

void SheetView::copySelection() const {
    QApplication::clipboard()->setText(selectedText());
}

bool SheetView::pasteText(const QString& text) {
    if (!mSheet) return false;
    QString body = text;
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    body.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (body.endsWith(QLatin1Char('\n'))) body.chop(1);
    if (body.isEmpty()) return false;
    std::vector<std::vector<std::string>> block;
    for (const QString& line : body.split(QLatin1Char('\n'))) {
        std::vector<std::string> cells;
        for (const QString& cell : line.split(QLatin1Char('\t')))
            cells.push_back(cell.toUtf8().toStdString());
        block.push_back(std::move(cells));
    }
    const QModelIndex current = currentIndex();
    const long row = current.isValid() ? current.row() + 1 : 1,
               col = current.isValid() ? current.column() + 1 : 1;
    std::size_t width = 0;
    for (const auto& line : block)
        width = std::max(width, line.size());
    if (row + static_cast<long>(block.size()) - 1 > sheet::MaxRow ||
        col + static_cast<long>(width) - 1 > sheet::MaxColumn) {
        report(
            NumberedError(1004, "Quorvel Sheets", "The block does not fit on the sheet at the active cell."));
        return false;
    }
    try {
        mSheet->setSelection({sheet::Rect{row, col, row, col}}, row, col);
        mSheet->pasteValues(block);
    } catch (const NumberedError& e) {
        report(e);
        refresh();
        return false;
    }
    refresh();
    // The pasted block is selected afterwards, as in the host.
    const QModelIndex tl = mModel->index(static_cast<int>(row - 1), static_cast<int>(col - 1));
    const QModelIndex br = mModel->index(static_cast<int>(row - 1 + static_cast<long>(block.size()) - 1),
                                         static_cast<int>(col - 1 + static_cast<long>(width) - 1));
    selectionModel()->select(QItemSelection(tl, br), QItemSelectionModel::ClearAndSelect);
    if (mChanged) mChanged();
    return true;
}

QMenu* SheetView::filterMenu(long column) {
    if (!mSheet || !mSheet->autoFilterState()) return nullptr;
    const sheet::Rect list = mSheet->autoFilterState()->list();
    if (column < list.c1 || column > list.c2) return nullptr;
    const long field = column - list.c1 + 1;
    const FilterState current = mSheet->autoFilterState()->filters()[static_cast<std::size_t>(field - 1)];
    QStringList shown;
    if (current.on && current.op == xl::FilterValues) shown = q(current.criteria1).split(QLatin1Char('\n'));
    std::map<QString, bool> entries; // sorted, as the host lists them
    const long last = std::min(list.r2, list.r1 + MaxFilterRows);
    for (long r = list.r1 + 1; r <= last && static_cast<int>(entries.size()) < MaxFilterEntries; ++r)
        entries.emplace(q(mSheet->displayText(r, column)), true);

    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("filterMenu"));
    menu->addAction(QStringLiteral("(Show all)"), this, [this, field] {
        try {
            mSheet->setColumnFilter(field, FilterState{});
        } catch (const NumberedError& e) {
            report(e);
        }
        refresh();
        if (mChanged) mChanged();
    });
    menu->addSeparator();
    for (const auto& entry : entries) {
        const QString text = entry.first;
        const QString label = text.isEmpty() ? QStringLiteral("(Blanks)") : text;
        QAction* a = menu->addAction(label);
        a->setCheckable(true);
        a->setChecked(!current.on || shown.contains(text));
        connect(a, &QAction::triggered, this, [this, field, text] {
            // Picking an entry shows only the rows with it, the quickest filter a person sets.
            try {
                mSheet->setColumnFilter(field,
                                        FilterState{true, text.toUtf8().toStdString(), xl::FilterValues, {}});
            } catch (const NumberedError& e) {
                report(e);
            }
            refresh();
            if (mChanged) mChanged();
        });
    }
    return menu;
}

void SheetView::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && index.data(SheetTableModel::FilterButtonRole).toInt() &&
        GridDelegate::filterButtonRect(visualRect(index)).contains(event->position().toPoint())) {
        if (QMenu* menu = filterMenu(index.column() + 1)) {
            menu->setAttribute(Qt::WA_DeleteOnClose);
            menu->popup(viewport()->mapToGlobal(visualRect(index).bottomLeft()));
        }
        return;
    }
    QTableView::mousePressEvent(event);
}

void SheetView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        copySelection();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        pasteText(QApplication::clipboard()->text());
        return;
    }
    if ((event->key() == Qt::Key_Delete) && state() != QAbstractItemView::EditingState) {
        // Delete clears the entries of the selection, through the same entry road as typing.
        QModelIndexList cells = selectionModel()->selectedIndexes();
        if (cells.size() > 10000) cells = cells.mid(0, 10000);
        for (const QModelIndex& c : cells)
            if (!mModel->setData(c, QString(), Qt::EditRole)) break;
        if (mChanged) mChanged();
        return;
    }
    QTableView::keyPressEvent(event);
}

void SheetView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    QTableView::closeEditor(editor, hint);
    // The entry is in the sheet now; the window shows its effects (formula bar, status, ribbon).
    if (mChanged) mChanged();
}

} // namespace qv::app
