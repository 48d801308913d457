// See XlsxWriter.h. Parts are written in the order the package needs them; each goes through
// one reused buffer into its own zip entry.
#include "spreadsheet/io/XlsxWriter.h"

#include "platform/NumberedError.h"
#include "platform/TextUtil.h"
#include "platform/Utf8.h"
#include "spreadsheet/io/OutputBuffer.h"
#include "spreadsheet/io/XlsxComments.h"
#include "spreadsheet/io/XlsxStyles.h"
#include "spreadsheet/io/XlsxWorksheet.h"
#include "spreadsheet/io/ZipPackage.h"

#include <algorithm>
#include <cctype>
#include <ctime>
#include <fmt/format.h>
#include <map>
#include <set>

namespace qv::sheet {

namespace {

constexpr const char* XmlHead = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
constexpr const char* RelNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

[[noreturn]] void refuse(const std::string& what) {
    throw NumberedError(err::ApplicationDefined, "Workbook", what);
}

bool isPasswordHash(const std::string& h) {
    return h.empty() || (h.size() == 4 && std::all_of(h.begin(), h.end(), [](char c) {
                             return std::isxdigit(static_cast<unsigned char>(c));
                         }));
}

void checkSheets(const std::vector<ExportSheet>& sheets) {
    if (sheets.empty()) refuse("A workbook must contain at least one sheet.");
    std::set<std::string> seen;
    bool visible = false;
    for (const ExportSheet& s : sheets) {
        if (s.name.empty() || Utf8::utf16Length(s.name) > 31 ||
            s.name.find_first_of("[]:*?/\\") != std::string::npos || s.name.front() == '\'' ||
            s.name.back() == '\'')
            refuse("The sheet name '" + s.name + "' is not valid in a workbook file.");
        if (!seen.insert(TextUtil::lowerAscii(s.name)).second)
            refuse("The workbook has two sheets named '" + s.name + "'.");
        visible = visible || s.visibility == -1;
        if (!isPasswordHash(s.protection.passwordHash))
            refuse("The protection password of sheet '" + s.name + "' is not a 4-digit hexadecimal hash.");
        if (s.lastRow > 1048576 || s.lastColumn > 16384)
            refuse("The sheet '" + s.name +
                   "' is larger than a workbook file holds (1048576 rows, 16384 columns).");
    }
    if (!visible) refuse("A workbook must keep at least one sheet visible.");
}

std::string absoluteRef(const std::string& a1) {
    std::string out;
    bool inRow = false;
    for (std::size_t i = 0; i < a1.size(); ++i) {
        char c = a1[i];
        bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        bool digit = c >= '0' && c <= '9';
        if (letter && (i == 0 || a1[i - 1] == ':')) out += '$', inRow = false;
        if (digit && !inRow) out += '$', inRow = true;
        if (c == ':') inRow = false;
        if (c != '$') out += c;
    }
    return out;
}

std::string nowW3c() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&t, &tm);
    return fmt::format("{:04}-{:02}-{:02}T{:02}:{:02}:{:02}Z", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                       tm.tm_hour, tm.tm_min, tm.tm_sec);
}

class PackageWriter {
  public:
    PackageWriter(ZipPackage& zip)
        : mZip(zip), mOut([&zip](const char* d, std::size_t n) { zip.write(d, n); }, 1 << 17) {}
    OutputBuffer& begin(const std::string& name, bool large = false, bool parallel = false) {
        mZip.beginPart(name, large, parallel);
        return mOut;
    }
    void end() {
        mOut.flush();
        mZip.endPart();
    }
    void part(const std::string& name, const std::string& text) {
        begin(name) << text;
        end();
    }

  private:
    ZipPackage& mZip;
    OutputBuffer mOut;
};

struct Properties {
    std::vector<std::pair<std::string, std::string>> core, app, custom;
};

Properties classifyProperties(const IWorkbookExport& book) {
    static const std::map<std::string, std::string> core = {{"Title", "dc:title"},
                                                            {"Subject", "dc:subject"},
                                                            {"Author", "dc:creator"},
                                                            {"Keywords", "cp:keywords"},
                                                            {"Comments", "dc:description"},
                                                            {"Last Author", "cp:lastModifiedBy"},
                                                            {"Revision Number", "cp:revision"},
                                                            {"Category", "cp:category"},
                                                            {"Content status", "cp:contentStatus"}};
    static const std::map<std::string, std::string> app = {
        {"Manager", "Manager"}, {"Company", "Company"}, {"Hyperlink base", "HyperlinkBase"}};
    std::vector<std::pair<std::string, std::string>> coreValues, appValues, custom;
    bool hasTitle = false;
    for (const auto& [name, value] : book.documentProperties()) {
        if (auto it = core.find(name); it != core.end()) {
            coreValues.emplace_back(it->second, value);
            hasTitle = hasTitle || name == "Title";
        } else if (auto a = app.find(name); a != app.end()) {
            appValues.emplace_back(a->second, value);
        } else if (name != "Creation Date" && name != "Last Save Time" && name != "Application Name") {
            custom.emplace_back(name, value);
        }
    }
    if (!hasTitle && !book.title().empty()) coreValues.emplace_back("dc:title", book.title());
    return {coreValues, appValues, custom};
}

