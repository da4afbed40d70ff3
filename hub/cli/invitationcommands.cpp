// SPDX-License-Identifier: GPL-3.0-or-later
// A game across machines behind an invitation:
//
//   kalumo-hub host NAME [--new] [--listen ADDRESS] [--port N] [--address PUBLIC-NAME]... [--no-port-mapping]
//                       [--program PATH]
//       runs a TLS hub holding one game hosted by NAME, asks the home
//       router to forward its port, prints the invitation (every address
//       a player may reach the hub by) as the first line of standard
//       output and the browser link of the same game as the second, starts NAME's window and runs until it closes, when the
//       forwarding is removed. The game is the one NAME hosted last,
//       behind the same key, port and certificate, until it is ended on
//       purpose (closing the host's window, Ctrl+C or SIGTERM here, unless
//       the machine is shutting down) or --new is given; a host's window
//       that crashes is started again;
//   kalumo-hub join [--program PATH] INVITATION NAME
//       reaches the invitation's hub at the first of its addresses that
//       answers with its certificate (10 s at most), then starts NAME's
//       window in that game and ends when it closes.
//   kalumo-hub join --display [--program PATH] INVITATION
//       the same for a display seat: a window that shows only the caller's
//       display of that game, joined without cards or a name.
//
// A failure before a window opens is one line on standard error and a
// status of 2; a window that could not join says why itself, and join ends
// with status 1.
#include "cli/commands.h"
#include "cli/commandsupport.h"
#include "cli/computerplayers.h"
#include "cli/gameslist.h"
#include "cli/gamewindows.h"
#include "cli/hostaddresses.h"
#include "cli/hostsecrets.h"
#include "cli/hoststate.h"
#include "cli/portmapping.h"
#include "link/hubdialer.h"
#include "link/invitation.h"
#include "server/hub.h"
#include "server/tcptransport.h"
#include "server/tlscontext.h"
#include "support/shutdownsignals.h"
#include "support/statefile.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHostInfo>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <csignal>

using namespace CommandSupport;

