// A command parameter: name, type, direction, size and the value set by the caller.
#pragma once

#include "platform/engine/IAdoCommand.h"

namespace qv::engine {

class AdoParameter : public IAdoParameter {
  public:
    AdoParameter(std::string name, int type, int direction, long size, Variant value)
        : mName(std::move(name)), mType(type), mDirection(direction), mSize(size), mValue(std::move(value)) {}
    std::string name() const override { return mName; }
    int type() const override { return mType; }
    int direction() const override { return mDirection; }
    long size() const override { return mSize; }
    Variant value() const override { return mValue; }
    void setValue(const Variant& v) override { mValue = v; }

  private:
    std::string mName;
    int mType;
    int mDirection;
    long mSize;
    Variant mValue;
};

} // namespace qv::engine
