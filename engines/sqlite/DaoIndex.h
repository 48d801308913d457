// An index of a table definition with its fields in key order.
#pragma once

#include "platform/engine/IDaoDatabase.h"

namespace qv::engine {

class DaoIndex : public IDaoIndex {
  public:
    DaoIndex(std::string name, bool primary, bool unique, std::vector<DaoFieldPtr> fields)
        : mName(std::move(name)), mPrimary(primary), mUnique(unique), mFields(std::move(fields)) {}
    std::string name() const override { return mName; }
    bool primary() const override { return mPrimary; }
    bool unique() const override { return mUnique; }
    std::vector<DaoFieldPtr> fields() const override { return mFields; }

  private:
    std::string mName;
    bool mPrimary;
    bool mUnique;
    std::vector<DaoFieldPtr> mFields;
};

} // namespace qv::engine
