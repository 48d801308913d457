// The reporting side of the error convention. Message texts come from the catalogue in the
// current language; the error itself fills {description} and {number}.
#include "common/modErrors.h"

#include "common/AppConstants.h"
#include "common/modGlobalization.h"
#include "platform/IDialogs.h"

namespace qv::modErrors {

int ShowMessage(IDialogs& dialogs, const std::string& text, int flags) {
    return dialogs.messageBox(text, flags, std::string(APP_NAME));
}

NumberedError WrapForeign(const std::string& source, const std::string& what) {
    return NumberedError(err::ForeignError, source,
                         modGlobalization::GetText(1, NumberedError(err::InternalError, source, what)));
}

void ReportUnexpected(IDialogs& dialogs, const NumberedError& e, const std::string& suffix) {
    ShowMessage(dialogs, modGlobalization::GetText(2, e) + suffix, FlagsCritical);
}

void ReportError(IDialogs& dialogs, const NumberedError& e, const ErrorReportOptions& options) {
    try {
        switch (e.number()) {
        case err::Cancelled:
            return;
        case err::PreparedMessage:
            ShowMessage(dialogs, e.description(), FlagsInformation);
            return;
        case err::PreparedWarning:
            ShowMessage(dialogs, e.description(), FlagsExclamation);
            return;
        case err::InvalidProcedureCall:
            if (options.secondInstanceOn5) {
                ShowMessage(dialogs, modGlobalization::GetText(216), FlagsExclamation);
                return;
            }
            break;
        case err::NotImplemented:
            if (options.notImplementedAsCritical) {
                ShowMessage(dialogs, e.description(), FlagsCritical);
                return;
            }
            break;
        case err::ForeignError:
            if (options.foreignAsInformation) {
                std::string text =
                    options.formatForeign ? options.formatForeign(e.description()) : e.description();
                ShowMessage(dialogs, text, FlagsInformation);
                return;
            }
            break;
        default:
            break;
        }
        ReportUnexpected(dialogs, e);
    } catch (...) {
        // Nothing sensible is left to tell the person; the operation ends anyway.
    }
}

} // namespace qv::modErrors
