// See HtmlWriter.h. Each interned style becomes one CSS class, so a large table costs a
// class attribute per cell rather than an inline style.
#include "spreadsheet/io/HtmlWriter.h"

#include "spreadsheet/io/ExportSheets.h"
#include "spreadsheet/io/ExportValues.h"
#include "spreadsheet/io/OutputBuffer.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace qv::sheet {

namespace {

void css(OutputBuffer& out, const std::vector<CellStyle>& styles) {
    out << "table{border-collapse:collapse;table-layout:fixed;font-family:Calibri,Arial,sans-serif;font-size:"
           "11pt}"
           "td{padding:0 3px;white-space:nowrap;overflow:hidden;vertical-align:bottom}"
           "td.n{text-align:right}td.b{text-align:center}\n";
    for (std::size_t i = 0; i < styles.size(); ++i) {
        const CellStyle& s = styles[i];
        out << "td.s";
        out.integer(static_cast<std::int64_t>(i));
        out << '{';
        std::string fill = ExportValues::htmlFromOle(s.fillColor),
                    font = ExportValues::htmlFromOle(s.fontColor);
        if (!fill.empty()) out << "background:" << fill << ';';
        if (!font.empty()) out << "color:" << font << ';';
        if (s.bold) out << "font-weight:bold;";
        switch (s.horizontalAlignment) {
        case -4131:
            out << "text-align:left;";
            break;
        case -4108:
            out << "text-align:center;";
            break;
        case -4152:
            out << "text-align:right;";
            break;
        default:
            break;
        }
        const std::pair<const char*, const BorderLine*> sides[] = {
            {"left", &s.left}, {"top", &s.top}, {"right", &s.right}, {"bottom", &s.bottom}};
        for (const auto& [side, line] : sides) {
            if (line->style == 0 || line->style == static_cast<std::int8_t>(-4142)) continue;
            std::string c = ExportValues::htmlFromOle(line->color);
            out << "border-" << side << ':' << (line->weight >= 3 || line->weight < 0 ? "2px" : "1px")
                << " solid " << (c.empty() ? std::string("#000000") : c) << ';';
        }
        out << "}\n";
    }
}

bool rightAligned(const Variant& v) {
    return v.isNumber() || v.isDate();
}

void table(OutputBuffer& out, const IWorkbookExport& book, long index, const ExportSheet& sheet,
           const std::vector<CellStyle>& styles) {
    std::set<long> hiddenRows(sheet.hiddenRows.begin(), sheet.hiddenRows.end());
    std::vector<bool> hiddenCol(static_cast<std::size_t>(sheet.lastColumn) + 1, false);
    std::vector<double> width(static_cast<std::size_t>(sheet.lastColumn) + 1, 8.43);
    for (const ExportColumn& c : sheet.columns) {
        if (c.index < 1 || c.index > sheet.lastColumn) continue;
        hiddenCol[static_cast<std::size_t>(c.index)] = c.hidden;
        if (c.width >= 0) width[static_cast<std::size_t>(c.index)] = c.width;
    }
    out << "<h2>";
    out.xmlText(sheet.name);
    out << "</h2>\n<table>";
    for (long c = 1; c <= sheet.lastColumn; ++c) {
        if (hiddenCol[static_cast<std::size_t>(c)]) continue;
        out << "<col style=\"width:";
        out.integer(static_cast<std::int64_t>(std::lround(width[static_cast<std::size_t>(c)] * 7 + 5)));
        out << "px\">";
    }
    out << '\n';
    long row = 0, column = 0;
    auto pad = [&](long upTo) {
        for (; column < upTo; ++column)
            if (!hiddenCol[static_cast<std::size_t>(column + 1)]) out << "<td></td>";
    };
    auto endRow = [&]() {
        pad(sheet.lastColumn);
        out << "</tr>\n";
    };
    auto emptyRows = [&](long from, long to) {
        for (long r = from; r < to; ++r) {
            if (hiddenRows.count(r)) continue;
            out << "<tr>";
            column = 0;
            endRow();
        }
    };
    book.forEachCell(index, [&](long r, long c, const ExportCell& cell) {
        if (c > sheet.lastColumn) return;
        if (r != row) {
            if (row > 0 && !hiddenRows.count(row)) endRow();
            emptyRows(row + 1, r);
            row = r;
            column = 0;
            if (!hiddenRows.count(r)) out << "<tr>";
        }
        if (hiddenRows.count(r)) return;
        pad(c - 1);
        column = c;
        if (hiddenCol[static_cast<std::size_t>(c)]) return;
        out << "<td class=\"s";
        out.integer(cell.style < styles.size() ? cell.style : 0);
        if (rightAligned(cell.value))
            out << " n";
        else if (cell.value.isBool() || cell.value.isError())
            out << " b";
        out << "\">";
        std::string text =
            ExportValues::displayText(cell.value, ExportSheets::numberFormat(styles, cell.style));
        std::size_t start = 0;
        for (std::size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1) {
            out.xmlText(std::string_view(text).substr(start, nl - start));
            out << "<br>";
        }
        out.xmlText(std::string_view(text).substr(start));
        out << "</td>";
    });
    if (row > 0 && !hiddenRows.count(row)) endRow();
    emptyRows(row + 1, sheet.lastRow + 1);
    out << "</table>\n";
}

} // namespace

void HtmlWriter::writePage(const IWorkbookExport& book, OutputBuffer& out) {
    std::vector<CellStyle> styles = book.styles();
    out << "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>";
    out.xmlText(book.title());
    out << "</title>\n<style>\n";
    css(out, styles);
    out << "</style>\n</head>\n<body>\n";
    for (long i = 0; i < book.sheetCount(); ++i) {
        ExportSheet s = book.sheet(i);
        if (s.visibility == -1) table(out, book, i, s, styles);
    }
    out << "</body>\n</html>\n";
}

void HtmlWriter::write(const IWorkbookExport& book, AtomicFile& file) const {
    ExportSheets::activeSheet(book); // refuses a workbook without a visible sheet
    OutputBuffer out([&file](const char* d, std::size_t n) { file.write(d, n); });
    writePage(book, out);
    out.flush();
}

} // namespace qv::sheet