namespace {

// Runs the windows until the last one closes; the exit status.
int runWindows(GameWindows &windows, const QString &name)
{
    QObject::connect(&windows, &GameWindows::Log, &LogLine);
    QObject::connect(&windows, &GameWindows::Finished, qApp,
                     [&windows] { QCoreApplication::exit(windows.AllClosedCleanly() ? 0 : 1); });
    ShutdownSignals shutdownSignals;
    QObject::connect(&shutdownSignals, &ShutdownSignals::Requested, &windows, &GameWindows::CloseAll);
    if (!windows.Start({name}))
        return Fail(windows.ErrorString());
    return QCoreApplication::exec();
}

// The game hosted last under this name, unless a new one is asked for or
// what was kept cannot be read (said in one line).
std::optional<HostedGame> keptGame(const HostState &state, bool fresh)
{
    const HostState::Loaded loaded = state.Load();
    if (!loaded.problem.isEmpty())
        LogLine(
            QStringLiteral("the game hosted before cannot be taken up (%1): hosting a new one").arg(loaded.problem));
    if (fresh && loaded.game)
        state.Forget(loaded.game->key);
    return fresh ? std::nullopt : loaded.game;
}

// Listens where asked, on the kept game's port unless a port was given;
// false, with the reason said, when it cannot.
bool listenForGame(TcpTransport &transport, const QHostAddress &listen, quint16 port, std::optional<HostedGame> &kept)
{
    if (kept && !transport.Listen(listen, kept->port)) {
        LogLine(QStringLiteral("port %1 of the game hosted before is taken (%2): hosting a new game")
                    .arg(kept->port)
                    .arg(transport.ErrorString()));
        kept.reset();
    } else if (kept) {
        return true;
    }
    if (!transport.Listen(listen, port)) {
        LogLine(
            QStringLiteral("cannot listen on %1:%2: %3").arg(listen.toString()).arg(port).arg(transport.ErrorString()));
        return false;
    }
    return true;
}

// Runs the host's window (started again when it crashes) and the computer
// players until it closes. A game ended on purpose, by its window or by a
// signal here, is forgotten; otherwise the next run takes it up again.
int runHostedGame(Hub &hub, GameWindows &windows, const HostState &state, const QString &name,
                  const ComputerPlayers::Game &computers, int computerCount)
{
    bool ended = false;
    QObject::connect(&hub, &Hub::GameEnded, [&ended] { ended = true; });
    QObject::connect(&windows, &GameWindows::Log, &LogLine);
    QObject::connect(&windows, &GameWindows::Finished, qApp, [&] {
        // The window that ended the game wrote its last record just before
        // it closed: give the hub a moment to read it.
        QTimer::singleShot(500, qApp, [&] {
            if (ended)
                state.Forget(computers.key);
            QCoreApplication::exit(windows.AllClosedCleanly() ? 0 : 1);
        });
    });
    ShutdownSignals shutdownSignals;
    QObject::connect(&shutdownSignals, &ShutdownSignals::Requested, &windows, [&](int signalNumber) {
        // A machine that shuts down or reboots stops every program with
        // SIGTERM: that is nobody's choice, and the game is kept for the
        // next run, as after a crash.
        if (signalNumber == SIGTERM && SystemStopping())
            LogLine(QStringLiteral("the system is stopping: the game is kept for the next run"));
        else
            hub.EndGame();
        windows.CloseAll();
    });
    windows.SetRestarts(5);
    if (!windows.Start({name}))
        return Fail(windows.ErrorString());
    ComputerPlayers players(computers, computerCount, &LogLine);
    return QCoreApplication::exec();
}

// This machine's address on its home network, for the advice to forward a
// port by hand: a private IPv4 address if it has one.
QHostAddress homeAddress(const QList<QHostAddress> &local)
{
    const QList<QPair<QHostAddress, int>> privateNetworks{QHostAddress::parseSubnet(QStringLiteral("10.0.0.0/8")),
                                                          QHostAddress::parseSubnet(QStringLiteral("172.16.0.0/12")),
                                                          QHostAddress::parseSubnet(QStringLiteral("192.168.0.0/16"))};
    for (const QHostAddress &address : local)
        if (std::ranges::any_of(privateNetworks, [&](const auto &network) { return address.isInSubnet(network); }))
            return address;
    return local.value(0);
}

// Why one of the --address names cannot go into an invitation, if one cannot.
QString addressProblem(const QStringList &given, const QString &hostName)
{
    for (const QString &address : given) {
        QString why;
        if (!Invitation::Parse(Invitation{address, 1, Invitation::NewKey(), hostName, QByteArray(32, 0)}.Text(), &why))
            return QStringLiteral("--address %1 cannot go into an invitation: %2").arg(address, why);
    }
    return {};
}

// Asks the router to forward the hub's port when `wanted`, and says what
// came of it in one line.
std::optional<Invitation::Endpoint> forwardPort(PortMapping &mapping, bool wanted, quint16 port,
                                                const QList<QHostAddress> &reachable)
{
    const bool loopbackOnly = std::ranges::all_of(reachable, [](const QHostAddress &a) { return a.isLoopback(); });
    if (loopbackOnly)
        return std::nullopt; // nobody elsewhere could use it
    if (!wanted) {
        LogLine(PortMapping::Disabled(port, homeAddress(reachable)));
        return std::nullopt;
    }
    std::optional<Invitation::Endpoint> forwarded = mapping.Start(port, homeAddress(reachable));
    LogLine(mapping.Line());
    return forwarded;
}

// Where a phone finds the hub: the first address given, else this machine's
// address on its home network, as phones seldom resolve a machine's bare name.
QString browserAddress(const QStringList &given, const QList<QHostAddress> &reachable)
{
    if (!given.isEmpty())
        return given.first();
    const QHostAddress home = homeAddress(reachable);
    if (home.isNull())
        return QHostInfo::localHostName();
    return home.protocol() == QAbstractSocket::IPv6Protocol ? u'[' + home.toString() + u']' : home.toString();
}

} // namespace

