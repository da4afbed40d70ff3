// kalumo-hub: the chat host's side of Kalumo Bingo's game link.
//
//   kalumo-hub serve [--listen ADDRESS] [--port N] [--max-queued BYTES] [--max-queued-total BYTES]
//                    [--max-per-address N] [--records-per-second N] [--bytes-per-second N]
//                    [--tls [--cert FILE --key FILE]]
//                    [--grace SECONDS] [--resume-records N] [--resume-bytes BYTES]
//                                                     run a hub for play across machines
//   kalumo-hub play [--program PATH] [--computer N] NAME...
//                                                     a local game, one window per name, and N computer players
//   kalumo-hub games                                  the games registered with the hub
//   kalumo-hub host NAME ... / join INVITATION NAME   a game across machines (invitationcommands.h)
//   kalumo-hub --help | --version
//   kalumo-hub computer PORT KEY HOSTNAME N [SECONDS] computer players (started by play; SECONDS: a computer host's interval)
//
// Every subcommand first creates the games key in the registry
// ($KALUMO_REGISTRY, else kalumo/registry in the user's configuration
// folder), where a game registers itself when started with no arguments.

#include "cli/commandsupport.h"
#include "cli/computerplayers.h"
#include "cli/gameslist.h"
#include "cli/gamewindows.h"
#include "cli/invitationcommands.h"
#include "link/framecodec.h"
#include "server/hub.h"
#include "server/tcptransport.h"
#include "server/tlscontext.h"
#include "support/fileregistry.h"
#include "support/shutdownsignals.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <climits>
#include <optional>

using namespace CommandSupport;

