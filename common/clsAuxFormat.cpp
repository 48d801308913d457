// The sheet side of clsAux: formatting driven by the settings (read anew on every call, so a
// change in the settings dialog shows on the next load), the named lookup lists, and the text
// and file-name operations. Colours are OLE colour numbers as the settings store them.
#include "common/clsAux.h"

#include "common/AppConstants.h"
#include "common/ISettings.h"
#include "common/SettingNames.h"
#include "common/modGlobalization.h"
#include "platform/NameQuote.h"
#include "platform/NumberedError.h"
#include "platform/engine/IAdoRecordset.h"
#include "platform/host/HostConstants.h"
#include "platform/host/IWorkbook.h"

#include <algorithm>
#include <cctype>

namespace qv {

namespace {

long colour(const Variant& v) {
    return static_cast<long>(v.toInt64());
}

} // namespace

bool clsAux::onFormSheet(const IRange& range) const {
    WorksheetPtr form = mCtx.formSheet ? mCtx.formSheet() : nullptr;
    WorksheetPtr own = range.worksheet();
    if (!form || !own) return false;
    if (form == own) return true;
    // Hosts may hand out a fresh handle per call; the same sheet has the same name in the same workbook.
    auto formBook = form->parent();
    auto ownBook = own->parent();
    return form->name() == own->name() && formBook && ownBook && formBook->fullName() == ownBook->fullName();
}

void clsAux::ApplyHeaderFormat(IRange& range) {
    RangePtr header = range.rowAt(1);
    header->setLocked(true);
    header->setFontBold(true);
    header->setFillColor(colour(GetSetting(setting::ColorTitleBack)));
    header->setFontColor(colour(GetSetting(setting::ColorTitleFront)));
}

void clsAux::ApplyMatrixBorders(IRange& range) {
    long lines = colour(GetSetting(setting::ColorMatrixLines));
    for (xl::BorderEdge edge :
         {xl::BorderEdge::Left, xl::BorderEdge::Top, xl::BorderEdge::Bottom, xl::BorderEdge::Right})
        range.setBorder(edge, xl::LineStyleContinuous, xl::WeightThin, lines);
    if (range.columnCount() >= 2)
        range.setBorder(xl::BorderEdge::InsideVertical, xl::LineStyleContinuous, xl::WeightThin, lines);
    if (range.rowCount() >= 2)
        range.setBorder(xl::BorderEdge::InsideHorizontal, xl::LineStyleContinuous, xl::WeightThin, lines);
}

void clsAux::ApplyColumnLayout(IRange& range, const std::vector<ColumnProperties>& fields) {
    if (settingIsTrue(setting::ApplyColumnPropertiesAccess) && onFormSheet(range)) {
        long columns = std::min<long>(range.columnCount(), static_cast<long>(fields.size()));
        for (long i = 0; i < columns; ++i) {
            const ColumnProperties& f = fields[static_cast<std::size_t>(i)];
            RangePtr column = range.columnAt(i + 1);
            if (f.hidden) column->setColumnHidden(true);
            // Access keeps widths in twips; 110 twips make about one character of the host.
            if (f.widthTwips != -1) column->setColumnWidth(static_cast<double>(f.widthTwips) / 110.0);
        }
        return;
    }
    if (settingIsTrue(setting::AdjustWidthsAutomatically))
        range.autoFitColumns();
    else
        range.setColumnWidth(GetSetting(setting::FixedColumnWidth).toDouble());
}

void clsAux::ApplyFormFormat(IRange& range, const std::vector<ColumnProperties>& fields) {
    ApplyHeaderFormat(range);
    ApplyMatrixBorders(range);
    ApplyColumnLayout(range, fields);
}

void clsAux::ApplyFreezeTopRow(IWorksheet& sheet) {
    sheet.freezePanes(0, 0);
    if (!settingIsTrue(setting::FreezeTopRow)) return;
    sheet.rows(2, 2)->select();
    sheet.freezePanes(2, 1);
    sheet.range("A1")->select();
}

void clsAux::CheckRecordLimit(const IAdoRecordset& rs, IWorksheet& sheet) {
    CheckRecordLimit(rs, static_cast<long long>(sheet.allCells()->rowCount()));
}

void clsAux::CheckRecordLimit(const IAdoRecordset& rs, long long sheetRows) {
    const long long records = rs.recordCount();
    if (records >= sheetRows - 1)
        throw NumberedError(err::PreparedMessage, std::string(APP_TITLE),
                            modGlobalization::GetText(31, Variant(static_cast<std::int64_t>(records))));
}

long clsAux::WriteListToSheet(IWorksheet& sheet, IAdoRecordset& rs, const std::string& listName, long row,
                              long column) {
    CheckRecordLimit(rs, sheet);
    long written = 0;
    if (mCtx.fillSheetFromRecordset) {
        written = mCtx.fillSheetFromRecordset(sheet, rs, row, column);
    } else {
        sheet.cells(row, column)
            ->setValue(Variant(rs.fieldCount() > 0 ? rs.field(0L)->name() : std::string()));
        written = sheet.cells(row + 1, column)->copyFromRecordset(rs);
    }
    if (written <= 0) {
        // An empty list still needs a cell for the validation to refer to. Both texts are
        // Dutch in every language.
        RangePtr header = sheet.cells(row, column);
        if (header->comment()) header->clearComments();
        header->addComment("Geen waarde(s) aangetroffen");
        sheet.cells(row + 1, column)->setValue(Variant("[leeg]"));
        written = 1;
    }
    auto book = sheet.parent();
    if (!book) throw NumberedError(err::ObjectNotSet, "clsAux", "Object variable not set: workbook");
    std::string col = std::to_string(column);
    book->addName(listName, "=" + NameQuote::sheetReference(sheet.name()) + "!R" + std::to_string(row + 1) +
                                "C" + col + ":R" + std::to_string(row + written) + "C" + col);
    return written;
}

// --- text and file names

std::string clsAux::ColumnLetters(long column) {
    constexpr long MaxColumns = 16384; // the host's last column, XFD
    if (column < 1 || column > MaxColumns) throw ErrorCatalogue::make(err::ApplicationDefined, "clsAux");
    std::string letters;
    for (long n = column; n > 0; n = (n - 1) / 26)
        letters.insert(letters.begin(), static_cast<char>('A' + (n - 1) % 26));
    return letters;
}

std::string clsAux::QuoteName(const std::string& dottedName) {
    return NameQuote::bracketedPath(dottedName);
}

std::string clsAux::TextAfterFirstDot(const std::string& text) {
    std::size_t dot = text.find('.');
    return dot == std::string::npos ? text : text.substr(dot + 1);
}

std::string clsAux::FileNameOf(const std::string& path) {
    std::string p = path;
    while (p.size() > 1 && (p.back() == '\\' || p.back() == '/'))
        p.pop_back();
    std::size_t sep = p.find_last_of("\\/");
    std::string name = sep == std::string::npos ? p : p.substr(sep + 1);
    // A bare drive ("C:") has no file name.
    if (name.size() == 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0]))) return {};
    if (name == "\\" || name == "/") return {};
    return name;
}

std::string clsAux::FileExtension(const std::string& path) {
    std::string name = FileNameOf(path);
    std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) return {};
    std::string ext = name.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

bool clsAux::IsNumericKey(int keyCode) {
    if (keyCode >= 48 && keyCode <= 57) return true;
    switch (keyCode) {
    case 8:  // backspace
    case 9:  // tab
    case 12: // clear
    case 37: // arrows
    case 38:
    case 39:
    case 40:
    case 46: // delete
        return true;
    default:
        return false;
    }
}

} // namespace qv
