// Whether an entry satisfies a data-validation rule, as the host checks it when a person
// confirms an entry: bounds are literal numbers, dates ("1/1/1900", month first as code writes
// them), times ("00:00"), or references and names whose first cell holds the bound; a list is a
// literal "a,b,c" or a reference or name whose cells hold the allowed values.
#pragma once

#include "platform/Variant.h"
#include "spreadsheet/validation/ValidationSet.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qv::sheet {

class Worksheet;

class ValidationCheck {
  public:
    static bool accepts(const ValidationRule& rule, const Variant& entry,
                        const std::shared_ptr<Worksheet>& sheet);
    // A bound formula's value; nothing when it cannot be evaluated here.
    static std::optional<Variant> evaluate(const std::string& formula,
                                           const std::shared_ptr<Worksheet>& sheet);
    // The allowed values of a list rule; nothing when the source does not resolve.
    static std::optional<std::vector<Variant>> listValues(const std::string& formula1,
                                                          const std::shared_ptr<Worksheet>& sheet);
};

} // namespace qv::sheet
