// The standard prompts the add-in and the host ask through: message boxes, typed input,
// file pickers and the colour picker. The desktop application shows real windows; tests and
// the headless runner answer from a script.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qv {

struct FileFilter {
    std::string description; // "MS Access databases"
    std::string patterns;    // "*.mdb;*.accdb"
};

class IDialogs {
  public:
    virtual ~IDialogs() = default;
    // flags: the host's message-box flags (buttons + icon + default button + foreground);
    // answers xl::AnswerOk, AnswerYes, ...
    virtual int messageBox(const std::string& text, int flags, const std::string& title) = 0;
    // Nothing on cancel.
    virtual std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                                const std::string& defaultText) = 0;
    virtual std::optional<std::string> openFile(const std::string& title, const std::string& initialFolder,
                                                const std::vector<FileFilter>& filters) = 0;
    virtual std::optional<std::string> saveAsFile(const std::string& title, const std::string& initialName,
                                                  const std::vector<FileFilter>& filters) = 0;
    // An OLE colour, or nothing on cancel.
    virtual std::optional<long> pickColor(long initialOleColor) = 0;
};

} // namespace qv
