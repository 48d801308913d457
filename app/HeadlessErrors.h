// Whether a message the add-in showed reports an error, so the runner can count the step that
// brought it up as failed. The add-in reports the error that ends an operation by its number:
// unexpected errors with the critical icon, a database's own error with the information icon
// but always either under the catalogue's "Message <kind>:" line or above its error-number
// line. Prepared messages and warnings are the add-in's guidance to a person, not failures.
#pragma once

#include <string>
#include <string_view>

namespace qv::app {

class HeadlessErrors {
  public:
    // What to print as the reason when the message box (text and flags as shown) reports an
    // error; empty when it does not.
    static std::string reported(std::string_view text, int flags);
};

} // namespace qv::app
