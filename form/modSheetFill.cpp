// The sheet fill is the one place records reach a sheet, so it decides what a record becomes in
// a cell: names and captions as literal text (a caption "=1+1" is a caption, not a formula),
// floating values rounded to what a person reads, and the database's formats as the host's.
#include "form/modSheetFill.h"

#include "common/AppConstants.h"
#include "common/clsAux.h"
#include "datasource/clsField.h"
#include "datasource/modDataTypes.h"
#include "form/clsMatrix.h"
#include "platform/IProgress.h"
#include "platform/NumberedError.h"
#include "platform/engine/AdoConstants.h"
#include "platform/host/HostConstants.h"
#include "platform/host/IWorkbook.h"

#include <algorithm>
#include <cfenv>
#include <cmath>

namespace qv::modSheetFill {

namespace {

// Rows copied between two looks at the cancel flag: small enough that Cancel answers within a
// fraction of a second, large enough that the columnar copy keeps its pace.
constexpr long ChunkRows = 32768;

bool sameSheet(IWorksheet& a, const WorksheetPtr& b) {
    if (!b) return false;
    if (&a == b.get()) return true;
    auto ba = a.parent();
    auto bb = b->parent();
    return a.name() == b->name() && ba && bb && ba->fullName() == bb->fullName();
}

// The character types are left-aligned; a GUID column is text, but keeps the host's alignment.
bool isCharacterType(int type) {
    return HoldsTypedText(type) && type != ado::GUID;
}

bool startsWith(const std::string& s, const char* prefix) {
    return s.rfind(prefix, 0) == 0;
}

// Rounds half to even under the nearest-rounding mode, which it holds for its own lifetime: a
// column of a million values sets the mode once, not twice per value.
class HalfEvenRounding {
  public:
    explicit HalfEvenRounding(int decimals) : mScale(std::pow(10.0, decimals)), mMode(std::fegetround()) {
        if (mMode != FE_TONEAREST) std::fesetround(FE_TONEAREST);
    }
    ~HalfEvenRounding() {
        if (mMode != FE_TONEAREST) std::fesetround(mMode);
    }
    HalfEvenRounding(const HalfEvenRounding&) = delete;
    HalfEvenRounding& operator=(const HalfEvenRounding&) = delete;
    double operator()(double v) const {
        if (!std::isfinite(v)) return v;
        // Past 2^52 a double has no fraction left to round.
        if (std::fabs(v * mScale) >= 4503599627370496.0) return v;
        return std::nearbyint(v * mScale) / mScale;
    }

