// The operating-system services of the add-in on Linux: opening an address with the desktop's
// default program, the well-known folders (XDG user directories), shortcuts, GUIDs, file facts
// and %NAME% expansion. Nothing here goes through a shell: addresses come from documents and
// databases, so they are handed to the opener as one argument, never as command text.
#pragma once

#include "platform/IShell.h"

#include <string>
#include <vector>

namespace qv {

struct ShellOptions {
    // The program that opens a file or address; tests put a harmless one here.
    std::string opener = "xdg-open";
    // Where the add-in library lives; empty: the folder of the module this code is linked into.
    // A host that links these services statically is that module itself, so it names the
    // library's folder here (or through setLibraryFolder once it has loaded the library).
    std::string libraryFolder;
};

class Shell : public IShell {
  public:
    explicit Shell(ShellOptions options = {});

    // Starts the opener and returns without waiting for it; false when it could not be started.
    bool open(const std::string& target) override;
    // The XDG documents folder ($XDG_CONFIG_HOME/user-dirs.dirs), else ~/Documents.
    std::string documentsFolder() override;
    std::string tempFolder() override; // $TMPDIR or /tmp, with a trailing '/'
    std::string libraryFolder() override;
    void setLibraryFolder(std::string folder) { mOptions.libraryFolder = std::move(folder); }
    std::string executableName() override;
    std::optional<ShortcutInfo> readShortcut(const std::string& path) override;
    // A random (version 4) GUID from /dev/urandom.
    std::string newGuid() override;
    bool deleteFile(const std::string& path) override;
    bool fileExists(const std::string& path) override; // regular files only, as a file test is
    // %NAME% from the environment (exact name first, then ignoring case, as names are on the
    // system the product came from); unknown names stay as written.
    std::string expandEnvironment(const std::string& text) override;
    bool programAvailable(const std::string& name) override; // a PATH search
    bool startProgram(const std::string& program, const std::vector<std::string>& arguments = {}) override;

  private:
    // Starts a program in its own session with standard streams on /dev/null and never waits
    // for it, so the host neither blocks nor collects zombies; true when the exec succeeded.
    bool spawnDetached(const std::string& program, const std::vector<std::string>& arguments);
    ShellOptions mOptions;
};

} // namespace qv
