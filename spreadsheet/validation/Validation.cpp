// Rule handles over a sheet's ValidationSet: add refuses cells that already have a rule, as the host does.
#include "spreadsheet/validation/Validation.h"

#include "platform/NumberedError.h"
#include "spreadsheet/model/Worksheet.h"

namespace qv::sheet {

namespace {
[[noreturn]] void fail(const std::string& text) {
    throw NumberedError(err::ApplicationDefined, "Validation", text);
}
} // namespace

const ValidationRule* Validation::rule() const {
    mSheet->book();
    return mSheet->validations().find(mAreas[0].r1, mAreas[0].c1);
}

const ValidationRule& Validation::existing() const {
    const ValidationRule* r = rule();
    if (!r) fail("Application-defined or object-defined error: the cell has no validation");
    return *r;
}

void Validation::add(xl::ValidationType type, xl::ValidationAlert alert, xl::ValidationOperator op,
                     const std::string& formula1, const std::string& formula2) {
    mSheet->checkFormatAllowed(false);
    if (mSheet->validations().intersects(mAreas))
        fail("Application-defined or object-defined error: delete the existing validation first");
    const int t = static_cast<int>(type), o = static_cast<int>(op), a = static_cast<int>(alert);
    if (t < 0 || t > 7 || a < 1 || a > 3 || o < 1 || o > 8)
        fail("Application-defined or object-defined error");
    const bool needsBounds = type != xl::ValidationType::InputOnly && type != xl::ValidationType::List &&
                             type != xl::ValidationType::Custom;
    if (type != xl::ValidationType::InputOnly && formula1.empty())
        fail("Application-defined or object-defined error: the validation needs a formula");
    if (needsBounds && (op == xl::ValidationOperator::Between || op == xl::ValidationOperator::NotBetween) &&
        formula2.empty())
        fail("Application-defined or object-defined error: the validation needs a second formula");
    ValidationRule rule;
    rule.type = t;
    rule.alert = a;
    rule.op = o;
    rule.formula1 = formula1;
    rule.formula2 = formula2;
    rule.areas = mAreas;
    mSheet->validations().add(std::move(rule));
    mSheet->changed();
}

void Validation::remove() {
    mSheet->checkFormatAllowed(false);
    mSheet->validations().remove(mAreas);
    mSheet->changed();
}

xl::ValidationType Validation::type() const {
    return static_cast<xl::ValidationType>(existing().type);
}
xl::ValidationAlert Validation::alertStyle() const {
    return static_cast<xl::ValidationAlert>(existing().alert);
}
xl::ValidationOperator Validation::op() const {
    return static_cast<xl::ValidationOperator>(existing().op);
}
std::string Validation::formula1() const {
    return existing().formula1;
}
std::string Validation::formula2() const {
    return existing().formula2;
}
std::string Validation::errorTitle() const {
    return existing().errorTitle;
}
std::string Validation::errorMessage() const {
    return existing().errorMessage;
}

void Validation::change(const std::function<void(ValidationRule&)>& f) {
    existing();
    mSheet->checkFormatAllowed(false);
    mSheet->validations().modify(mAreas, f);
    mSheet->changed();
}

void Validation::setErrorTitle(const std::string& t) {
    change([&](ValidationRule& r) { r.errorTitle = t; });
}
void Validation::setErrorMessage(const std::string& m) {
    change([&](ValidationRule& r) { r.errorMessage = m; });
}
void Validation::setInputTitle(const std::string& t) {
    change([&](ValidationRule& r) { r.inputTitle = t; });
}
void Validation::setInputMessage(const std::string& m) {
    change([&](ValidationRule& r) { r.inputMessage = m; });
}
void Validation::setIgnoreBlank(bool b) {
    change([&](ValidationRule& r) { r.ignoreBlank = b; });
}
void Validation::setInCellDropdown(bool b) {
    change([&](ValidationRule& r) { r.inCellDropdown = b; });
}
void Validation::setShowError(bool b) {
    change([&](ValidationRule& r) { r.showError = b; });
}

} // namespace qv::sheet
