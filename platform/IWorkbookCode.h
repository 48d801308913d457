// The add-in workbook's code as the host holds it once attached: the way to the entry object
// the workbook's start-up created, for hosts that drive the add-in from a script.
#pragma once

#include "platform/IAddinEntry.h"
#include "platform/IObjectFactory.h"

#include <memory>

namespace qv {

class IWorkbookCode : public IObject {
  public:
    // goQuorvel: null before the workbook opened, when creation failed, or after its
    // workbook closed.
    virtual std::shared_ptr<IAddinEntry> quorvel() const = 0;
};

} // namespace qv
