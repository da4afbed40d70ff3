// kalumo-bingo: one player's window of a game.
//
//   kalumo-bingo ANY PORT KEY NAME HOSTNAME   join a game through kalumo-hub
//   kalumo-bingo                              register with the chat host
//
// The registry shared with the chat host is the folder $KALUMO_REGISTRY, else
// kalumo/registry in the user's configuration folder.

#include "link/tcpgamelink.h"
#include "support/fileregistry.h"
#include "support/randomgenerator.h"
#include "support/commandline.h"
#include "window/frmmain.h"
#include "window/qtmessageboxes.h"
#include "window/qtspeaker.h"
#include "support/shutdownsignals.h"

#include <QApplication>
#include <QFile>

#include <unistd.h>

int main(int argc, char **argv)
{
    // The command line belongs to the chat host: read it raw, and keep Qt
    // from taking any of it as its own option (a player named -style stays
    // a player named -style).
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    int qtArgc = 1;
    char *qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);

    QtMessageBoxes boxes;
    TcpGameLink link(TcpGameLink::HostFromEnvironment());
    RandomGenerator random(RandomGenerator::SystemClock() ^ (quint64(::getpid()) << 32));
    QtSpeaker speaker;
    frmMain window({boxes, link, random, QCoreApplication::applicationDirPath(),
                    CommandLine::FromArguments(arguments), QCoreApplication::applicationFilePath(),
                    FileRegistry::DefaultFolder(), &speaker});
    boxes.SetParent(&window);

    // KALUMO_CHAT_TRANSCRIPT names a file that gets every chat log line too,
    // one per line, for players who keep records and for scripted checks.
    QFile transcript(qEnvironmentVariable("KALUMO_CHAT_TRANSCRIPT"));
    if (!transcript.fileName().isEmpty() && transcript.open(QIODevice::Append | QIODevice::Text)) {
        QObject::connect(&window, &frmMain::LineAdded, &transcript, [&transcript](int, const QString &line) {
            transcript.write(line.toUtf8() + '\n');
            transcript.flush();
        });
    }

    ShutdownSignals shutdownSignals;
    QObject::connect(&shutdownSignals, &ShutdownSignals::Requested, &window, [&window] {
        window.close();
        QCoreApplication::exit(0);
    });

    if (const std::optional<int> exitCode = window.Startup())
        return *exitCode;
    window.show();
    return app.exec();
}
