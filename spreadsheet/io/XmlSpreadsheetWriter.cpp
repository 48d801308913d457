// See XmlSpreadsheetWriter.h. Cells are streamed like the other formats; only the options
// that follow the table (panes, protection, validation) need the sheet's description.
#include "spreadsheet/io/XmlSpreadsheetWriter.h"

#include "platform/OleDateTime.h"
#include "spreadsheet/io/BlockPipeline.h"
#include "spreadsheet/io/ExportSheets.h"
#include "spreadsheet/io/ExportValues.h"
#include "spreadsheet/io/OutputBuffer.h"
#include "spreadsheet/io/XlsxWorksheet.h"

#include <algorithm>
#include <cmath>
#include <fmt/compile.h>
#include <fmt/format.h>
#include <functional>
#include <iterator>
#include <limits>
#include <map>
#include <set>

namespace qv::sheet {

namespace {

bool isLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isNameChar(char c) {
    return isLetter(c) || isDigit(c) || c == '_' || c == '.';
}

long columnNumber(std::string_view letters) {
    long n = 0;
    for (char c : letters)
        n = n * 26 + ((c & ~0x20) - 'A' + 1);
    return n;
}

void styleXml(OutputBuffer& out, const std::string& id, const CellStyle& s, const std::string& numberFormat) {
    out << "<Style ss:ID=\"" << id << (id == "Default" ? "\" ss:Name=\"Normal\">" : "\">");
    switch (s.horizontalAlignment) {
    case -4131:
        out << "<Alignment ss:Horizontal=\"Left\"/>";
        break;
    case -4108:
        out << "<Alignment ss:Horizontal=\"Center\"/>";
        break;
    case -4152:
        out << "<Alignment ss:Horizontal=\"Right\"/>";
        break;
    default:
        break;
    }
    out << "<Borders>";
    const std::pair<const char*, const BorderLine*> sides[] = {
        {"Left", &s.left}, {"Top", &s.top}, {"Right", &s.right}, {"Bottom", &s.bottom}};
    for (const auto& [side, line] : sides) {
        if (line->style == 0 || line->style == static_cast<std::int8_t>(-4142)) continue;
        out << "<Border ss:Position=\"" << side << "\" ss:LineStyle=\"Continuous\" ss:Weight=\""
            << (line->weight == 1   ? "0"
                : line->weight == 4 ? "3"
                : line->weight == 2 ? "1"
                                    : "2")
            << '"';
        std::string c = ExportValues::htmlFromOle(line->color);
        if (!c.empty()) out << " ss:Color=\"" << c << '"';
        out << "/>";
    }
    out << "</Borders><Font ss:FontName=\"Calibri\" ss:Size=\"11\"";
    if (s.bold) out << " ss:Bold=\"1\"";
    std::string font = ExportValues::htmlFromOle(s.fontColor);
    if (!font.empty()) out << " ss:Color=\"" << font << '"';
    out << "/>";
    std::string fill = ExportValues::htmlFromOle(s.fillColor);
    if (!fill.empty()) out << "<Interior ss:Color=\"" << fill << "\" ss:Pattern=\"Solid\"/>";
    if (numberFormat != "General") {
        out << "<NumberFormat ss:Format=\"";
        out.xmlAttr(numberFormat);
        out << "\"/>";
    }
    out << "<Protection ss:Protected=\"" << (s.locked ? "1" : "0") << "\"/></Style>";
}

void dateText(double ole, std::string& out) {
    DateTimeParts p = OleDateTime::toParts(ole);
    fmt::format_to(std::back_inserter(out), "{:04}-{:02}-{:02}T{:02}:{:02}:{:02}.000", p.year, p.month, p.day,
                   p.hour, p.minute, p.second);
}

// A time without a date (OLE day 0): the format writes it on its own day 0, the day before
// 1 January 1900. It has no dates before 1900, so those are written as text.
void timeText(double ole, std::string& out) {
    DateTimeParts p = OleDateTime::toParts(ole);
    fmt::format_to(std::back_inserter(out), "1899-12-31T{:02}:{:02}:{:02}.000", p.hour, p.minute, p.second);
}

const char* validationType(int t) {
    static const char* names[] = {"AnyValue", "Whole", "Decimal",    "List",
                                  "Date",     "Time",  "TextLength", "Custom"};
    return t >= 0 && t <= 7 ? names[t] : "AnyValue";
}
const char* qualifier(int op) {
    static const char* names[] = {"Between", "NotBetween", "Equal",          "NotEqual",
                                  "Greater", "Less",       "GreaterOrEqual", "LessOrEqual"};
    return op >= 1 && op <= 8 ? names[op - 1] : "Between";
}

void element(OutputBuffer& out, const char* tag, const std::string& text) {
    if (text.empty()) return;
    out << '<' << tag << '>';
    out.xmlText(text);
    out << "</" << tag << '>';
}

// The top-left cell of a range list such as "B2:B100 D2", the base of its relative references.
void topLeft(const std::string& sqref, long& row, long& column) {
    std::size_t i = 0;
    while (i < sqref.size() && (isLetter(sqref[i]) || sqref[i] == '$'))
        ++i;
    column = std::max(1L, columnNumber(std::string_view(sqref).substr(0, i).substr(sqref[0] == '$' ? 1 : 0)));
    if (i < sqref.size() && sqref[i] == '$') ++i;
    row = std::max(1L, std::atol(sqref.c_str() + i));
}

void options(OutputBuffer& out, const ExportSheet& s, const std::set<std::string>& definedNames) {
    out << "<WorksheetOptions xmlns=\"urn:schemas-microsoft-com:office:excel\">";
    if (s.visibility == 0) out << "<Visible>SheetHidden</Visible>";
    if (s.visibility == 2) out << "<Visible>SheetVeryHidden</Visible>";
    if (s.active) out << "<Selected/>";
    if (s.frozenRows > 0 || s.frozenColumns > 0) {
        out << "<FreezePanes/><FrozenNoSplit/>";
        if (s.frozenRows > 0)
            out << fmt::format(
                "<SplitHorizontal>{0}</SplitHorizontal><TopRowBottomPane>{0}</TopRowBottomPane>",
                s.frozenRows);
        if (s.frozenColumns > 0)
            out << fmt::format(
                "<SplitVertical>{0}</SplitVertical><LeftColumnRightPane>{0}</LeftColumnRightPane>",
                s.frozenColumns);
        out << "<ActivePane>"
            << (s.frozenRows > 0 && s.frozenColumns > 0 ? "0"
                : s.frozenRows > 0                      ? "2"
                                                        : "1")
            << "</ActivePane>";
    }
    if (!s.showGridlines) out << "<DoNotDisplayGridlines/>";
    if (!s.showHeadings) out << "<DoNotDisplayHeadings/>";
    if (!s.showZeros) out << "<DoNotDisplayZeros/>";
    if (s.protection.on) {
        out << "<ProtectObjects>True</ProtectObjects><ProtectScenarios>True</ProtectScenarios>";
        if (s.protection.allowFormatColumns) out << "<AllowFormatColumns/>";
        if (s.protection.allowAutoFilter) out << "<AllowFilter/>";
        if (!s.protection.selectLockedCells)
            out << (s.protection.selectUnlockedCells ? "<EnableSelection>UnlockedCells</EnableSelection>"
                                                     : "<EnableSelection>NoSelection</EnableSelection>");
    }
    out << "</WorksheetOptions>";
    if (!s.autoFilterRef.empty()) {
        out << "<AutoFilter x:Range=\"";
        out.xmlAttr(XmlSpreadsheetWriter::toR1C1(s.autoFilterRef, 0, 0));
        out << "\" xmlns=\"urn:schemas-microsoft-com:office:excel\"></AutoFilter>";
    }
    for (const ExportValidation& v : s.validations) {
        long r = 1, c = 1;
        topLeft(v.sqref, r, c);
        out << "<DataValidation xmlns=\"urn:schemas-microsoft-com:office:excel\">";
        std::string range = XmlSpreadsheetWriter::toR1C1(v.sqref, 0, 0);
        for (char& ch : range)
            if (ch == ' ') ch = ',';
        element(out, "Range", range);
        if (v.type != 0) out << "<Type>" << validationType(v.type) << "</Type>";
        bool usesOperator = v.type != 0 && v.type != 3 && v.type != 7;
        if (usesOperator && v.op != 1) out << "<Qualifier>" << qualifier(v.op) << "</Qualifier>";
        std::string f1 =
            XmlSpreadsheetWriter::toR1C1(XlsxWorksheet::validationFormula(v, v.formula1, definedNames), r, c);
        std::string f2 = XmlSpreadsheetWriter::toR1C1(v.formula2, r, c);
        if (usesOperator && (v.op == 1 || v.op == 2)) {
            element(out, "Min", f1);
            element(out, "Max", f2);
        } else if (v.type == 3 && !f1.empty() && f1.front() != '"') {
            element(out, "Value", "=" + f1); // a range or a name
        } else {
            element(out, "Value", f1);
        }
        if (!v.ignoreBlank) out << "<IgnoreBlanks>False</IgnoreBlanks>";
        if (v.type == 3 && !v.inCellDropdown) out << "<ComboHide/>";
        if (!v.showInput) out << "<InputHide/>";
        element(out, "InputTitle", v.inputTitle);
        element(out, "InputMessage", v.inputMessage);
        if (!v.showError) out << "<ErrorHide/>";
        if (v.alertStyle == 2) out << "<ErrorStyle>Warn</ErrorStyle>";
        if (v.alertStyle == 3) out << "<ErrorStyle>Info</ErrorStyle>";
        element(out, "ErrorTitle", v.errorTitle);
        element(out, "ErrorMessage", v.errorMessage);
        out << "</DataValidation>";
    }
}

// What the rows of one sheet need, worked out once before its blocks are formatted; the
// blocks only read it.
struct SheetRows {
    long index = 0;
    std::set<long> hidden;
    std::map<std::pair<long, long>, ExportComment> comments;
};

// The rows first..last of a sheet: their cells, their comments (a comment on a cell without a
// value gets a cell of its own) and the hidden rows without cells among them. Every row opened
// here is closed here, so blocks of rows written apart join into what one pass writes. The
// last block runs to LONG_MAX, for the hidden rows and comments below the last cell.
void sheetRows(OutputBuffer& out, const IWorkbookExport& book, const SheetRows& sheet,
               const std::vector<CellStyle>& styles, long first, long last) {
    constexpr long End = std::numeric_limits<long>::max();
    long row = first - 1, nextColumn = 1;
    bool rowOpen = false;
    // Moves to row `r`, closing the open row and writing the hidden rows before `r`; opens `r`
    // unless it is where the block ends.
    auto ensureRow = [&](long r, bool open = true) {
        if (rowOpen && r == row) return;
        if (rowOpen) out << "</Row>";
        for (auto it = sheet.hidden.upper_bound(row); it != sheet.hidden.end() && *it < r; ++it) {
            out << "\n<Row ss:Index=\"";
            out.integer(*it);
            out << "\" ss:Hidden=\"1\"/>";
        }
        row = r;
        nextColumn = 1;
        rowOpen = open;
        if (!open) return;
        out << "\n<Row ss:Index=\"";
        out.integer(r);
        out << '"' << (sheet.hidden.count(r) ? " ss:Hidden=\"1\"" : "") << '>';
    };
    auto openCell = [&](long c) {
        out << "<Cell";
        if (c != nextColumn) {
            out << " ss:Index=\"";
            out.integer(c);
            out << '"';
        }
        nextColumn = c + 1;
    };
    auto comment = [&](const ExportComment& c) {
        out << "<Comment ss:Author=\"";
        out.xmlAttr(c.author);
        out << "\"><ss:Data>";
        out.xmlText(c.text);
        out << "</ss:Data></Comment>";
    };
    auto nextComment = sheet.comments.lower_bound({first, 0});
    const auto endComment = last == End ? sheet.comments.end() : sheet.comments.lower_bound({last + 1, 0});
    // Comments on cells without a value, in row order.
    auto commentsBefore = [&](long r, long c) {
        for (; nextComment != endComment && nextComment->first < std::make_pair(r, c); ++nextComment) {
            ensureRow(nextComment->first.first);
            openCell(nextComment->first.second);
            out << '>';
            comment(nextComment->second);
            out << "</Cell>";
        }
    };
    std::string text;
    book.forEachCellInRows(sheet.index, first, last, [&](long r, long c, const ExportCell& cell) {
        commentsBefore(r, c);
        ensureRow(r);
        openCell(c);
        std::uint32_t st = cell.style < styles.size() ? cell.style : 0;
        const Variant& v = cell.value;
        bool dateTwin = v.isDate() && styles[st].numberFormat == "General";
        if (dateTwin) {
            out << " ss:StyleID=\"d";
            out.integer(st);
            out << '"';
        } else if (st) {
            out << " ss:StyleID=\"s";
            out.integer(st);
            out << '"';
        }
        if (!cell.formula.empty()) {
            out << " ss:Formula=\"=";
            out.xmlAttr(XmlSpreadsheetWriter::toR1C1(cell.formula, r, c));
            out << '"';
        }
        out << '>';
        const char* type = nullptr;
        text.clear();
        std::string_view own; // a text cell's own characters, not copied
        if (v.isString())
            type = "String", own = v.str();
        else if (v.isBool())
            type = "Boolean", text.assign(v.toBool() ? "1" : "0");
        else if (v.isError() && !v.isMissing())
            type = "Error", text.assign(ExportValues::errorName(v.error().code));
        else if (v.isDate() && v.toDate().value >= 2)
            type = "DateTime", dateText(v.toDate().value, text);
        else if (v.isDate() && v.toDate().value >= 0 && v.toDate().value < 1)
            type = "DateTime", timeText(v.toDate().value, text);
        else if (v.isDate())
            type = "String", text = ExportValues::dateText(v.toDate().value);
        else if (v.type() == VarType::Single && std::isfinite(v.toDouble()))
            type = "Number",
            fmt::format_to(std::back_inserter(text), FMT_COMPILE("{}"), static_cast<float>(v.toDouble()));
        else if (v.isNumber() && std::isfinite(v.toDouble()))
            type = "Number", fmt::format_to(std::back_inserter(text), FMT_COMPILE("{}"), v.toDouble());
        else if (v.isNumber())
            type = "Error", text.assign("#NUM!");
        if (type) {
            out << "<Data ss:Type=\"" << type << "\">";
            out.xmlText(v.isString() ? own : std::string_view(text));
            out << "</Data>";
        }
        if (nextComment != endComment && nextComment->first == std::make_pair(r, c)) {
            comment(nextComment->second);
            ++nextComment;
        }
        out << "</Cell>";
    });
    commentsBefore(last == End ? End : last + 1, 0);
    ensureRow(last == End ? End : last + 1, false);
}

} // namespace

std::string XmlSpreadsheetWriter::toR1C1(const std::string& a1, long row, long column) {
    std::string out;
    std::size_t i = 0, n = a1.size();
    while (i < n) {
        char ch = a1[i];
        if (ch == '"' || ch == '\'') { // quoted text or sheet name: copied unchanged
            std::size_t j = i + 1;
            while (j < n && !(a1[j] == ch && (j + 1 >= n || a1[j + 1] != ch)))
                j += a1[j] == ch ? 2 : 1;
            out.append(a1, i, j + 1 - i);
            i = j + 1;
            continue;
        }
        if ((isLetter(ch) || ch == '$') && (i == 0 || !isNameChar(a1[i - 1]))) {
            std::size_t j = i;
            bool colAbs = a1[j] == '$';
            if (colAbs) ++j;
            std::size_t ls = j;
            while (j < n && isLetter(a1[j]))
                ++j;
            std::size_t le = j;
            bool rowAbs = j < n && a1[j] == '$';
            if (rowAbs) ++j;
            std::size_t ds = j;
            while (j < n && isDigit(a1[j]))
                ++j;
            bool isRef = le > ls && le - ls <= 3 && j > ds &&
                         (j >= n || (!isNameChar(a1[j]) && a1[j] != '(' && a1[j] != '!'));
            if (isRef) {
                long r = std::atol(a1.c_str() + ds),
                     c = columnNumber(std::string_view(a1).substr(ls, le - ls));
                if (row <= 0) rowAbs = colAbs = true;
                out += rowAbs     ? fmt::format("R{}", r)
                       : r == row ? std::string("R")
                                  : fmt::format("R[{}]", r - row);
                out += colAbs        ? fmt::format("C{}", c)
                       : c == column ? std::string("C")
                                     : fmt::format("C[{}]", c - column);
                i = j;
                continue;
            }
            while (i < n && (isNameChar(a1[i]) || a1[i] == '$'))
                out += a1[i++]; // a name or function
            continue;
        }
        out += ch;
        ++i;
    }
    return out;
}

void XmlSpreadsheetWriter::write(const IWorkbookExport& book, AtomicFile& file) const {
    ExportSheets::activeSheet(book); // refuses a workbook without a visible sheet
    std::vector<CellStyle> styles = book.styles();
    if (styles.empty()) styles.emplace_back();
    OutputBuffer out([&file](const char* d, std::size_t n) { file.write(d, n); });
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<?mso-application progid=\"Excel.Sheet\"?>\n"
           "<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\" "
           "xmlns:o=\"urn:schemas-microsoft-com:office:office\" "
           "xmlns:x=\"urn:schemas-microsoft-com:office:excel\" "
           "xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\" "
           "xmlns:html=\"http://www.w3.org/TR/REC-html40\">\n<DocumentProperties "
           "xmlns=\"urn:schemas-microsoft-com:office:office\">";
    element(out, "Title", book.title());
    for (const auto& [name, value] : book.documentProperties()) {
        if (name == "Author")
            element(out, "Author", value);
        else if (name == "Subject")
            element(out, "Subject", value);
        else if (name == "Company")
            element(out, "Company", value);
    }
    out << "</DocumentProperties>\n<ExcelWorkbook xmlns=\"urn:schemas-microsoft-com:office:excel\">";
    if (book.structureProtected()) out << "<ProtectStructure>True</ProtectStructure>";
    out << "<ActiveSheet>";
    out.integer(ExportSheets::activeSheet(book));
    out << "</ActiveSheet></ExcelWorkbook>\n<Styles>";
    for (std::size_t i = 0; i < styles.size(); ++i) {
        styleXml(out, i == 0 ? "Default" : fmt::format("s{}", i), styles[i], styles[i].numberFormat);
        // A date in a cell without a number format still shows as a date, as in the host.
        if (styles[i].numberFormat == "General")
            styleXml(out, fmt::format("d{}", i), styles[i], "General Date");
    }
    out << "</Styles>\n";
    std::vector<ExportName> names = book.names();
    std::set<std::string> definedNames;
    for (const ExportName& n : names)
        definedNames.insert(n.name);
    if (!names.empty()) {
        out << "<Names>";
        for (const ExportName& n : names) {
            out << "<NamedRange ss:Name=\"";
            out.xmlAttr(n.name);
            out << "\" ss:RefersTo=\"=";
            out.xmlAttr(toR1C1(n.refersToA1, 0, 0));
            out << '"' << (n.hidden ? " ss:Hidden=\"1\"" : "") << "/>";
        }
        out << "</Names>\n";
    }
    out.flush();
    // Each sheet: its head, its rows in blocks, then what follows the table.
    struct Piece {
        std::string text;
        const SheetRows* sheet = nullptr;
        long first = 0, last = 0;
    };
    std::vector<Piece> pieces(1);
    std::vector<SheetRows> sheets(static_cast<std::size_t>(book.sheetCount()));
    auto appendTo = [](std::string& target, const std::function<void(OutputBuffer&)>& fill) {
        OutputBuffer o([&target](const char* d, std::size_t n) { target.append(d, n); });
        fill(o);
        o.flush();
    };
    for (long si = 0; si < book.sheetCount(); ++si) {
        const ExportSheet s = book.sheet(si);
        SheetRows& rows = sheets[static_cast<std::size_t>(si)];
        rows.index = si;
        rows.hidden.insert(s.hiddenRows.begin(), s.hiddenRows.end());
        for (const ExportComment& c : s.comments)
            rows.comments[{c.row, c.column}] = c;
        appendTo(pieces.back().text, [&](OutputBuffer& part) {
            part << "<Worksheet ss:Name=\"";
            part.xmlAttr(s.name);
            part << '"' << (s.protection.on ? " ss:Protected=\"1\"" : "") << ">\n";
            if (!s.autoFilterRef.empty()) {
                part << "<Names><NamedRange ss:Name=\"_FilterDatabase\" ss:RefersTo=\"=";
                part.xmlAttr(XlsxWorksheet::quotedSheetName(s.name) + "!" + toR1C1(s.autoFilterRef, 0, 0));
                part << "\" ss:Hidden=\"1\"/></Names>";
            }
            part << "<Table>";
            for (const ExportColumn& c : s.columns) {
                part << "<Column ss:Index=\"";
                part.integer(c.index);
                part << '"';
                if (c.width >= 0) {
                    part << " ss:AutoFitWidth=\"0\" ss:Width=\"";
                    part.number(std::round((c.width * 7 + 5) * 0.75 * 4) / 4); // pixels to points
                    part << '"';
                }
                if (c.hidden) part << " ss:Hidden=\"1\"";
                if (c.style > 0 && c.style < styles.size())
                    part << " ss:StyleID=\"s" << std::to_string(c.style) << '"';
                part << "/>";
            }
        });
        for (long first = 1; first <= s.lastRow; first += mRowsPerBlock)
            pieces.push_back({{}, &rows, first, std::min(s.lastRow, first + mRowsPerBlock - 1)});
        pieces.push_back({{}, &rows, s.lastRow + 1, std::numeric_limits<long>::max()});
        pieces.emplace_back();
        appendTo(pieces.back().text, [&](OutputBuffer& part) {
            part << "\n</Table>\n";
            options(part, s, definedNames);
            part << "\n</Worksheet>\n";
        });
    }
    pieces.back().text += "</Workbook>\n";
    auto format = [&](std::size_t i, std::string& block) {
        const Piece& piece = pieces[i];
        if (!piece.sheet) {
            block = piece.text;
            return;
        }
        appendTo(block,
                 [&](OutputBuffer& o) { sheetRows(o, book, *piece.sheet, styles, piece.first, piece.last); });
    };
    BlockPipeline::run(pieces.size(), format,
                       [&file](std::string_view b) { file.write(b.data(), b.size()); });
}

} // namespace qv::sheet
