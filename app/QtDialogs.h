// The host's standard prompts as real windows: message boxes with the icon, buttons and
// default button the flags ask for, text input, file pickers with the caller's filters and the
// colour picker. Every call is modal and answers what the person chose, nothing on cancel.
#pragma once

#include "platform/IDialogs.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace qv::app {

class QtDialogs : public IDialogs {
  public:
    explicit QtDialogs(QWidget* parent = nullptr) : mParent(parent) {}
    void setParent(QWidget* parent) { mParent = parent; }

    int messageBox(const std::string& text, int flags, const std::string& title) override;
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                        const std::string& defaultText) override;
    std::optional<std::string> openFile(const std::string& title, const std::string& initialFolder,
                                        const std::vector<FileFilter>& filters) override;
    std::optional<std::string> saveAsFile(const std::string& title, const std::string& initialName,
                                          const std::vector<FileFilter>& filters) override;
    std::optional<long> pickColor(long initialOleColor) override;

    // The file the open picker answered last (the database the add-in opened through it); ""
    // before the first.
    const std::string& lastOpened() const { return mLastOpened; }
    // The next open picker answers `path` without showing: a file named on the command line or
    // a copy just written is opened through the add-in's own "Open database" road.
    void answerNextOpen(std::string path) { mNextOpen = std::move(path); }

    // "Databases (*.db *.sqlite);;All files (*)": the product writes patterns as "*.a;*.b".
    static QString nameFilters(const std::vector<FileFilter>& filters);
    // The add-in breaks lines with a bare carriage return, which Qt's labels would not show.
    static QString displayText(const std::string& text);

  private:
    QWidget* mParent;
    std::string mLastOpened;
    std::string mNextOpen;
};

} // namespace qv::app
