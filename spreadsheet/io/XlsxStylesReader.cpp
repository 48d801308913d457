// See XlsxStylesReader.h. Only what the cell model keeps is read: number format, fill colour,
// font colour and weight, the four borders, horizontal alignment and the locked flag. Theme
// colours take the default theme's values, as no producer we meet changes the theme.
#include "spreadsheet/io/XlsxStylesReader.h"

#include "spreadsheet/formats/NumberFormatter.h"
#include "spreadsheet/io/OoxmlXml.h"
#include "spreadsheet/model/StylePool.h"

#include <cstdlib>
#include <map>
#include <pugixml.hpp>

namespace qv::sheet {

namespace {
using X = OoxmlXml;

struct Font {
    std::int32_t color = NoColor;
    bool bold = false;
};
struct Border {
    BorderLine left, right, top, bottom;
};

std::int32_t themeColor(long index) {
    static const char* const theme[] = {"FFFFFF", "000000", "E7E6E6", "44546A", "4472C4", "ED7D31",
                                        "A5A5A5", "FFC000", "5B9BD5", "70AD47", "0563C1", "954F72"};
    return index >= 0 && index < 12 ? XlsxStylesReader::oleFromArgb(theme[index]) : NoColor;
}

std::int32_t readColor(const pugi::xml_node& c, const std::function<long(int)>& palette, bool fontColor) {
    if (!c || X::flag(c, "auto", false)) return NoColor;
    if (pugi::xml_attribute rgb = X::attr(c, "rgb")) return XlsxStylesReader::oleFromArgb(rgb.value());
    if (pugi::xml_attribute idx = X::attr(c, "indexed")) {
        int i = idx.as_int(-1);
        if (i >= 0 && i < 8) return static_cast<std::int32_t>(palette(i + 1));
        if (i >= 8 && i < 64) return static_cast<std::int32_t>(palette(i - 7));
        return NoColor; // 64, 65: the system's window colours
    }
    if (pugi::xml_attribute th = X::attr(c, "theme")) {
        // The text colour of the theme is the automatic font colour.
        if (fontColor && th.as_int(-1) == 1) return NoColor;
        return themeColor(th.as_int(-1));
    }
    return NoColor;
}

BorderLine readLine(const pugi::xml_node& n, const std::function<long(int)>& palette) {
    BorderLine line;
    if (!n) return line;
    std::string style = X::attr(n, "style").value();
    if (style.empty() || style == "none") return line;
    line.style = 1;
    if (style == "hair")
        line.weight = 1;
    else if (style == "medium" || style == "mediumDashed" || style == "mediumDashDot" ||
             style == "mediumDashDotDot" || style == "slantDashDot")
        line.weight = static_cast<std::int8_t>(-4138 % 256);
    else if (style == "thick" || style == "double")
        line.weight = 4;
    else
        line.weight = 2;
    std::int32_t color = readColor(X::child(n, "color"), palette, false);
    line.color = color == NoColor ? 0 : color;
    return line;
}

std::int16_t horizontal(const std::string& h) {
    if (h == "left") return -4131;
    if (h == "center") return -4108;
    if (h == "right") return -4152;
    if (h == "justify") return -4130;
    if (h == "fill") return 5;
    if (h == "centerContinuous") return 7;
    return 1;
}

bool builtinDate(int id) {
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) ||
           (id >= 50 && id <= 58);
}
} // namespace

std::int32_t XlsxStylesReader::oleFromArgb(const std::string& argb) {
    std::string hex = argb.size() == 8 ? argb.substr(2) : argb;
    if (hex.size() != 6) return NoColor;
    char* end = nullptr;
    unsigned long v = std::strtoul(hex.c_str(), &end, 16);
    if (!end || *end) return NoColor;
    return static_cast<std::int32_t>(((v >> 16) & 0xFF) | (v & 0xFF00) | ((v & 0xFF) << 16));
}

