// Operating-system services: opening an address, well-known folders, shortcuts, new GUIDs and
// file-name facts. Behind one interface so that tests never touch the person's desktop.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qv {

struct ShortcutInfo {
    std::string targetPath;
    std::string arguments;
    std::string workingDirectory;
};

class IShell {
  public:
    virtual ~IShell() = default;
    // Opens a file or web address with its default program; false when nothing could be started.
    virtual bool open(const std::string& target) = 0;
    virtual std::string documentsFolder() = 0;
    virtual std::string tempFolder() = 0;     // with a trailing separator
    virtual std::string libraryFolder() = 0;  // where the add-in library lives
    virtual std::string executableName() = 0; // of the running host, for error sources
    // Reads a shortcut file (a desktop entry or a Windows .lnk); nothing when it is not one.
    virtual std::optional<ShortcutInfo> readShortcut(const std::string& path) = 0;
    // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case hexadecimal.
    virtual std::string newGuid() = 0;
    virtual bool fileExists(const std::string& path) = 0;
    virtual std::string expandEnvironment(const std::string& text) = 0; // %NAME% references
    virtual bool programAvailable(const std::string& name) = 0;
    // Starts a program found on the PATH with these arguments, without a shell; false when it
    // could not be started.
    virtual bool startProgram(const std::string& program, const std::vector<std::string>& arguments = {}) = 0;
};

} // namespace qv