void writeProperties(PackageWriter& pw, const Properties& props) {
    const auto& [coreValues, appValues, custom] = props;

    OutputBuffer& out = pw.begin("docProps/core.xml");
    out << XmlHead
        << "<cp:coreProperties "
           "xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
           "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" xmlns:dcterms=\"http://purl.org/dc/terms/\" "
           "xmlns:dcmitype=\"http://purl.org/dc/dcmitype/\" "
           "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">";
    for (const auto& [tag, value] : coreValues) {
        out << '<' << tag << '>';
        out.xmlText(value);
        out << "</" << tag << '>';
    }
    std::string now = nowW3c();
    out << "<dcterms:created xsi:type=\"dcterms:W3CDTF\">" << now << "</dcterms:created>"
        << "<dcterms:modified xsi:type=\"dcterms:W3CDTF\">" << now
        << "</dcterms:modified></cp:coreProperties>";
    pw.end();

    OutputBuffer& a = pw.begin("docProps/app.xml");
    a << XmlHead
      << "<Properties xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/extended-properties\" "
         "xmlns:vt=\"http://schemas.openxmlformats.org/officeDocument/2006/"
         "docPropsVTypes\"><Application>Quorvel</Application>";
    for (const auto& [tag, value] : appValues) {
        a << '<' << tag << '>';
        a.xmlText(value);
        a << "</" << tag << '>';
    }
    a << "</Properties>";
    pw.end();

    if (custom.empty()) return;
    OutputBuffer& c = pw.begin("docProps/custom.xml");
    c << XmlHead
      << "<Properties xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/custom-properties\" "
         "xmlns:vt=\"http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes\">";
    int pid = 2; // property ids start at 2 by the package rules
    for (const auto& [name, value] : custom) {
        c << "<property fmtid=\"{D5CDD505-2E9C-101B-9397-08002B2CF9AE}\" pid=\"";
        c.integer(pid++);
        c << "\" name=\"";
        c.xmlAttr(name);
        c << "\"><vt:lpwstr>";
        c.xmlText(value);
        c << "</vt:lpwstr></property>";
    }
    c << "</Properties>";
    pw.end();
}

