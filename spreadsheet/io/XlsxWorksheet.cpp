// See XlsxWorksheet.h. Element order follows the schema's sequence (views, columns, data,
// protection, filter, validation, drawing), which the spreadsheet programs enforce.
#include "spreadsheet/io/XlsxWorksheet.h"

#include "platform/NumberedError.h"
#include "platform/Utf8.h"
#include "spreadsheet/io/ExportValues.h"
#include "spreadsheet/io/OutputBuffer.h"
#include "spreadsheet/io/XlsxStyles.h"
#include "spreadsheet/model/CellAddress.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fmt/format.h>
#include <regex>

namespace qv::sheet {

namespace {

const char* validationType(int t) {
    static const char* names[] = {"none", "whole", "decimal", "list", "date", "time", "textLength", "custom"};
    return t >= 0 && t <= 7 ? names[t] : "none";
}
const char* validationOperator(int op) {
    static const char* names[] = {
        "between",  "notBetween",         "equal",          "notEqual", "greaterThan",
        "lessThan", "greaterThanOrEqual", "lessThanOrEqual"};
    return op >= 1 && op <= 8 ? names[op - 1] : "between";
}
const char* alertStyle(int a) {
    return a == 2 ? "warning" : a == 3 ? "information" : "stop";
}

void attr(OutputBuffer& out, const char* name, const std::string& value) {
    if (value.empty()) return;
    out << ' ' << name << "=\"";
    out.xmlAttr(value);
    out << '"';
}

bool needsPreserve(const std::string& s) {
    if (s.empty()) return false;
    auto ws = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    return ws(s.front()) || ws(s.back());
}

// Streams the cells; keeps the open row and merges in hidden rows that have no cells.
class SheetDataWriter {
  public:
    SheetDataWriter(OutputBuffer& out, const XlsxStyles& styles, const ExportSheet& sheet)
        : mOut(out), mStyles(styles), mSheetName(sheet.name), mHidden(sheet.hiddenRows) {
        std::sort(mHidden.begin(), mHidden.end());
        mHidden.erase(std::unique(mHidden.begin(), mHidden.end()), mHidden.end());
    }

    void cell(long row, long column, const ExportCell& c) {
        const Variant& v = c.value;
        std::uint32_t xf = mStyles.xf(c.style);
        bool blank = v.isEmpty() || v.isNull() || v.isBinary() || v.isMissing();
        if (blank && xf == 0 && c.formula.empty()) return; // nothing a reader could see
        if (row != mRow) openRow(row);
        const char* type = nullptr;
        double serial = 0;
        switch (v.type()) {
        case VarType::Boolean:
            type = "b";
            break;
        case VarType::String:
            type = c.formula.empty() ? "inlineStr" : "str";
            break;
        case VarType::Error:
            if (!v.isMissing()) type = "e";
            break;
        case VarType::Date: {
            double d = v.toDate().value;
            if (XlsxWorksheet::serialFromOleDate(d, serial))
                xf = mStyles.dateXf(c.style, d != std::floor(d));
            else
                type = "inlineStr"; // before 1900 the file has no serial for it: written as date text
            break;
        }
        default:
            if (v.isNumber() && !std::isfinite(v.toDouble())) type = "e";
            break;
        }
        // A cell without a reference is the one right of the cell before it (or the row's
        // first); the reference is written only after a gap. On a full table that leaves out
        // a fifth of the part's bytes, which is a fifth of the deflate time. Rows keep theirs.
        if (column == mColumn + 1) {
            mOut << "<c";
        } else {
            mOut << "<c r=\"";
            mOut << columnLetters(column);
            mOut << std::string_view(mRowText, mRowTextLength);
            mOut << '"';
        }
        mColumn = column;
        if (xf) {
            mOut << " s=\"";
            mOut.integer(xf);
            mOut << '"';
        }
        if (type) mOut << " t=\"" << type << '"';
        if (!c.formula.empty()) {
            mOut << "><f>";
            mOut.xmlText(c.formula, true);
            mOut << "</f>";
        } else if (v.isEmpty() || v.isNull() || v.isBinary() || v.isMissing()) {
            mOut << "/>";
            return;
        } else {
            mOut << '>';
        }
        switch (v.type()) {
        case VarType::Empty:
        case VarType::Null:
        case VarType::Binary:
            break;
        case VarType::Boolean:
            mOut << (v.toBool() ? "<v>1</v>" : "<v>0</v>");
            break;
        case VarType::Error:
            if (!v.isMissing()) mOut << "<v>" << ExportValues::errorName(v.error().code) << "</v>";
            break;
        case VarType::String:
            checkLength(row, column, v.str());
            if (c.formula.empty()) {
                mOut << (needsPreserve(v.str()) ? "<is><t xml:space=\"preserve\">" : "<is><t>");
                mOut.xmlText(v.str(), true);
                mOut << "</t></is>";
            } else {
                mOut << "<v>";
                mOut.xmlText(v.str(), true);
                mOut << "</v>";
            }
            break;
        case VarType::Date:
            if (type) {
                mOut << "<is><t>";
                mOut.xmlText(ExportValues::dateText(v.toDate().value));
                mOut << "</t></is>";
            } else {
                mOut << "<v>";
                mOut.number(serial);
                mOut << "</v>";
            }
            break;
        case VarType::Integer:
        case VarType::Long:
        case VarType::LongLong:
        case VarType::Byte:
            mOut << "<v>";
            mOut.integer(v.toInt64());
            mOut << "</v>";
            break;
        case VarType::Single:
            if (!type) {
                mOut << "<v>";
                mOut.number(static_cast<float>(v.toDouble()));
                mOut << "</v>";
                break;
            }
            [[fallthrough]];
        default:
            if (type) {
                mOut << "<v>#NUM!</v>";
            } else {
                mOut << "<v>";
                mOut.number(v.toDouble());
                mOut << "</v>";
            }
        }
        mOut << "</c>";
    }

