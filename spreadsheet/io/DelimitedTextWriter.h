// Comma-separated (.csv, format 6) and tab-delimited (.txt, format -4158) text. Like the host,
// it saves the active sheet only and writes each cell's displayed text (English number
// formats), so what the user saw is what the file holds. UTF-8 without a byte-order mark,
// lines end in CR LF; a field is quoted when it holds the separator, a quote or a line break.
#pragma once

#include "spreadsheet/io/ExportSheets.h"
#include "spreadsheet/io/FormatWriter.h"

#include <string>
#include <string_view>

namespace qv::sheet {

class DelimitedTextWriter : public FormatWriter {
  public:
    // Rows are formatted in blocks of `rowsPerBlock` on both cores (see BlockPipeline).
    explicit DelimitedTextWriter(char separator, long rowsPerBlock = ExportSheets::RowsPerBlock)
        : mSeparator(separator), mRowsPerBlock(rowsPerBlock < 1 ? 1 : rowsPerBlock) {}
    void write(const IWorkbookExport& book, AtomicFile& file) const override;
    // The field as it appears in the file.
    static std::string field(const std::string& text, char separator);
    // The same, appended to `out`.
    static void appendField(std::string& out, std::string_view text, char separator);

  private:
    char mSeparator;
    long mRowsPerBlock;
};

} // namespace qv::sheet
