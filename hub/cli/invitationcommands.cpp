// A game across machines behind an invitation:
//
//   kalumo-hub host NAME [--listen ADDRESS] [--port N] [--address PUBLIC-NAME] [--program PATH]
//       runs a TLS hub holding one new game hosted by NAME, prints the
//       invitation as the first line of standard output and the browser
//       link of the same game as the second, starts NAME's window and runs
//       until it closes;
//   kalumo-hub join [--program PATH] INVITATION NAME
//       checks that the invitation's hub answers with its certificate, then
//       starts NAME's window in that game and ends when it closes.
//
// A failure before a window opens is one line on standard error and a
// status of 2; a window that could not join says why itself, and join ends
// with status 1.
#include "cli/commands.h"
#include "cli/commandsupport.h"
#include "cli/computerplayers.h"
#include "cli/gameslist.h"
#include "cli/gamewindows.h"
#include "link/invitation.h"
#include "link/tcpgamelink.h"
#include "server/hub.h"
#include "server/tcptransport.h"
#include "server/tlscontext.h"
#include "support/shutdownsignals.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHostInfo>
#include <QNetworkInterface>
#include <QTextStream>

using namespace CommandSupport;

namespace {

// Runs the windows, and the computer players the game has, until the last
// window closes; the exit status.
int runWindows(GameWindows &windows, const QString &name, const std::optional<ComputerPlayers::Game> &computers = {},
               int computerCount = 0)
{
    QObject::connect(&windows, &GameWindows::Log, &LogLine);
    QObject::connect(&windows, &GameWindows::Finished, qApp, [&windows] { QCoreApplication::exit(windows.AllClosedCleanly() ? 0 : 1); });
    ShutdownSignals shutdownSignals;
    QObject::connect(&shutdownSignals, &ShutdownSignals::Requested, &windows, &GameWindows::CloseAll);
    if (!windows.Start({name}))
        return Fail(windows.ErrorString());
    std::optional<ComputerPlayers> players;
    if (computers)
        players.emplace(*computers, computerCount, &LogLine);
    return QCoreApplication::exec();
}

// Where a phone finds the hub: the address given or listened on, else this
// machine's first address on a local network, as phones seldom resolve a
// machine's bare name; its name when it has no such address.
QString browserAddress(const QString &given, const QHostAddress &listen, bool everywhere)
{
    if (!given.isEmpty())
        return given;
    if (!everywhere)
        return listen.toString();
    static const char *const privateNets[] = {"10.0.0.0/8", "172.16.0.0/12", "192.168.0.0/16"};
    for (const QHostAddress &address : QNetworkInterface::allAddresses()) {
        for (const char *net : privateNets) {
            if (address.isInSubnet(QHostAddress::parseSubnet(QLatin1String(net))))
                return address.toString();
        }
    }
    return QHostInfo::localHostName();
}

} // namespace

