#include "app/SheetTableModel.h"

#include "platform/host/HostConstants.h"
#include "spreadsheet/model/CellAddress.h"
#include "spreadsheet/model/Workbook.h"
#include "spreadsheet/model/Worksheet.h"

#include <QBrush>
#include <QColor>
#include <QFont>

#include <algorithm>

namespace qv::app {

namespace {
QString q(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
QColor ole(long c) {
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}
QVariant border(const sheet::BorderLine& b) {
    return b.style > 0 ? QVariant(ole(b.color)) : QVariant();
}
} // namespace

void SheetTableModel::setSheet(std::shared_ptr<sheet::Worksheet> sheet) {
    beginResetModel();
    mSheet = std::move(sheet);
    mColumns = computeColumns();
    endResetModel();
}

int SheetTableModel::computeColumns() const {
    if (!mSheet) return 0;
    long used = 0;
    if (auto extent = mSheet->data().usedExtent()) used = extent->c2;
    used = std::max(used, mSheet->data().columnCount());
    return static_cast<int>(std::clamp<long>(used + 1, MinimumColumns, sheet::MaxColumn));
}

void SheetTableModel::refresh() {
    const int columns = computeColumns();
    if (columns != mColumns) {
        beginResetModel();
        mColumns = columns;
        endResetModel();
        return;
    }
    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

int SheetTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !mSheet ? 0 : static_cast<int>(sheet::MaxRow);
}

int SheetTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : mColumns;
}

QString SheetTableModel::entryText(long row, long col) const {
    if (!mSheet) return {};
    if (const std::string* f = mSheet->data().formula(row, col)) return q(*f);
    const Variant v = mSheet->data().value(row, col);
    if (v.isEmpty() || v.isNull()) return {};
    // Dates and booleans read back as displayed, so that editing them keeps their meaning.
    if (v.isDate() || v.type() == VarType::Boolean) return q(mSheet->displayText(row, col));
    return q(v.toString());
}

QStringList SheetTableModel::validationList(long row, long col) const {
    QStringList out;
    if (!mSheet) return out;
    const sheet::ValidationRule* rule = mSheet->validations().find(row, col);
    if (!rule || rule->type != static_cast<int>(xl::ValidationType::List) || !rule->inCellDropdown)
        return out;
    std::string source = rule->formula1;
    if (!source.empty() && source.front() == '=') {
        RangePtr r;
        try {
            r = mSheet->book().resolveReference(source.substr(1), mSheet);
        } catch (const NumberedError&) {
            return out;
        }
        if (!r) return out;
        // A drop-down lists at most what a person could scroll through; a list as long as the
        // sheet would only stall the window.
        const long rows = std::min<long>(r->rowCount(), 10000);
        for (long i = 1; i <= rows; ++i)
            out << q(r->cell(i, 1)->text());
        return out;
    }
    for (const QString& item : q(source).split(QLatin1Char(',')))
        out << item.trimmed();
    return out;
}

QVariant SheetTableModel::data(const QModelIndex& index, int role) const {
    if (!mSheet || !index.isValid()) return {};
    CellFacts cell{index.row() + 1, index.column() + 1};
    return roleOf(role, cell);
}

void SheetTableModel::multiData(const QModelIndex& index, QModelRoleDataSpan roleDataSpan) const {
    if (!mSheet || !index.isValid()) {
        for (QModelRoleData& d : roleDataSpan)
            d.clearData();
        return;
    }
    // A painted cell asks for a dozen roles at once: the cell's style and value are looked up
    // once for all of them.
    CellFacts cell{index.row() + 1, index.column() + 1};
    for (QModelRoleData& d : roleDataSpan)
        d.setData(roleOf(d.role(), cell));
}

const sheet::CellStyle& SheetTableModel::styleOf(CellFacts& cell) const {
    if (!cell.style) cell.style = &mSheet->style(mSheet->data().effectiveStyle(cell.row, cell.col));
    return *cell.style;
}

QVariant SheetTableModel::roleOf(int role, CellFacts& cell) const {
    const long row = cell.row, col = cell.col;
    switch (role) {
    case Qt::DisplayRole: {
        if (mSheet->data().isEmpty(row, col)) return {};
        return q(mSheet->displayText(row, col));
    }
    case Qt::EditRole:
        return entryText(row, col);
    case Qt::ToolTipRole: {
        auto it = mSheet->comments().find({row, col});
        return it == mSheet->comments().end() ? QVariant() : QVariant(q(it->second->text));
    }
    case Qt::BackgroundRole:
    case Qt::ForegroundRole:
    case Qt::FontRole:
    case Qt::TextAlignmentRole:
    case LockedRole:
    case BordersRole:
        break;
    case ValidationListRole: {
        QStringList items = validationList(row, col);
        return items.isEmpty() ? QVariant() : QVariant(items);
    }
    case FilterButtonRole: {
        const auto& filter = mSheet->autoFilterState();
        if (!filter || row != filter->list().r1 || col < filter->list().c1 || col > filter->list().c2)
            return 0;
        return filter->filters()[static_cast<std::size_t>(col - filter->list().c1)].on ? 2 : 1;
    }
    default:
        return {};
    }
    const sheet::CellStyle& s = styleOf(cell);
    switch (role) {
    case Qt::BackgroundRole:
        return s.fillColor == sheet::NoColor ? QVariant() : QVariant(QBrush(ole(s.fillColor)));
    case Qt::ForegroundRole:
        return s.fontColor == sheet::NoColor ? QVariant() : QVariant(QBrush(ole(s.fontColor)));
    case Qt::FontRole:
        return s.bold ? QVariant(mBold) : QVariant();
    case Qt::TextAlignmentRole: {
        Qt::Alignment h = Qt::AlignLeft;
        switch (s.horizontalAlignment) {
        case xl::AlignCenter:
            h = Qt::AlignHCenter;
            break;
        case xl::AlignRight:
            h = Qt::AlignRight;
            break;
        case xl::AlignLeft:
            h = Qt::AlignLeft;
            break;
        default: {
            const Variant v = mSheet->data().value(row, col);
            if (v.isNumber() || v.isDate())
                h = Qt::AlignRight;
            else if (v.type() == VarType::Boolean)
                h = Qt::AlignHCenter;
        }
        }
        return QVariant::fromValue(h | Qt::AlignVCenter);
    }
    case LockedRole:
        return mSheet->protectContents() && s.locked;
    case BordersRole:
        if (!s.left.style && !s.top.style && !s.right.style && !s.bottom.style) return {};
        return QVariantList{border(s.left), border(s.top), border(s.right), border(s.bottom)};
    default:
        return {};
    }
}

QVariant SheetTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Horizontal) return q(sheet::CellAddress::columnLetters(section + 1));
    return section + 1;
}

Qt::ItemFlags SheetTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid() || !mSheet) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (!data(index, LockedRole).toBool()) f |= Qt::ItemIsEditable;
    return f;
}

bool SheetTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!mSheet || !index.isValid() || role != Qt::EditRole) return false;
    bool stored = false;
    try {
        stored =
            mSheet->typeInto(index.row() + 1, index.column() + 1, value.toString().toUtf8().toStdString());
    } catch (const NumberedError& e) {
        if (mOnError) mOnError(e);
        return false;
    }
    // The entry's change event may have rewritten any part of the sheet.
    refresh();
    return stored;
}

} // namespace qv::app
