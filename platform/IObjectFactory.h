// Class activation by ProgID: what creates "ADODB.Connection", "DAO.DBEngine.120" or the
// add-in's own entry object. Objects come back as IObject and are cast to the contract the
// caller expects.
#pragma once

#include "platform/NumberedError.h"

#include <functional>
#include <memory>
#include <string>

namespace qv {

class IObject {
  public:
    virtual ~IObject() = default;
};

using ObjectPtr = std::shared_ptr<IObject>;

class IObjectFactory {
  public:
    virtual ~IObjectFactory() = default;
    // Raises error 429 ("ActiveX component can't create object") when the class is unknown or
    // its library cannot be loaded.
    virtual ObjectPtr createObject(const std::string& progId) = 0;
    virtual bool isRegistered(const std::string& progId) const = 0;
    // The silent registration of a library that is present but not registered (what a
    // registration tool does with its quiet switch). Raises 429 when the file cannot register.
    virtual void registerServer(const std::string& libraryPath) {
        throw NumberedError(429, "ObjectFactory",
                            "ActiveX component can't create object: " + libraryPath +
                                " cannot be registered here");
    }
};

// Casts a created object to the contract the caller needs; null when it has another type.
template <class T> std::shared_ptr<T> objectAs(const ObjectPtr& o) {
    return std::dynamic_pointer_cast<T>(o);
}

} // namespace qv
