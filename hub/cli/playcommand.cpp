// SPDX-License-Identifier: GPL-3.0-or-later
// kalumo-hub play: a local game, a hub on a free loopback port with one
// window per name and the computer players asked for, until every window
// has closed.
#include "cli/commands.h"
#include "cli/commandsupport.h"
#include "cli/computerplayers.h"
#include "cli/gamewindows.h"
#include "server/hub.h"
#include "server/tcptransport.h"
#include "support/shutdownsignals.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

using namespace CommandSupport;

int Commands::Play(const QStringList &arguments, const GamesList &list)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Starts a local game: a hub on a free loopback port and one window per player. "
                       "The first name hosts. Ends when every window has closed."));
    parser.addHelpOption();
    parser.addOption(ProgramOption());
    ComputerPlayers::AddOption(parser);
    parser.addPositionalArgument(QStringLiteral("names"), QStringLiteral("The players' names, without blanks."),
                                 QStringLiteral("NAME..."));
    ProcessArguments(parser, arguments);
    const std::optional<int> computers = ComputerPlayers::Count(parser);
    if (!computers)
        return Fail(ComputerPlayers::CountProblem());

    const QStringList names = parser.positionalArguments();
    if (const QString problem = GameWindows::CheckNames(names); !problem.isEmpty())
        return Fail(problem);

    const QString program = GameProgram(parser.value(QStringLiteral("program")), list);
    if (!QFileInfo(program).isExecutable())
        return Fail(QStringLiteral("no game program at %1").arg(program));

    TcpTransport transport;
    Hub hub(transport);
    QObject::connect(&hub, &Hub::Log, &LogLine);
    QObject::connect(&transport, &TcpTransport::Log, &LogLine);
    if (!transport.Listen(QHostAddress::LocalHost, 0))
        return Fail(QStringLiteral("cannot listen on loopback: %1").arg(transport.ErrorString()));

    GameWindows windows(transport.Port(), program);
    QObject::connect(&windows, &GameWindows::Log, &LogLine);
    QObject::connect(&windows, &GameWindows::Finished, qApp, [] { QCoreApplication::exit(0); });
    ShutdownSignals shutdownSignals;
    QObject::connect(&shutdownSignals, &ShutdownSignals::Requested, &windows, &GameWindows::CloseAll);
    if (!windows.Start(names))
        return Fail(windows.ErrorString());
    const ComputerPlayers players({QStringLiteral("127.0.0.1"), transport.Port(), windows.Key(), names.first()},
                                  *computers, &LogLine);
    return QCoreApplication::exec();
}
