#include "form/clsForm.h"

#include "platform/NumberedError.h"

namespace qv {

namespace {
[[noreturn]] void notYet(const char* what) {
    throw NumberedError(err::NotImplemented, "clsForm",
                        std::string("The following action is not implemented: ") + what);
}
} // namespace

void clsForm::Show(const std::string&, int) {
    notYet("Show");
}
void clsForm::AddRow() {
    notYet("AddRow");
}
void clsForm::WriteData() {
    notYet("WriteData");
}
void clsForm::DeleteRows() {
    notYet("DeleteRows");
}
void clsForm::Refresh() {
    notYet("Refresh");
}
void clsForm::CloseWorkbook() {
    notYet("CloseWorkbook");
}

} // namespace qv
