#include "app/HeadlessProgress.h"

#include <fmt/format.h>

namespace qv::app {

void HeadlessProgress::Report(double fraction, const std::string& text) {
    if (!mOut) return;
    const auto now = std::chrono::steady_clock::now();
    const bool done = fraction >= 1.0;
    if (!done && now - mLast < std::chrono::milliseconds(100)) return;
    mLast = now;
    if (fraction < 0)
        fmt::print(mOut, "  progress: {}\n", text);
    else
        fmt::print(mOut, "  progress: {:.0f}% {}\n", fraction * 100, text);
}

} // namespace qv::app
