#pragma once
// The resident memory a benchmark case adds: its peak (VmHWM) over the resident size before it.
// resetPeak() lets VmHWM start again from the present resident size.
#include <fstream>
#include <string>

namespace qv::bench {

inline long statusKb(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(key) + ":";
    while (std::getline(in, line))
        if (line.rfind(prefix, 0) == 0) return std::stol(line.substr(prefix.size()));
    return 0;
}

inline void resetPeak() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
}

} // namespace qv::bench
