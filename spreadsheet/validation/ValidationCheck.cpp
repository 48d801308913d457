// Formulas other than constants, references and names (the host's full formula language) are
// not evaluated here; a rule whose bound cannot be evaluated lets the entry through rather than
// refusing every entry.
#include "spreadsheet/validation/ValidationCheck.h"

#include "platform/OleDateTime.h"
#include "platform/TextUtil.h"
#include "platform/host/HostConstants.h"
#include "spreadsheet/formats/InputParser.h"
#include "spreadsheet/model/HostText.h"
#include "spreadsheet/model/Range.h"
#include "spreadsheet/model/Workbook.h"
#include "spreadsheet/model/Worksheet.h"

#include <charconv>
#include <cmath>

namespace qv::sheet {

namespace {

std::string trim(std::string s) {
    while (!s.empty() && s.front() == ' ')
        s.erase(0, 1);
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

std::optional<double> monthFirstDate(const std::string& s) {
    int parts[3];
    std::size_t pos = 0;
    for (int i = 0; i < 3; ++i) {
        auto next = s.find('/', pos);
        if ((i < 2) != (next != std::string::npos)) return std::nullopt;
        std::string piece = s.substr(pos, next == std::string::npos ? std::string::npos : next - pos);
        auto r = std::from_chars(piece.data(), piece.data() + piece.size(), parts[i]);
        if (r.ec != std::errc() || r.ptr != piece.data() + piece.size()) return std::nullopt;
        pos = next + 1;
    }
    if (!OleDateTime::isValidDate(parts[2], parts[0], parts[1])) return std::nullopt;
    DateTimeParts p;
    p.year = parts[2], p.month = parts[0], p.day = parts[1];
    return OleDateTime::fromParts(p);
}

std::string textOf(const Variant& v) {
    if (v.isBool()) return v.toBool() ? "TRUE" : "FALSE";
    if (v.isEmpty() || v.isNull() || v.isError()) return {};
    return v.toString();
}

bool sameEntry(const Variant& a, const Variant& b) {
    const bool an = a.isNumber() || a.isDate(), bn = b.isNumber() || b.isDate();
    if (an && bn) return a.toDouble() == b.toDouble();
    if (a.isBool() && b.isBool()) return a.toBool() == b.toBool();
    return TextUtil::equalsIgnoreCase(textOf(a), textOf(b));
}

bool compare(int op, double v, double b1, double b2) {
    switch (static_cast<xl::ValidationOperator>(op)) {
    case xl::ValidationOperator::Between:
        return v >= std::min(b1, b2) && v <= std::max(b1, b2);
    case xl::ValidationOperator::NotBetween:
        return v < std::min(b1, b2) || v > std::max(b1, b2);
    case xl::ValidationOperator::Equal:
        return v == b1;
    case xl::ValidationOperator::NotEqual:
        return v != b1;
    case xl::ValidationOperator::Greater:
        return v > b1;
    case xl::ValidationOperator::Less:
        return v < b1;
    case xl::ValidationOperator::GreaterEqual:
        return v >= b1;
    case xl::ValidationOperator::LessEqual:
        return v <= b1;
    }
    return true;
}

} // namespace

std::optional<Variant> ValidationCheck::evaluate(const std::string& formula,
                                                 const std::shared_ptr<Worksheet>& sheet) {
    std::string f = trim(!formula.empty() && formula[0] == '=' ? formula.substr(1) : formula);
    if (f.empty()) return std::nullopt;
    if (f.size() >= 2 && f.front() == '"' && f.back() == '"') return Variant(f.substr(1, f.size() - 2));
    double d = 0;
    auto r = std::from_chars(f.data(), f.data() + f.size(), d);
    if (r.ec == std::errc() && r.ptr == f.data() + f.size()) return Variant(d);
    if (auto date = monthFirstDate(f)) return Variant(OleDate{*date});
    if (f.find(':') != std::string::npos && f.find('!') == std::string::npos &&
        f.find('$') == std::string::npos)
        if (auto t = OleDateTime::parse(f)) return Variant(OleDate{*t});
    if (TextUtil::equalsIgnoreCase(f, "TRUE")) return Variant(true);
    if (TextUtil::equalsIgnoreCase(f, "FALSE")) return Variant(false);
    if (auto range = sheet->book().resolveReference(f, sheet)) return range->value();
    return std::nullopt;
}

std::optional<std::vector<Variant>> ValidationCheck::listValues(const std::string& formula1,
                                                                const std::shared_ptr<Worksheet>& sheet) {
    std::vector<Variant> out;
    if (formula1.empty()) return out;
    if (formula1[0] != '=') {
        std::size_t pos = 0;
        while (true) {
            auto comma = formula1.find(',', pos);
            std::string item =
                trim(formula1.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos));
            out.push_back(InputParser::parse(item, Locale::English));
            if (comma == std::string::npos) break;
            pos = comma + 1;
        }
        return out;
    }
    auto range = sheet->book().resolveReference(formula1, sheet);
    if (!range) return std::nullopt;
    VariantMatrix m = range->values();
    for (std::size_t r = 0; r < m.rows(); ++r)
        for (std::size_t c = 0; c < m.cols(); ++c)
            if (!m.at(r, c).isEmpty()) out.push_back(m.at(r, c));
    return out;
}

bool ValidationCheck::accepts(const ValidationRule& rule, const Variant& entry,
                              const std::shared_ptr<Worksheet>& sheet) {
    const bool blank = entry.isEmpty() || (entry.isString() && entry.str().empty());
    if (blank) return rule.ignoreBlank || rule.type == static_cast<int>(xl::ValidationType::InputOnly);
    const auto type = static_cast<xl::ValidationType>(rule.type);
    switch (type) {
    case xl::ValidationType::InputOnly:
        return true;
    case xl::ValidationType::Custom: {
        auto v = evaluate(rule.formula1, sheet);
        return !v || !v->isBool() || v->toBool();
    }
    case xl::ValidationType::List: {
        auto values = listValues(rule.formula1, sheet);
        if (!values) return false; // a list whose source is gone accepts nothing
        for (const auto& v : *values)
            if (sameEntry(entry, v)) return true;
        return false;
    }
    case xl::ValidationType::TextLength: {
        auto b1 = evaluate(rule.formula1, sheet), b2 = evaluate(rule.formula2, sheet);
        if (!b1 || !b1->isNumeric()) return true;
        const std::string text = textOf(entry);
        double len = static_cast<double>(HostText::length(text).value_or(text.size()));
        return compare(rule.op, len, b1->toDouble(), b2 && b2->isNumeric() ? b2->toDouble() : 0);
    }
    default:
        break;
    }
    if (!(entry.isNumber() || entry.isDate())) return false;
    double v = entry.toDouble();
    if (type == xl::ValidationType::WholeNumber && std::floor(v) != v) return false;
    if (type == xl::ValidationType::Time && v < 0) return false;
    auto b1 = evaluate(rule.formula1, sheet), b2 = evaluate(rule.formula2, sheet);
    if (!b1 || !(b1->isNumber() || b1->isDate())) return true;
    double second = b2 && (b2->isNumber() || b2->isDate()) ? b2->toDouble() : 0;
    return compare(rule.op, v, b1->toDouble(), second);
}

} // namespace qv::sheet
