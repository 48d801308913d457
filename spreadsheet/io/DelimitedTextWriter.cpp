// See DelimitedTextWriter.h. Rows are padded to the used width so that every line has the
// same number of fields; rows without cells become lines of separators.
#include "spreadsheet/io/DelimitedTextWriter.h"

#include "spreadsheet/io/ExportSheets.h"
#include "spreadsheet/io/ExportValues.h"
#include "spreadsheet/io/OutputBuffer.h"

namespace qv::sheet {

std::string DelimitedTextWriter::field(const std::string& text, char separator) {
    if (text.find_first_of(std::string{separator, '"', '\n', '\r'}) == std::string::npos) return text;
    std::string q = "\"";
    for (char c : text) {
        if (c == '"') q += '"';
        q += c;
    }
    return q + '"';
}

void DelimitedTextWriter::write(const IWorkbookExport& book, AtomicFile& file) const {
    long index = ExportSheets::activeSheet(book);
    ExportSheet sheet = book.sheet(index);
    std::vector<CellStyle> styles = book.styles();
    OutputBuffer out([&file](const char* d, std::size_t n) { file.write(d, n); });
    long width = sheet.lastColumn;
    long row = 0, column = 0; // the last written position
    auto endRow = [&]() {
        for (; column < width; ++column)
            out.put(mSeparator);
        out << "\r\n";
    };
    book.forEachCell(index, [&](long r, long c, const ExportCell& cell) {
        if (r != row) {
            if (row > 0) endRow();
            for (long empty = row + 1; empty < r; ++empty) {
                column = 1;
                endRow();
            }
            row = r;
            column = 1;
        }
        for (; column < c; ++column)
            out.put(mSeparator);
        std::string text =
            ExportValues::displayText(cell.value, ExportSheets::numberFormat(styles, cell.style));
        out << field(text, mSeparator);
        if (c > width) width = c;
    });
    if (row > 0) endRow();
    for (long empty = row + 1; empty <= sheet.lastRow; ++empty) {
        column = 1;
        endRow();
    }
    out.flush();
}

} // namespace qv::sheet
