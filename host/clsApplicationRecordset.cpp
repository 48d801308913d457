// The controller's routine that writes a record set into a sheet, as query results need it: the
// field names, the records in one bulk copy, singles and doubles rounded to five decimals and
// texts aligned left. Captions and the database's formats belong to the form sheet alone.
#include "host/clsApplication.h"

#include "common/clsAux.h"
#include "platform/NumberedError.h"
#include "platform/engine/AdoConstants.h"
#include "platform/host/HostConstants.h"
#include "platform/host/IRange.h"

#include <cmath>

namespace qv {

namespace {

constexpr int RoundDecimals = 5;

bool isCharacterType(int type) {
    switch (type) {
    case ado::Char:
    case ado::WChar:
    case ado::VarChar:
    case ado::LongVarChar:
    case ado::VarWChar:
    case ado::LongVarWChar:
        return true;
    default:
        return false;
    }
}

// An exact half goes to the even neighbour.
double roundHalfEven(double v, int decimals) {
    const double scale = std::pow(10.0, decimals);
    const double scaled = v * scale;
    if (!std::isfinite(scaled)) return v;
    return std::nearbyint(scaled) / scale; // the default rounding mode is to nearest, ties to even
}

} // namespace

RangePtr clsApplication::FillSheetFromRecordset(const WorksheetPtr& sheet, const AdoRecordsetPtr& rs,
                                                std::int32_t row, std::int16_t column) {
    if (!sheet || !rs)
        throw NumberedError(err::ObjectNotSet, "FillSheetFromRecordset", "Object variable not set");
    clsAux::CheckRecordLimit(*rs, *sheet);
    const long long n = rs->recordCount();
    const long fields = rs->fieldCount();
    sheet->activate();
    WorkbookPtr book = sheet->parent();
    const bool saved = book ? book->saved() : true;

    if (fields > 0) {
        VariantMatrix names(1, static_cast<std::size_t>(fields));
        for (long i = 0; i < fields; ++i)
            names.at(0, static_cast<std::size_t>(i)) = Variant(rs->field(i)->name());
        sheet->rangeOf(row, column, row, column + fields - 1)->setValues(names);
    }
    try {
        rs->moveFirst();
        sheet->cells(row + 1, column)->copyFromRecordset(*rs);
    } catch (const NumberedError&) {
        // A failed copy keeps the header and whatever was copied; the formats still follow.
    }
    RangePtr data;
    if (n > 0 && fields > 0) {
        data = sheet->rangeOf(row + 1, column, static_cast<long>(row + n), column + fields - 1);
        for (long i = 0; i < fields; ++i) {
            const int type = rs->field(i)->type();
            RangePtr cells = data->columnAt(i + 1);
            if (type == ado::Single || type == ado::Double) {
                VariantMatrix values = cells->values();
                bool changed = false;
                for (std::size_t r = 0; r < values.rows(); ++r) {
                    Variant& v = values.at(r, 0);
                    if (!v.isNumber()) continue;
                    const double rounded = roundHalfEven(v.toDouble(), RoundDecimals);
                    if (rounded != v.toDouble()) v = Variant(rounded), changed = true;
                }
                if (changed) cells->setValues(values);
            } else if (isCharacterType(type)) {
                cells->setHorizontalAlignment(xl::AlignLeft);
            }
        }
    }
    if (book) book->setSaved(saved);
    return data;
}

} // namespace qv
