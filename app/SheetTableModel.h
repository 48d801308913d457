// A Qt item model over one sheet of the host's columnar model. It copies nothing: the view asks
// for the cells it paints and each answer is read from the sheet at that moment, so a sheet of
// a million rows costs what the visible rows cost. Entries a person types go through the sheet's
// person-level entry (protection, validation, change events), exactly as a script's would.
#pragma once

#include "platform/NumberedError.h"

#include <QAbstractTableModel>
#include <QFont>
#include <QStringList>

#include <functional>
#include <memory>

namespace qv::sheet {
class Worksheet;
struct CellStyle;
} // namespace qv::sheet

namespace qv::app {

class SheetTableModel : public QAbstractTableModel {
  public:
    enum Role {
        LockedRole = Qt::UserRole + 1, // bool: a locked cell of a protected sheet
        BordersRole,                   // QVariantList of 4 colours (left, top, right, bottom), invalid = none
        ValidationListRole,            // QStringList: the entries of an in-cell drop-down
        FilterButtonRole,              // int: 0 none, 1 button, 2 button of a filtered column
    };

    explicit SheetTableModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}
    void setSheet(std::shared_ptr<sheet::Worksheet> sheet);
    const std::shared_ptr<sheet::Worksheet>& sheet() const { return mSheet; }
    // Failures of an entry (a protected cell, a refused value) are the host's numbered errors.
    void setErrorHandler(std::function<void(const NumberedError&)> handler) { mOnError = std::move(handler); }
    // The sheet changed underneath (the add-in filled it, a row was deleted): repaint, and
    // reset only when the column count moved.
    void refresh();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    void multiData(const QModelIndex& index, QModelRoleDataSpan roleDataSpan) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // What the formula bar shows and the editor starts with: the formula, else the value as
    // a person would type it.
    QString entryText(long row, long col) const;
    // The entries of a list validation of the cell ("a,b,c", a reference or a name).
    QStringList validationList(long row, long col) const;

    static constexpr int MinimumColumns = 26;

  private:
    // One cell as the roles asked of it at once need it; its style is looked up once.
    struct CellFacts {
        long row;
        long col;
        const sheet::CellStyle* style = nullptr;
    };
    const sheet::CellStyle& styleOf(CellFacts& cell) const;
    QVariant roleOf(int role, CellFacts& cell) const;
    int computeColumns() const;
    std::shared_ptr<sheet::Worksheet> mSheet;
    std::function<void(const NumberedError&)> mOnError;
    int mColumns = MinimumColumns;
    QFont mBold = [] {
        QFont f;
        f.setBold(true);
        return f;
    }();
};

} // namespace qv::app
