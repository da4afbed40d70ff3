// SPDX-License-Identifier: GPL-3.0-or-later
// kalumo-bingo: one player's window of a game.
//
//   kalumo-bingo ANY PORT KEY NAME HOSTNAME   join a game through kalumo-hub
//   kalumo-bingo                              register with the chat host
//   kalumo-bingo --help | --version
//
// The registry shared with the chat host is the folder $KALUMO_REGISTRY, else
// kalumo/registry in the user's configuration folder. The hub's host comes
// from KALUMO_LINK_HOST; KALUMO_LINK_FINGERPRINT puts the link on TLS with
// that certificate alone, KALUMO_HOST_SECRET proves the host to the hub
// and KALUMO_INVITATION is the line the host's window offers to copy
// (kalumo-hub host and join set them; the command line would show them).
// KALUMO_DISPLAY_SEAT=1 (join --display) makes it a display seat: only the
// caller's display of the game, joined without cards or a name.

#include "link/tcpgamelink.h"
#include "support/commandline.h"
#include "support/fileregistry.h"
#include "support/randomgenerator.h"
#include "support/shutdownsignals.h"
#include "support/statefile.h"
#include "window/displayseat.h"
#include "window/frmmain.h"
#include "window/qtmessageboxes.h"
#include "window/qtspeaker.h"

#include <QApplication>
#include <QFile>
#include <QScreen>
#include <QTextStream>

#include <unistd.h>

int main(int argc, char **argv)
{
    // The command line belongs to the chat host: read it raw, and keep Qt
    // from taking any of it as its own option (a player named -style stays
    // a player named -style).
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // A lone --help or --version is no game's command line (that has five
    // pieces), so answering them takes nothing from the chat host.
    if (arguments == QStringList{QStringLiteral("--version")}) {
        QTextStream(stdout) << "kalumo-bingo " KALUMO_VERSION "\n";
        return 0;
    }
    if (arguments == QStringList{QStringLiteral("--help")} || arguments == QStringList{QStringLiteral("-h")}) {
        QTextStream(stdout) << "Usage: kalumo-bingo ANY PORT KEY NAME HOSTNAME\n"
                               "       kalumo-bingo\n"
                               "\n"
                               "One player's window of a game of Kalumo Bingo. With a game's command line\n"
                               "(as kalumo-hub gives it) it joins the game at the hub on PORT as NAME;\n"
                               "HOSTNAME hosts. With none it registers itself with the chat host.\n"
                               "The hub's address is read from KALUMO_LINK_HOST (default 127.0.0.1).\n";
        return 0;
    }
    int qtArgc = 1;
    char *qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);

    QtMessageBoxes boxes;
    TcpGameLink link(TcpGameLink::HostFromEnvironment());
    link.SetFingerprint(TcpGameLink::FingerprintFromEnvironment());
    RandomGenerator random(RandomGenerator::SystemClock() ^ (quint64(::getpid()) << 32));
    if (qEnvironmentVariable("KALUMO_DISPLAY_SEAT") == u"1")
        return RunDisplaySeat(link, CommandLine(CommandLine::FromArguments(arguments)), random);
    QtSpeaker speaker;
    // Only a game behind an invitation (its host has a secret) outlives the
    // host's window; a local game's round ends with it.
    const QString hostSecret = qEnvironmentVariable("KALUMO_HOST_SECRET");
    frmMain window({boxes,
                    link,
                    random,
                    QCoreApplication::applicationDirPath(),
                    CommandLine::FromArguments(arguments),
                    QCoreApplication::applicationFilePath(),
                    FileRegistry::DefaultFolder(),
                    TallyFile::DataFolder(),
                    &speaker,
                    {},
                    hostSecret,
                    qEnvironmentVariable("KALUMO_INVITATION").trimmed(),
                    hostSecret.isEmpty() ? QString() : StateFile::DefaultFolder(),
                    qEnvironmentVariable("KALUMO_BROWSER_LINK")});
    boxes.SetParent(&window);

    // KALUMO_CHAT_TRANSCRIPT names a file that gets every chat log line too,
    // one per line, for players who keep records and for scripted checks.
    // One that cannot be opened is said once; the game goes on without it.
    QFile transcript(qEnvironmentVariable("KALUMO_CHAT_TRANSCRIPT"));
    if (!transcript.fileName().isEmpty() && !transcript.open(QIODevice::Append | QIODevice::Text)) {
        QTextStream(stderr) << "kalumo-bingo: the chat transcript " << transcript.fileName()
                            << " cannot be opened: " << transcript.errorString() << Qt::endl;
    } else if (transcript.isOpen()) {
        QObject::connect(&window, &frmMain::LineAdded, &transcript, [&transcript](LogKind, const QString &line) {
            transcript.write(line.toUtf8() + '\n');
            transcript.flush();
        });
    }

    ShutdownSignals shutdownSignals;
    QObject::connect(&shutdownSignals, &ShutdownSignals::Requested, &window, [&window] {
        // A signal is no player's choice: the game goes on without this window.
        window.CloseKeepingGame();
        QCoreApplication::exit(0);
    });

    if (const std::optional<int> exitCode = window.Startup())
        return *exitCode;
    // KALUMO_WINDOW_SLOT: this window's place among those started together
    // (kalumo-hub sets it), so they open side by side rather than stacked.
    window.PlaceOn(window.screen()->availableGeometry(), qEnvironmentVariableIntValue("KALUMO_WINDOW_SLOT"));
    window.show();
    // Typing goes to the window from the moment it opens, on a display
    // without a window manager to give it focus too.
    window.activateWindow();
    return app.exec();
}
