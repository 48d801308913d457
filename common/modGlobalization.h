// The add-in's message catalogue: every text a person sees exists in English and Dutch and is
// fetched here by numeric id (GetText) or by dialog/control name (GetFormControlText). The
// language is fixed once at start-up from the host's country code (31 = Dutch).
//
// Texts are kept as templates with placeholders ({1}, {2}, {product}, {title}, {description},
// {number}, {text N}) in sorted tables, so the lookup is a binary search and the tables can be
// checked as data (same placeholders and line breaks in both languages). {description} and
// {number} are the "current run-time error": callers inside an error handler either pass the
// error explicitly or set it for a scope with CurrentErrorScope.
#pragma once

#include "platform/NumberedError.h"
#include "platform/Variant.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace qv::modGlobalization {

enum class Language { English, Dutch };

struct TextEntry {
    std::int16_t id;
    const char* en;
    const char* nl;
};

struct CaptionEntry {
    const char* name;
    const char* en;
    const char* nl;
};

// The run-time error that {description} and {number} stand for.
struct RuntimeError {
    std::int32_t number = 0;
    std::string description;
};

void SetCountryCode(std::int32_t code);
double CountryCode();
Language CurrentLanguage();

// Raises 668 "Text ID <id> is not implemented!" for an unassigned id. Missing (empty) arguments
// contribute nothing; so does a null.
std::string GetText(int id, const Variant& arg1 = {}, const Variant& arg2 = {});
// The same with an explicit current error, for error handlers.
std::string GetText(int id, const NumberedError& current, const Variant& arg1 = {}, const Variant& arg2 = {});
// The same in a chosen language, independent of the country code.
std::string GetTextIn(Language language, int id, const RuntimeError& current, const Variant& arg1 = {},
                      const Variant& arg2 = {});

// Empty for a name that is not in the caption table.
std::string GetFormControlText(const std::string& name);

// The current error for GetText without an explicit error.
void SetCurrentError(const NumberedError& e);
void ClearCurrentError();
const RuntimeError& CurrentError();

// Sets the current error for the life of the scope and puts the previous one back.
class CurrentErrorScope {
  public:
    explicit CurrentErrorScope(const NumberedError& e);
    ~CurrentErrorScope();
    CurrentErrorScope(const CurrentErrorScope&) = delete;
    CurrentErrorScope& operator=(const CurrentErrorScope&) = delete;

  private:
    RuntimeError mPrevious;
};

// The raw tables, sorted (ids ascending; captions in table order).
std::span<const TextEntry> TextTable();
std::span<const CaptionEntry> CaptionTable();
// The template of an id, or nothing when the id is unassigned.
std::optional<std::string_view> TextTemplate(int id, Language language);

} // namespace qv::modGlobalization
