// The contract of the object the test add-in library serves: enough to see that the object
// came from the library and was handed the host's services.
#pragma once

#include "platform/IObjectFactory.h"
#include "platform/PlatformServices.h"

#include <string>

namespace qv::test {

class ITestGreeter : public IObject {
  public:
    virtual std::string greet() const = 0;
    virtual const PlatformServices* services() const = 0;
};

} // namespace qv::test
