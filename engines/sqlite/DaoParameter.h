// A declared parameter of a saved query.
#pragma once

#include "platform/engine/IDaoDatabase.h"

namespace qv::engine {

class DaoParameter : public IDaoParameter {
  public:
    DaoParameter(std::string name, int type, int direction)
        : mName(std::move(name)), mType(type), mDirection(direction) {}
    std::string name() const override { return mName; }
    int type() const override { return mType; }
    int direction() const override { return mDirection; }

  private:
    std::string mName;
    int mType;
    int mDirection;
};

} // namespace qv::engine
