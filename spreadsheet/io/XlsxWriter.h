// The host's native workbook format (.xlsx, file format 51): an Office Open XML package with
// values, styles, sheet layout, comments, validation, filters, protection, names and document
// properties. Worksheets are streamed through the deflater, so memory stays flat.
#pragma once

#include "spreadsheet/io/FormatWriter.h"
#include "spreadsheet/io/ParallelDeflater.h"

namespace qv::sheet {

class XlsxWriter : public FormatWriter {
  public:
    // Level 5 with a shorter match search (chain 16, nice length 24): files within 1.05 times
    // the size other writers make at zlib's default (6), at about half of level 6's deflate
    // time; plain level 5 is a sixth dearer for 1 percent, level 4 is 6 to 7 percent larger,
    // level 1 a quarter larger (measured with bench_xlsx_write, BM_QuorvelSaveAtLevel).
    static constexpr int DefaultLevel = 5;
    static constexpr ParallelDeflater::Search DefaultSearch{8, 16, 24, 16};
    // An add-in package (.xlam, file format 55) differs in its main part's content type.
    explicit XlsxWriter(int compressionLevel = DefaultLevel, bool addin = false)
        : mLevel(compressionLevel), mAddin(addin) {}
    void write(const IWorkbookExport& book, AtomicFile& file) const override;

  private:
    int mLevel;
    bool mAddin;
};

} // namespace qv::sheet
