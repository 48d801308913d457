// The host's native workbook format (.xlsx, file format 51): an Office Open XML package with
// values, styles, sheet layout, comments, validation, filters, protection, names and document
// properties. Worksheets are streamed through the deflater, so memory stays flat.
#pragma once

#include "spreadsheet/io/FormatWriter.h"

namespace qv::sheet {

class XlsxWriter : public FormatWriter {
  public:
    // Level 5: files within 1.05 times the size other writers make at zlib's default (6), for
    // about two thirds of level 6's deflate time; level 4 is a tenth cheaper but 6 to 7 percent
    // larger, level 1 a quarter larger (measured with bench_xlsx_write, BM_QuorvelSaveAtLevel).
    static constexpr int DefaultLevel = 5;
    // An add-in package (.xlam, file format 55) differs in its main part's content type.
    explicit XlsxWriter(int compressionLevel = DefaultLevel, bool addin = false)
        : mLevel(compressionLevel), mAddin(addin) {}
    void write(const IWorkbookExport& book, AtomicFile& file) const override;

  private:
    int mLevel;
    bool mAddin;
};

} // namespace qv::sheet
