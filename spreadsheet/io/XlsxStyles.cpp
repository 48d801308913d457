// See XlsxStyles.h. Fonts, fills and borders are deduplicated by linear search: a workbook
// has tens of styles, not thousands.
#include "spreadsheet/io/XlsxStyles.h"

#include "spreadsheet/io/ExportValues.h"
#include "spreadsheet/io/OutputBuffer.h"

#include <algorithm>

namespace qv::sheet {

namespace {
template <class T> std::size_t indexOf(std::vector<T>& v, const T& x) {
    auto it = std::find(v.begin(), v.end(), x);
    if (it != v.end()) return static_cast<std::size_t>(it - v.begin());
    v.push_back(x);
    return v.size() - 1;
}

const char* horizontal(std::int16_t a) {
    switch (a) {
    case -4131:
        return "left";
    case -4108:
        return "center";
    case -4152:
        return "right";
    case -4130:
        return "justify";
    case 5:
        return "fill";
    case 7:
        return "centerContinuous";
    default:
        return nullptr;
    }
}

const char* borderStyle(const BorderLine& b) {
    if (b.style == 0 || b.style == -4142 % 256) return nullptr;
    switch (b.weight) {
    case 1:
        return "hair";
    case -4138 % 256:
    case 3:
        return "medium";
    case 4:
        return "thick";
    default:
        return "thin";
    }
}

void colorElement(OutputBuffer& out, std::int32_t ole) {
    std::string argb = ExportValues::argbFromOle(ole);
    if (argb.empty())
        out << "<color auto=\"1\"/>";
    else
        out << "<color rgb=\"" << argb << "\"/>";
}
} // namespace

int XlsxStyles::builtinFormatId(const std::string& f) {
    static const std::pair<const char*, int> table[] = {
        {"General", 0},    {"0", 1},          {"0.00", 2},           {"#,##0", 3},
        {"#,##0.00", 4},   {"0%", 9},         {"0.00%", 10},         {"0.00E+00", 11},
        {"# ?/?", 12},     {"# ?\?/?\?", 13}, {"m/d/yyyy", 14},      {"d-mmm-yy", 15},
        {"d-mmm", 16},     {"mmm-yy", 17},    {"h:mm AM/PM", 18},    {"h:mm:ss AM/PM", 19},
        {"h:mm", 20},      {"h:mm:ss", 21},   {"m/d/yyyy h:mm", 22}, {"mm:ss", 45},
        {"[h]:mm:ss", 46}, {"mmss.0", 47},    {"##0.0E+0", 48},      {"@", 49}};
    if (f.empty()) return 0;
    for (const auto& [text, id] : table)
        if (f == text) return id;
    return -1;
}

int XlsxStyles::numFmtId(const std::string& format) {
    int id = builtinFormatId(format);
    if (id >= 0) return id;
    for (const auto& [cid, text] : mNumFmts)
        if (text == format) return cid;
    int next = 164 + static_cast<int>(mNumFmts.size());
    mNumFmts.emplace_back(next, format);
    return next;
}

XlsxStyles::XlsxStyles(const std::vector<CellStyle>& styles)
    : mCount(static_cast<std::uint32_t>(std::max<std::size_t>(styles.size(), 1))) {
    mFonts.push_back({NoColor, false});
    mBorders.push_back({});
    std::vector<CellStyle> all = styles;
    if (all.empty()) all.emplace_back();
    for (const CellStyle& s : all) {
        Xf x;
        x.numFmt = numFmtId(s.numberFormat);
        x.font = indexOf(mFonts, Font{s.fontColor, s.bold});
        x.fill = ExportValues::argbFromOle(s.fillColor).empty() ? 0 : 2 + indexOf(mFills, s.fillColor);
        Border b{s.left, s.right, s.top, s.bottom};
        for (BorderLine* l : {&b.left, &b.right, &b.top, &b.bottom})
            if (!borderStyle(*l)) *l = BorderLine{};
        x.border = indexOf(mBorders, b);
        x.align = s.horizontalAlignment;
        x.locked = s.locked;
        mXfs.push_back(x);
    }
    mDateTwin.assign(mCount, 0);
    mDateTimeTwin.assign(mCount, 0);
    for (std::uint32_t i = 0; i < mCount; ++i) {
        if (mXfs[i].numFmt != 0) continue;
        Xf d = mXfs[i];
        d.numFmt = 14;
        mDateTwin[i] = static_cast<std::uint32_t>(mXfs.size());
        mXfs.push_back(d);
        d.numFmt = 22;
        mDateTimeTwin[i] = static_cast<std::uint32_t>(mXfs.size());
        mXfs.push_back(d);
    }
}

std::uint32_t XlsxStyles::dateXf(std::uint32_t style, bool withTime) const {
    style = xf(style);
    std::uint32_t twin = withTime ? mDateTimeTwin[style] : mDateTwin[style];
    return twin ? twin : style;
}

void XlsxStyles::writeXml(OutputBuffer& out) const {
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
           "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";
    if (!mNumFmts.empty()) {
        out << "<numFmts count=\"";
        out.integer(static_cast<std::int64_t>(mNumFmts.size()));
        out << "\">";
        for (const auto& [id, text] : mNumFmts) {
            out << "<numFmt numFmtId=\"";
            out.integer(id);
            out << "\" formatCode=\"";
            out.xmlAttr(text);
            out << "\"/>";
        }
        out << "</numFmts>";
    }
    out << "<fonts count=\"";
    out.integer(static_cast<std::int64_t>(mFonts.size()));
    out << "\">";
    for (const Font& f : mFonts) {
        out << "<font>";
        if (f.bold) out << "<b/>";
        out << "<sz val=\"11\"/>";
        // No theme part is written, so automatic colour is the absence of a colour, not a theme index.
        std::string argb = ExportValues::argbFromOle(f.color);
        if (!argb.empty()) out << "<color rgb=\"" << argb << "\"/>";
        out << "<name val=\"Calibri\"/><family val=\"2\"/></font>";
    }
    out << "</fonts><fills count=\"";
    out.integer(static_cast<std::int64_t>(mFills.size() + 2));
    out << "\"><fill><patternFill patternType=\"none\"/></fill><fill><patternFill "
           "patternType=\"gray125\"/></fill>";
    for (std::int32_t c : mFills)
        out << "<fill><patternFill patternType=\"solid\"><fgColor rgb=\"" << ExportValues::argbFromOle(c)
            << "\"/><bgColor indexed=\"64\"/></patternFill></fill>";
    out << "</fills><borders count=\"";
    out.integer(static_cast<std::int64_t>(mBorders.size()));
    out << "\">";
    for (const Border& b : mBorders) {
        out << "<border>";
        const std::pair<const char*, const BorderLine*> sides[] = {
            {"left", &b.left}, {"right", &b.right}, {"top", &b.top}, {"bottom", &b.bottom}};
        for (const auto& [name, line] : sides) {
            const char* st = borderStyle(*line);
            out << '<' << name;
            if (st) {
                out << " style=\"" << st << "\">";
                colorElement(out, line->color);
                out << "</" << name << '>';
            } else {
                out << "/>";
            }
        }
        out << "<diagonal/></border>";
    }
    out << "</borders><cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
           "borderId=\"0\"/></cellStyleXfs>"
           "<cellXfs count=\"";
    out.integer(static_cast<std::int64_t>(mXfs.size()));
    out << "\">";
    for (const Xf& x : mXfs) {
        out << "<xf numFmtId=\"";
        out.integer(x.numFmt);
        out << "\" fontId=\"";
        out.integer(static_cast<std::int64_t>(x.font));
        out << "\" fillId=\"";
        out.integer(static_cast<std::int64_t>(x.fill));
        out << "\" borderId=\"";
        out.integer(static_cast<std::int64_t>(x.border));
        out << "\" xfId=\"0\"";
        if (x.numFmt) out << " applyNumberFormat=\"1\"";
        if (x.font) out << " applyFont=\"1\"";
        if (x.fill) out << " applyFill=\"1\"";
        if (x.border) out << " applyBorder=\"1\"";
        const char* h = horizontal(x.align);
        if (h) out << " applyAlignment=\"1\"";
        if (!x.locked) out << " applyProtection=\"1\"";
        if (!h && x.locked) {
            out << "/>";
            continue;
        }
        out << '>';
        if (h) out << "<alignment horizontal=\"" << h << "\"/>";
        if (!x.locked) out << "<protection locked=\"0\"/>";
        out << "</xf>";
    }
    out << "</cellXfs><cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" "
           "builtinId=\"0\"/></cellStyles>"
           "<dxfs count=\"0\"/><tableStyles count=\"0\"/></styleSheet>";
}

} // namespace qv::sheet