void writeWorkbook(PackageWriter& pw, const IWorkbookExport& book, const std::vector<ExportSheet>& sheets) {
    OutputBuffer& out = pw.begin("xl/workbook.xml");
    out << XmlHead
        << "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" xmlns:r=\"" << RelNs
        << "\"><workbookPr/>";
    if (book.structureProtected()) {
        out << "<workbookProtection";
        std::string hash = book.structurePasswordHash();
        if (!hash.empty()) {
            out << " workbookPassword=\"";
            out.xmlAttr(hash);
            out << '"';
        }
        out << " lockStructure=\"1\"/>";
    }
    std::size_t active = 0;
    while (active < sheets.size() && !sheets[active].active)
        ++active;
    out << "<bookViews><workbookView";
    if (book.windowHidden()) out << " visibility=\"veryHidden\"";
    out << " activeTab=\"";
    out.integer(static_cast<std::int64_t>(active));
    out << "\"/></bookViews><sheets>";
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        out << "<sheet name=\"";
        out.xmlAttr(sheets[i].name);
        out << "\" sheetId=\"";
        out.integer(static_cast<std::int64_t>(i + 1));
        out << '"';
        if (sheets[i].visibility == 0)
            out << " state=\"hidden\"";
        else if (sheets[i].visibility == 2)
            out << " state=\"veryHidden\"";
        out << " r:id=\"rId";
        out.integer(static_cast<std::int64_t>(i + 1));
        out << "\"/>";
    }
    out << "</sheets>";
    std::vector<ExportName> names = book.names();
    bool anyName = !names.empty();
    for (const ExportSheet& s : sheets)
        anyName = anyName || !s.autoFilterRef.empty();
    if (anyName) {
        out << "<definedNames>";
        for (std::size_t i = 0; i < sheets.size(); ++i) {
            if (sheets[i].autoFilterRef.empty()) continue;
            out << "<definedName name=\"_xlnm._FilterDatabase\" localSheetId=\"";
            out.integer(static_cast<std::int64_t>(i));
            out << "\" hidden=\"1\">";
            out.xmlText(XlsxWorksheet::quotedSheetName(sheets[i].name) + "!" +
                        absoluteRef(sheets[i].autoFilterRef));
            out << "</definedName>";
        }
        for (const ExportName& n : names) {
            // "Sheet!Name" is a name local to that sheet, as the host lists them.
            std::string name = n.name;
            long local = -1;
            if (std::size_t bang = name.rfind('!'); bang != std::string::npos) {
                std::string sheet = name.substr(0, bang);
                if (sheet.size() >= 2 && sheet.front() == '\'' && sheet.back() == '\'')
                    sheet = sheet.substr(1, sheet.size() - 2);
                name = name.substr(bang + 1);
                for (std::size_t i = 0; i < sheets.size(); ++i)
                    if (TextUtil::lowerAscii(sheets[i].name) == TextUtil::lowerAscii(sheet))
                        local = static_cast<long>(i);
                if (local < 0)
                    refuse("The name '" + n.name + "' belongs to a sheet the workbook does not have.");
            }
            if (name == "_xlnm._FilterDatabase" || name == "_FilterDatabase")
                continue; // written per sheet above
            out << "<definedName name=\"";
            out.xmlAttr(name);
            out << '"';
            if (local >= 0) {
                out << " localSheetId=\"";
                out.integer(local);
                out << '"';
            }
            if (n.hidden) out << " hidden=\"1\"";
            out << '>';
            const std::string& ref = n.refersToA1;
            out.xmlText(!ref.empty() && ref.front() == '=' ? ref.substr(1) : ref);
            out << "</definedName>";
        }
        out << "</definedNames>";
    }
    out << "<calcPr calcId=\"191029\"/></workbook>";
    pw.end();
}

void writeRelationships(PackageWriter& pw, const std::string& part,
                        const std::vector<std::pair<std::string, std::string>>& typeAndTarget) {
    OutputBuffer& out = pw.begin(part);
    out << XmlHead
        << "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    for (std::size_t i = 0; i < typeAndTarget.size(); ++i) {
        out << "<Relationship Id=\"rId";
        out.integer(static_cast<std::int64_t>(i + 1));
        out << "\" Type=\"" << typeAndTarget[i].first << "\" Target=\"" << typeAndTarget[i].second << "\"/>";
    }
    out << "</Relationships>";
    pw.end();
}

} // namespace

