// Long work (loading, filling, saving) tells how far it got and asks whether the person wants
// to stop, between chunks, so the desktop application can show a bar with Cancel and the
// headless runner can print it. A null progress means nobody is watching.
#pragma once

#include <string>

namespace qv {

class IProgress {
  public:
    virtual ~IProgress() = default;
    virtual void Report(double fraction, const std::string& text) = 0;
    virtual bool Cancelled() const = 0;
};

} // namespace qv
