// Bridge to the message catalogue.
#include "datasource/modDSMessages.h"

#include <fmt/format.h>

namespace qv {

std::string DSText(int id) {
    switch (id) {
    case msg::Cancel: return "&Cancel";
    case msg::Name: return "Name: ";
    case msg::OdbcFailed: return "The ODBC-connection failed.";
    case msg::NotValidPassword: return "Not a valid password.";
    case msg::PasswordAndWorkgroup:
        return "The combination database password and workgroup security\ris not supported by the Access ODBC driver!";
    case msg::Password: return "Password";
    default:
        throw NumberedError(err::NotImplemented, "GetText", fmt::format("Text ID {} is not implemented!", id));
    }
}

std::string DSCaption(const std::string& controlName) {
    if (controlName == "frmLogon") return "Logon";
    if (controlName == "frmPassword") return "Password required";
    if (controlName == "lblDbPassword") return "Enter database password:";
    return {};
}

NumberedError WrapForeignError(const std::string& source, std::int32_t number, const std::string& description) {
    return NumberedError(err::ForeignError, source, fmt::format("{}\r(Error Number: {})", description, number));
}

NumberedError WrapForeignError(const NumberedError& trapped) {
    return WrapForeignError(trapped.source(), trapped.number(), trapped.description());
}

} // namespace qv