namespace {

// A whole number of at least `least` from the option `name`, or nothing.
std::optional<qint64> number(const QCommandLineParser &parser, const QString &name, qint64 least)
{
    bool ok = false;
    const qint64 value = parser.value(name).toLongLong(&ok);
    if (!ok || value < least) {
        LogLine(QStringLiteral("--%1 takes a whole number of at least %2").arg(name).arg(least));
        return std::nullopt;
    }
    return value;
}

int serve(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Runs a hub that game windows on this and other machines join."));
    parser.addHelpOption();
    AddListenOptions(parser, QStringLiteral("127.0.0.1"), QStringLiteral("Address to listen on (default 127.0.0.1; 0.0.0.0 for every network)."));
    parser.addOption({QStringLiteral("max-queued"),
                      QStringLiteral("Bytes that may wait to be sent to one window before it is cut off as too slow (default %1).")
                          .arg(Hub::Limits{}.maxQueuedBytes),
                      QStringLiteral("bytes"), QString::number(Hub::Limits{}.maxQueuedBytes)});
    const Hub::Limits defaults;
    const struct { const char *name, *help, *value; qint64 fallback; } numbers[] = {
        {"max-queued-total", "Bytes that may wait for all windows together; beyond them the windows with the most "
                             "waiting are cut off first (default %1).", "bytes", defaults.maxQueuedTotal},
        {"max-per-address", "TcpTransport open at once from one address (default %1).", "n", defaults.maxPerAddress},
        {"records-per-second", "Records one window may send a second, and five times as many at once (default %1).",
         "n", qint64(defaults.recordsPerSecond)},
        {"bytes-per-second", "Bytes one window may send a second, and eight times as many at once (default %1).",
         "bytes", qint64(defaults.bytesPerSecond)},
        {"grace", "Seconds a window that lost its connection has to resume its seat; 0 turns resuming off "
                  "(default %1).", "seconds", defaults.graceMs / 1000},
        {"resume-records", "Deliveries kept for a window away from its seat; past them its seat is given up "
                           "(default %1).", "n", defaults.keptRecords},
        {"resume-bytes", "Bytes of deliveries kept for a window away from its seat (default %1).", "bytes",
         defaults.keptBytes},
    };
    for (const auto &option : numbers) {
        parser.addOption({QString::fromLatin1(option.name), QString::fromLatin1(option.help).arg(option.fallback),
                          QString::fromLatin1(option.value), QString::number(option.fallback)});
    }
    parser.addOption({QStringLiteral("tls"),
                      QStringLiteral("Speak TLS 1.3 only, with the hub's own certificate, made on first use in %1, "
                                     "unless --cert and --key are given.").arg(TlsContext::DefaultFolder())});
    parser.addOption({QStringLiteral("cert"), QStringLiteral("The certificate for --tls (PEM)."), QStringLiteral("file")});
    parser.addOption({QStringLiteral("key"), QStringLiteral("The private key of that certificate (PEM)."), QStringLiteral("file")});
    parser.process(arguments);

    const bool givenPair = parser.isSet(QStringLiteral("cert")) || parser.isSet(QStringLiteral("key"));
    if (givenPair && (!parser.isSet(QStringLiteral("tls")) || !parser.isSet(QStringLiteral("cert")) || !parser.isSet(QStringLiteral("key"))))
        return Fail(QStringLiteral("--cert and --key go together, and with --tls"));
    std::unique_ptr<TlsContext> tls;
    if (parser.isSet(QStringLiteral("tls"))) {
        QString error;
        tls = givenPair ? TlsContext::Load(parser.value(QStringLiteral("cert")), parser.value(QStringLiteral("key")), &error)
                        : TlsContext::LoadOrCreate(TlsContext::DefaultFolder(), &error);
        if (!tls)
            return Fail(error);
    }

    const std::optional<Listen> listen = ListenFrom(parser);
    if (!listen)
        return 2;

    // Each limit must let at least one frame of the largest size through.
    const qint64 frame = Frame::HeaderSize + qint64(Frame::MaxPayload);
    const auto maxQueued = number(parser, QStringLiteral("max-queued"), frame);
    const auto maxQueuedTotal = number(parser, QStringLiteral("max-queued-total"), frame);
    const auto maxPerAddress = number(parser, QStringLiteral("max-per-address"), 1);
    const auto records = number(parser, QStringLiteral("records-per-second"), 1);
    const auto bytes = number(parser, QStringLiteral("bytes-per-second"), frame / 8 + 1);
    const auto grace = number(parser, QStringLiteral("grace"), 0);
    const auto keptRecords = number(parser, QStringLiteral("resume-records"), 1);
    const auto keptBytes = number(parser, QStringLiteral("resume-bytes"), frame);
    if (!maxQueued || !maxQueuedTotal || !maxPerAddress || !records || !bytes || !grace || !keptRecords || !keptBytes)
        return 2;
    Hub::Limits limits;
    limits.maxQueuedBytes = *maxQueued;
    limits.maxQueuedTotal = *maxQueuedTotal;
    limits.maxPerAddress = int(std::min<qint64>(*maxPerAddress, INT_MAX));
    limits.recordsPerSecond = double(*records);
    limits.recordBurst = 5.0 * double(*records);
    limits.bytesPerSecond = double(*bytes);
    limits.byteBurst = 8.0 * double(*bytes);
    limits.graceMs = int(std::min<qint64>(*grace, INT_MAX / 1000) * 1000);
    limits.keptRecords = *keptRecords;
    limits.keptBytes = *keptBytes;

    TcpTransport connections(tls.get());
    Hub hub(connections, limits);
    QObject::connect(&hub, &Hub::Log, &LogLine);
    QObject::connect(&connections, &TcpTransport::Log, &LogLine);
    if (!connections.Listen(listen->address, listen->port))
        return Fail(QStringLiteral("cannot listen on %1:%2: %3").arg(listen->address.toString()).arg(listen->port).arg(connections.ErrorString()));
    LogLine(QStringLiteral("listening on %1:%2").arg(listen->address.toString()).arg(connections.Port())
            + (tls ? QStringLiteral(" over TLS, certificate fingerprint (SHA-256) %1").arg(QString::fromLatin1(tls->Fingerprint().toHex()))
                   : QString()));

    ShutdownSignals shutdownSignals;
    QObject::connect(&shutdownSignals, &ShutdownSignals::Requested, qApp, [] { QCoreApplication::exit(0); });
    return QCoreApplication::exec();
}

int games(const QStringList &arguments, const GamesList &list, const FileRegistry &registry)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Lists the registered games with the program each names."));
    parser.addHelpOption();
    parser.process(arguments);

    const QList<GamesList::Game> registered = list.Games();
    if (registered.isEmpty())
        LogLine(QStringLiteral("no games are registered in %1").arg(registry.Folder()));
    QTextStream out(stdout);
    for (const GamesList::Game &game : registered)
        out << game.name << ": " << game.program << Qt::endl;
    return 0;
}

