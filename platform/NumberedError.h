// The one exception type of the system. Every failure that crosses a component boundary is a
// numbered error with a source and a description, as the add-in reports them: the add-in
// tells failures apart by number (665 cancelled, 666 prepared message, ...), engines by their
// own numbers (3031 wrong password, ...). Anything that is not a NumberedError is a bug.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace qv {

// Numbers the add-in and its platform agree on.
namespace err {
constexpr std::int32_t Overflow = 6;
constexpr std::int32_t SubscriptOutOfRange = 9;
constexpr std::int32_t TypeMismatch = 13;
constexpr std::int32_t InvalidUseOfNull = 94;
constexpr std::int32_t ObjectNotSet = 91;
constexpr std::int32_t InvalidProcedureCall = 5;
constexpr std::int32_t FileNotFound = 53;
constexpr std::int32_t PathNotFound = 76;
constexpr std::int32_t CannotCreateObject = 429;
constexpr std::int32_t ApplicationDefined = 1004; // the host's "application-defined or object-defined error"
constexpr std::int32_t Cancelled = 665;
constexpr std::int32_t PreparedMessage = 666;
constexpr std::int32_t PreparedWarning = 667;
constexpr std::int32_t NotImplemented = 668;
constexpr std::int32_t ForeignError = 670;
constexpr std::int32_t Registry = 26001;
// Engine numbers the add-in tells apart.
constexpr std::int32_t DaoAccountNotValid = 3029;
constexpr std::int32_t DaoPasswordNotValid = 3031;
constexpr std::int32_t DaoOdbcConnectFailed = 3151;
constexpr std::int32_t DaoFormatNotInstalled = 3170; // a database format no installed engine reads
constexpr std::int32_t AdoParameterImproperlyDefined = 3708;
constexpr std::int32_t AdoConnectionNotUsable = 3709;
constexpr std::int32_t AdoOpenRefused = static_cast<std::int32_t>(0x80004005u);
} // namespace err

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
