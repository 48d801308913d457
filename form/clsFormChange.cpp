// Recording a person's edit of the form sheet: every row of every area of the changed range is
// marked, the changed cells take the edited colours, and a new row that holds nothing but what
// the default filler wrote goes back to clean so it is never written.
#include "form/clsForm.h"

#include "common/HostStateGuard.h"
#include "common/clsAux.h"
#include "form/clsMatrix.h"
#include "platform/host/IApplication.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace qv {

namespace {

// A paste over whole columns is not an edit of records.
constexpr long WholeColumnRows = 65536;

std::string trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

bool equalsIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

// The cell still holds what the default filler wrote (GUIDs compare without regard to case).
bool sameAsWritten(const Variant& cell, const Variant& written, std::int32_t typeADO) {
    if (written.isEmpty()) return false;
    const bool cellNumeric = cell.isNumber() || cell.isDate() || cell.isBool();
    const bool writtenNumeric = written.isNumber() || written.isDate() || written.isBool();
    if (cellNumeric && writtenNumeric) return cell.toDouble() == written.toDouble();
    const std::string a = trimmed(cell.isString() ? cell.str() : cell.toString());
    const std::string b = trimmed(written.isString() ? written.str() : written.toString());
    return typeADO == 72 ? equalsIgnoringCase(a, b) : a == b;
}

bool isBlank(const Variant& v) {
    if (v.isEmpty() || v.isNull()) return true;
    return v.isString() && trimmed(v.str()).empty();
}

} // namespace

void clsForm::OnSheetChange(const RangePtr& target) {
    if (!target || !mSheet || !mMatrix) return;
    const auto areas = target->areas();
    for (const RangePtr& area : areas)
        if (area->rowCount() >= WholeColumnRows) return;

    ApplicationPtr app = App();
    HostStateGuard guard(app, HostStateGuard::OnExit::RestorePrevious);
    app->setEnableEvents(false);

    const long records = mMatrix->RecordCount();
    std::set<long> newRows;
    for (const RangePtr& area : areas) {
        const long first = std::max(2L, area->row());
        const long last = std::min(records + 1, area->row() + area->rowCount() - 1);
        for (long row = first; row <= last; ++row) {
            SetRowState(row - 1, "1");
            if (row - 1 > mMatrix->LoadedCount()) newRows.insert(row - 1);
        }
    }

    mSheet->unprotect(clsAux::SheetPassword());
    guard.protectOnExit(mSheet, clsAux::SheetPassword());
    const FormColours colours = ReadColours();
    for (const RangePtr& area : areas) {
        area->setFillColor(colours.editedBack);
        area->setFontColor(colours.editedFront);
    }

    for (long record : newRows) {
        // A row already written keeps its mark: it holds the person's values, not defaults.
        if (record >= 1 && mKeyValues.hasKeys(static_cast<std::size_t>(record - 1))) continue;
        const std::vector<Variant>& written = mMatrix->NewRowDefaults(record);
        bool filled = false;
        std::vector<RangePtr> editable;
        for (long f = 0; f < mMatrix->FieldCount(); ++f) {
            RangePtr cell = mMatrix->CellOf(record, f);
            const Variant locked = cell->locked();
            if (!locked.isNull() && locked.toBool()) continue;
            editable.push_back(cell);
            const Variant value = cell->value();
            const Variant none;
            const Variant& before = static_cast<std::size_t>(f) < written.size() ? written[f] : none;
            if (!isBlank(value) && !sameAsWritten(value, before, mMatrix->Field(f).TypeADO())) filled = true;
        }
        if (filled) continue;
        SetRowState(record, "0");
        for (const RangePtr& cell : editable) {
            cell->setFillColor(colours.matrixBack);
            cell->setFontColor(colours.matrixFront);
        }
    }

    const bool edits = HasEdits();
    SetControlEnabled("Row Update", edits);
    app->onKey("{F7}", edits ? "ThisWorkbook.WriteData" : "");
}

} // namespace qv
