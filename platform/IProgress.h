// What a long task tells the one who waits for it, and how that one asks it to stop. A task
// reports now and then (fraction 0..1, or negative while the total is not known; a short text
// that may be empty) and asks Cancelled() between units of work; once it answers true the task
// stops, undoes what it half did and raises ProgressCancelled (665, the add-in's "the user
// cancelled", shown to nobody). Reporting is advisory: an implementation may print, draw a bar
// or do nothing.
#pragma once

#include <string>

namespace qv {

constexpr int ProgressCancelled = 665;

class IProgress {
  public:
    virtual ~IProgress() = default;
    virtual void Report(double fraction, const std::string& text) = 0;
    virtual bool Cancelled() const = 0;
};

// Stands in where nobody watches: reports vanish and nothing is ever cancelled.
class NullProgress final : public IProgress {
  public:
    void Report(double, const std::string&) override {}
    bool Cancelled() const override { return false; }
};

} // namespace qv
