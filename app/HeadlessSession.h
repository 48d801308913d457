// One run of the headless runner: builds the world, starts the add-in, plays the requested
// steps and prints them.
#pragma once

#include <string>

namespace qv::app {

struct HeadlessOptions {
    bool dutch = false;
    int revision = 12;
    std::string scriptFile;
    std::string database;
    std::string table;
    std::string saveAs;
    std::string executablePath;
};

class HeadlessSession {
public:
    explicit HeadlessSession(HeadlessOptions options) : mOptions(std::move(options)) {}
    // 0 on success; 1 when a step failed (the reason is printed).
    int run();

private:
    HeadlessOptions mOptions;
};

} // namespace qv::app
