// Opens a workbook package (.xlsx, .xlsm, .xlam) into a new Workbook of the model. The workbook
// is built apart from the application and handed over only when the whole file has been read,
// so a damaged file never leaves a half-read workbook behind. Every failure is error 1004
// naming the file.
#pragma once

#include "spreadsheet/io/ZipPackageReader.h"

#include <memory>
#include <string>

namespace qv::sheet {

class Application;
class Workbook;

class XlsxReader {
  public:
    // `maxCellBytes`: the memory the cells of all sheets may take in the column stores.
    explicit XlsxReader(ZipLimits limits = {}, std::uint64_t maxCellBytes = 2ull << 30)
        : mLimits(limits), mMaxCellBytes(maxCellBytes) {}
    // `path` is read; the workbook's name and path are taken from it. Not yet listed in `app`.
    std::shared_ptr<Workbook> read(const std::shared_ptr<Application>& app, const std::string& path) const;

  private:
    ZipLimits mLimits;
    std::uint64_t mMaxCellBytes;
};

} // namespace qv::sheet
