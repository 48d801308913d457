// One saved query of the open database: its name, its SQL as the catalogue returns it and its
// declared parameters. Parameters is never absent: a query without any has an empty collection.
#pragma once

#include "datasource/KeyedCollection.h"
#include "datasource/clsParameter.h"

#include <string>

namespace qv {

using ParameterCollection = KeyedCollection<clsParameter>;

class clsQuery {
  public:
    void Init(std::string name, std::string sql, ParameterCollection parameters) {
        mName = std::move(name);
        mSQL = std::move(sql);
        mParameters = std::move(parameters);
    }
    const std::string& Name() const { return mName; }
    const std::string& SQL() const { return mSQL; }
    const ParameterCollection& Parameters() const { return mParameters; }

  private:
    std::string mName;
    std::string mSQL;
    ParameterCollection mParameters;
};

} // namespace qv
