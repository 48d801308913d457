// The grid over the host's sheet model: what it draws comes from the model, what a person types
// or pastes goes through the sheet's own entry rules, and a refused entry loses nothing.
#include "QtTestSupport.h"

#include "app/SheetTableModel.h"
#include "app/SheetView.h"
#include "platform/host/HostConstants.h"
#include "spreadsheet/model/Application.h"
#include "spreadsheet/model/Worksheet.h"

#include <QApplication>
#include <QBrush>
#include <QClipboard>
#include <QComboBox>
#include <QFont>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

using namespace qv;
using app::SheetTableModel;

namespace {
struct Grid {
    std::unique_ptr<app::DesktopSession> session = test::hostSession();
    std::shared_ptr<sheet::Worksheet> sheet =
        std::dynamic_pointer_cast<sheet::Worksheet>(session->application().activeSheet());
    app::SheetView view;
    std::vector<std::string> errors;
    Grid() {
        view.setErrorHandler([this](const NumberedError& e) { errors.push_back(e.description()); });
        view.resize(800, 500);
        view.show();
        view.setSheet(sheet);
    }
    QVariant data(long row, long col, int role) {
        return view.sheetModel()->data(
            view.sheetModel()->index(static_cast<int>(row - 1), static_cast<int>(col - 1)), role);
    }
    void select(long row, long col) {
        view.setCurrentIndex(view.sheetModel()->index(static_cast<int>(row - 1), static_cast<int>(col - 1)));
    }
};
} // namespace