int Commands::Host(const QStringList &arguments, const GamesList &list)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Hosts a game for players on other machines: prints an invitation to share, starts the host's window "
        "and runs until it closes."));
    parser.addHelpOption();
    AddListenOptions(parser, QStringLiteral("0.0.0.0"),
                     QStringLiteral("Address to listen on (default 0.0.0.0: every network)."));
    parser.addOption({QStringLiteral("address"),
                      QStringLiteral("A name or address the players reach this machine by, for the invitation, before "
                                     "the router's and this machine's own addresses (may be repeated)."),
                      QStringLiteral("public-name")});
    parser.addOption({QStringLiteral("no-port-mapping"),
                      QStringLiteral("Do not ask the home router (UPnP-IGD, NAT-PMP) to forward the port.")});
    parser.addOption(ProgramOption());
    parser.addOption({QStringLiteral("new"),
                      QStringLiteral("Host a new game with a new invitation, instead of the one hosted last.")});
    ComputerPlayers::AddOption(parser);
    parser.addPositionalArgument(QStringLiteral("name"), QStringLiteral("The host player's name."),
                                 QStringLiteral("NAME"));
    ProcessArguments(parser, arguments);
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
    const bool everywhere
        = listen == QHostAddress::AnyIPv4 || listen == QHostAddress::AnyIPv6 || listen == QHostAddress::Any;
    const QStringList given = parser.values(QStringLiteral("address"));
    if (const QString problem = addressProblem(given, name); !problem.isEmpty())
        return Fail(problem);
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
    const HostState state(StateFile::DefaultFolder(), name);
    std::optional<HostedGame> kept = keptGame(state, parser.isSet(QStringLiteral("new")));
    if (kept && port != 0 && port != kept->port)
        kept.reset(); // another port asked for is another invitation
    if (!listenForGame(transport, listen, port, kept))
        return 2;

    const QList<QHostAddress> reachable
        = everywhere ? HostAddresses::OfThisMachine() : HostAddresses::Reachable({listen});
    PortMapping mapping(HomeRouters(), &LogLine); // removes the forwarding when the host ends, by signal too
    const std::optional<Invitation::Endpoint> forwarded = forwardPort(
        mapping, !listen.isLoopback() && !parser.isSet(QStringLiteral("no-port-mapping")), transport.Port(), reachable);

    // The secret never leaves this machine: the host's window gets it in its
    // environment, which other users cannot read, unlike a command line.
    Invitation invitation{QString(), 0, kept ? kept->key : Invitation::NewKey(), name, tls->Fingerprint()};
    invitation.SetEndpoints(HostAddresses::ForInvitation(given, forwarded, reachable, transport.Port()));
    const QString secret = kept ? kept->secret : Invitation::NewKey();
    if (const QString problem = state.Save({invitation.key, transport.Port(), secret}); !problem.isEmpty())
        LogLine(QStringLiteral("this game cannot be kept for a restart of the host (%1)").arg(problem));
    hub.HoldOneGame(invitation.key, name, secret);
    Invitation onThisPort = invitation; // a router's outside port is no concern of a phone in the room
    onThisPort.port = transport.Port();
    const QString browserLink = onThisPort.BrowserLink(browserAddress(given, reachable), false);
    QTextStream(stdout) << invitation.Text() << Qt::endl << browserLink << Qt::endl; // the launcher reads them at once
    LogLine(QStringLiteral("hosting %1 on %2:%3; share the lines above: the invitation for game windows, "
                           "the link for browsers (not encrypted: anyone on the network can read the game)")
                .arg(kept ? QStringLiteral("the same game as before") : QStringLiteral("one game"), listen.toString())
                .arg(transport.Port()));

    QProcessEnvironment extra;
    const QHostAddress local = !everywhere ? listen
        : listen == QHostAddress::AnyIPv6  ? QHostAddress::LocalHostIPv6
                                           : QHostAddress::LocalHost;
    extra.insert(QStringLiteral("KALUMO_LINK_HOST"), local.toString());
    extra.insert(QStringLiteral("KALUMO_LINK_FINGERPRINT"), QString::fromLatin1(invitation.fingerprint.toHex()));
    extra.insert(QStringLiteral("KALUMO_HOST_SECRET"), secret);
    extra.insert(QStringLiteral("KALUMO_INVITATION"), invitation.Text());
    extra.insert(QStringLiteral("KALUMO_BROWSER_LINK"), browserLink);
    GameWindows windows(transport.Port(), program);
    windows.SetGame(invitation.key, name, extra);
    return runHostedGame(hub, windows, state, name,
                         {local.toString(), transport.Port(), invitation.key, name,
                          extra.value(QStringLiteral("KALUMO_LINK_FINGERPRINT"))},
                         *computers);
}

