// See HtmlWriter.h. Each interned style becomes one CSS class, so a large table costs a
// class attribute per cell rather than an inline style.
#include "spreadsheet/io/HtmlWriter.h"

#include "spreadsheet/io/ExportSheets.h"
#include "spreadsheet/io/ExportValues.h"
#include "spreadsheet/io/OutputBuffer.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

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

// What the rows of one visible sheet need, worked out once before its blocks are formatted.
struct SheetPlan {
    long index = 0;
    ExportSheet sheet;
    std::set<long> hiddenRows;
    std::vector<bool> hiddenCol;
};

SheetPlan plan(long index, ExportSheet sheet) {
    SheetPlan p;
    p.index = index;
    p.hiddenRows.insert(sheet.hiddenRows.begin(), sheet.hiddenRows.end());
    p.hiddenCol.assign(static_cast<std::size_t>(sheet.lastColumn) + 1, false);
    for (const ExportColumn& c : sheet.columns)
        if (c.index >= 1 && c.index <= sheet.lastColumn)
            p.hiddenCol[static_cast<std::size_t>(c.index)] = c.hidden;
    p.sheet = std::move(sheet);
    return p;
}

// The heading and the column widths in front of a sheet's rows.
void tableHead(OutputBuffer& out, const SheetPlan& p) {
    const ExportSheet& sheet = p.sheet;
    std::vector<double> width(static_cast<std::size_t>(sheet.lastColumn) + 1, 8.43);
    for (const ExportColumn& c : sheet.columns)
        if (c.index >= 1 && c.index <= sheet.lastColumn && c.width >= 0)
            width[static_cast<std::size_t>(c.index)] = c.width;
    out << "<h2>";
    out.xmlText(sheet.name);
    out << "</h2>\n<table>";
    for (long c = 1; c <= sheet.lastColumn; ++c) {
        if (p.hiddenCol[static_cast<std::size_t>(c)]) continue;
        out << "<col style=\"width:";
        out.integer(static_cast<std::int64_t>(std::lround(width[static_cast<std::size_t>(c)] * 7 + 5)));
        out << "px\">";
    }
    out << '\n';
}

// Rows first..last of a sheet, each visible one a whole line.
void tableRows(OutputBuffer& out, const IWorkbookExport& book, const SheetPlan& p,
               const std::vector<CellStyle>& styles, long first, long last) {
    const long lastColumn = p.sheet.lastColumn;
    long column = 0;     // the last column written in the open row
    bool hidden = false; // the open row is hidden
    auto pad = [&](long upTo) {
        for (; column < upTo; ++column)
            if (!p.hiddenCol[static_cast<std::size_t>(column + 1)]) out << "<td></td>";
    };
    std::string text;
    long open = 0; // the row whose <tr> is written, 0 before the first cell
    auto close = [&]() {
        if (open > 0 && !p.hiddenRows.count(open)) {
            pad(lastColumn);
            out << "</tr>\n";
        }
    };
    auto emptyRows = [&](long from, long to) {
        for (long r = from; r < to; ++r) {
            if (p.hiddenRows.count(r)) continue;
            out << "<tr>";
            column = 0;
            pad(lastColumn);
            out << "</tr>\n";
        }
    };
    book.forEachCellInRows(p.index, first, last, [&](long r, long c, const ExportCell& cell) {
        if (c > lastColumn) return;
        if (r != open) {
            close();
            emptyRows(open > 0 ? open + 1 : first, r);
            open = r;
            column = 0;
            hidden = p.hiddenRows.count(r) > 0;
            if (!hidden) out << "<tr>";
        }
        if (hidden) return;
        pad(c - 1);
        column = c;
        if (p.hiddenCol[static_cast<std::size_t>(c)]) return;
        out << "<td class=\"s";
        out.integer(cell.style < styles.size() ? cell.style : 0);
        if (rightAligned(cell.value))
            out << " n";
        else if (cell.value.isBool() || cell.value.isError())
            out << " b";
        out << "\">";
        const std::string_view shown =
            ExportValues::displayText(cell.value, ExportSheets::numberFormat(styles, cell.style), text);
        std::size_t start = 0;
        for (std::size_t nl; (nl = shown.find('\n', start)) != std::string_view::npos; start = nl + 1) {
            out.xmlText(shown.substr(start, nl - start));
            out << "<br>";
        }
        out.xmlText(shown.substr(start));
        out << "</td>";
    });
    close();
    emptyRows(open > 0 ? open + 1 : first, last + 1);
}

// One piece of the page: fixed text, or a block of a sheet's rows.
struct Piece {
    std::string text;
    const SheetPlan* sheet = nullptr;
    long first = 0, last = 0;
};

void appendTo(std::string& s, const std::function<void(OutputBuffer&)>& fill) {
    OutputBuffer out([&s](const char* d, std::size_t n) { s.append(d, n); });
    fill(out);
    out.flush();
}

} // namespace

void HtmlWriter::writePage(const IWorkbookExport& book, OutputBuffer& out) {
    writePage(
        book, ExportSheets::RowsPerBlock, {}, [&out](std::string_view b) { out << b; }, 1);
}

void HtmlWriter::writePage(const IWorkbookExport& book, long rowsPerBlock,
                           const std::function<void(std::string&)>& encode, const BlockPipeline::Write& write,
                           unsigned threads) {
    if (rowsPerBlock < 1) rowsPerBlock = 1;
    const std::vector<CellStyle> styles = book.styles();
    std::vector<SheetPlan> sheets;
    for (long i = 0; i < book.sheetCount(); ++i) {
        ExportSheet s = book.sheet(i);
        if (s.visibility == -1) sheets.push_back(plan(i, std::move(s)));
    }
    std::vector<Piece> pieces(1);
    appendTo(pieces.back().text, [&](OutputBuffer& out) {
        out << "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>";
        out.xmlText(book.title());
        out << "</title>\n<style>\n";
        css(out, styles);
        out << "</style>\n</head>\n<body>\n";
    });
    for (const SheetPlan& p : sheets) {
        appendTo(pieces.back().text, [&](OutputBuffer& out) { tableHead(out, p); });
        for (long first = 1; first <= p.sheet.lastRow; first += rowsPerBlock)
            pieces.push_back({{}, &p, first, std::min(p.sheet.lastRow, first + rowsPerBlock - 1)});
        pieces.emplace_back();
        pieces.back().text = "</table>\n";
    }
    pieces.back().text += "</body>\n</html>\n";
    auto format = [&](std::size_t i, std::string& out) {
        const Piece& piece = pieces[i];
        if (piece.sheet)
            appendTo(out, [&](OutputBuffer& o) {
                tableRows(o, book, *piece.sheet, styles, piece.first, piece.last);
            });
        else
            out = piece.text;
        if (encode) encode(out);
    };
    BlockPipeline::run(pieces.size(), format, write, threads);
}

void HtmlWriter::write(const IWorkbookExport& book, AtomicFile& file) const {
    ExportSheets::activeSheet(book); // refuses a workbook without a visible sheet
    writePage(book, mRowsPerBlock, {}, [&file](std::string_view b) { file.write(b.data(), b.size()); });
}

} // namespace qv::sheet