int play(const QStringList &arguments, const GamesList &list)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Starts a local game: a hub on a free loopback port and one window per player. "
        "The first name hosts. Ends when every window has closed."));
    parser.addHelpOption();
    parser.addOption(ProgramOption());
    ComputerPlayers::AddOption(parser);
    parser.addPositionalArgument(QStringLiteral("names"), QStringLiteral("The players' names, without blanks."), QStringLiteral("NAME..."));
    parser.process(arguments);
    const std::optional<int> computers = ComputerPlayers::Count(parser);
    if (!computers)
        return Fail(ComputerPlayers::CountProblem());

    const QStringList names = parser.positionalArguments();
    if (const QString problem = GameWindows::CheckNames(names); !problem.isEmpty())
        return Fail(problem);

    const QString program = GameProgram(parser.value(QStringLiteral("program")), list);
    if (!QFileInfo(program).isExecutable())
        return Fail(QStringLiteral("no game program at %1").arg(program));

    TcpTransport connections;
    Hub hub(connections);
    QObject::connect(&hub, &Hub::Log, &LogLine);
    QObject::connect(&connections, &TcpTransport::Log, &LogLine);
    if (!connections.Listen(QHostAddress::LocalHost, 0))
        return Fail(QStringLiteral("cannot listen on loopback: %1").arg(connections.ErrorString()));

    GameWindows game(connections.Port(), program);
    QObject::connect(&game, &GameWindows::Log, &LogLine);
    QObject::connect(&game, &GameWindows::Finished, qApp, [] { QCoreApplication::exit(0); });
    ShutdownSignals shutdownSignals;
    QObject::connect(&shutdownSignals, &ShutdownSignals::Requested, &game, &GameWindows::CloseAll);
    if (!game.Start(names))
        return Fail(game.ErrorString());
    const ComputerPlayers players({QStringLiteral("127.0.0.1"), connections.Port(), game.Key(), names.first()}, *computers, &LogLine);
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kalumo-hub"));

    QStringList arguments = QCoreApplication::arguments();
    const QString command = arguments.value(1);
    if (command == u"computer")
        return ComputerPlayers::Run(arguments.mid(1));
    if (command == u"serve" || command == u"play" || command == u"games" || command == u"host" || command == u"join") {
        arguments.removeAt(1);
        arguments[0] += QLatin1Char(' ') + command;
        const FileRegistry registry(FileRegistry::DefaultFolder());
        const GamesList list(registry);
        if (const QString problem = list.CreateKey(); !problem.isEmpty())
            LogLine(problem);
        if (command == u"games")
            return games(arguments, list, registry);
        if (command == u"host" || command == u"join")
            return command == u"host" ? SharedGame::Host(arguments, list) : SharedGame::Join(arguments, list);
        return command == u"serve" ? serve(arguments) : play(arguments, list);
    }

    if (command == u"--version") {
        QTextStream(stdout) << "kalumo-hub " KALUMO_VERSION "\n";
        return 0;
    }
    QTextStream out(command == u"--help" || command == u"-h" ? stdout : stderr);
    out << "Usage: kalumo-hub serve [--listen ADDRESS] [--port N] [--max-queued BYTES] [--max-queued-total BYTES]\n"
           "                        [--max-per-address N] [--records-per-second N] [--bytes-per-second N]\n"
           "                        [--tls [--cert FILE --key FILE]]\n"
           "                        [--grace SECONDS] [--resume-records N] [--resume-bytes BYTES]\n"
           "       kalumo-hub play [--program PATH] [--computer N] NAME...\n"
           "       kalumo-hub games\n"
           "       kalumo-hub host [--listen ADDRESS] [--port N] [--address PUBLIC-NAME] [--computer N] NAME\n"
           "       kalumo-hub join INVITATION NAME\n"
           "\n"
           "serve  runs a hub for play across machines; it listens on loopback unless\n"
           "       an address is given, and logs joins and leaves.\n"
           "play   runs a hub on a free loopback port and starts one game window per\n"
           "       name (the first name hosts), then waits until every window has closed.\n"
           "       It starts the program registered as Kalumo Bingo, else the one beside it,\n"
           "       and --computer N adds N computer players.\n"
           "games  lists the registered games with the program each names.\n"
           "host   hosts a game for players on other machines: prints an invitation to\n"
           "       share, starts the host's window and runs until it closes.\n"
           "join   starts your window in the game of an invitation.\n"
           "\n"
           "Each subcommand takes --help.\n";
    return command == u"--help" || command == u"-h" ? 0 : 2;
}
