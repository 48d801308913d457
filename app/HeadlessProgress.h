// The runner's watcher of long loads: with --progress it prints one line per report (at most one
// per tenth of a second, and always the last), otherwise nothing. It never cancels: nobody can
// press Cancel in a headless run.
#pragma once

#include "platform/IProgress.h"

#include <chrono>
#include <cstdio>

namespace qv::app {

class HeadlessProgress final : public IProgress {
  public:
    explicit HeadlessProgress(std::FILE* out) : mOut(out) {}
    void Report(double fraction, const std::string& text) override;
    bool Cancelled() const override { return false; }

  private:
    std::FILE* mOut; // null: silent
    std::chrono::steady_clock::time_point mLast{};
};

} // namespace qv::app
