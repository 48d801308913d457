// One declared parameter of a saved query, with type and direction already in the records
// model's codes so that a command can be built from it without going back to the catalogue.
#pragma once

#include <cstdint>
#include <string>

namespace qv {

class clsParameter {
  public:
    void Init(std::string name, std::int32_t typeADO, std::int32_t directionADO) {
        mName = std::move(name);
        mType = typeADO;
        mDirection = directionADO;
    }
    const std::string& Name() const { return mName; }
    std::int32_t Type() const { return mType; }
    std::int32_t Direction() const { return mDirection; } // 1 in, 2 out, 3 in/out, 0 other

  private:
    std::string mName;
    std::int32_t mType = 0;
    std::int32_t mDirection = 0;
};

} // namespace qv
