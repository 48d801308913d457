// One column of an AutoFilter the form remembers across a reload, so the user's filter survives
// a refresh of the rows beneath it.
#pragma once

#include <cstdint>
#include <string>

namespace qv {

class clsFilter {
  public:
    void Init(std::int16_t field, bool on, std::string criteria1, std::int32_t filterOperator,
              std::string criteria2) {
        mField = field;
        mOn = on;
        mCriteria1 = std::move(criteria1);
        mOperator = filterOperator;
        mCriteria2 = std::move(criteria2);
    }
    std::int16_t Field() const { return mField; } // 1-based within the filtered range
    bool On() const { return mOn; }
    const std::string& Criteria1() const { return mCriteria1; }
    std::int32_t Operator() const { return mOperator; } // the host's filter operator, 0 when none
    const std::string& Criteria2() const { return mCriteria2; }

  private:
    std::int16_t mField = 0;
    bool mOn = false;
    std::string mCriteria1;
    std::int32_t mOperator = 0;
    std::string mCriteria2;
};

} // namespace qv
