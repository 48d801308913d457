// The ribbon as its loader hands it to the onLoad callback: the only thing the workbook can do
// with it is ask it to re-query its callbacks.
#pragma once

#include <memory>
#include <string>

namespace qv {

class IRibbonUI {
public:
    virtual ~IRibbonUI() = default;
    virtual void invalidate() = 0;
    virtual void invalidateControl(const std::string& controlId) = 0;
};

using RibbonUIPtr = std::shared_ptr<IRibbonUI>;

// A ribbon control as its callbacks receive it.
struct RibbonControl {
    std::string id;
    std::string tag;
};

} // namespace qv
