// A single-file web archive (.mht/.mhtml, format 45): the web page of HtmlWriter wrapped in a
// MIME multipart/related message, quoted-printable encoded so that the page stays readable
// and the encoded text can never contain the part boundary.
#pragma once

#include "spreadsheet/io/ExportSheets.h"
#include "spreadsheet/io/FormatWriter.h"

#include <string>
#include <string_view>

namespace qv::sheet {

class MhtmlWriter : public FormatWriter {
  public:
    // The page's table rows are formatted and encoded in blocks of `rowsPerBlock` on both cores.
    explicit MhtmlWriter(long rowsPerBlock = ExportSheets::RowsPerBlock)
        : mRowsPerBlock(rowsPerBlock < 1 ? 1 : rowsPerBlock) {}
    void write(const IWorkbookExport& book, AtomicFile& file) const override;
    // Quoted-printable encoding (lines of at most 76 characters, CR LF line ends).
    static std::string quotedPrintable(std::string_view text);

  private:
    long mRowsPerBlock;
};

} // namespace qv::sheet
