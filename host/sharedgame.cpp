#include "sharedgame.h"

#include "computers.h"

#include "connections.h"
#include "gameslist.h"
#include "hub.h"
#include "link/invitation.h"
#include "link/tcpgamelink.h"
#include "localgame.h"
#include "support/shutdownsignals.h"
#include "tlscontext.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHostInfo>
#include <QTextStream>

namespace {

constexpr quint16 DefaultPort = 47474;

void logLine(const QString &line)
{
    QTextStream(stderr) << "kalumo-hub: " << line << Qt::endl;
}

int fail(const QString &message)
{
    logLine(message);
    return 2;
}

QCommandLineOption programOption()
{
    return {QStringLiteral("program"),
            QStringLiteral("The game program to start (default: the one registered as %1, else kalumo-bingo beside this hub).")
                .arg(GamesList::BingoName),
            QStringLiteral("path")};
}

// The game program: the one given, else the registered one, else the one beside this hub.
QString gameProgram(const QString &given, const GamesList &list)
{
    if (!given.isEmpty())
        return given;
    QString note;
    const QString program = list.ProgramToPlay(GamesList::BingoName,
                                               QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("kalumo-bingo")), note);
    if (!note.isEmpty())
        logLine(note);
    return program;
}

// Runs the windows, and the computer players the game has, until the last
// window closes; the exit status.
int runWindows(LocalGame &game, const QString &name, const std::optional<ComputerPlayers::Game> &computers = {},
               int computerCount = 0)
{
    QObject::connect(&game, &LocalGame::Log, &logLine);
    QObject::connect(&game, &LocalGame::Finished, qApp, [&game] { QCoreApplication::exit(game.AllClosedCleanly() ? 0 : 1); });
    ShutdownSignals shutdownSignals;
    QObject::connect(&shutdownSignals, &ShutdownSignals::Requested, &game, &LocalGame::CloseAll);
    if (!game.Start({name}))
        return fail(game.ErrorString());
    std::optional<ComputerPlayers> players;
    if (computers)
        players.emplace(*computers, computerCount, &logLine);
    return QCoreApplication::exec();
}

} // namespace