std::string XlsxStylesReader::builtinFormat(int id) {
    static const std::map<int, const char*> table = {
        {0, "General"},
        {1, "0"},
        {2, "0.00"},
        {3, "#,##0"},
        {4, "#,##0.00"},
        {5, "$#,##0_);($#,##0)"},
        {6, "$#,##0_);[Red]($#,##0)"},
        {7, "$#,##0.00_);($#,##0.00)"},
        {8, "$#,##0.00_);[Red]($#,##0.00)"},
        {9, "0%"},
        {10, "0.00%"},
        {11, "0.00E+00"},
        {12, "# ?/?"},
        {13, "# ?\?/?\?"},
        {14, "m/d/yyyy"},
        {15, "d-mmm-yy"},
        {16, "d-mmm"},
        {17, "mmm-yy"},
        {18, "h:mm AM/PM"},
        {19, "h:mm:ss AM/PM"},
        {20, "h:mm"},
        {21, "h:mm:ss"},
        {22, "m/d/yyyy h:mm"},
        {37, "#,##0 ;(#,##0)"},
        {38, "#,##0 ;[Red](#,##0)"},
        {39, "#,##0.00;(#,##0.00)"},
        {40, "#,##0.00;[Red](#,##0.00)"},
        {41, "_(* #,##0_);_(* (#,##0);_(* \"-\"_);_(@_)"},
        {42, "_($* #,##0_);_($* (#,##0);_($* \"-\"_);_(@_)"},
        {43, "_(* #,##0.00_);_(* (#,##0.00);_(* \"-\"??_);_(@_)"},
        {44, "_($* #,##0.00_);_($* (#,##0.00);_($* \"-\"??_);_(@_)"},
        {45, "mm:ss"},
        {46, "[h]:mm:ss"},
        {47, "mmss.0"},
        {48, "##0.0E+0"},
        {49, "@"}};
    auto it = table.find(id);
    if (it != table.end()) return it->second;
    return builtinDate(id) ? "m/d/yyyy" : "";
}

XlsxStylesReader::XlsxStylesReader(const pugi::xml_document& doc, StylePool& pool,
                                   const std::function<long(int)>& palette) {
    pugi::xml_node sheet = X::child(doc, "styleSheet");
    if (!sheet) return;
    std::map<int, std::string> numFmts;
    for (pugi::xml_node n : X::child(sheet, "numFmts").children())
        if (X::is(n, "numFmt")) numFmts[X::attr(n, "numFmtId").as_int(-1)] = X::attr(n, "formatCode").value();
    std::vector<Font> fonts;
    for (pugi::xml_node n : X::child(sheet, "fonts").children()) {
        if (!X::is(n, "font")) continue;
        Font f;
        if (pugi::xml_node b = X::child(n, "b")) f.bold = X::flag(b, "val", true);
        f.color = readColor(X::child(n, "color"), palette, true);
        fonts.push_back(f);
    }
    std::vector<std::int32_t> fills;
    for (pugi::xml_node n : X::child(sheet, "fills").children()) {
        if (!X::is(n, "fill")) continue;
        pugi::xml_node p = X::child(n, "patternFill");
        std::string type = X::attr(p, "patternType").value();
        std::int32_t color = NoColor;
        if (p && !type.empty() && type != "none" && type != "gray125") {
            color = readColor(X::child(p, "fgColor"), palette, false);
            if (color == NoColor && type == "solid")
                color = readColor(X::child(p, "bgColor"), palette, false);
        }
        fills.push_back(color);
    }
    std::vector<Border> borders;
    for (pugi::xml_node n : X::child(sheet, "borders").children()) {
        if (!X::is(n, "border")) continue;
        Border b;
        b.left = readLine(X::child(n, "left"), palette);
        if (!X::child(n, "left")) b.left = readLine(X::child(n, "start"), palette);
        b.right = readLine(X::child(n, "right"), palette);
        if (!X::child(n, "right")) b.right = readLine(X::child(n, "end"), palette);
        b.top = readLine(X::child(n, "top"), palette);
        b.bottom = readLine(X::child(n, "bottom"), palette);
        borders.push_back(b);
    }
    for (pugi::xml_node xf : X::child(sheet, "cellXfs").children()) {
        if (!X::is(xf, "xf")) continue;
        CellStyle s;
        int numFmt = X::attr(xf, "numFmtId").as_int(0);
        auto custom = numFmts.find(numFmt);
        std::string format = custom != numFmts.end() ? custom->second : builtinFormat(numFmt);
        s.numberFormat = format.empty() ? "General" : format;
        auto font = static_cast<std::size_t>(X::attr(xf, "fontId").as_uint(0));
        if (font < fonts.size()) {
            s.fontColor = fonts[font].color;
            s.bold = fonts[font].bold;
        }
        auto fill = static_cast<std::size_t>(X::attr(xf, "fillId").as_uint(0));
        if (fill < fills.size()) s.fillColor = fills[fill];
        auto border = static_cast<std::size_t>(X::attr(xf, "borderId").as_uint(0));
        if (border < borders.size()) {
            s.left = borders[border].left;
            s.right = borders[border].right;
            s.top = borders[border].top;
            s.bottom = borders[border].bottom;
        }
        if (pugi::xml_node a = X::child(xf, "alignment"))
            s.horizontalAlignment = horizontal(X::attr(a, "horizontal").value());
        if (pugi::xml_node p = X::child(xf, "protection")) s.locked = X::flag(p, "locked", true);
        mStyles.push_back(pool.intern(s));
        mDate.push_back(custom == numFmts.end() && builtinDate(numFmt)
                            ? true
                            : NumberFormatter::isDateFormat(s.numberFormat));
    }
}

} // namespace qv::sheet
