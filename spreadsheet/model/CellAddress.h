// Cell rectangles and the two ways the host writes them: A1 ("$A$1:$C$3", "A:A", "1:1",
// "A1,C3:D4") and R1C1 ("R1C1:R5C1"). Every range, name, validation area and filter list is a
// list of these rectangles, so one parser and one printer serve them all.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::sheet {

constexpr long MaxRow = 1048576;
constexpr long MaxColumn = 16384;

struct Rect {
    long r1 = 1, c1 = 1, r2 = 1, c2 = 1; // inclusive, 1-based
    long rows() const { return r2 - r1 + 1; }
    long cols() const { return c2 - c1 + 1; }
    long long cells() const { return static_cast<long long>(rows()) * cols(); }
    bool contains(long r, long c) const { return r >= r1 && r <= r2 && c >= c1 && c <= c2; }
    bool entireRows() const { return c1 == 1 && c2 == MaxColumn; }
    bool entireColumns() const { return r1 == 1 && r2 == MaxRow; }
    bool operator==(const Rect&) const = default;
};

std::optional<Rect> intersect(const Rect& a, const Rect& b);
// The parts of a that are not in b (at most four rectangles).
std::vector<Rect> subtract(const Rect& a, const Rect& b);

class CellAddress {
  public:
    // "A" -> 1, "AB" -> 28; 0 when not a column.
    static long columnNumber(std::string_view letters);
    static std::string columnLetters(long column);
    // Areas of an A1 address without a sheet part; nothing when it is not one.
    static std::optional<std::vector<Rect>> parseA1(std::string_view text);
    // Areas of an absolute R1C1 address without a sheet part ("R1C1:R5C1", "R2", "C3:C4").
    static std::optional<std::vector<Rect>> parseR1C1(std::string_view text);
    static std::string formatA1(const Rect& r, bool rowAbsolute = true, bool columnAbsolute = true);
    static std::string formatR1C1(const Rect& r);
    // A sheet name as it appears before '!' in a reference: quoted when it needs to be.
    static std::string quoteSheet(const std::string& sheetName);
    // Splits "'My Sheet'!R1C1" / "Sheet1!A1" into sheet name and address; the sheet is empty
    // when the text has no sheet part. Nothing when the quoting is broken.
    static std::optional<std::pair<std::string, std::string>> splitSheet(std::string_view text);
};

} // namespace qv::sheet
