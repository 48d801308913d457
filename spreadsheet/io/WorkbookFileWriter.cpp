// Chooses the writer for a save-as format and makes the save all-or-nothing: the writer fills
// a temporary file beside the destination, which replaces the destination only when complete.
#include "spreadsheet/io/WorkbookFileWriter.h"

#include "platform/NumberedError.h"
#include "platform/host/HostConstants.h"
#include "spreadsheet/io/AtomicFile.h"
#include "spreadsheet/io/DelimitedTextWriter.h"
#include "spreadsheet/io/HtmlWriter.h"
#include "spreadsheet/io/MhtmlWriter.h"
#include "spreadsheet/io/XlsxWriter.h"
#include "spreadsheet/io/XmlSpreadsheetWriter.h"

#include <memory>

namespace qv::sheet {

namespace {
std::unique_ptr<FormatWriter> writerFor(int format, const std::string& path) {
    switch (format) {
    case xl::FileFormatXlsx:
        return std::make_unique<XlsxWriter>();
    case xl::FileFormatXlam:
        return std::make_unique<XlsxWriter>(XlsxWriter::DefaultLevel, true);
    case xl::FileFormatCsv:
        return std::make_unique<DelimitedTextWriter>(',');
    case xl::FileFormatText:
        return std::make_unique<DelimitedTextWriter>('\t');
    case xl::FileFormatHtml:
        return std::make_unique<HtmlWriter>();
    case xl::FileFormatMhtml:
        return std::make_unique<MhtmlWriter>();
    case xl::FileFormatXmlSpreadsheet:
        return std::make_unique<XmlSpreadsheetWriter>();
    case xl::FileFormatXls:
    case xl::FileFormatXlsLegacy:
        throw NumberedError(
            err::ApplicationDefined, "Workbook",
            "Saving as .xls (Excel 97-2003) is not supported; save as .xlsx instead. Nothing was "
            "written to '" +
                path + "'.");
    case xl::FileFormatXlsm:
        throw NumberedError(
            err::ApplicationDefined, "Workbook",
            "Saving as a macro-enabled workbook (.xlsm) is not supported; save as .xlsx instead. "
            "Nothing was written to '" +
                path + "'.");
    default:
        throw NumberedError(
            err::ApplicationDefined, "Workbook",
            "The file format " + std::to_string(format) + " of '" + path +
                "' is not supported; choose .xlsx, .xml, .mht, .mhtml, .htm, .html, .txt or .csv.");
    }
}
} // namespace

int WorkbookFileWriter::formatForExtension(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return 0;
    std::string ext = path.substr(dot + 1);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (ext == "xlsx") return xl::FileFormatXlsx;
    if (ext == "xls") return xl::FileFormatXls;
    if (ext == "xlsm") return xl::FileFormatXlsm;
    if (ext == "xlam") return xl::FileFormatXlam;
    if (ext == "xml") return xl::FileFormatXmlSpreadsheet;
    if (ext == "mht" || ext == "mhtml") return xl::FileFormatMhtml;
    if (ext == "htm" || ext == "html") return xl::FileFormatHtml;
    if (ext == "txt") return xl::FileFormatText;
    if (ext == "csv") return xl::FileFormatCsv;
    return 0;
}

void WorkbookFileWriter::write(const IWorkbookExport& book, const std::string& path, int fileFormat) {
    int format = fileFormat != 0 ? fileFormat : formatForExtension(path);
    if (format == 0) {
        // A name without extension gets the host's default format; an extension we do not write
        // is refused rather than given a file whose content does not match its name.
        std::size_t slash = path.find_last_of('/');
        std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        if (name.find('.') != std::string::npos)
            throw NumberedError(
                err::ApplicationDefined, "Workbook",
                "The file type of '" + path +
                    "' is not supported; choose .xlsx, .xml, .mht, .mhtml, .htm, .html, .txt or .csv.");
        format = xl::FileFormatXlsx;
    }
    std::unique_ptr<FormatWriter> writer = writerFor(format, path);
    if (book.sheetCount() < 1)
        throw NumberedError(err::ApplicationDefined, "Workbook",
                            "A workbook without sheets cannot be saved.");
    AtomicFile file(path);
    writer->write(book, file);
    file.commit();
}

} // namespace qv::sheet
