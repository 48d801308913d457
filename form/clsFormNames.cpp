// The lists sheet keeps its own bookkeeping of where the last list ended: a list may hold blank
// values (a NULL in the referenced column), so the end of the data below B1 is no measure of it.
#include "form/clsFormNames.h"

#include "common/clsAux.h"
#include "common/modGlobalization.h"
#include "datasource/IDS.h"
#include "datasource/clsRelation.h"
#include "form/clsForm.h"
#include "form/modSheetFill.h"
#include "platform/NameQuote.h"
#include "platform/NumberedError.h"
#include "platform/host/HostConstants.h"
#include "platform/host/IWorkbook.h"

#include <algorithm>

namespace qv {

namespace {

constexpr long ListColumn = 2;

void labelFormat(IRange& cell) {
    for (xl::BorderEdge edge :
         {xl::BorderEdge::Left, xl::BorderEdge::Top, xl::BorderEdge::Bottom, xl::BorderEdge::Right})
        cell.setBorder(edge, xl::LineStyleContinuous, xl::WeightThin, 0);
    cell.setFillColorIndex(15);
    cell.setFontBold(true);
}

} // namespace

clsFormNames::clsFormNames(clsForm& form) : mForm(form) {}

long clsFormNames::NextListRow() const {
    long row = mLastRow + 1;
    WorksheetPtr lists = mForm.ListsSheet();
    if (!lists) return row;
    // Only this object writes lists, but a value below the last list must never be overwritten.
    const long last = lists->allCells()->rowCount();
    while (row <= last && !lists->cells(row, ListColumn)->value().isEmpty()) {
        RangePtr end = lists->cells(row, ListColumn)->endDown();
        row = end->row() + 1;
    }
    return row;
}

void clsFormNames::InitListsSheet() {
    WorksheetPtr lists = mForm.ListsSheet();
    if (!lists)
        throw NumberedError(err::ObjectNotSet, "clsFormNames", "Object variable not set: lists sheet");
    WorkbookPtr book = lists->parent();
    if (book)
        for (const WorkbookName& n : book->names())
            if (n.name.rfind(ListPrefix, 0) == 0) book->deleteName(n.name);
    mCount = 0;
    RangePtr columns = lists->columns(1, ListColumn);
    columns->clear();
    columns->clearComments();
    columns->setColumnWidth(20);
    lists->range("A1")->setValue(Variant("Sources:"));
    labelFormat(*lists->range("A1"));
    lists->range("B1")->setValue(Variant("Lists:"));
    labelFormat(*lists->range("B1"));
    lists->range("A2")->setValue(Variant("Boolean:"));
    lists->range("B2")->setValue(Variant("Value"));
    lists->range("B3")->setValue(Variant(true));
    lists->range("B4")->setValue(Variant(false));
    RangePtr block = lists->range("B2:B4");
    block->setFillColorIndex(36);
    block->rowAt(1)->setFillColorIndex(35);
    block->cell(1, 1)->setFontBold(true);
    mForm.Aux().ApplyMatrixBorders(*block);
    mLastRow = 4;
    if (book) book->addName(BooleanList, "=" + NameQuote::sheetReference(lists->name()) + "!R3C2:R4C2");
}

std::string clsFormNames::BuildLookupList(const clsRelation& relation) {
    WorksheetPtr lists = mForm.ListsSheet();
    if (!lists)
        throw NumberedError(err::ObjectNotSet, "clsFormNames", "Object variable not set: lists sheet");
    ++mCount;
    const std::string name = ListPrefix + std::to_string(mCount);
    const long row = NextListRow();
    const std::string column = NameQuote::bracketed(relation.Field());
    IDS& ds = mForm.DataSource();
    AdoRecordsetPtr rs = ds.GetRecordSet("SELECT DISTINCT " + column + " FROM " +
                                             clsAux::QuoteName(relation.Table()) + " ORDER BY " + column,
                                         false);
    try {
        const long long n = rs->recordCount();
        const long sheetRows = lists->allCells()->rowCount();
        if (row + n > sheetRows)
            throw NumberedError(err::NotImplemented, "clsFormNames",
                                modGlobalization::GetText(96, Variant(static_cast<std::int32_t>(sheetRows))));
        lists->cells(row, 1)->setValue(modSheetFill::LiteralText(relation.Table() + ":"));
        const long written = mForm.Aux().WriteListToSheet(*lists, *rs, name, row, ListColumn);
        mLastRow = row + written;
        RangePtr block = lists->rangeOf(row, ListColumn, mLastRow, ListColumn);
        block->setFillColorIndex(36);
        block->rowAt(1)->setFillColorIndex(35);
        block->cell(1, 1)->setFontBold(true);
        mForm.Aux().ApplyMatrixBorders(*block);
        lists->columns(1, 1)->autoFitColumns();
    } catch (...) {
        ds.CloseRecordSet(rs);
        throw;
    }
    ds.CloseRecordSet(rs);
    return name;
}

} // namespace qv
