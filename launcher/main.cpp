// SPDX-License-Identifier: GPL-3.0-or-later
// kalumo: the launcher the desktop's menu starts. A player picks a name and
// plays here, hosts a game or joins one; it runs kalumo-hub for them.
//
//   kalumo [--help | --version]

#include "hubrun.h"
#include "launcher.h"
#include "launcherwindow.h"

#include <QApplication>
#include <QSettings>
#include <QTextStream>

#include <cstring>

int main(int argc, char **argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        QTextStream(stdout) << "kalumo " KALUMO_VERSION "\n";
        return 0;
    }
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        QTextStream(stdout) << "Usage: kalumo\n"
                               "\n"
                               "Opens the Kalumo Bingo launcher: play here against computer players,\n"
                               "host a game and pass its invitation on, or join a game from an\n"
                               "invitation. It runs kalumo-hub, which starts the game windows.\n"
                               "Opened while a game it started runs, it shows that game again.\n";
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setDesktopFileName(QStringLiteral("org.kalumo.Bingo"));
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("kalumo"),
                       QStringLiteral("launcher"));
    QProcessRunner runner;
    const RunningGameFile noted(RunningGameFile::DefaultPath());
    Launcher launcher(runner, settings, Launcher::HubProgram(QCoreApplication::applicationDirPath()), noted);
    LauncherWindow window(launcher);

    // Closing the launcher leaves a game it started running; the launcher
    // ends with it, and one opened meanwhile shows it again.
    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(&window, &LauncherWindow::Closed, &app, [&launcher] {
        if (!launcher.Running())
            QCoreApplication::quit();
    });
    QObject::connect(&launcher, &Launcher::RunningChanged, &app, [&window](bool running) {
        if (!running && !window.isVisible())
            QCoreApplication::quit();
    });
    window.show();
    return app.exec();
}
