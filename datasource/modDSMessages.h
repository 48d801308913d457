// The catalogue texts the data source shows or puts into error descriptions, and the one rule
// for wrapping a foreign error. Every text goes through here so that the data source has a
// single seam to the message catalogue.
#pragma once

#include "platform/NumberedError.h"

#include <string>

namespace qv {

// Message ids of the catalogue that the data source uses.
namespace msg {
constexpr int ErrorShort = 1;        // "{description}\r(Error Number: {number})"
constexpr int Cancel = 3;            // "&Cancel"
constexpr int Name = 52;             // "Name: "
constexpr int OdbcFailed = 56;       // "The ODBC-connection failed."
constexpr int NotValidPassword = 66; // "Not a valid password."
constexpr int PasswordAndWorkgroup = 71;
constexpr int Password = 176; // "Password"
constexpr int AccessNotReadable =
    220; // "The database {1} is an Access file, which {product} cannot read yet."
} // namespace msg

std::string DSText(int id);
std::string DSText(int id, const std::string& arg1);
std::string DSCaption(const std::string& controlName);

// Error 670 with the trapped source, and message 1 (the trapped description, a carriage
// return, "(Error Number: " number ")") as description.
NumberedError WrapForeignError(const NumberedError& trapped);
NumberedError WrapForeignError(const std::string& source, std::int32_t number,
                               const std::string& description);

} // namespace qv
