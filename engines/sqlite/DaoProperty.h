// One named property of a field or table definition, read-only.
#pragma once

#include "platform/engine/IDaoDatabase.h"

namespace qv::engine {

class DaoProperty : public IDaoProperty {
  public:
    DaoProperty(std::string name, Variant value, int type)
        : mName(std::move(name)), mValue(std::move(value)), mType(type) {}
    std::string name() const override { return mName; }
    Variant value() const override { return mValue; }
    int type() const override { return mType; }

  private:
    std::string mName;
    Variant mValue;
    int mType;
};

} // namespace qv::engine
