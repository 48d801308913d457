// The build's generator of the add-in package: one empty sheet in a very hidden window, the
// document properties the start-up reads the edition from, and the two ribbon parts. Each
// ribbon part is read with the host's own parser first, so a definition the host would refuse
// fails the build instead of the first start.
//
//   quorvel-make-addin <customUI.xml> <customUI14.xml> <output.xlam>
#include "host/workbook/WorkbookGlobals.h"
#include "platform/NumberedError.h"
#include "platform/host/HostConstants.h"
#include "spreadsheet/commandbars/RibbonDefinition.h"
#include "spreadsheet/model/Application.h"
#include "spreadsheet/model/Workbook.h"

#include <filesystem>
#include <fmt/format.h>
#include <fstream>
#include <sstream>

namespace {

using qv::sheet::CustomUIVersion;
using qv::sheet::RibbonDefinition;

std::string readRibbon(const std::string& path, CustomUIVersion expected) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw qv::NumberedError(53, "quorvel-make-addin", "File not found: " + path);
    std::stringstream text;
    text << in.rdbuf();
    const RibbonDefinition def = RibbonDefinition::parse(text.str());
    if (def.version != expected)
        throw qv::NumberedError(qv::err::ApplicationDefined, "quorvel-make-addin",
                                path + " is not in the " +
                                    (expected == CustomUIVersion::Schema2006 ? "2006/01" : "2009/07") +
                                    " custom-UI namespace");
    return text.str();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        fmt::print(stderr, "usage: {} <customUI.xml> <customUI14.xml> <output.xlam>\n", argv[0]);
        return 2;
    }
    try {
        namespace xlam = qv::xlam;
        const std::string ribbon2006 = readRibbon(argv[1], CustomUIVersion::Schema2006);
        const std::string ribbon2009 = readRibbon(argv[2], CustomUIVersion::Schema2009);
        auto app = qv::sheet::Application::create();
        auto book = std::dynamic_pointer_cast<qv::sheet::Workbook>(app->addWorkbook());
        book->setBuiltinProperty("Title", qv::Variant(xlam::AddinTitle));
        book->setBuiltinProperty("Keywords", qv::Variant(xlam::AddinKeywords));
        book->setBuiltinProperty("Comments", qv::Variant(xlam::AddinDescription));
        book->setBuiltinProperty("Content status", qv::Variant(xlam::AddinContentStatus));
        book->setBuiltinProperty("Revision Number", qv::Variant(xlam::AddinRevision));
        book->setCustomUIParts({{false, ribbon2006}, {true, ribbon2009}});
        book->setWindowHidden(true);
        const std::string out = std::filesystem::absolute(argv[3]).string();
        book->saveAs(out, qv::xl::FileFormatXlam);
    } catch (const qv::NumberedError& e) {
        fmt::print(stderr, "{}: error {}: {}\n", argv[0], e.number(), e.description());
        return 1;
    }
    return 0;
}