    void finish() {
        if (mRow) mOut << "</row>";
        for (; mNextHidden < mHidden.size(); ++mNextHidden)
            emptyHiddenRow(mHidden[mNextHidden]);
    }

  private:
    // The programs that read the file, ours among them, refuse a cell text past 32767 UTF-16
    // units (the limit of a cell), and then refuse the whole workbook. Cutting the text would
    // lose data without the person knowing; refusing the save keeps the workbook in memory and
    // the file on disk as they were, and says which cell to shorten.
    void checkLength(long row, long column, const std::string& text) const {
        if (text.size() <= XlsxWorksheet::MaxCellText) return; // never more units than bytes
        std::size_t units = Utf8::utf16Length(text);
        if (units <= XlsxWorksheet::MaxCellText) return;
        std::string cell = XlsxWorksheet::quotedSheetName(mSheetName) + "!" +
                           CellAddress::columnLetters(column) + std::to_string(row);
        throw NumberedError(
            err::ApplicationDefined, "Workbook",
            fmt::format("Cell {} holds a text of {} characters; a cell of an .xlsx workbook holds at "
                        "most {}. Shorten the text, or save as .csv, .txt or .xml, which keep it "
                        "whole. Nothing was saved.",
                        cell, units, XlsxWorksheet::MaxCellText));
    }
    std::string_view columnLetters(long column) {
        if (column < 1 || column > 16384) return {};
        if (static_cast<std::size_t>(column) >= mLetters.size()) {
            std::size_t from = mLetters.size();
            mLetters.resize(static_cast<std::size_t>(column) + 1);
            for (std::size_t c = std::max<std::size_t>(from, 1); c < mLetters.size(); ++c) {
                std::string l = CellAddress::columnLetters(static_cast<long>(c));
                std::memcpy(mLetters[c].data(), l.data(), l.size());
                mLetters[c][3] = static_cast<char>(l.size());
            }
        }
        const auto& l = mLetters[static_cast<std::size_t>(column)];
        return std::string_view(l.data(), static_cast<std::size_t>(l[3]));
    }
    void emptyHiddenRow(long r) {
        mOut << "<row r=\"";
        mOut.integer(r);
        mOut << "\" hidden=\"1\"/>";
    }
    void openRow(long row) {
        if (mRow) mOut << "</row>";
        while (mNextHidden < mHidden.size() && mHidden[mNextHidden] < row)
            emptyHiddenRow(mHidden[mNextHidden++]);
        bool hidden = mNextHidden < mHidden.size() && mHidden[mNextHidden] == row;
        if (hidden) ++mNextHidden;
        mRowTextLength =
            static_cast<std::size_t>(std::to_chars(mRowText, mRowText + sizeof mRowText, row).ptr - mRowText);
        mOut << "<row r=\"";
        mOut << std::string_view(mRowText, mRowTextLength);
        mOut << (hidden ? "\" hidden=\"1\">" : "\">");
        mRow = row;
        mColumn = 0;
    }

