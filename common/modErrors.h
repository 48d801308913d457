// How an operation that a person started reports the error that ends it. Errors are sorted by
// number, the add-in's convention: 665 the person cancelled (nothing shown), 666 a prepared
// message (information icon), 667 a prepared warning (exclamation icon), 670 a foreign error
// whose description already carries its number, anything else is unexpected and shown as
// message 2 with the critical icon. A few operations treat 5, 668 and 670 their own way; the
// options say so rather than each operation writing its own switch.
#pragma once

#include "platform/NumberedError.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <string>

namespace qv {
class IDialogs;
}

namespace qv::modErrors {

// Message-box flags of the add-in: every box is brought to the foreground.
constexpr int FlagsQuestion = 4 + 32 + 65536; // Yes/No, question icon
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

// Error 670 for an exception that is not a numbered error (a standard-library exception is a
// bug, but the person still hears of it): message 1 with the exception's text and error 51.
NumberedError WrapForeign(const std::string& source, const std::string& what);

// Runs f at a boundary where the add-in is called: numbered errors pass unchanged, anything else
// leaves as WrapForeign, so no foreign exception reaches the host or a person.
template <class F> decltype(auto) Numbered(const std::string& source, F&& f) {
    try {
        return f();
    } catch (const NumberedError&) {
        throw;
    } catch (const std::exception& e) {
        throw WrapForeign(source, e.what());
    } catch (...) {
        throw WrapForeign(source, "An exception of an unknown kind");
    }
}

} // namespace qv::modErrors
