// Comma-separated (.csv, format 6) and tab-delimited (.txt, format -4158) text. Like the host,
// it saves the active sheet only and writes each cell's displayed text (English number
// formats), so what the user saw is what the file holds. UTF-8 without a byte-order mark,
// lines end in CR LF; a field is quoted when it holds the separator, a quote or a line break.
#pragma once

#include "spreadsheet/io/FormatWriter.h"

#include <string>

namespace qv::sheet {

class DelimitedTextWriter : public FormatWriter {
  public:
    explicit DelimitedTextWriter(char separator) : mSeparator(separator) {}
    void write(const IWorkbookExport& book, AtomicFile& file) const override;
    // The field as it appears in the file.
    static std::string field(const std::string& text, char separator);

  private:
    char mSeparator;
};

} // namespace qv::sheet
