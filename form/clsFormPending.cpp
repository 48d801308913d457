// The form's editing commands until their own sources land: each ends with the not-implemented
// error, so every caller already reports them by the common convention.
#include "form/clsForm.h"
#include "form/clsMatrix.h"

#include "platform/NumberedError.h"

namespace qv {

namespace {
[[noreturn]] void notYet(const char* what) {
    throw NumberedError(err::NotImplemented, "clsForm",
                        std::string("The following action is not implemented: ") + what);
}
} // namespace

void clsForm::OnSheetChange(const RangePtr&) {
    notYet("OnSheetChange");
}
void clsForm::WriteData() {
    notYet("WriteData");
}
void clsForm::DeleteRows() {
    notYet("DeleteRows");
}
void clsForm::AddRow() {
    notYet("AddRow");
}
void clsMatrix::FormatNewFields() {
    notYet("FormatNewFields");
}

} // namespace qv
