// See DelimitedTextWriter.h. Rows are padded to the used width so that every line has the
// same number of fields; rows without cells become lines of separators. Each block of rows is
// complete lines, so blocks formatted apart join into the same file as one pass would write.
#include "spreadsheet/io/DelimitedTextWriter.h"

#include "spreadsheet/io/BlockPipeline.h"
#include "spreadsheet/io/ExportValues.h"

#include <algorithm>

namespace qv::sheet {

std::string DelimitedTextWriter::field(const std::string& text, char separator) {
    std::string out;
    appendField(out, text, separator);
    return out;
}

void DelimitedTextWriter::appendField(std::string& out, std::string_view text, char separator) {
    std::size_t i = 0;
    while (i < text.size() && text[i] != separator && text[i] != '"' && text[i] != '\n' && text[i] != '\r')
        ++i;
    if (i == text.size()) {
        out.append(text);
        return;
    }
    out += '"';
    for (std::size_t start = 0;;) {
        const std::size_t quote = text.find('"', start);
        if (quote == std::string_view::npos) {
            out.append(text.substr(start));
            break;
        }
        out.append(text.substr(start, quote + 1 - start));
        out += '"';
        start = quote + 1;
    }
    out += '"';
}

void DelimitedTextWriter::write(const IWorkbookExport& book, AtomicFile& file) const {
    const long index = ExportSheets::activeSheet(book);
    const ExportSheet sheet = book.sheet(index);
    const std::vector<CellStyle> styles = book.styles();
    const long width = sheet.lastColumn, rows = sheet.lastRow;
    const char separator = mSeparator;
    auto format = [&](std::size_t block, std::string& out) {
        const long first = static_cast<long>(block) * mRowsPerBlock + 1;
        const long last = std::min(rows, first + mRowsPerBlock - 1);
        long row = first, column = 1; // the column of the last field written, 1 at a line's start
        auto endRowsUpTo = [&](long r) {
            for (; row < r; ++row, column = 1) {
                if (column <= width) out.append(static_cast<std::size_t>(width - column), separator);
                out += "\r\n";
            }
        };
        std::string text;
        book.forEachCellInRows(index, first, last, [&](long r, long c, const ExportCell& cell) {
            endRowsUpTo(r);
            for (; column < c; ++column)
                out += separator;
            appendField(
                out,
                ExportValues::displayText(cell.value, ExportSheets::numberFormat(styles, cell.style), text),
                separator);
        });
        endRowsUpTo(last + 1);
    };
    const std::size_t blocks = static_cast<std::size_t>((rows + mRowsPerBlock - 1) / mRowsPerBlock);
    BlockPipeline::run(blocks, format, [&file](std::string_view b) { file.write(b.data(), b.size()); });
}

} // namespace qv::sheet
