// The class factory the product is wired with: SQLite and Access files through the same
// ProgIDs, so a data source under test meets an Access file as a person does.
#pragma once

#include "engines/mdb/MdbEngineClasses.h"
#include "platform/IObjectFactory.h"
#include "platform/NumberedError.h"

#include <functional>
#include <map>
#include <string>

namespace qv::test {

class AllEnginesFactory : public IObjectFactory {
  public:
    AllEnginesFactory() {
        registerEngineClasses(
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
