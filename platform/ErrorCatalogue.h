// Every number the system raises or tells apart, each defined once with its name and, where the
// product has one, its standard text. The numbers are the ones people and callers already know:
// the automation runtime's (5, 9, 91, ...), the host's (1004), the add-in's own (665 to 670,
// 26001) and the database engines' (3021, 3265, 3420, 0x80040E14, ...), so one table serves the
// add-in and every engine alike. A number has exactly one name here; a second name for the same
// fault would let two callers drift apart.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// X(name, number, standard text). The text is empty where every raise words its own (the
// add-in's prepared messages, a damaged file that names itself).
#define QV_ERROR_CATALOGUE(X)                                                                                \
    X(InvalidProcedureCall, 5, "Invalid procedure call or argument")                                         \
    X(Overflow, 6, "Overflow")                                                                               \
    X(OutOfMemory, 7, "Out of memory")                                                                       \
    X(SubscriptOutOfRange, 9, "Subscript out of range")                                                      \
    X(TypeMismatch, 13, "Type mismatch")                                                                     \
    X(InternalError, 51, "Internal error")                                                                   \
    X(FileNotFound, 53, "File not found")                                                                    \
    X(FileAlreadyExists, 58, "File already exists")                                                          \
    X(PathFileAccess, 75, "Path/File access error")                                                          \
    X(PathNotFound, 76, "Path not found")                                                                    \
    X(ObjectNotSet, 91, "Object variable or With block variable not set")                                    \
    X(InvalidUseOfNull, 94, "Invalid use of Null")                                                           \
    X(CannotCreateObject, 429, "ActiveX component can't create object")                                      \
    X(KeyAlreadyExists, 457, "This key is already associated with an element of this collection")            \
    X(ApplicationDefined, 1004, "Application-defined or object-defined error")                               \
    X(Cancelled, 665, "")                                                                                    \
    X(PreparedMessage, 666, "")                                                                              \
    X(PreparedWarning, 667, "")                                                                              \
    X(NotImplemented, 668, "")                                                                               \
    X(ForeignError, 670, "")                                                                                 \
    X(Registry, 26001, "")                                                                                   \
    X(InvalidArguments, 3001,                                                                                \
      "Arguments are of the wrong type, are out of acceptable range, or are in conflict with one "           \
      "another.")                                                                                            \
    X(NoCurrentRecord, 3021,                                                                                 \
      "Either BOF or EOF is True, or the current record has been deleted. Requested operation "              \
      "requires a current record.")                                                                          \
    X(DuplicateValues, 3022,                                                                                 \
      "The changes you requested to the table were not successful because they would create "                \
      "duplicate values in the index, primary key, or relationship.")                                        \
    X(DatabaseFileNotFound, 3024, "")                                                                        \
    X(ReadOnlyDatabase, 3027, "Cannot update. Database or object is read-only.")                             \
    X(WorkgroupMissing, 3028, "")                                                                            \
    X(DaoAccountNotValid, 3029, "Not a valid account name or password.")                                     \
    X(DaoPasswordNotValid, 3031, "Not a valid password.")                                                    \
    X(FileLocked, 3045, "")                                                                                  \
    X(SyntaxInExpression, 3075, "")                                                                          \
    X(UnknownObject, 3078, "")                                                                               \
    X(CouldNotDelete, 3086, "Could not delete from specified tables.")                                       \
    X(InvalidBracketing, 3126, "")                                                                           \
    X(InvalidStatement, 3129,                                                                                \
      "Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or 'UPDATE'.")             \
    X(SyntaxInFrom, 3131, "Syntax error in FROM clause.")                                                    \
    X(SyntaxInInsert, 3134, "Syntax error in INSERT INTO statement.")                                        \
    X(SyntaxInParameters, 3137, "Missing semicolon (;) at end of SQL statement.")                            \
    X(ReservedWordOrArgument, 3141, "")                                                                      \
    X(CharactersAfterEnd, 3142, "Characters found after end of SQL statement.")                              \
    X(SyntaxInUpdate, 3144, "Syntax error in UPDATE statement.")                                             \
    X(DaoOdbcConnectFailed, 3151, "")                                                                        \
    X(DaoFormatNotInstalled, 3170, "")                                                                       \
    X(RelatedRecordRequired, 3201,                                                                           \
      "You cannot add, change or delete a record because a related record is required or exists in "         \
      "another table.")                                                                                      \
    X(NotSupported, 3251, "Operation is not supported for this type of object.")                             \
    X(ItemNotFound, 3265,                                                                                    \
      "Item cannot be found in the collection corresponding to the requested name or ordinal.")              \
    X(RequiredField, 3314, "")                                                                               \
    X(ValidationRule, 3317, "")                                                                              \
    X(UnrecognisedFormat, 3343, "")                                                                          \
    X(TooComplex, 3360, "Query is too complex.")                                                             \
    X(ObjectInvalid, 3420, "Object invalid or no longer set.")                                               \
    X(ObjectClosed, 3704, "Operation is not allowed when the object is closed.")                             \
    X(ObjectOpen, 3705, "Operation is not allowed when the object is open.")                                 \
    X(AdoParameterImproperlyDefined, 3708, "")                                                               \
    X(AdoConnectionNotUsable, 3709,                                                                          \
      "The connection cannot be used to perform this operation. It is either closed or invalid in "          \
      "this context.")                                                                                       \
    X(AdoOpenRefused, static_cast<std::int32_t>(0x80004005u), "")                                            \
    X(ErrorsInCommand, static_cast<std::int32_t>(0x80040E14u), "")

namespace qv {

namespace err {
#define QV_ERROR_NUMBER(name, number, text) inline constexpr std::int32_t name = number;
QV_ERROR_CATALOGUE(QV_ERROR_NUMBER)
#undef QV_ERROR_NUMBER
} // namespace err

struct ErrorEntry {
    std::int32_t number;
    std::string_view name;
    std::string_view text;
};

class NumberedError;

class ErrorCatalogue {
  public:
    static std::span<const ErrorEntry> entries();
    // Null for a number the system never raises.
    static const ErrorEntry* find(std::int32_t number);
    // The standard text of the number; empty when it has none or is unknown.
    static std::string text(std::int32_t number);
    // The number with its standard text, for raises that add nothing of their own.
    static NumberedError make(std::int32_t number, std::string source);
};

} // namespace qv