void XlsxWriter::write(const IWorkbookExport& book, AtomicFile& file) const {
    std::vector<ExportSheet> sheets;
    for (long i = 0; i < book.sheetCount(); ++i)
        sheets.push_back(book.sheet(i));
    checkSheets(sheets);
    if (!isPasswordHash(book.structurePasswordHash()))
        refuse("The workbook protection password is not a 4-digit hexadecimal hash.");
    // Exactly one visible sheet is the active one; a hidden active sheet would open as a blank window.
    std::size_t active = sheets.size();
    for (std::size_t i = 0; i < sheets.size() && active == sheets.size(); ++i)
        if (sheets[i].active && sheets[i].visibility == -1) active = i;
    for (std::size_t i = 0; i < sheets.size() && active == sheets.size(); ++i)
        if (sheets[i].visibility == -1) active = i;
    for (std::size_t i = 0; i < sheets.size(); ++i)
        sheets[i].active = i == active;
    std::set<std::string> definedNames;
    for (const ExportName& n : book.names())
        definedNames.insert(n.name);

    file.closeDescriptor();
    ZipPackage zip(file.tempPath(), file.path(), mLevel,
                   mLevel == DefaultLevel ? DefaultSearch : ParallelDeflater::Search{});
    PackageWriter pw(zip);
    const std::string officeRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

    std::string types =
        std::string(XmlHead) +
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" "
        "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Default Extension=\"vml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.vmlDrawing\"/>"
        "<Override PartName=\"/xl/workbook.xml\" ContentType=\"" +
        (mAddin ? "application/vnd.ms-excel.addin.macroEnabled.main+xml"
                : "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml") +
        "\"/>"
        "<Override PartName=\"/xl/styles.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
        "<Override PartName=\"/docProps/core.xml\" "
        "ContentType=\"application/vnd.openxmlformats-package.core-properties+xml\"/>"
        "<Override PartName=\"/docProps/app.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.extended-properties+xml\"/>";
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        types += fmt::format("<Override PartName=\"/xl/worksheets/sheet{}.xml\" ContentType=\"application/"
                             "vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>",
                             i + 1);
        if (!sheets[i].comments.empty())
            types += fmt::format("<Override PartName=\"/xl/comments{}.xml\" ContentType=\"application/"
                                 "vnd.openxmlformats-officedocument.spreadsheetml.comments+xml\"/>",
                                 i + 1);
    }

    Properties props = classifyProperties(book);
    for (const auto& [name, value] : book.customProperties()) {
        bool taken = std::any_of(props.custom.begin(), props.custom.end(), [&, &key = name](const auto& p) {
            return TextUtil::lowerAscii(p.first) == TextUtil::lowerAscii(key);
        });
        if (!taken) props.custom.emplace_back(name, value);
    }
    bool hasCustom = !props.custom.empty();
    if (hasCustom)
        types += "<Override PartName=\"/docProps/custom.xml\" "
                 "ContentType=\"application/vnd.openxmlformats-officedocument.custom-properties+xml\"/>";
    types += "</Types>";
    pw.part("[Content_Types].xml", types);

    std::vector<std::pair<std::string, std::string>> rootRels = {
        {officeRel + "officeDocument", "xl/workbook.xml"},
        {"http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties",
         "docProps/core.xml"},
        {officeRel + "extended-properties", "docProps/app.xml"}};
    if (hasCustom) rootRels.emplace_back(officeRel + "custom-properties", "docProps/custom.xml");
    // An add-in's ribbon definitions travel with the package, or a save-as would lose the ribbon.
    std::vector<std::pair<bool, std::string>> ribbons = book.customUIParts();
    for (const auto& [office2010, xml] : ribbons)
        rootRels.emplace_back(office2010
                                  ? "http://schemas.microsoft.com/office/2007/relationships/ui/extensibility"
                                  : "http://schemas.microsoft.com/office/2006/relationships/ui/extensibility",
                              office2010 ? "customUI/customUI14.xml" : "customUI/customUI.xml");
    writeRelationships(pw, "_rels/.rels", rootRels);
    writeProperties(pw, props);
    for (const auto& [office2010, xml] : ribbons)
        pw.part(office2010 ? "customUI/customUI14.xml" : "customUI/customUI.xml", xml);

    writeWorkbook(pw, book, sheets);
    std::vector<std::pair<std::string, std::string>> bookRels;
    for (std::size_t i = 0; i < sheets.size(); ++i)
        bookRels.emplace_back(officeRel + "worksheet", fmt::format("worksheets/sheet{}.xml", i + 1));
    bookRels.emplace_back(officeRel + "styles", "styles.xml");
    writeRelationships(pw, "xl/_rels/workbook.xml.rels", bookRels);

    XlsxStyles styles(book.styles());
    styles.writeXml(pw.begin("xl/styles.xml"));
    pw.end();

    for (std::size_t i = 0; i < sheets.size(); ++i) {
        const ExportSheet& s = sheets[i];
        bool comments = !s.comments.empty();
        // Beyond a few million cells a sheet part may pass 4 GB and needs zip64 headers; smaller
        // parts keep the plain headers every reader understands (ZipPackage refuses to wrap).
        bool large = static_cast<double>(s.lastRow) * static_cast<double>(std::max(s.lastColumn, 1L)) > 4e6;
        OutputBuffer& out = pw.begin(fmt::format("xl/worksheets/sheet{}.xml", i + 1), large, true);
        XlsxWorksheet::write(out, book, static_cast<long>(i), s, styles, definedNames,
                             comments ? "rId2" : "");
        pw.end();
        if (!comments) continue;
        writeRelationships(pw, fmt::format("xl/worksheets/_rels/sheet{}.xml.rels", i + 1),
                           {{officeRel + "comments", fmt::format("../comments{}.xml", i + 1)},
                            {officeRel + "vmlDrawing", fmt::format("../drawings/vmlDrawing{}.vml", i + 1)}});
        XlsxComments::writeComments(pw.begin(fmt::format("xl/comments{}.xml", i + 1)), s.comments);
        pw.end();
        XlsxComments::writeVml(pw.begin(fmt::format("xl/drawings/vmlDrawing{}.vml", i + 1)), s.comments,
                               static_cast<long>(i + 1));
        pw.end();
    }
    zip.close();
}

} // namespace qv::sheet