namespace SharedGame {

int Host(const QStringList &arguments, const GamesList &list)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Hosts a game for players on other machines: prints an invitation to share, starts the host's window "
        "and runs until it closes."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("listen"), QStringLiteral("Address to listen on (default 0.0.0.0: every network)."),
                      QStringLiteral("address"), QStringLiteral("0.0.0.0")});
    parser.addOption({QStringLiteral("port"), QStringLiteral("Port to listen on (default %1; 0 for any free one).").arg(DefaultPort),
                      QStringLiteral("n"), QString::number(DefaultPort)});
    parser.addOption({QStringLiteral("address"),
                      QStringLiteral("The name or address the players reach this machine by, for the invitation "
                                     "(default: the address listened on, else this machine's name)."),
                      QStringLiteral("public-name")});
    parser.addOption(programOption());
    ComputerPlayers::AddOption(parser);
    parser.addPositionalArgument(QStringLiteral("name"), QStringLiteral("The host player's name."), QStringLiteral("NAME"));
    parser.process(arguments);
    const std::optional<int> computers = ComputerPlayers::Count(parser);
    if (!computers)
        return fail(ComputerPlayers::CountProblem());

    if (parser.positionalArguments().size() != 1)
        return fail(QStringLiteral("name the one player who hosts"));
    const QString name = parser.positionalArguments().first();
    if (const QString problem = LocalGame::CheckNames({name}); !problem.isEmpty())
        return fail(problem);
    QHostAddress listen;
    if (!listen.setAddress(parser.value(QStringLiteral("listen"))))
        return fail(QStringLiteral("not an address: %1").arg(parser.value(QStringLiteral("listen"))));
    bool ok = false;
    const uint port = parser.value(QStringLiteral("port")).toUInt(&ok);
    if (!ok || port > 65535)
        return fail(QStringLiteral("not a port: %1").arg(parser.value(QStringLiteral("port"))));
    const bool everywhere = listen == QHostAddress::AnyIPv4 || listen == QHostAddress::AnyIPv6 || listen == QHostAddress::Any;
    QString address = parser.value(QStringLiteral("address"));
    if (address.isEmpty())
        address = everywhere ? QHostInfo::localHostName() : listen.toString();
    const QString program = gameProgram(parser.value(QStringLiteral("program")), list);
    if (!QFileInfo(program).isExecutable())
        return fail(QStringLiteral("no game program at %1").arg(program));

    QString error;
    const std::unique_ptr<TlsContext> tls = TlsContext::LoadOrCreate(TlsContext::DefaultFolder(), &error);
    if (!tls)
        return fail(QStringLiteral("cannot set up the hub's certificate: %1").arg(error));
    Connections connections(tls.get());
    Hub hub(connections);
    QObject::connect(&hub, &Hub::Log, &logLine);
    QObject::connect(&connections, &Connections::Log, &logLine);
    if (!connections.Listen(listen, quint16(port)))
        return fail(QStringLiteral("cannot listen on %1:%2: %3").arg(listen.toString()).arg(port).arg(connections.ErrorString()));

    // The secret never leaves this machine: the host's window gets it in its
    // environment, which other users cannot read, unlike a command line.
    const Invitation invitation{address, connections.Port(), Invitation::NewKey(), name, tls->Fingerprint()};
    const QString secret = Invitation::NewKey();
    if (!Invitation::Parse(invitation.Text(), &error))
        return fail(QStringLiteral("--address %1 cannot go into an invitation: %2").arg(address, error));
    hub.HoldOneGame(invitation.key, name, secret);
    QTextStream(stdout) << invitation.Text() << Qt::endl; // the launcher reads it at once
    logLine(QStringLiteral("hosting one game on %1:%2; share the line above").arg(listen.toString()).arg(connections.Port()));

    QProcessEnvironment extra;
    const QHostAddress local = !everywhere ? listen : listen == QHostAddress::AnyIPv6 ? QHostAddress::LocalHostIPv6
                                                                                      : QHostAddress::LocalHost;
    extra.insert(QStringLiteral("KALUMO_LINK_HOST"), local.toString());
    extra.insert(QStringLiteral("KALUMO_LINK_FINGERPRINT"), QString::fromLatin1(invitation.fingerprint.toHex()));
    extra.insert(QStringLiteral("KALUMO_HOST_SECRET"), secret);
    LocalGame game(connections.Port(), program);
    game.SetGame(invitation.key, name, extra);
    return runWindows(game, name,
                      ComputerPlayers::Game{local.toString(), connections.Port(), invitation.key, name,
                                            extra.value(QStringLiteral("KALUMO_LINK_FINGERPRINT"))},
                      *computers);
}

int Join(const QStringList &arguments, const GamesList &list)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Joins the game of an invitation: starts NAME's window in it."));
    parser.addHelpOption();
    parser.addOption(programOption());
    parser.addPositionalArgument(QStringLiteral("invitation"), QStringLiteral("The line the host shared."), QStringLiteral("INVITATION"));
    parser.addPositionalArgument(QStringLiteral("name"), QStringLiteral("Your name in the game."), QStringLiteral("NAME"));
    parser.process(arguments);

    if (parser.positionalArguments().size() != 2)
        return fail(QStringLiteral("give the invitation and your name"));
    QString why;
    const std::optional<Invitation> invitation = Invitation::Parse(parser.positionalArguments().at(0), &why);
    if (!invitation)
        return fail(why);
    const QString name = parser.positionalArguments().at(1);
    if (const QString problem = LocalGame::CheckNames({name}); !problem.isEmpty())
        return fail(problem);
    const QString program = gameProgram(parser.value(QStringLiteral("program")), list);
    if (!QFileInfo(program).isExecutable())
        return fail(QStringLiteral("no game program at %1").arg(program));

    // The hub is reached and its certificate checked before a window opens,
    // so the commonest failures are one line here rather than a box there.
    const QString fingerprint = QString::fromLatin1(invitation->fingerprint.toHex());
    {
        TcpGameLink link(invitation->address);
        link.SetSecurity({fingerprint, {}});
        if (!link.JoinGame(0, invitation->port))
            return fail(QStringLiteral("cannot join the game: %1").arg(link.ErrorString()));
    }

    QProcessEnvironment extra;
    extra.insert(QStringLiteral("KALUMO_LINK_HOST"), invitation->address);
    extra.insert(QStringLiteral("KALUMO_LINK_FINGERPRINT"), fingerprint);
    LocalGame game(invitation->port, program);
    game.SetGame(invitation->key, invitation->hostName, extra);
    return runWindows(game, name);
}

} // namespace SharedGame
