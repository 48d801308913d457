// See XlsxReader.h. The package is followed through its relationships (root -> workbook ->
// sheets, strings, styles), not through fixed part names, because other producers name their
// parts differently. Names the model cannot hold (formulas and constants, print settings) are
// left out: the model keeps names only as cell references.
#include "spreadsheet/io/XlsxReader.h"

#include "platform/NumberedError.h"
#include "platform/host/HostConstants.h"
#include "spreadsheet/io/OoxmlXml.h"
#include "spreadsheet/io/XlsxSheetReader.h"
#include "spreadsheet/io/XlsxStylesReader.h"
#include "spreadsheet/model/Application.h"
#include "spreadsheet/model/CellAddress.h"
#include "spreadsheet/model/Workbook.h"
#include "spreadsheet/model/Worksheet.h"

#include <filesystem>
#include <map>
#include <pugixml.hpp>
#include <set>
#include <strings.h>

namespace qv::sheet {

namespace {
using X = OoxmlXml;
const std::string OfficeRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
const std::string StrictRel = "http://purl.oclc.org/ooxml/officeDocument/relationships/";
const char* const CustomUI2006 = "http://schemas.microsoft.com/office/2006/relationships/ui/extensibility";
const char* const CustomUI2007 = "http://schemas.microsoft.com/office/2007/relationships/ui/extensibility";

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Relationship types are compared by their last segment, so the strict schema's URIs count too.
bool isType(const PackageRelationship& r, const std::string& kind) {
    return !r.external && (r.type == OfficeRel + kind || r.type == StrictRel + kind ||
                           (kind == "core-properties" && endsWith(r.type, "/metadata/core-properties")));
}

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

Variant propertyValue(const std::string& name, const std::string& text) {
    if (name == "Revision Number" || name == "Total Editing Time" || name.rfind("Number of", 0) == 0) {
        char* end = nullptr;
        long long v = std::strtoll(text.c_str(), &end, 10);
        if (!text.empty() && end && *end == 0) return Variant(static_cast<std::int64_t>(v));
    }
    if (name == "Creation Date" || name == "Last Save Time" || name == "Last Print Date") {
        double ole = 0;
        if (XlsxSheetReader::oleFromIso(text, ole)) return Variant(OleDate{ole});
    }
    return Variant(text);
}

// A typed custom property (<vt:lpwstr>, <vt:i4>, <vt:bool>, ...) as a value.
Variant customValue(const pugi::xml_node& v) {
    std::string kind = X::local(v.name());
    std::string text = v.text().get();
    if (kind == "bool") return Variant(text == "true" || text == "1");
    if (kind == "i1" || kind == "i2" || kind == "i4" || kind == "i8" || kind == "int" || kind == "ui1" ||
        kind == "ui2" || kind == "ui4" || kind == "ui8" || kind == "uint")
        return Variant(static_cast<std::int64_t>(std::strtoll(text.c_str(), nullptr, 10)));
    if (kind == "r4" || kind == "r8" || kind == "decimal") return Variant(std::strtod(text.c_str(), nullptr));
    if (kind == "filetime" || kind == "date") {
        double ole = 0;
        if (XlsxSheetReader::oleFromIso(text, ole)) return Variant(OleDate{ole});
    }
    return Variant(text);
}

// "'My sheet'!$A$1:$B$2,'My sheet'!$D$4" -> "'My sheet'!R1C1:R2C2,R4C4"; "" when it is not a
// reference on one sheet.
std::string referenceR1C1(const std::string& a1) {
    std::vector<std::string> pieces;
    std::string current;
    bool quoted = false;
    for (char c : a1) {
        if (c == '\'') quoted = !quoted;
        if (c == ',' && !quoted) {
            pieces.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    pieces.push_back(current);
    std::string sheet, out;
    for (const std::string& p : pieces) {
        auto split = CellAddress::splitSheet(p);
        if (!split || split->first.empty()) return {};
        if (!sheet.empty() && lower(sheet) != lower(split->first)) return {};
        sheet = split->first;
        auto areas = CellAddress::parseA1(split->second);
        if (!areas) return {};
        for (const Rect& r : *areas)
            out += (out.empty() ? "" : ",") + CellAddress::formatR1C1(r);
    }
    return CellAddress::quoteSheet(sheet) + "!" + out;
}

class BookLoader {
  public:
    BookLoader(ZipPackageReader& zip, std::shared_ptr<Workbook> book, std::uint64_t maxCellBytes)
        : mZip(zip), mBook(std::move(book)), mMaxCellBytes(maxCellBytes) {}

    void run() {
        std::string workbookPart;
        std::vector<Workbook::CustomUIPart> ribbons;
        std::string corePart, appPart, customPart;
        for (const PackageRelationship& r : mZip.relationships("")) {
            if (isType(r, "officeDocument") && workbookPart.empty())
                workbookPart = r.target;
            else if (isType(r, "core-properties"))
                corePart = r.target;
            else if (isType(r, "extended-properties"))
                appPart = r.target;
            else if (isType(r, "custom-properties"))
                customPart = r.target;
            else if (!r.external && (r.type == CustomUI2006 || r.type == CustomUI2007)) {
                std::optional<std::string> xml = mZip.read(r.target);
                if (!xml) continue;
                pugi::xml_document check;
                if (!check.load_buffer(xml->data(), xml->size()))
                    mZip.fail("the ribbon definition " + r.target + " is not well-formed XML");
                ribbons.push_back({r.type == CustomUI2007, std::move(*xml)});
            }
        }
        if (workbookPart.empty() && mZip.has("xl/workbook.xml")) workbookPart = "xl/workbook.xml";
        if (workbookPart.empty() || !mZip.has(workbookPart))
            mZip.fail("the package has no workbook part (it is not a workbook file)");
        workbook(workbookPart);
        properties(corePart, appPart, customPart);
        mBook->setCustomUIParts(std::move(ribbons));
    }

  private:
    void workbook(const std::string& part) {
        pugi::xml_document doc;
        mZip.readXml(part, doc);
        pugi::xml_node wb = X::child(doc, "workbook");
        if (!wb) mZip.fail("the part " + part + " is not a workbook");
        bool date1904 = X::flag(X::child(wb, "workbookPr"), "date1904", false);

        std::map<std::string, std::string> sheetParts;
        std::string stringsPart, stylesPart;
        for (const PackageRelationship& r : mZip.relationships(part)) {
            if (isType(r, "worksheet"))
                sheetParts[r.id] = r.target;
            else if (isType(r, "sharedStrings"))
                stringsPart = r.target;
            else if (isType(r, "styles"))
                stylesPart = r.target;
        }
        std::vector<std::string> strings = sharedStrings(stringsPart);
        pugi::xml_document stylesDoc;
        if (!stylesPart.empty()) mZip.readXml(stylesPart, stylesDoc);
        Workbook& book = *mBook;
        XlsxStylesReader styles(stylesDoc, book.styles(), [&book](int i) { return book.paletteColor(i); });

        struct Entry {
            std::shared_ptr<Worksheet> sheet;
            int visibility;
        };
        std::vector<Entry> sheets;
        std::set<std::string> seen;
        SheetReadContext ctx{strings, styles};
        ctx.date1904 = date1904;
        ctx.maxCellBytes = mMaxCellBytes;
        for (pugi::xml_node s : X::child(wb, "sheets").children()) {
            if (!X::is(s, "sheet")) continue;
            std::string name = X::attr(s, "name").value();
            auto target = sheetParts.find(X::attr(s, "id").value());
            if (target == sheetParts.end())
                continue; // a chart sheet or dialog sheet: the model has no such sheets
            if (name.empty() || name.size() > 31 * 4 || name.find_first_of("[]:*?/\\") != std::string::npos)
                mZip.fail("the sheet name '" + name + "' is not valid");
            if (!seen.insert(lower(name)).second) mZip.fail("two sheets are named '" + name + "'");
            std::string state = X::attr(s, "state").value();
            int visibility = state == "hidden"       ? xl::SheetHidden
                             : state == "veryHidden" ? xl::SheetVeryHidden
                                                     : xl::SheetVisible;
            auto sheet = mBook->appendSheet(name);
            XlsxSheetReader::read(mZip, target->second, *sheet, ctx);
            sheets.push_back({sheet, visibility});
        }
        if (sheets.empty()) mZip.fail("the workbook has no worksheets");
        bool anyVisible = false;
        for (const Entry& e : sheets)
            anyVisible = anyVisible || e.visibility == xl::SheetVisible;
        if (!anyVisible) mZip.fail("every sheet of the workbook is hidden");
        for (const Entry& e : sheets)
            if (e.visibility != xl::SheetVisible) e.sheet->setVisible(e.visibility);

        long activeTab = X::attr(X::child(X::child(wb, "bookViews"), "workbookView"), "activeTab").as_int(0);
        if (activeTab >= 0 && activeTab < static_cast<long>(sheets.size()) &&
            sheets[static_cast<std::size_t>(activeTab)].visibility == xl::SheetVisible)
            mBook->setActiveSheet(sheets[static_cast<std::size_t>(activeTab)].sheet);
        else
            for (const Entry& e : sheets)
                if (e.visibility == xl::SheetVisible) {
                    mBook->setActiveSheet(e.sheet);
                    break;
                }

        names(X::child(wb, "definedNames"));
        if (pugi::xml_node p = X::child(wb, "workbookProtection"); p && X::flag(p, "lockStructure", false)) {
            std::string hash = X::attr(p, "workbookPassword").value();
            // Only the legacy verifier can be checked; the newer salted one matches no password.
            if (hash.empty() && X::attr(p, "workbookHashValue")) hash = "salted";
            mBook->restoreStructureProtection(hash);
        }
    }

    std::vector<std::string> sharedStrings(const std::string& part) {
        std::vector<std::string> out;
        pugi::xml_document doc;
        if (part.empty() || !mZip.readXml(part, doc)) return out;
        for (pugi::xml_node si : X::child(doc, "sst").children())
            if (X::is(si, "si")) out.push_back(X::text(si));
        return out;
    }

    void names(const pugi::xml_node& list) {
        // Names local to a sheet go first, so a workbook-wide name of the same spelling wins.
        for (bool local : {true, false})
            for (pugi::xml_node n : list.children()) {
                if (!X::is(n, "definedName") || static_cast<bool>(X::attr(n, "localSheetId")) != local)
                    continue;
                std::string name = X::attr(n, "name").value();
                if (name.rfind("_xlnm.", 0) == 0 || !NameTable::validName(name)) continue;
                std::string r1c1 = referenceR1C1(n.text().get());
                if (r1c1.empty() || !mBook->sheetModel(CellAddress::splitSheet(r1c1)->first)) continue;
                mBook->addName(name, "=" + r1c1, !X::flag(n, "hidden", false));
            }
    }

    void properties(const std::string& core, const std::string& app, const std::string& custom) {
        static const std::map<std::string, std::string> coreNames = {{"title", "Title"},
                                                                     {"subject", "Subject"},
                                                                     {"creator", "Author"},
                                                                     {"keywords", "Keywords"},
                                                                     {"description", "Comments"},
                                                                     {"lastModifiedBy", "Last Author"},
                                                                     {"revision", "Revision Number"},
                                                                     {"category", "Category"},
                                                                     {"contentStatus", "Content status"},
                                                                     {"created", "Creation Date"},
                                                                     {"modified", "Last Save Time"},
                                                                     {"lastPrinted", "Last Print Date"},
                                                                     {"language", "Language"},
                                                                     {"version", "Document version"}};
        static const std::map<std::string, std::string> appNames = {{"Application", "Application Name"},
                                                                    {"Company", "Company"},
                                                                    {"Manager", "Manager"},
                                                                    {"HyperlinkBase", "Hyperlink base"},
                                                                    {"Template", "Template"},
                                                                    {"TotalTime", "Total Editing Time"}};
        pugi::xml_document doc;
        if (!core.empty() && mZip.readXml(core, doc))
            for (pugi::xml_node n : doc.document_element().children()) {
                auto it =
                    n.type() == pugi::node_element ? coreNames.find(X::local(n.name())) : coreNames.end();
                if (it != coreNames.end() && *n.text().get()) set(it->second, n.text().get());
            }
        pugi::xml_document appDoc;
        if (!app.empty() && mZip.readXml(app, appDoc))
            for (pugi::xml_node n : appDoc.document_element().children()) {
                auto it = n.type() == pugi::node_element ? appNames.find(X::local(n.name())) : appNames.end();
                if (it != appNames.end() && *n.text().get()) set(it->second, n.text().get());
            }
        pugi::xml_document customDoc;
        if (!custom.empty() && mZip.readXml(custom, customDoc))
            for (pugi::xml_node p : customDoc.document_element().children()) {
                if (!X::is(p, "property")) continue;
                std::string name = X::attr(p, "name").value();
                pugi::xml_node v = p.first_child();
                while (v && v.type() != pugi::node_element)
                    v = v.next_sibling();
                if (name.empty() || name.size() > 255 || !v) continue;
                // Built-in properties without a place in core.xml or app.xml are written here.
                if (Workbook::isBuiltinPropertyName(name) && !mBook->builtinProperty(name).isEmpty())
                    continue;
                if (Workbook::isBuiltinPropertyName(name))
                    set(name, v.text().get());
                else
                    mBook->setCustomProperty(name, customValue(v));
            }
    }

    void set(const std::string& name, const std::string& text) {
        mBook->setBuiltinProperty(name, propertyValue(name, text));
    }

    ZipPackageReader& mZip;
    std::shared_ptr<Workbook> mBook;
    std::uint64_t mMaxCellBytes;
};
} // namespace

std::shared_ptr<Workbook> XlsxReader::read(const std::shared_ptr<Application>& app,
                                           const std::string& path) const {
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(path, ec);
    if (ec || !std::filesystem::is_regular_file(full, ec))
        throw NumberedError(err::ApplicationDefined, "Workbook",
                            "Cannot open the file '" + path + "': it is not a file that can be read.");
    ZipPackageReader zip(full.string(), path, mLimits);
    auto book = std::make_shared<Workbook>(app, full.filename().string());
    try {
        BookLoader(zip, book, mMaxCellBytes).run();
    } catch (const NumberedError& e) {
        if (e.description().find(path) != std::string::npos) throw;
        // A refusal from the model (a bad name, a bad reference) still says which file it came from.
        zip.fail(e.description());
    } catch (const std::bad_alloc&) {
        zip.fail("there is not enough memory to hold it");
    } catch (const std::length_error&) {
        zip.fail("there is not enough memory to hold it");
    }
    std::string ext = lower(full.extension().string());
    book->setFileIdentity(full.string(), ext == ".xlsx" ? xl::FileFormatXlsx : 0);
    book->setSaved(true);
    return book;
}

} // namespace qv::sheet
