// One run of the headless runner: builds the world, starts the add-in, plays the requested
// steps and prints them. Everything a person would read (prompts, messages, error reports,
// dialog captions) comes from the add-in, so it is in the add-in's language; the runner only
// adds its own progress lines.
#pragma once

#include <memory>
#include <string>

namespace qv {
class DialogScript;
class IAddinEntry;
class IApplication;
} // namespace qv

namespace qv::app {

struct HeadlessAction;

struct HeadlessOptions {
    bool dutch = false;
    bool progress = false; // print the progress of long loads
    int revision = 12;
    std::string scriptFile;
    std::string database;
    std::string table;
    std::string saveAs;
    std::string executablePath;
};

// Exit codes: success; a step failed, was cancelled or did not save, or the prompts went out
// of step with the given script; the command line was wrong.
inline constexpr int ExitOk = 0;
inline constexpr int ExitFailed = 1;
inline constexpr int ExitUsage = 2;

class HeadlessSession {
  public:
    explicit HeadlessSession(HeadlessOptions options) : mOptions(std::move(options)) {}
    int run();

  private:
    // The database steps; false when one of them failed.
    bool openDatabase(IAddinEntry& entry, IApplication& app, DialogScript& script);
    bool loadTable(IAddinEntry& entry, IApplication& app, DialogScript& script);
    bool copyTable(IAddinEntry& entry, IApplication& app, DialogScript& script);
    // One action of the script; false when it could not be done.
    bool play(const HeadlessAction& action, IAddinEntry& entry, IApplication& app, DialogScript& script);
    void printPrompts(const DialogScript& script);
    // True, with the reason printed, when the add-in reported an error since the last call:
    // the step named failed even if the add-in went on.
    bool reportedError(const std::string& step);
    std::string mLastMessage;
    std::string mReportedError; // the first error the add-in reported during the current step

    HeadlessOptions mOptions;
    std::size_t mShown = 0;
};

} // namespace qv::app
