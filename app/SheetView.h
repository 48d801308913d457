// The grid: a table view over SheetTableModel that takes its layout from the sheet (column
// widths, hidden columns and rows, gridlines, headings, the frozen top rows), tells the sheet
// where the person's selection is, copies and pastes blocks as tab-separated text and opens the
// AutoFilter menus. Rows have one fixed height, so the view never measures the million rows it
// does not show.
#pragma once

#include "platform/NumberedError.h"

#include <QTableView>

#include <functional>
#include <memory>
#include <set>

namespace qv::sheet {
class Worksheet;
}

namespace qv::app {

class SheetTableModel;

class SheetView : public QTableView {
  public:
    explicit SheetView(QWidget* parent = nullptr);
    ~SheetView() override;

    void setSheet(std::shared_ptr<sheet::Worksheet> sheet);
    SheetTableModel* sheetModel() const { return mModel; }
    // After the add-in or a dialog changed the sheet: repaint and take its layout again.
    void refresh();
    void setErrorHandler(std::function<void(const NumberedError&)> handler);
    // Called after the person changed something through the grid (an entry, a paste, a filter).
    void setChangedHandler(std::function<void()> handler) { mChanged = std::move(handler); }

    // The selection as tab-separated displayed text, rows ending in a line feed.
    QString selectedText() const;
    void copySelection() const;
    // Pastes tab-separated text at the current cell; answers false (and reports) when refused.
    bool pasteText(const QString& text);
    // The AutoFilter menu of a column of the filter's header row (1-based), built but not shown.
    class QMenu* filterMenu(long column);
    QTableView* frozenView() const { return mFrozen; }

    static int columnPixels(double characters);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
    void updateGeometries() override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

  private:
    void applyLayout();
    void placeFrozen();
    void report(const NumberedError& e);
    void pushSelection();
    std::shared_ptr<sheet::Worksheet> mSheet;
    SheetTableModel* mModel;
    QTableView* mFrozen = nullptr;
    std::function<void(const NumberedError&)> mOnError;
    std::function<void()> mChanged;
    std::set<long> mHiddenRows;
    long mFrozenRows = 0;
    bool mApplying = false;
};

} // namespace qv::app
