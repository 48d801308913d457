// Paints what a plain item view does not: cell borders, the mark of a locked cell on a protected
// sheet, the AutoFilter buttons of the header row; and edits a cell with a list validation
// through a drop-down of its entries.
#pragma once

#include <QStyledItemDelegate>

namespace qv::app {

class GridDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

    // Where a cell's AutoFilter button sits, for the view's hit test.
    static QRect filterButtonRect(const QRect& cell);
};

} // namespace qv::app