    OutputBuffer& mOut;
    const XlsxStyles& mStyles;
    std::string mSheetName;
    std::vector<long> mHidden;
    std::size_t mNextHidden = 0;
    long mRow = 0;
    long mColumn = 0; // of the last cell written in the open row
    char mRowText[24] = {};
    std::size_t mRowTextLength = 0;
    std::vector<std::array<char, 4>> mLetters; // up to three letters, then their count
};

void writeSheetView(OutputBuffer& out, const ExportSheet& sheet) {
    out << "<sheetViews><sheetView workbookViewId=\"0\"";
    if (sheet.active) out << " tabSelected=\"1\"";
    if (!sheet.showGridlines) out << " showGridLines=\"0\"";
    if (!sheet.showHeadings) out << " showRowColHeaders=\"0\"";
    if (!sheet.showZeros) out << " showZeros=\"0\"";
    if (sheet.frozenRows <= 0 && sheet.frozenColumns <= 0) {
        out << "/></sheetViews>";
        return;
    }
    out << "><pane";
    if (sheet.frozenColumns > 0) {
        out << " xSplit=\"";
        out.integer(sheet.frozenColumns);
        out << '"';
    }
    if (sheet.frozenRows > 0) {
        out << " ySplit=\"";
        out.integer(sheet.frozenRows);
        out << '"';
    }
    const char* pane = sheet.frozenRows > 0 && sheet.frozenColumns > 0 ? "bottomRight"
                       : sheet.frozenRows > 0                          ? "bottomLeft"
                                                                       : "topRight";
    out << " topLeftCell=\"";
    out.cellRef(std::max(sheet.frozenRows, 0L) + 1, std::max(sheet.frozenColumns, 0L) + 1);
    out << "\" activePane=\"" << pane << "\" state=\"frozen\"/><selection pane=\"" << pane
        << "\"/></sheetView></sheetViews>";
}

void writeColumns(OutputBuffer& out, const ExportSheet& sheet, const XlsxStyles& styles) {
    std::vector<ExportColumn> cols = sheet.columns;
    std::sort(cols.begin(), cols.end(),
              [](const ExportColumn& a, const ExportColumn& b) { return a.index < b.index; });
    bool any = false;
    for (const ExportColumn& c : cols) {
        if (c.index < 1 || c.index > 16384) continue;
        if (!any) out << "<cols>";
        any = true;
        out << "<col min=\"";
        out.integer(c.index);
        out << "\" max=\"";
        out.integer(c.index);
        out << "\" width=\"";
        out.number(c.width >= 0 ? ExportValues::fileColumnWidth(c.width)
                                : ExportValues::fileColumnWidth(8.43));
        out << '"';
        if (c.width >= 0) out << " customWidth=\"1\"";
        if (c.hidden) out << " hidden=\"1\"";
        if (styles.xf(c.style)) {
            out << " style=\"";
            out.integer(styles.xf(c.style));
            out << '"';
        }
        out << "/>";
    }
    if (any) out << "</cols>";
}

void writeProtection(OutputBuffer& out, const ExportProtection& p) {
    if (!p.on) return;
    out << "<sheetProtection";
    attr(out, "password", p.passwordHash);
    out << " sheet=\"1\" objects=\"1\" scenarios=\"1\"";
    if (p.allowFormatColumns) out << " formatColumns=\"0\"";
    if (!p.selectLockedCells) out << " selectLockedCells=\"1\"";
    if (p.allowAutoFilter) out << " autoFilter=\"0\"";
    if (!p.selectUnlockedCells) out << " selectUnlockedCells=\"1\"";
    out << "/>";
}

void writeValidations(OutputBuffer& out, const ExportSheet& sheet, const std::set<std::string>& names) {
    if (sheet.validations.empty()) return;
    out << "<dataValidations count=\"";
    out.integer(static_cast<std::int64_t>(sheet.validations.size()));
    out << "\">";
    for (const ExportValidation& v : sheet.validations) {
        out << "<dataValidation type=\"" << validationType(v.type) << "\" errorStyle=\""
            << alertStyle(v.alertStyle) << '"';
        bool usesOperator = v.type != 0 && v.type != 3 && v.type != 7;
        if (usesOperator) out << " operator=\"" << validationOperator(v.op) << '"';
        if (v.ignoreBlank) out << " allowBlank=\"1\"";
        if (v.type == 3 && !v.inCellDropdown) out << " showDropDown=\"1\""; // the attribute means "hide"
        if (v.showInput) out << " showInputMessage=\"1\"";
        if (v.showError) out << " showErrorMessage=\"1\"";
        attr(out, "errorTitle", v.errorTitle);
        attr(out, "error", v.errorMessage);
        attr(out, "promptTitle", v.inputTitle);
        attr(out, "prompt", v.inputMessage);
        out << " sqref=\"";
        out.xmlAttr(v.sqref);
        out << "\">";
        std::string f1 = XlsxWorksheet::validationFormula(v, v.formula1, names);
        if (!f1.empty()) {
            out << "<formula1>";
            out.xmlText(f1);
            out << "</formula1>";
        }
        bool two = usesOperator && (v.op == 1 || v.op == 2);
        std::string f2 = two ? XlsxWorksheet::validationFormula(v, v.formula2, names) : std::string();
        if (!f2.empty()) {
            out << "<formula2>";
            out.xmlText(f2);
            out << "</formula2>";
        }
        out << "</dataValidation>";
    }
    out << "</dataValidations>";
}

} // namespace

std::string XlsxWorksheet::quotedSheetName(const std::string& name) {
    std::string q = "'";
    for (char c : name) {
        if (c == '\'') q += '\'';
        q += c;
    }
    return q + "'";
}

bool XlsxWorksheet::serialFromOleDate(double ole, double& serial) {
    if (!std::isfinite(ole) || ole < 0) return false;
    // OLE day 1 is 31 December 1899, the file's day 1 is 1 January 1900; from 1 March 1900
    // (OLE 61) on both count the same. Values below 1 are times of day and stay as they are.
    serial = ole >= 1 && ole < 61 ? ole - 1 : ole;
    return !(ole >= 1 && ole < 2); // 31 December 1899 has no serial
}

std::string XlsxWorksheet::validationFormula(const ExportValidation& v, const std::string& formula,
                                             const std::set<std::string>& definedNames) {
    std::string f = !formula.empty() && formula.front() == '=' ? formula.substr(1) : formula;
    if (f.empty() || v.type != 3) return f;
    if (f.front() == '"' || definedNames.count(f)) return f;
    static const std::regex reference(
        R"(^(('[^']+'|[A-Za-z_][\w.]*)!)?(\$?[A-Za-z]{1,3}\$?\d+(:\$?[A-Za-z]{1,3}\$?\d+)?|\$?[A-Za-z]{1,3}:\$?[A-Za-z]{1,3})$)");
    if (std::regex_match(f, reference)) return f;
    std::string quoted = "\"";
    for (char c : f) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

void XlsxWorksheet::write(OutputBuffer& out, const IWorkbookExport& book, long index,
                          const ExportSheet& sheet, const XlsxStyles& styles,
                          const std::set<std::string>& definedNames, const std::string& legacyDrawingRel) {
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
           "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
           "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">";
    if (!sheet.autoFilterRef.empty()) out << "<sheetPr filterMode=\"0\"/>";
    out << "<dimension ref=\"A1";
    if (sheet.lastRow > 0 && sheet.lastColumn > 0 && (sheet.lastRow > 1 || sheet.lastColumn > 1)) {
        out << ':';
        out.cellRef(sheet.lastRow, sheet.lastColumn);
    }
    out << "\"/>";
    writeSheetView(out, sheet);
    out << "<sheetFormatPr defaultRowHeight=\"15\"/>";
    writeColumns(out, sheet, styles);
    out << "<sheetData>";
    SheetDataWriter data(out, styles, sheet);
    book.forEachCell(index,
                     [&data](long row, long column, const ExportCell& c) { data.cell(row, column, c); });
    data.finish();
    out << "</sheetData>";
    writeProtection(out, sheet.protection);
    if (!sheet.autoFilterRef.empty()) {
        out << "<autoFilter ref=\"";
        out.xmlAttr(sheet.autoFilterRef);
        out << "\"/>";
    }
    writeValidations(out, sheet, definedNames);
    out << "<pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" "
           "footer=\"0.3\"/>";
    if (!legacyDrawingRel.empty()) out << "<legacyDrawing r:id=\"" << legacyDrawingRel << "\"/>";
    out << "</worksheet>";
}

} // namespace qv::sheet
