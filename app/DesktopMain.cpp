// The desktop application: the add-in on our spreadsheet host in a window. Without a display
// it says so and ends; scripts/run then starts the headless runner instead.
#include "app/DesktopSession.h"
#include "app/IconTheme.h"
#include "app/MainWindow.h"
#include "app/RibbonBar.h"
#include "platform/IAddinEntry.h"
#include "platform/NumberedError.h"
#include "spreadsheet/commandbars/RibbonRuntime.h"
#include "spreadsheet/model/Application.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLabel>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <fmt/format.h>
#include <functional>
#include <memory>

int main(int argc, char** argv) {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const bool offscreen = platform && std::string(platform).rfind("offscreen", 0) == 0;
    if (!offscreen && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
        std::fputs("quorvel: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); "
                   "run quorvel-headless for the add-in without a window.\n",
                   stderr);
        return 3;
    }
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    qv::app::IconTheme::install();

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Quorvel: the add-in on a spreadsheet host, in a window."));
    parser.addHelpOption();
    QCommandLineOption dutch(QStringLiteral("dutch"), QStringLiteral("The host in Dutch (country code 31)."));
    QCommandLineOption menu(QStringLiteral("menu-edition"),
                            QStringLiteral("The host without a ribbon: classic menu and toolbar."));
    QCommandLineOption database(QStringLiteral("database"),
                                QStringLiteral("Open this database through the add-in."),
                                QStringLiteral("FILE"));
    QCommandLineOption quitAfter(QStringLiteral("quit-after-start"),
                                 QStringLiteral("Close once the window is usable (start-up timing)."));
    QCommandLineOption table(
        QStringLiteral("table"),
        QStringLiteral("Pick this table in the ribbon's table list once the database is open."),
        QStringLiteral("NAME"));
    QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("Write a picture of the window to FILE (PNG) once it is usable, then close."),
        QStringLiteral("FILE"));
    parser.addOptions({dutch, menu, database, table, quitAfter, screenshot});
    parser.process(qapp);

    qv::app::DesktopOptions options;
    options.dutch = parser.isSet(dutch);
    options.menuEdition = parser.isSet(menu);
    options.database = parser.value(database).toStdString();
    options.executablePath = argv[0];
    qv::app::DesktopSession session(options);
    std::string why;
    try {
        why = session.start();
    } catch (const qv::NumberedError& e) {
        fmt::print(stderr, "quorvel: error {}: {}\n", e.number(), e.description());
        return 1;
    }
    qv::app::MainWindow window(session);
    window.show();
    // What the add-in's start-up queued (its first-start message) runs over the window.
    QTimer::singleShot(0, &window, [&window] { window.run([] {}); });
    if (!why.empty()) {
        // The host runs without the add-in; the person is told why.
        QTimer::singleShot(0, &window,
                           [&] { session.dialogs().messageBox(why, 48, session.application().name()); });
    }
    // The picture is taken once the window has done what the command line asked; long work lets
    // the event loop run, so a fixed delay could catch a load halfway.
    std::function<void()> shoot = [] {};
    // What the command line asked to show and the window could not: the picture would not show it.
    auto shotFailed = std::make_shared<bool>(false);
    if (parser.isSet(screenshot)) {
        const QString file = parser.value(screenshot);
        shoot = [&window, &qapp, file, shotFailed] {
            QTimer::singleShot(200, &window, [&window, &qapp, file, shotFailed] {
                // A prompt left open would make the picture a lie about what the window shows: it
                // is still written, for whoever looks into why, but the run fails.
                bool faithful = !*shotFailed;
                if (QWidget* modal = QApplication::activeModalWidget()) {
                    faithful = false;
                    std::fprintf(stderr, "quorvel: a dialog is open: %s\n",
                                 modal->windowTitle().toUtf8().constData());
                    for (QLabel* l : modal->findChildren<QLabel*>())
                        std::fprintf(stderr, "  %s\n", l->text().toUtf8().constData());
                }
                const bool ok = window.grab().save(file, "PNG");
                std::fprintf(ok ? stdout : stderr, ok ? "quorvel: wrote %s\n" : "quorvel: cannot write %s\n",
                             file.toUtf8().constData());
                qapp.exit(ok && faithful ? 0 : 1);
            });
        };
    }
    // The database opens as "Open database" opens a chosen file; a table named on the command
    // line is then picked in the ribbon's list, as a person would pick it.
    const QString tableName = parser.value(table);
    if (!options.database.empty() && session.addin()) {
        QTimer::singleShot(0, &window, [&window, &options, tableName, shoot, shotFailed] {
            window.openDatabase(options.database);
            window.sync();
            if (window.ribbon()) window.ribbon()->refresh();
            if (!tableName.isEmpty() && !window.pickRibbonEntry(QStringLiteral("cboTables"), tableName)) {
                std::fprintf(stderr, "quorvel: the table list has no entry %s\n",
                             tableName.toUtf8().constData());
                *shotFailed = true;
            }
            shoot();
        });
    } else {
        if (!options.database.empty()) {
            std::fprintf(stderr, "quorvel: without the add-in the database %s is not opened\n",
                         options.database.c_str());
            *shotFailed = true;
        }
        QTimer::singleShot(0, &window, shoot);
    }
    if (parser.isSet(quitAfter)) {
        QTimer::singleShot(0, &window, [&] {
            std::fputs("quorvel: window ready\n", stdout);
            std::fflush(stdout);
            qapp.quit();
        });
    }
    return qapp.exec();
}
