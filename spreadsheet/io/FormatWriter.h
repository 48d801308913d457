// What every save-as format implements: fill the temporary file of a save. The caller owns
// the file and renames it only when write() returned normally.
#pragma once

#include "spreadsheet/io/AtomicFile.h"
#include "spreadsheet/io/IWorkbookExport.h"

namespace qv::sheet {

class FormatWriter {
  public:
    virtual ~FormatWriter() = default;
    virtual void write(const IWorkbookExport& book, AtomicFile& file) const = 0;
};

} // namespace qv::sheet
