#pragma once
// A class factory with the classes one of the engines' registration functions names, and nothing
// else: a data source or form under test opens real files by ProgID without the system's
// registry. `EngineClassFactory<registerSqliteEngineClasses>` has the SQLite engine only,
// `EngineClassFactory<registerEngineClasses>` SQLite and Access files as the product is wired.
#include "platform/IObjectFactory.h"
#include "platform/NumberedError.h"

#include <functional>
#include <map>
#include <string>

namespace qv::test {

using ClassRegistration = void (*)(std::function<void(std::string, std::function<ObjectPtr()>)>);

template <ClassRegistration registerClasses> class EngineClassFactory : public IObjectFactory {
  public:
    EngineClassFactory() {
        registerClasses([this](std::string progId, std::function<ObjectPtr()> f) { mClasses[progId] = f; });
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
