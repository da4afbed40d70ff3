// SPDX-License-Identifier: GPL-3.0-or-later
// kalumo-hub games: the registered games, one a line, with the program each names.
#include "cli/commands.h"
#include "cli/commandsupport.h"
#include "cli/gameslist.h"

#include <QCommandLineParser>
#include <QTextStream>

int Commands::Games(const QStringList &arguments, const GamesList &list)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Lists the registered games with the program each names."));
    parser.addHelpOption();
    CommandSupport::ProcessArguments(parser, arguments);

    const QList<GamesList::Game> registered = list.Games();
    if (registered.isEmpty())
        CommandSupport::LogLine(QStringLiteral("no games are registered in %1").arg(list.Folder()));
    QTextStream out(stdout);
    for (const GamesList::Game &game : registered)
        out << game.name << ": " << game.program << Qt::endl;
    return 0;
}
