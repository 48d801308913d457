// The one exception type of the system. Every failure that crosses a component boundary is a
// numbered error with a source and a description, as the add-in reports them: the add-in
// tells failures apart by number (665 cancelled, 666 prepared message, ...), engines by their
// own numbers (3031 wrong password, ...). Anything that is not a NumberedError is a bug.
#pragma once

#include "platform/ErrorCatalogue.h"

#include <cstdint>
#include <stdexcept>
#include <string>

namespace qv {

class NumberedError : public std::runtime_error {
  public:
    NumberedError(std::int32_t number, std::string source, std::string description)
        : std::runtime_error(description), mNumber(number), mSource(std::move(source)),
          mDescription(std::move(description)) {}

    std::int32_t number() const { return mNumber; }
    const std::string& source() const { return mSource; }
    const std::string& description() const { return mDescription; }

  private:
    std::int32_t mNumber;
    std::string mSource;
    std::string mDescription;
};

} // namespace qv
