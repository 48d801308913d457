// What the add-in's common services need of the settings store: read a setting with its
// catalogue default, write one with a registry value type, read one as stored, and test a
// message switch. The registry-backed store implements it; tests use an in-memory one. Kept
// abstract so that messages and utilities do not depend on how settings are stored.
#pragma once

#include "platform/Variant.h"

#include <string>

namespace qv {

class ISettings {
  public:
    virtual ~ISettings() = default;
    // The stored value, or the catalogue default (written back) when it is missing or empty.
    // Numeric text comes back as a 32-bit integer, anything else as text.
    virtual Variant GetSetting(const std::string& name) = 0;
    // valueType: the registry value type (1 text, 4 number).
    virtual void SaveSetting(int valueType, const std::string& name, const Variant& value) = 0;
    // The stored value as found; empty when missing.
    virtual Variant ReadSetting(const std::string& name) = 0;
    // A missing switch is written as "True" and answers true.
    virtual bool IsMessageEnabled(const std::string& name) = 0;
};

} // namespace qv
