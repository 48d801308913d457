// One worksheet part (and its comments) read into a sheet of the model: cells with their
// values, formulas and formats, columns, hidden rows, frozen panes, filter, validation and
// protection. Cells go straight into the column stores; the memory those need is counted
// while reading so that a few cells at the far corner of a sheet cannot demand gigabytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qv::sheet {

class Worksheet;
class XlsxStylesReader;
class ZipPackageReader;

struct SheetReadContext {
    const std::vector<std::string>& sharedStrings;
    const XlsxStylesReader& styles;
    bool date1904 = false;
    std::uint64_t cellBytes = 0;             // column-store bytes used so far, all sheets
    std::uint64_t maxCellBytes = 2ull << 30; // refused beyond this
};

class XlsxSheetReader {
  public:
    static void read(ZipPackageReader& zip, const std::string& part, Worksheet& sheet,
                     SheetReadContext& context);
    // A file serial number (1900 system) as an OLE date.
    static double oleFromSerial(double serial, bool date1904);
    // "2024-03-01T10:20:30Z" (date, optional time) as an OLE date; false when it is not one.
    static bool oleFromIso(const std::string& text, double& ole);
    // "#N/A" -> 2042 ...; 0 when the text is not an error name.
    static std::int32_t errorCode(const std::string& name);
};

} // namespace qv::sheet
