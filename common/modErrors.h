// How an operation that a person started reports the error that ends it. Errors are sorted by
// number, the add-in's convention: 665 the person cancelled (nothing shown), 666 a prepared
// message (information icon), 667 a prepared warning (exclamation icon), 670 a foreign error
// whose description already carries its number, anything else is unexpected and shown as
// message 2 with the critical icon. A few operations treat 5, 668 and 670 their own way; the
// options say so rather than each operation writing its own switch.
#pragma once

#include "platform/NumberedError.h"

#include <functional>
#include <string>

namespace qv {
class IDialogs;
}

namespace qv::modErrors {

// Message-box flags of the add-in: every box is brought to the foreground.
constexpr int FlagsQuestion = 4 + 32 + 65536;     // Yes/No, question icon
constexpr int FlagsInformation = 64 + 65536;
constexpr int FlagsExclamation = 48 + 65536;
constexpr int FlagsCritical = 16 + 65536;

struct ErrorReportOptions {
    // Error 5 at the top level means a second host instance: message 216, exclamation icon.
    bool secondInstanceOn5 = false;
    // 668 shows its own description with the critical icon instead of message 2.
    bool notImplementedAsCritical = false;
    // 670 shows its description with the information icon; when false it is unexpected.
    bool foreignAsInformation = true;
    // Turns a 670 description into the text shown (the database-error clean-up, for one).
    std::function<std::string(const std::string&)> formatForeign;
};

// The common unexpected-error report: message 2 for the error, then `suffix`, critical icon,
// title the product name.
void ReportUnexpected(IDialogs& dialogs, const NumberedError& e, const std::string& suffix = {});

// Shows the error by the convention above; never raises (a failure while reporting is dropped,
// the operation is over either way).
void ReportError(IDialogs& dialogs, const NumberedError& e, const ErrorReportOptions& options = {});

// Shows a catalogue-independent text with the product name as title; answers the button.
int ShowMessage(IDialogs& dialogs, const std::string& text, int flags);

} // namespace qv::modErrors
