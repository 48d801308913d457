// What the widget tests share: one QApplication on the offscreen platform, a session with a
// registry of its own, and answering the next modal window as a person would.
#pragma once

#include "app/DesktopSession.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>

namespace qv::test {

inline QApplication& qtApp() {
    static int argc = 1;
    static char name[] = "test_app";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        return new QApplication(argc, argv);
    }();
    return *app;
}

// Points the registry store at a fresh temporary file, so no test sees another's settings.
inline void freshRegistry() {
    static int counter = 0;
    const std::string registry =
        (std::filesystem::temp_directory_path() /
         ("qv-app-test-" + std::to_string(getpid()) + "-" + std::to_string(++counter) + ".db"))
            .string();
    std::filesystem::remove(registry);
    setenv("QUORVEL_REGISTRY", registry.c_str(), 1);
}

// A session without the add-in library: the host, Qt's dialogs and a registry in a temporary file.
inline std::unique_ptr<app::DesktopSession> hostSession(bool menuEdition = false) {
    qtApp();
    freshRegistry();
    app::DesktopOptions o;
    o.withAddin = false;
    o.menuEdition = menuEdition;
    auto s = std::make_unique<app::DesktopSession>(o);
    s->start();
    return s;
}

// Calls `answer` with the next modal window once it shows (polling, so it also finds windows
// opened by nested calls). Gives up after `ms`, so a missing window fails the test, not the run.
inline void answerNextModal(std::function<void(QWidget&)> answer, int ms = 3000) {
    auto waited = std::make_shared<int>(0);
    auto poll = std::make_shared<std::function<void()>>();
    // The pending timer owns the poll; the poll knows itself only weakly, so it is freed once it
    // answered or gave up.
    std::weak_ptr<std::function<void()>> self = poll;
    *poll = [answer, waited, self, ms] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            answer(*w);
            return;
        }
        if ((*waited += 10) < ms)
            if (auto again = self.lock()) QTimer::singleShot(10, [again] { (*again)(); });
    };
    QTimer::singleShot(10, [poll] { (*poll)(); });
}

} // namespace qv::test
