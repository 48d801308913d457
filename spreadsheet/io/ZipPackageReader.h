// Reads the parts of an Office Open XML package through minizip's unzip API. Every part is
// read whole into memory, so the sizes are capped while inflating (not only by what the
// directory claims): a package that inflates beyond the caps, or far beyond its compressed
// size, is refused before it can exhaust memory.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pugi {
class xml_document;
}

namespace qv::sheet {

struct PackageRelationship {
    std::string id, type;
    std::string target; // the resolved part name, or the URL of an external target
    bool external = false;
};

struct ZipLimits {
    std::uint64_t maxPart = 1ull << 30;  // bytes after inflating, per part
    std::uint64_t maxTotal = 2ull << 30; // bytes after inflating, whole package
    std::uint64_t maxRatio = 1000;       // inflated / compressed, for parts above ratioFloor
    std::uint64_t ratioFloor = 1u << 20;
};

class ZipPackageReader {
  public:
    // Errors (1004) name `displayPath`. Refuses a file that is not a zip archive.
    ZipPackageReader(const std::string& path, std::string displayPath, ZipLimits limits = {});
    ZipPackageReader(const ZipPackageReader&) = delete;
    ZipPackageReader& operator=(const ZipPackageReader&) = delete;

    bool has(const std::string& part) const;
    // The inflated part; nothing when the package has no such part. A damaged part raises 1004.
    std::optional<std::string> read(const std::string& part);
    const std::vector<std::string>& parts() const { return mParts; }
    // Reads and parses an XML part; false when the package has no such part. Malformed XML raises 1004.
    bool readXml(const std::string& part, pugi::xml_document& doc);

    // The part a relationship target points at: `target` relative to the folder of `source`
    // ("xl/workbook.xml" + "worksheets/sheet1.xml"), or absolute when it starts with '/'.
    // The relationships of a part ("" = the package itself); none when it has no relationships part.
    std::vector<PackageRelationship> relationships(const std::string& part);
    static std::string resolve(const std::string& source, const std::string& target);
    // The relationships part of a part: "xl/workbook.xml" -> "xl/_rels/workbook.xml.rels".
    static std::string relsOf(const std::string& part);

    [[noreturn]] void fail(const std::string& what) const;

  private:
    // Closes the unzip handle on every way out, a refusal in the constructor included: a
    // leaked handle keeps its file descriptor, and enough of them refuse every later file.
    struct UnzipClose {
        void operator()(void* zip) const noexcept;
    };
    std::unique_ptr<void, UnzipClose> mZip;
    std::string mDisplayPath;
    ZipLimits mLimits;
    std::uint64_t mTotal = 0;
    std::vector<std::string> mParts;
    // Where each part's directory entry is, listed with the names: minizip's lookup by name
    // cannot find names of 256 bytes or more, and a walk per part would be quadratic anyway.
    struct EntryPosition {
        std::uint64_t directoryOffset, index;
    };
    std::vector<EntryPosition> mPositions;
    // The index of a part in mParts, -1 when there is none.
    long indexOf(const std::string& part) const;
};

} // namespace qv::sheet
