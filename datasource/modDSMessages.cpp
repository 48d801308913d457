// Bridge to the message catalogue.
#include "datasource/modDSMessages.h"

#include "common/modGlobalization.h"

namespace qv {

std::string DSText(int id) {
    return modGlobalization::GetText(id);
}

std::string DSText(int id, const std::string& arg1) {
    return modGlobalization::GetText(id, Variant(arg1));
}

std::string DSCaption(const std::string& controlName) {
    return modGlobalization::GetFormControlText(controlName);
}

NumberedError WrapForeignError(const std::string& source, std::int32_t number,
                               const std::string& description) {
    return NumberedError(
        err::ForeignError, source,
        modGlobalization::GetText(msg::ErrorShort, NumberedError(number, source, description)));
}

NumberedError WrapForeignError(const NumberedError& trapped) {
    return NumberedError(err::ForeignError, trapped.source(),
                         modGlobalization::GetText(msg::ErrorShort, trapped));
}

} // namespace qv
