// See ZipPackageReader.h. Part names are matched case-insensitively, as the package rules
// require; the directory is listed once at open so a missing part costs no archive walk.
#include "spreadsheet/io/ZipPackageReader.h"

#include "platform/NumberedError.h"
#include "platform/TextUtil.h"

#include <algorithm>
#include <pugixml.hpp>
#include <unzip.h>

namespace qv::sheet {

namespace {
template <class Owner> unzFile handle(const Owner& z) {
    return static_cast<unzFile>(z.get());
}
} // namespace

void ZipPackageReader::UnzipClose::operator()(void* zip) const noexcept {
    unzClose(static_cast<unzFile>(zip));
}

ZipPackageReader::ZipPackageReader(const std::string& path, std::string displayPath, ZipLimits limits)
    : mZip(unzOpen64(path.c_str())), mDisplayPath(std::move(displayPath)), mLimits(limits) {
    if (!mZip) fail("the file is not a workbook package (not a zip archive, or damaged)");
    int rc = unzGoToFirstFile(handle(mZip));
    std::string name;
    while (rc == UNZ_OK) {
        // The name's length comes from the directory (up to 64 KiB), so the buffer is sized
        // from it rather than fixed: a fixed one would cut a long name without terminating it.
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(handle(mZip), &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
            fail("the package directory is damaged");
        name.assign(info.size_filename + 1, '\0');
        if (unzGetCurrentFileInfo64(handle(mZip), &info, name.data(), static_cast<uLong>(name.size()),
                                    nullptr, 0, nullptr, 0) != UNZ_OK)
            fail("the package directory is damaged");
        name.resize(info.size_filename);
        unz64_file_pos pos{};
        if (unzGetFilePos64(handle(mZip), &pos) != UNZ_OK) fail("the package directory is damaged");
        mParts.push_back(name);
        mPositions.push_back({pos.pos_in_zip_directory, pos.num_of_file});
        rc = unzGoToNextFile(handle(mZip));
    }
    if (rc != UNZ_END_OF_LIST_OF_FILE) fail("the package directory is damaged");
}

void ZipPackageReader::fail(const std::string& what) const {
    throw NumberedError(err::ApplicationDefined, "Workbook",
                        "Cannot open the file '" + mDisplayPath + "': " + what + ".");
}

long ZipPackageReader::indexOf(const std::string& part) const {
    for (std::size_t i = 0; i < mParts.size(); ++i)
        if (TextUtil::equalsIgnoreCase(mParts[i], part)) return static_cast<long>(i);
    return -1;
}

bool ZipPackageReader::has(const std::string& part) const {
    return indexOf(part) >= 0;
}

std::optional<std::string> ZipPackageReader::read(const std::string& part) {
    std::string name = part;
    if (!name.empty() && name.front() == '/') name.erase(0, 1);
    const long index = indexOf(name);
    if (index < 0) return std::nullopt;
    const EntryPosition& at = mPositions[static_cast<std::size_t>(index)];
    const unz64_file_pos pos{at.directoryOffset, at.index};
    if (unzGoToFilePos64(handle(mZip), &pos) != UNZ_OK) fail("the part " + name + " cannot be found");
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(handle(mZip), &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        fail("the part " + name + " is damaged");
    const std::uint64_t declared = info.uncompressed_size;
    auto tooLarge = [&](std::uint64_t size) {
        if (size > mLimits.maxPart) fail("the part " + name + " is larger than a workbook part may be");
        if (mTotal + size > mLimits.maxTotal) fail("the package inflates to more than a workbook may hold");
        if (size > mLimits.ratioFloor &&
            size / std::max<std::uint64_t>(info.compressed_size, 1) > mLimits.maxRatio)
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
    if (unzCloseCurrentFile(handle(mZip)) != UNZ_OK)
        fail("the part " + name + " is damaged (checksum error)");
    if (out.size() != declared) fail("the part " + name + " is damaged (truncated)");
    mTotal += out.size();
    return out;
}

bool ZipPackageReader::readXml(const std::string& part, pugi::xml_document& doc) {
    std::optional<std::string> text = read(part);
    if (!text) return false;
    pugi::xml_parse_result r =
        doc.load_buffer(text->data(), text->size(), pugi::parse_default | pugi::parse_ws_pcdata_single);
    if (!r)
        fail("the part " + part + " is not well-formed XML (" + r.description() + " at byte " +
             std::to_string(r.offset) + ")");
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
    for (const std::string& s : segments)
        out += (out.empty() ? "" : "/") + s;
    return out;
}

std::string ZipPackageReader::relsOf(const std::string& part) {
    std::size_t slash = part.rfind('/');
    if (slash == std::string::npos) return "_rels/" + part + ".rels";
    return part.substr(0, slash + 1) + "_rels/" + part.substr(slash + 1) + ".rels";
}

} // namespace qv::sheet
