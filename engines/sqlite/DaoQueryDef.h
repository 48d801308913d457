// A saved query: a view of the database, or an action or parameter query kept with the metadata.
#pragma once

#include "platform/engine/IDaoDatabase.h"

namespace qv::engine {

class DaoQueryDef : public IDaoQueryDef {
  public:
    DaoQueryDef(std::string name, int type, std::string sql, std::vector<DaoParameterPtr> parameters)
        : mName(std::move(name)), mType(type), mSql(std::move(sql)), mParameters(std::move(parameters)) {}
    std::string name() const override { return mName; }
    int type() const override { return mType; }
    std::string sql() const override { return mSql; }
    std::vector<DaoParameterPtr> parameters() const override { return mParameters; }

  private:
    std::string mName;
    int mType;
    std::string mSql;
    std::vector<DaoParameterPtr> mParameters;
};

} // namespace qv::engine
