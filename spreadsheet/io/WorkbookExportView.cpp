// Cells are stored by column but visited row by row: each row walks the stored columns, which
// for a typical sheet of a few dozen columns stays within the caches.
#include "spreadsheet/io/WorkbookExportView.h"

#include "platform/NumberedError.h"
#include "spreadsheet/model/PasswordHash.h"
#include "spreadsheet/model/Workbook.h"
#include "spreadsheet/model/Worksheet.h"

#include <algorithm>

namespace qv::sheet {

std::vector<CellStyle> WorkbookExportView::styles() const {
    return mBook.styles().all();
}

long WorkbookExportView::sheetCount() const {
    return static_cast<long>(mBook.sheets().size());
}

ExportSheet WorkbookExportView::sheet(long index) const {
    if (index < 0 || index >= sheetCount())
        throw ErrorCatalogue::make(err::SubscriptOutOfRange, "WorkbookExport");
    const Worksheet& ws = *mBook.sheets()[index];
    const SheetCells& cells = ws.data();
    ExportSheet out;
    out.name = ws.name();
    out.visibility = ws.visible();
    if (auto used = cells.usedExtent()) {
        out.lastRow = used->r2;
        out.lastColumn = used->c2;
    }
    const long stored = cells.columnCount();
    const bool sheetFormatted = cells.sheetStyle() != 0;
    for (long c = 1; c <= (sheetFormatted ? MaxColumn : stored); ++c) {
        const ColumnStore* col = cells.findColumn(c);
        ExportColumn e;
        e.index = c;
        if (col) {
            e.width = col->hidden ? 0 : col->width;
            e.hidden = col->hidden;
            e.style = col->defaultStyle != InheritStyle ? col->defaultStyle : cells.sheetStyle();
        } else {
            e.style = cells.sheetStyle();
        }
        if (e.width >= 0 || e.hidden || e.style != 0) out.columns.push_back(e);
    }
    out.hiddenRows = cells.hiddenRows();
    out.frozenRows = ws.frozenRows();
    out.frozenColumns = ws.frozenColumns();
    out.showHeadings = ws.displayHeadings();
    out.showZeros = ws.displayZeros();
    out.showGridlines = ws.displayGridlines();
    if (const auto& filter = ws.autoFilterState())
        out.autoFilterRef = CellAddress::formatA1(filter->list(), false, false);
    for (const auto& rule : ws.validations().rules()) {
        ExportValidation v;
        for (const auto& a : rule.areas) {
            if (!v.sqref.empty()) v.sqref += ' ';
            v.sqref += CellAddress::formatA1(a, false, false);
        }
        v.type = rule.type;
        v.alertStyle = rule.alert;
        v.op = rule.op;
        v.formula1 =
            !rule.formula1.empty() && rule.formula1[0] == '=' ? rule.formula1.substr(1) : rule.formula1;
        v.formula2 =
            !rule.formula2.empty() && rule.formula2[0] == '=' ? rule.formula2.substr(1) : rule.formula2;
        // A literal list is written quoted, the way the files keep it.
        if (rule.type == 3 && !rule.formula1.empty() && rule.formula1[0] != '=')
            v.formula1 = "\"" + rule.formula1 + "\"";
        v.errorTitle = rule.errorTitle;
        v.errorMessage = rule.errorMessage;
        v.inputTitle = rule.inputTitle;
        v.inputMessage = rule.inputMessage;
        v.ignoreBlank = rule.ignoreBlank;
        v.inCellDropdown = rule.inCellDropdown;
        v.showError = rule.showError;
        v.showInput = rule.showInput;
        out.validations.push_back(std::move(v));
    }
    for (const auto& [pos, c] : ws.comments())
        out.comments.push_back({pos.first, pos.second, c->author, c->text});
    const auto& p = ws.protection();
    out.protection.on = p.on;
    out.protection.passwordHash = !p.on                     ? std::string()
                                  : !p.passwordHash.empty() ? p.passwordHash
                                                            : PasswordHash::legacy(p.password);
    // A newer salted verifier read from a file cannot be written back in the legacy form.
    if (out.protection.passwordHash.size() != 4) out.protection.passwordHash.clear();
    out.protection.allowFormatColumns = p.allowFormattingColumns;
    out.protection.allowAutoFilter = p.allowFiltering;
    out.protection.selectLockedCells = ws.enableSelection() == 0;
    out.protection.selectUnlockedCells = ws.enableSelection() != -4142;
    out.active = mBook.activeSheet().get() == &ws;
    return out;
}

void WorkbookExportView::forEachCell(long sheetIndex,
                                     const std::function<void(long, long, const ExportCell&)>& visit) const {
    forEachCellInRows(sheetIndex, 1, MaxRow, visit);
}

void WorkbookExportView::forEachCellInRows(
    long sheetIndex, long firstRow, long lastRow,
    const std::function<void(long, long, const ExportCell&)>& visit) const {
    if (sheetIndex < 0 || sheetIndex >= sheetCount())
        throw ErrorCatalogue::make(err::SubscriptOutOfRange, "WorkbookExport");
    const Worksheet& ws = *mBook.sheets()[sheetIndex];
    const SheetCells& cells = ws.data();
    auto used = cells.usedExtent();
    if (!used) return;
    // One cell per column, reused row after row: a column's texts then share one buffer, and
    // a sheet of any length costs no allocation per cell.
    std::vector<ExportCell> row(static_cast<std::size_t>(used->c2 - used->c1 + 1));
    for (long r = std::max(used->r1, firstRow); r <= std::min(used->r2, lastRow); ++r) {
        const bool rowFormatted = cells.rowStyle(r) != InheritStyle;
        for (long c = used->c1; c <= used->c2; ++c) {
            const ColumnStore* col = cells.findColumn(c);
            const bool filled = col && col->kind(r) != CellKind::Empty;
            const std::string* formula = cells.formula(r, c);
            const bool ownStyle = col && col->style(r) != InheritStyle;
            if (!filled && !formula && !ownStyle && !rowFormatted) continue;
            ExportCell& cell = row[static_cast<std::size_t>(c - used->c1)];
            if (filled)
                cells.valueInto(r, c, cell.value);
            else
                cell.value = Variant();
            cell.style = cells.effectiveStyle(r, c);
            if (formula)
                cell.formula = formula->size() > 1 && (*formula)[0] == '=' ? formula->substr(1) : *formula;
            else
                cell.formula.clear();
            visit(r, c, cell);
        }
    }
}

std::vector<ExportName> WorkbookExportView::names() const {
    std::vector<ExportName> out;
    for (const auto& n : mBook.nameTable().all())
        out.push_back({n.name, NameTable::refersToA1(n), !n.visible});
    return out;
}

bool WorkbookExportView::structureProtected() const {
    return mBook.structureProtected();
}

std::string WorkbookExportView::structurePasswordHash() const {
    if (!mBook.structureProtected()) return {};
    if (mBook.structurePasswordHash().empty()) return PasswordHash::legacy(mBook.structurePassword());
    // A newer salted verifier read from a file cannot be written back in the legacy form.
    return mBook.structurePasswordHash().size() == 4 ? mBook.structurePasswordHash() : std::string();
}

std::vector<std::pair<std::string, std::string>> WorkbookExportView::customProperties() const {
    std::vector<std::pair<std::string, std::string>> out;
    for (const auto& [key, entry] : mBook.customProperties())
        if (!entry.second.isEmpty() && !entry.second.isNull())
            out.emplace_back(entry.first, entry.second.toString());
    return out;
}

std::vector<std::pair<bool, std::string>> WorkbookExportView::customUIParts() const {
    std::vector<std::pair<bool, std::string>> out;
    for (const auto& p : mBook.customUIParts())
        out.emplace_back(p.office2010, p.xml);
    return out;
}

std::string WorkbookExportView::title() const {
    auto it = mBook.builtinProperties().find("Title");
    return it == mBook.builtinProperties().end() || it->second.isEmpty() ? std::string()
                                                                         : it->second.toString();
}

std::vector<std::pair<std::string, std::string>> WorkbookExportView::documentProperties() const {
    std::vector<std::pair<std::string, std::string>> out;
    for (const auto& [name, value] : mBook.builtinProperties())
        if (!value.isEmpty() && !value.isNull()) out.emplace_back(name, value.toString());
    return out;
}

bool WorkbookExportView::windowHidden() const {
    return mBook.windowHidden();
}

} // namespace qv::sheet