int Commands::Host(const QStringList &arguments, const GamesList &list)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Hosts a game for players on other machines: prints an invitation to share, starts the host's window "
        "and runs until it closes."));
    parser.addHelpOption();
    AddListenOptions(parser, QStringLiteral("0.0.0.0"), QStringLiteral("Address to listen on (default 0.0.0.0: every network)."));
    parser.addOption({QStringLiteral("address"),
                      QStringLiteral("The name or address the players reach this machine by, for the invitation "
                                     "(default: the address listened on, else this machine's name)."),
                      QStringLiteral("public-name")});
    parser.addOption(ProgramOption());
    ComputerPlayers::AddOption(parser);
    parser.addPositionalArgument(QStringLiteral("name"), QStringLiteral("The host player's name."), QStringLiteral("NAME"));
    parser.process(arguments);
    const std::optional<int> computers = ComputerPlayers::Count(parser);
    if (!computers)
        return Fail(ComputerPlayers::CountProblem());

    if (parser.positionalArguments().size() != 1)
        return Fail(QStringLiteral("name the one player who hosts"));
    const QString name = parser.positionalArguments().first();
    if (const QString problem = GameWindows::CheckNames({name}); !problem.isEmpty())
        return Fail(problem);
    const std::optional<Listen> where = ListenFrom(parser);
    if (!where)
        return 2;
    const QHostAddress listen = where->address;
    const quint16 port = where->port;
    const bool everywhere = listen == QHostAddress::AnyIPv4 || listen == QHostAddress::AnyIPv6 || listen == QHostAddress::Any;
    QString address = parser.value(QStringLiteral("address"));
    if (address.isEmpty())
        address = everywhere ? QHostInfo::localHostName() : listen.toString();
    const QString program = GameProgram(parser.value(QStringLiteral("program")), list);
    if (!QFileInfo(program).isExecutable())
        return Fail(QStringLiteral("no game program at %1").arg(program));

    QString error;
    const std::unique_ptr<TlsContext> tls = TlsContext::LoadOrCreate(TlsContext::DefaultFolder(), &error);
    if (!tls)
        return Fail(QStringLiteral("cannot set up the hub's certificate: %1").arg(error));
    TcpTransport transport(tls.get());
    // Browsers cannot pin the hub's own certificate: they play over plain HTTP.
    transport.ServePlainWeb(true);
    Hub hub(transport);
    QObject::connect(&hub, &Hub::Log, &LogLine);
    QObject::connect(&transport, &TcpTransport::Log, &LogLine);
    if (!transport.Listen(listen, quint16(port)))
        return Fail(QStringLiteral("cannot listen on %1:%2: %3").arg(listen.toString()).arg(port).arg(transport.ErrorString()));

    // The secret never leaves this machine: the host's window gets it in its
    // environment, which other users cannot read, unlike a command line.
    const Invitation invitation{address, transport.Port(), Invitation::NewKey(), name, tls->Fingerprint()};
    const QString secret = Invitation::NewKey();
    if (!Invitation::Parse(invitation.Text(), &error))
        return Fail(QStringLiteral("--address %1 cannot go into an invitation: %2").arg(address, error));
    hub.HoldOneGame(invitation.key, name, secret);
    const QString browserLink = invitation.BrowserLink(browserAddress(parser.value(QStringLiteral("address")), listen, everywhere), false);
    QTextStream(stdout) << invitation.Text() << Qt::endl << browserLink << Qt::endl; // the launcher reads them at once
    LogLine(QStringLiteral("hosting one game on %1:%2; share the lines above: the invitation for game windows, "
                           "the link for browsers (not encrypted: anyone on the network can read the game)")
                .arg(listen.toString()).arg(transport.Port()));

    QProcessEnvironment extra;
    const QHostAddress local = !everywhere ? listen : listen == QHostAddress::AnyIPv6 ? QHostAddress::LocalHostIPv6
                                                                                      : QHostAddress::LocalHost;
    extra.insert(QStringLiteral("KALUMO_LINK_HOST"), local.toString());
    extra.insert(QStringLiteral("KALUMO_LINK_FINGERPRINT"), QString::fromLatin1(invitation.fingerprint.toHex()));
    extra.insert(QStringLiteral("KALUMO_HOST_SECRET"), secret);
    extra.insert(QStringLiteral("KALUMO_BROWSER_LINK"), browserLink);
    GameWindows windows(transport.Port(), program);
    windows.SetGame(invitation.key, name, extra);
    return runWindows(windows, name,
                      ComputerPlayers::Game{local.toString(), transport.Port(), invitation.key, name,
                                            extra.value(QStringLiteral("KALUMO_LINK_FINGERPRINT"))},
                      *computers);
}

int Commands::Join(const QStringList &arguments, const GamesList &list)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Joins the game of an invitation: starts NAME's window in it."));
    parser.addHelpOption();
    parser.addOption(ProgramOption());
    parser.addPositionalArgument(QStringLiteral("invitation"), QStringLiteral("The line the host shared."), QStringLiteral("INVITATION"));
    parser.addPositionalArgument(QStringLiteral("name"), QStringLiteral("Your name in the game."), QStringLiteral("NAME"));
    parser.process(arguments);

    if (parser.positionalArguments().size() != 2)
        return Fail(QStringLiteral("give the invitation and your name"));
    QString why;
    const std::optional<Invitation> invitation = Invitation::Parse(parser.positionalArguments().at(0), &why);
    if (!invitation)
        return Fail(why);
    const QString name = parser.positionalArguments().at(1);
    if (const QString problem = GameWindows::CheckNames({name}); !problem.isEmpty())
        return Fail(problem);
    const QString program = GameProgram(parser.value(QStringLiteral("program")), list);
    if (!QFileInfo(program).isExecutable())
        return Fail(QStringLiteral("no game program at %1").arg(program));

    // The hub is reached and its certificate checked before a window opens,
    // so the commonest failures are one line here rather than a box there.
    const QString fingerprint = QString::fromLatin1(invitation->fingerprint.toHex());
    {
        TcpGameLink link(invitation->address);
        link.SetFingerprint(fingerprint);
        if (!link.Connect(invitation->port))
            return Fail(QStringLiteral("cannot join the game: %1").arg(link.ErrorString()));
    }

    QProcessEnvironment extra;
    extra.insert(QStringLiteral("KALUMO_LINK_HOST"), invitation->address);
    extra.insert(QStringLiteral("KALUMO_LINK_FINGERPRINT"), fingerprint);
    GameWindows windows(invitation->port, program);
    windows.SetGame(invitation->key, invitation->hostName, extra);
    return runWindows(windows, name);
}
