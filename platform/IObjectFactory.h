// Class activation by ProgID: what creates "ADODB.Connection", "DAO.DBEngine.120" or the
// add-in's own entry object. Objects come back as IObject and are cast to the contract the
// caller expects.
#pragma once

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
};

// Casts a created object to the contract the caller needs; null when it has another type.
template <class T> std::shared_ptr<T> objectAs(const ObjectPtr& o) {
    return std::dynamic_pointer_cast<T>(o);
}

} // namespace qv