TEST(SheetViewTest, DrawsWhatTheModelHolds) {
    Grid g;
    auto cell = g.sheet->range("B2");
    cell->setValue(Variant(1234.5));
    cell->setNumberFormat("#,##0.00");
    cell->setFillColor(0x00FFFF);
    cell->setFontColor(0x0000FF);
    cell->setFontBold(true);
    cell->setBorder(xl::BorderEdge::Bottom, xl::LineStyleContinuous, xl::WeightThin, 0xFF0000);
    g.sheet->range("C2")->setValue(Variant(std::string("text")));
    g.sheet->range("C2")->addComment("Hidden field");
    g.view.refresh();

    EXPECT_EQ(g.data(2, 2, Qt::DisplayRole).toString(), QStringLiteral("1,234.50"));
    EXPECT_EQ(g.data(2, 2, Qt::EditRole).toString(), QStringLiteral("1234.5"));
    EXPECT_EQ(g.data(2, 2, Qt::BackgroundRole).value<QBrush>().color(), QColor(255, 255, 0));
    EXPECT_EQ(g.data(2, 2, Qt::ForegroundRole).value<QBrush>().color(), QColor(255, 0, 0));
    EXPECT_TRUE(g.data(2, 2, Qt::FontRole).value<QFont>().bold());
    EXPECT_TRUE(g.data(2, 2, Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight);
    EXPECT_TRUE(g.data(2, 3, Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignLeft);
    const QVariantList borders = g.data(2, 2, SheetTableModel::BordersRole).toList();
    ASSERT_EQ(borders.size(), 4);
    EXPECT_FALSE(borders[0].isValid());
    EXPECT_EQ(borders[3].value<QColor>(), QColor(0, 0, 255));
    EXPECT_EQ(g.data(2, 3, Qt::ToolTipRole).toString(), QStringLiteral("Hidden field"));
    EXPECT_FALSE(g.data(2, 2, Qt::ToolTipRole).isValid());
    // A blank cell paints nothing at all.
    EXPECT_FALSE(g.data(9, 9, Qt::DisplayRole).isValid());
}

TEST(SheetViewTest, TheWholeSheetIsVirtualAndTakesItsLayoutFromTheModel) {
    Grid g;
    EXPECT_EQ(g.view.sheetModel()->rowCount(), sheet::MaxRow);
    g.sheet->range("C1")->setColumnHidden(true);
    g.sheet->range("D1")->setColumnWidth(20);
    g.sheet->range("A5")->setRowHidden(true);
    g.sheet->range("AZ3")->setValue(Variant(1));
    g.sheet->freezePanes(2, 1); // the top row, as "Freeze Panes" on A2
    g.view.refresh();
    EXPECT_TRUE(g.view.isColumnHidden(2));
    EXPECT_FALSE(g.view.isColumnHidden(1));
    EXPECT_EQ(g.view.columnWidth(3), app::SheetView::columnPixels(20));
    EXPECT_TRUE(g.view.isRowHidden(4));
    EXPECT_GE(g.view.sheetModel()->columnCount(), 52); // AZ is column 52
    EXPECT_TRUE(g.view.frozenView()->isVisibleTo(&g.view));
    // Scrolled far down, the top row still shows in the frozen strip.
    g.view.scrollTo(g.view.sheetModel()->index(500000, 0));
    EXPECT_EQ(g.view.frozenView()->rowAt(1), 0);
    EXPECT_GT(g.view.rowAt(g.view.viewport()->height() / 2), 400000);
    // The strip shares the current cell with the grid; moving it down must not scroll the strip.
    g.view.show();
    g.view.setCurrentIndex(g.view.sheetModel()->index(3, 1));
    g.view.setCurrentIndex(g.view.sheetModel()->index(700000, 1));
    EXPECT_EQ(g.view.frozenView()->rowAt(1), 0);

    g.sheet->range("A5")->setRowHidden(false);
    g.sheet->freezePanes(0, 0);
    g.view.refresh();
    EXPECT_FALSE(g.view.isRowHidden(4));
    EXPECT_FALSE(g.view.frozenView()->isVisibleTo(&g.view));
}

TEST(SheetViewTest, LockedCellsOfAProtectedSheetRefuseEntriesAndKeepTheirValue) {
    Grid g;
    g.sheet->range("A1")->setValue(Variant(std::string("key")));
    g.sheet->range("B1")->setLocked(false);
    g.sheet->protect("");
    g.view.refresh();
    auto* model = g.view.sheetModel();
    EXPECT_TRUE(g.data(1, 1, SheetTableModel::LockedRole).toBool());
    EXPECT_FALSE(model->flags(model->index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_TRUE(model->flags(model->index(0, 1)) & Qt::ItemIsEditable);
    // Even an entry that reaches the model (a paste, the formula bar) is refused with a reason.
    EXPECT_FALSE(model->setData(model->index(0, 0), QStringLiteral("changed"), Qt::EditRole));
    EXPECT_EQ(g.sheet->range("A1")->value().toString(), "key");
    EXPECT_EQ(g.errors.size(), 1u);
    EXPECT_TRUE(model->setData(model->index(0, 1), QStringLiteral("42"), Qt::EditRole));
    EXPECT_EQ(g.sheet->range("B1")->value().toDouble(), 42.0);
}

TEST(SheetViewTest, AListValidationEditsThroughADropDownOfItsEntries) {
    Grid g;
    g.sheet->range("E1")->setValue(Variant(std::string("red")));
    g.sheet->range("E2")->setValue(Variant(std::string("green")));
    g.sheet->range("E3")->setValue(Variant(std::string("blue")));
    g.sheet->range("A2")->validation()->add(xl::ValidationType::List, xl::ValidationAlert::Stop,
                                            xl::ValidationOperator::Between, "=$E$1:$E$3");
    g.sheet->range("B2")->validation()->add(xl::ValidationType::List, xl::ValidationAlert::Stop,
                                            xl::ValidationOperator::Between, "Yes, No");
    g.view.refresh();
    EXPECT_EQ(g.data(2, 1, SheetTableModel::ValidationListRole).toStringList(),
              (QStringList{"red", "green", "blue"}));
    EXPECT_EQ(g.data(2, 2, SheetTableModel::ValidationListRole).toStringList(), (QStringList{"Yes", "No"}));
    EXPECT_FALSE(g.data(3, 2, SheetTableModel::ValidationListRole).isValid());

    g.select(2, 1);
    g.view.edit(g.view.currentIndex());
    auto* box = g.view.findChild<QComboBox*>("validationList");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->count(), 3);
    box->setCurrentIndex(2);
    emit box->activated(2);
    EXPECT_EQ(g.sheet->range("A2")->value().toString(), "blue");
    // A stop-style rule still refuses what is not on the list, and the cell keeps its value.
    auto* model = g.view.sheetModel();
    EXPECT_FALSE(model->setData(model->index(1, 0), QStringLiteral("purple"), Qt::EditRole));
    EXPECT_EQ(g.sheet->range("A2")->value().toString(), "blue");
}

TEST(SheetViewTest, BlocksCopyAndPasteAsTabSeparatedText) {
    Grid g;
    g.sheet->range("A1")->setValue(Variant(std::string("Name")));
    g.sheet->range("B1")->setValue(Variant(std::string("Price")));
    g.sheet->range("A2")->setValue(Variant(std::string("Tea")));
    g.sheet->range("B2")->setValue(Variant(2.5));
    g.sheet->range("B2")->setNumberFormat("0.00");
    g.view.refresh();
    auto* model = g.view.sheetModel();
    g.view.selectionModel()->select(QItemSelection(model->index(0, 0), model->index(1, 2)),
                                    QItemSelectionModel::ClearAndSelect);
    EXPECT_EQ(g.view.selectedText(), QStringLiteral("Name\tPrice\t\nTea\t2.50\t\n"));

    // A block from another program, Windows line ends included, lands at the active cell.
    g.select(5, 2);
    QApplication::clipboard()->setText(QStringLiteral("x\t1\r\ny\t2\r\nz\r\n"));
    QTest::keySequence(&g.view, QKeySequence::Paste);
    EXPECT_EQ(g.sheet->range("B5")->value().toString(), "x");
    EXPECT_EQ(g.sheet->range("C5")->value().toDouble(), 1.0);
    EXPECT_EQ(g.sheet->range("C6")->value().toDouble(), 2.0);
    EXPECT_EQ(g.sheet->range("B7")->value().toString(), "z");
    EXPECT_TRUE(g.sheet->range("C7")->value().isEmpty());
    EXPECT_TRUE(g.errors.empty());
    const QItemSelection pasted = g.view.selectionModel()->selection();
    ASSERT_EQ(pasted.size(), 1);
    EXPECT_EQ(pasted.first().height(), 3);
    EXPECT_EQ(pasted.first().width(), 2);

    QTest::keySequence(&g.view, QKeySequence::Copy);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("x\t1\ny\t2\nz\t\n"));
}

TEST(SheetViewTest, APasteTheSheetRefusesChangesNothing) {
    Grid g;
    g.sheet->range("A1")->setValue(Variant(std::string("keep")));
    g.sheet->protect("");
    g.view.refresh();
    g.select(1, 1);
    EXPECT_FALSE(g.view.pasteText(QStringLiteral("lost\tlost")));
    EXPECT_EQ(g.sheet->range("A1")->value().toString(), "keep");
    EXPECT_EQ(g.errors.size(), 1u);

    // A block that would run off the sheet's last column is refused before anything is written.
    g.sheet->unprotect("");
    g.sheet->cells(2, sheet::MaxColumn)->setValue(Variant(std::string("edge")));
    g.view.refresh();
    g.select(1, sheet::MaxColumn);
    g.errors.clear();
    EXPECT_FALSE(g.view.pasteText(QStringLiteral("a\tb")));
    EXPECT_EQ(g.errors.size(), 1u);
    EXPECT_TRUE(g.sheet->range("XFD1")->value().isEmpty());
    EXPECT_FALSE(g.view.pasteText(QString()));
}

TEST(SheetViewTest, FilterButtonsOpenAMenuOfTheColumnsEntries) {
    Grid g;
    const char* names[] = {"Region", "North", "South", "North", ""};
    for (long r = 0; r < 5; ++r)
        g.sheet->cells(r + 1, 1)->setValue(Variant(std::string(names[r])));
    g.sheet->range("A1:A5")->autoFilter();
    g.view.refresh();
    EXPECT_EQ(g.data(1, 1, SheetTableModel::FilterButtonRole).toInt(), 1);
    EXPECT_EQ(g.data(2, 1, SheetTableModel::FilterButtonRole).toInt(), 0);
    QMenu* menu = g.view.filterMenu(1);
    ASSERT_NE(menu, nullptr);
    QStringList entries;
    QAction* north = nullptr;
    for (QAction* a : menu->actions()) {
        if (a->isSeparator()) continue;
        entries << a->text();
        if (a->text() == "North") north = a;
    }
    EXPECT_EQ(entries, (QStringList{"(Show all)", "(Blanks)", "North", "South"}));
    ASSERT_NE(north, nullptr);
    north->trigger();
    EXPECT_TRUE(g.view.isRowHidden(2)); // South
    EXPECT_FALSE(g.view.isRowHidden(1));
    EXPECT_EQ(g.data(1, 1, SheetTableModel::FilterButtonRole).toInt(), 2);
    menu->actions().first()->trigger();
    EXPECT_FALSE(g.view.isRowHidden(2));
    EXPECT_EQ(g.view.filterMenu(3), nullptr);
    delete menu;
}

TEST(SheetViewTest, TheSheetKnowsWhereThePersonsSelectionIs) {
    Grid g;
    auto* model = g.view.sheetModel();
    g.select(3, 4);
    g.view.selectionModel()->select(QItemSelection(model->index(2, 3), model->index(4, 4)),
                                    QItemSelectionModel::ClearAndSelect);
    EXPECT_EQ(g.sheet->activeCellPosition(), (std::pair<long, long>{3, 4}));
    ASSERT_EQ(g.sheet->selectionAreas().size(), 1u);
    EXPECT_EQ(g.sheet->selectionAreas()[0], (sheet::Rect{3, 4, 5, 5}));
}

// A painted cell asks for all its roles in one call; the answers are those of one role at a time,
// cell by cell, however the cells next to each other differ.
TEST(SheetViewTest, RolesAskedTogetherAnswerAsEachAlone) {
    Grid g;
    g.sheet->range("A1")->setValue(Variant(12.5));
    g.sheet->range("A1")->setFillColor(0x00FFFF);
    g.sheet->range("A1")->setFontBold(true);
    g.sheet->range("B1")->setValue(Variant(std::string("plain")));
    g.sheet->range("B1")->setBorder(xl::BorderEdge::Left, xl::LineStyleContinuous, xl::WeightThin, 0x00FF00);
    g.sheet->range("A2")->setValue(Variant(true));
    g.sheet->range("A2")->setFontColor(0x0000FF);
    g.sheet->range("B2")->addComment("a note");
    g.sheet->range("A1:B1")->setLocked(false);
    g.sheet->protect("");
    g.view.refresh();
    const std::vector<int> roles{Qt::DisplayRole,
                                 Qt::EditRole,
                                 Qt::ToolTipRole,
                                 Qt::BackgroundRole,
                                 Qt::ForegroundRole,
                                 Qt::FontRole,
                                 Qt::TextAlignmentRole,
                                 SheetTableModel::LockedRole,
                                 SheetTableModel::BordersRole,
                                 SheetTableModel::FilterButtonRole,
                                 Qt::DecorationRole};
    for (long row = 1; row <= 3; ++row)
        for (long col = 1; col <= 3; ++col) {
            const QModelIndex index =
                g.view.sheetModel()->index(static_cast<int>(row - 1), static_cast<int>(col - 1));
            std::vector<QModelRoleData> together;
            for (int role : roles)
                together.emplace_back(role);
            index.multiData(together);
            for (std::size_t i = 0; i < roles.size(); ++i)
                EXPECT_EQ(together[i].data(), g.data(row, col, roles[i]))
                    << "row " << row << " column " << col << " role " << roles[i];
        }
}
