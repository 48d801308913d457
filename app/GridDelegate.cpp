#include "app/GridDelegate.h"

#include "app/SheetTableModel.h"

#include <QComboBox>
#include <QLineEdit>
#include <QModelRoleData>
#include <QPainter>

#include <array>

namespace qv::app {

QRect GridDelegate::filterButtonRect(const QRect& cell) {
    const int side = std::min(cell.height() - 2, 16);
    return QRect(cell.right() - side, cell.top() + (cell.height() - side) / 2, side, side);
}

void GridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    // The roles of our own, asked in one call: the model looks the cell up once for them.
    std::array<QModelRoleData, 3> own{QModelRoleData(SheetTableModel::FilterButtonRole),
                                      QModelRoleData(SheetTableModel::BordersRole),
                                      QModelRoleData(SheetTableModel::LockedRole)};
    index.multiData(own);
    QStyleOptionViewItem opt = option;
    const int filter = own[0].data().toInt();
    // The text keeps clear of the filter button, as in the host.
    if (filter) opt.rect.setRight(filterButtonRect(option.rect).left() - 1);
    QStyledItemDelegate::paint(painter, opt, index);

    const QVariant& borders = own[1].data();
    if (borders.isValid()) {
        const QVariantList b = borders.toList();
        const QRect r = option.rect;
        auto line = [&](int i, QPoint from, QPoint to) {
            if (i < b.size() && b[i].isValid()) {
                painter->setPen(QPen(b[i].value<QColor>(), 1));
                painter->drawLine(from, to);
            }
        };
        line(0, r.topLeft(), r.bottomLeft());
        line(1, r.topLeft(), r.topRight());
        line(2, r.topRight(), r.bottomRight());
        line(3, r.bottomLeft(), r.bottomRight());
    }
    if (own[2].data().toBool()) {
        // A small grey corner: the cell refuses entries while the sheet is protected.
        const QRect r = option.rect;
        QPolygon corner;
        corner << QPoint(r.left(), r.top()) << QPoint(r.left() + 5, r.top()) << QPoint(r.left(), r.top() + 5);
        painter->setPen(Qt::NoPen);
        painter->setBrush(QColor(150, 150, 150));
        painter->drawPolygon(corner);
    }
    if (filter) {
        const QRect button = filterButtonRect(option.rect);
        painter->setPen(QColor(120, 120, 120));
        painter->setBrush(QColor(240, 240, 240));
        painter->drawRect(button.adjusted(0, 0, -1, -1));
        // A filtered column shows a funnel-like solid arrow in the host's blue.
        painter->setBrush(filter == 2 ? QColor(0, 90, 200) : QColor(60, 60, 60));
        painter->setPen(Qt::NoPen);
        const QPoint c = button.center();
        QPolygon arrow;
        arrow << QPoint(c.x() - 4, c.y() - 2) << QPoint(c.x() + 4, c.y() - 2) << QPoint(c.x(), c.y() + 3);
        painter->drawPolygon(arrow);
    }
}

QWidget* GridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    const QStringList items = index.data(SheetTableModel::ValidationListRole).toStringList();
    if (items.isEmpty()) return QStyledItemDelegate::createEditor(parent, option, index);
    auto* box = new QComboBox(parent);
    box->setObjectName(QStringLiteral("validationList"));
    // Editable: an entry outside the list still reaches the validation, which decides.
    box->setEditable(true);
    box->addItems(items);
    box->setCurrentIndex(-1);
    // Picking an entry is the entry, as in the host: no Enter needed.
    connect(box, &QComboBox::activated, this, [this, box] {
        auto* self = const_cast<GridDelegate*>(this);
        emit self->commitData(box);
        emit self->closeEditor(box);
    });
    return box;
}

void GridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    if (auto* box = qobject_cast<QComboBox*>(editor)) {
        box->setCurrentText(index.data(Qt::EditRole).toString());
        return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

void GridDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
    if (auto* box = qobject_cast<QComboBox*>(editor)) {
        model->setData(index, box->currentText(), Qt::EditRole);
        return;
    }
    QStyledItemDelegate::setModelData(editor, model, index);
}

} // namespace qv::app
