// The class factory a data source test needs: the SQLite engine's classes by ProgID, nothing
// else, so a data source under test opens real files without the system's registry.
#pragma once

#include "engines/sqlite/SqliteEngineClasses.h"
#include "platform/IObjectFactory.h"
#include "platform/NumberedError.h"

#include <functional>
#include <map>
#include <string>

namespace qv::test {

class SqliteEngineFactory : public IObjectFactory {
  public:
    SqliteEngineFactory() {
        registerSqliteEngineClasses(
            [this](std::string progId, std::function<ObjectPtr()> f) { mClasses[progId] = f; });
    }
    ObjectPtr createObject(const std::string& progId) override {
        auto it = mClasses.find(progId);
        if (it == mClasses.end())
            throw NumberedError(err::CannotCreateObject, progId, "ActiveX component can't create object");
        return it->second();
    }
    bool isRegistered(const std::string& progId) const override { return mClasses.count(progId) > 0; }

  private:
    std::map<std::string, std::function<ObjectPtr()>> mClasses;
};

} // namespace qv::test