int Commands::Join(const QStringList &arguments, const GamesList &list)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Joins the game of an invitation: starts NAME's window in it."));
    parser.addHelpOption();
    parser.addOption(ProgramOption());
    const QCommandLineOption display(
        QStringLiteral("display"),
        QStringLiteral("Join as a display seat: only the caller's display, with no cards and no name."));
    parser.addOption(display);
    parser.addPositionalArgument(QStringLiteral("invitation"),
                                 QStringLiteral("The line the host shared (the text around it may come along)."),
                                 QStringLiteral("INVITATION"));
    parser.addPositionalArgument(QStringLiteral("name"), QStringLiteral("Your name in the game."),
                                 QStringLiteral("NAME"));
    ProcessArguments(parser, arguments);

    const bool displaySeat = parser.isSet(display);
    if (displaySeat && parser.positionalArguments().size() != 1)
        return Fail(QStringLiteral("give the invitation alone: a display seat has no name"));
    if (!displaySeat && parser.positionalArguments().size() != 2)
        return Fail(QStringLiteral("give the invitation and your name"));
    QString why;
    // The invitation may come with the sentence it was sent in.
    const QString given = parser.positionalArguments().at(0);
    const QString found = Invitation::Find(given);
    const std::optional<Invitation> invitation = Invitation::Parse(found.isEmpty() ? given : found, &why);
    if (!invitation)
        return Fail(why);
    // The window's command line needs a name; a display seat's is never sent.
    const QString name = displaySeat ? QStringLiteral("display") : parser.positionalArguments().at(1);
    if (const QString problem = GameWindows::CheckNames({name}); !problem.isEmpty())
        return Fail(problem);
    const QString program = GameProgram(parser.value(QStringLiteral("program")), list);
    if (!QFileInfo(program).isExecutable())
        return Fail(QStringLiteral("no game program at %1").arg(program));

    // The hub is reached and its certificate checked before a window opens,
    // so the commonest failures are one line here rather than a box there;
    // the window then goes straight to the address that answered.
    const QString fingerprint = QString::fromLatin1(invitation->fingerprint.toHex());
    HubDialer dialer(invitation->Endpoints(), invitation->fingerprint);
    const std::optional<Invitation::Endpoint> hub = dialer.Dial();
    if (!hub)
        return Fail(QStringLiteral("cannot join the game: %1").arg(dialer.Problem()));

    QProcessEnvironment extra;
    extra.insert(QStringLiteral("KALUMO_LINK_HOST"), hub->address);
    extra.insert(QStringLiteral("KALUMO_LINK_FINGERPRINT"), fingerprint);
    if (displaySeat)
        extra.insert(QStringLiteral("KALUMO_DISPLAY_SEAT"), QStringLiteral("1"));
    // The host of an invitation made by `invite` proves it to the hub.
    if (const QString secret
        = displaySeat ? QString() : HostSecrets::Find(HostSecrets::DefaultFolder(), invitation->key, name);
        !secret.isEmpty())
        extra.insert(QStringLiteral("KALUMO_HOST_SECRET"), secret);
    GameWindows windows(hub->port, program);
    windows.SetGame(invitation->key, invitation->hostName, extra);
    return runWindows(windows, name);
}
