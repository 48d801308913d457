// See ZipPackageReader.h. Part names are matched case-insensitively, as the package rules
// require; the directory is listed once at open so a missing part costs no archive walk.
#include "spreadsheet/ZipPackageReader.h"

#include "platform/NumberedError.h"

#include <algorithm>
#include <pugixml.hpp>
#include <strings.h>
#include <unzip.h>

namespace qv::sheet {

namespace {
unzFile handle(void* z) { return static_cast<unzFile>(z); }
} // namespace

ZipPackageReader::ZipPackageReader(const std::string& path, std::string displayPath, ZipLimits limits)
    : mDisplayPath(std::move(displayPath)), mLimits(limits) {
    mZip = unzOpen64(path.c_str());
    if (!mZip) fail("the file is not a workbook package (not a zip archive, or damaged)");
    int rc = unzGoToFirstFile(handle(mZip));
    while (rc == UNZ_OK) {
        char name[1024];
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(handle(mZip), &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK)
            fail("the package directory is damaged");
        mParts.emplace_back(name);
        rc = unzGoToNextFile(handle(mZip));
    }
    if (rc != UNZ_END_OF_LIST_OF_FILE) fail("the package directory is damaged");
}

ZipPackageReader::~ZipPackageReader() {
    if (mZip) unzClose(handle(mZip));
}

void ZipPackageReader::fail(const std::string& what) const {
    throw NumberedError(err::ApplicationDefined, "Workbook", "Cannot open the file '" + mDisplayPath + "': " + what + ".");
}

bool ZipPackageReader::has(const std::string& part) const {
    for (const std::string& p : mParts)
        if (strcasecmp(p.c_str(), part.c_str()) == 0) return true;
    return false;
}

std::optional<std::string> ZipPackageReader::read(const std::string& part) {
    std::string name = part;
    if (!name.empty() && name.front() == '/') name.erase(0, 1);
    if (!has(name)) return std::nullopt;
    // 2 = case-insensitive comparison in minizip.
    if (unzLocateFile(handle(mZip), name.c_str(), 2) != UNZ_OK) fail("the part " + name + " cannot be found");
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(handle(mZip), &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        fail("the part " + name + " is damaged");
    const std::uint64_t declared = info.uncompressed_size;
    auto tooLarge = [&](std::uint64_t size) {
        if (size > mLimits.maxPart) fail("the part " + name + " is larger than a workbook part may be");
        if (mTotal + size > mLimits.maxTotal) fail("the package inflates to more than a workbook may hold");
        if (size > mLimits.ratioFloor && size / std::max<std::uint64_t>(info.compressed_size, 1) > mLimits.maxRatio)
            fail("the part " + name + " is compressed beyond any real workbook (a zip bomb?)");
    };
    tooLarge(declared);
    if (unzOpenCurrentFile(handle(mZip)) != UNZ_OK) fail("the part " + name + " cannot be read");
    std::string out;
    out.reserve(static_cast<std::size_t>(declared));
    char buffer[1 << 16];
    for (;;) {
        int n = unzReadCurrentFile(handle(mZip), buffer, sizeof buffer);
        if (n < 0) {
            unzCloseCurrentFile(handle(mZip));
            fail("the part " + name + " is damaged (truncated or corrupted data)");
        }
        if (n == 0) break;
        out.append(buffer, static_cast<std::size_t>(n));
        // The directory may lie about the size; the real count is what is capped.
        if (out.size() > declared) {
            unzCloseCurrentFile(handle(mZip));
            fail("the part " + name + " is larger than the package directory says");
        }
    }
    // A bad checksum shows up only here.
    if (unzCloseCurrentFile(handle(mZip)) != UNZ_OK) fail("the part " + name + " is damaged (checksum error)");
    if (out.size() != declared) fail("the part " + name + " is damaged (truncated)");
    mTotal += out.size();
    return out;
}

bool ZipPackageReader::readXml(const std::string& part, pugi::xml_document& doc) {
    std::optional<std::string> text = read(part);
    if (!text) return false;
    pugi::xml_parse_result r = doc.load_buffer(text->data(), text->size(), pugi::parse_default | pugi::parse_ws_pcdata_single);
    if (!r) fail("the part " + part + " is not well-formed XML (" + r.description() + " at byte " + std::to_string(r.offset) + ")");
    return true;
}

std::vector<PackageRelationship> ZipPackageReader::relationships(const std::string& part) {
    std::vector<PackageRelationship> out;
    pugi::xml_document doc;
    std::string rels = part.empty() ? "_rels/.rels" : relsOf(part);
    if (!readXml(rels, doc)) return out;
    for (pugi::xml_node n : doc.document_element().children()) {
        if (n.type() != pugi::node_element) continue;
        PackageRelationship r;
        r.id = n.attribute("Id").value();
        r.type = n.attribute("Type").value();
        r.external = std::string(n.attribute("TargetMode").value()) == "External";
        std::string target = n.attribute("Target").value();
        r.target = r.external ? target : resolve(part.empty() ? "" : part, target);
        out.push_back(std::move(r));
    }
    return out;
}

std::string ZipPackageReader::resolve(const std::string& source, const std::string& target) {
    std::string path;
    if (!target.empty() && target.front() == '/') {
        path = target.substr(1);
    } else {
        std::size_t slash = source.rfind('/');
        path = (slash == std::string::npos ? std::string() : source.substr(0, slash + 1)) + target;
    }
    std::vector<std::string> segments;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        std::string seg = path.substr(start, end - start);
        if (seg == "..") {
            if (!segments.empty()) segments.pop_back();
        } else if (!seg.empty() && seg != ".") {
            segments.push_back(seg);
        }
        start = end + 1;
    }
    std::string out;
    for (const std::string& s : segments) out += (out.empty() ? "" : "/") + s;
    return out;
}

std::string ZipPackageReader::relsOf(const std::string& part) {
    std::size_t slash = part.rfind('/');
    if (slash == std::string::npos) return "_rels/" + part + ".rels";
    return part.substr(0, slash + 1) + "_rels/" + part.substr(slash + 1) + ".rels";
}

} // namespace qv::sheet
