// The ribbon as its loader hands it to the onLoad callback: the only thing the workbook can do
// with it is ask it to re-query its callbacks.
#pragma once

#include "platform/Variant.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace qv {

class IRibbonUI {
  public:
    virtual ~IRibbonUI() = default;
    virtual void invalidate() = 0;
    virtual void invalidateControl(const std::string& controlId) = 0;
};

using RibbonUIPtr = std::shared_ptr<IRibbonUI>;

// A macro receives Variants, which cannot carry an object, so the onLoad callback receives the
// ribbon as a handle (a LongLong) and the workbook's code turns it back with find(). A ribbon
// that is gone answers null, as a released ribbon object would; handles are never reused.
class RibbonUIHandles {
  public:
    static std::int64_t add(const RibbonUIPtr& ribbon) {
        auto& t = table();
        std::lock_guard lock(t.mutex);
        t.ribbons.emplace(++t.last, ribbon);
        return t.last;
    }
    static RibbonUIPtr find(const Variant& handle) {
        if (!handle.isNumber()) return nullptr;
        auto& t = table();
        std::lock_guard lock(t.mutex);
        const auto it = t.ribbons.find(handle.toInt64());
        return it == t.ribbons.end() ? nullptr : it->second.lock();
    }
    static void remove(std::int64_t handle) {
        auto& t = table();
        std::lock_guard lock(t.mutex);
        t.ribbons.erase(handle);
    }

  private:
    struct Table {
        std::mutex mutex;
        std::map<std::int64_t, std::weak_ptr<IRibbonUI>> ribbons;
        std::int64_t last = 0;
    };
    static Table& table() {
        static Table t;
        return t;
    }
};

// A ribbon control as its callbacks receive it.
struct RibbonControl {
    std::string id;
    std::string tag;
};

} // namespace qv