  private:
    double mScale;
    int mMode;
};

[[noreturn]] void cancelled() {
    throw NumberedError(ProgressCancelled, std::string(APP_TITLE), "Cancelled by the user");
}

void copyRecords(IWorksheet& sheet, IAdoRecordset& rs, long row, long column, long long n,
                 IProgress* progress) {
    if (!progress) {
        sheet.cells(row, column)->copyFromRecordset(rs);
        return;
    }
    long long done = 0;
    while (done < n) {
        if (progress->Cancelled()) cancelled();
        const long chunk = static_cast<long>(std::min<long long>(ChunkRows, n - done));
        const long copied = sheet.cells(row + static_cast<long>(done), column)->copyFromRecordset(rs, chunk);
        if (copied <= 0) break;
        done += copied;
        progress->Report(static_cast<double>(done) / static_cast<double>(n),
                         std::to_string(done) + " / " + std::to_string(n));
    }
    if (progress->Cancelled()) cancelled();
}

bool isDateType(int type) {
    return type == ado::Date || type == ado::DBDate || type == ado::DBTime || type == ado::DBTimeStamp;
}

// Other programs store numbers in date columns (Julian days, Unix seconds). Such a number stays
// the value of its cell, so writing the row back leaves it as stored; but one that is no date
// the sheet can show (before 1900 or past 9999) would read "########" under the column's date
// format, so it is shown as the number it is.
void showNumbersNoSheetDate(IRange& column, long rows, IProgress* progress) {
    constexpr double FirstDay = 0.0, PastLastDay = 2958466.0;
    for (long first = 0; first < rows; first += ChunkRows) {
        if (progress && progress->Cancelled()) cancelled();
        const long count = std::min<long>(ChunkRows, rows - first);
        RangePtr block = column.cell(1, 1)->offset(first, 0)->resize(count, 1);
        const VariantMatrix values = block->values();
        for (std::size_t r = 0; r < values.rows(); ++r) {
            const Variant& v = values.at(r, 0);
            if (!v.isNumber()) continue;
            const double d = v.toDouble();
            if (d < FirstDay || d >= PastLastDay)
                block->cell(static_cast<long>(r) + 1, 1)->setNumberFormat("General");
        }
    }
}

} // namespace

Variant LiteralText(const std::string& text) {
    return Variant("'" + text);
}

std::vector<std::string> GetFieldNames(const IAdoRecordset& rs) {
    std::vector<std::string> names;
    for (long i = 0; i < rs.fieldCount(); ++i)
        names.push_back(rs.field(i)->name());
    return names;
}

namespace {
VariantMatrix roundValues(const VariantMatrix& values, int decimals) {
    VariantMatrix out(values.rows(), 1);
    const HalfEvenRounding round(decimals);
    for (std::size_t r = 0; r < values.rows(); ++r) {
        const Variant& v = values.at(r, 0);
        if (v.isEmpty() || (v.isString() && v.str().empty())) continue;
        if (v.isNumber() && !v.isBool())
            out.at(r, 0) = Variant(round(v.toDouble()));
        else
            out.at(r, 0) = v;
    }
    return out;
}
// Rounds a floating column to five decimals in place, a block at a time so that Cancel is seen
// between blocks; only number cells change, so a stray "=..." text in a floating column stays
// what it was, and a column of a million values costs no Variant per cell.
void roundColumn(IRange& column, long rows, IProgress* progress) {
    for (long first = 0; first < rows; first += ChunkRows) {
        if (progress && progress->Cancelled()) cancelled();
        const long count = std::min<long>(ChunkRows, rows - first);
        const HalfEvenRounding round(5);
        column.cell(1, 1)->offset(first, 0)->resize(count, 1)->transformNumbers(
            [&round](double v) { return round(v); });
    }
}
} // namespace

VariantMatrix RoundColumnValues(const IRange& range, int decimals) {
    return roundValues(range.values(), decimals);
}

std::string AccessNumberFormat(const std::string& format, int typeADO) {
    static const char* const Money = " #,##0.00_-";
    if (format.empty()) {
        if (typeADO == ado::Currency) return std::string("$") + Money;
        if (typeADO == ado::DBTimeStamp) return "d/m/yyyy h:mm:ss";
        return {};
    }
    if (format == "Valuta") return std::string("$") + Money;
    if (format == "Standard") return "style:Comma";
    if (format == "Percent") return "style:Percent";
    if (format == "General Date") return "d/m/yyyy h:mm:ss";
    if (format == "Long Date") return "dddd d mmmm yyyy";
    if (format == "Medium Date") return "dd/mmm/yy";
    if (format == "Short Date") return "d/m/yyyy";
    if (format == "Long Time") return "h:mm:ss";
    if (format == "Medium Time" || format == "Short Time") return "h:mm";
    for (const char* symbol : {"\xE2\x82\xAC", "\xC2\xA3", "\xC2\xA5"}) // euro, pound, yen
        if (startsWith(format, symbol)) return std::string(symbol) + Money;
    if (format.front() == '$') return std::string("[$$-409]") + Money;
    return {};
}

RangePtr FillSheetFromRecordset(IWorksheet& sheet, IAdoRecordset& rs, std::int32_t row, std::int16_t column,
                                const FormFields& form, IProgress* progress) {
    if (row < 1 || column < 1) throw ErrorCatalogue::make(err::ApplicationDefined, "FillSheetFromRecordset");
    clsAux::CheckRecordLimit(rs, sheet);
    const long long n = rs.recordCount();
    const long fields = rs.fieldCount();
    if (fields <= 0) throw NumberedError(3265, "FillSheetFromRecordset", "The record set has no fields");

    // A hidden sheet (the lists sheet) cannot be activated; it is filled where it is.
    if (sheet.visible() == xl::SheetVisible) sheet.activate();
    WorkbookPtr book = form.formSheet ? form.formSheet->parent() : sheet.parent();
    const bool saved = book ? book->saved() : true;
    const bool onForm = sameSheet(sheet, form.formSheet);

    const std::vector<std::string> names = GetFieldNames(rs);
    VariantMatrix header(1, static_cast<std::size_t>(fields));
    for (long i = 0; i < fields; ++i)
        header.at(0, static_cast<std::size_t>(i)) = LiteralText(names[static_cast<std::size_t>(i)]);
    sheet.cells(row, column)->setValues(header);

    // Every failure of the copy reaches the caller: a person must never see a partial table
    // as if it were whole. What a cell cannot hold the host leaves empty.
    if (n > 0) {
        rs.moveFirst();
        copyRecords(sheet, rs, row + 1, column, n, progress);
    }

    RangePtr data = n > 0 ? sheet.rangeOf(row + 1, column, row + static_cast<long>(n), column + fields - 1)
                          : sheet.rangeOf(row, column, row, column + fields - 1);
    for (long i = 0; i < fields; ++i) {
        // Formatting a column of a million rows takes tens of milliseconds; the window repaints
        // and a Cancel is seen between columns.
        if (progress && n > 0 && progress->Cancelled()) cancelled();
        const std::string& name = names[static_cast<std::size_t>(i)];
        const clsField* field =
            onForm && form.matrix && form.matrix->HasField(name) ? &form.matrix->Field(name) : nullptr;
        if (field && !field->Caption().empty())
            sheet.cells(row, column + i)->setValue(LiteralText(field->Caption()));
        if (n == 0) continue;
        RangePtr cells = data->columnAt(i + 1);
        const int type = rs.field(i)->type();
        if (type == ado::Single || type == ado::Double) {
            roundColumn(*cells, static_cast<long>(n), progress);
        } else if (isCharacterType(type)) {
            cells->setHorizontalAlignment(xl::AlignLeft);
        }
        if (onForm) {
            std::string format = AccessNumberFormat(field ? field->Format() : std::string(), type);
            // A text column without a format of its own takes what is typed as text, so a code
            // such as "0042" is written back with its zeros.
            if (format.empty() && HoldsTypedText(type)) format = "@";
            if (startsWith(format, "style:"))
                cells->setStyle(format.substr(6));
            else if (!format.empty())
                cells->setNumberFormat(format);
            if (!format.empty() && isDateType(type))
                showNumbersNoSheetDate(*cells, static_cast<long>(n), progress);
        }
    }
    if (book) book->setSaved(saved);
    return data;
}

} // namespace qv::modSheetFill
