// SPDX-License-Identifier: GPL-3.0-or-later
// kalumo-hub: the chat host's side of Kalumo Bingo's game link.
//
//   kalumo-hub serve [--listen ADDRESS] [--port N] [LIMITS] [--tls [--cert FILE --key FILE]]
//                                                     run a hub for play across machines (serveoptions.h)
//   kalumo-hub play [--program PATH] [--computer N] NAME...
//                                                     a local game, one window per name, and N computer players
//   kalumo-hub games                                  the games registered with the hub
//   kalumo-hub host NAME ... / join INVITATION NAME   a game across machines (invitationcommands.cpp)
//   kalumo-hub --help | --version
//   kalumo-hub computer PORT KEY HOSTNAME N [SECONDS] computer players (started by play; SECONDS: a computer host's interval)
//
// Every subcommand but computer first creates the games key in the registry
// ($KALUMO_REGISTRY, else kalumo/registry in the user's configuration
// folder), where a game registers itself when started with no arguments.

#include "cli/commands.h"
#include "cli/commandsupport.h"
#include "cli/gameslist.h"
#include "support/fileregistry.h"

#include <QCoreApplication>
#include <QTextStream>

namespace {

struct Subcommand
{
    QLatin1StringView name;
    int (*run)(const QStringList &arguments, const GamesList &list);
};

const Subcommand Subcommands[] = {
    {QLatin1StringView("serve"), Commands::Serve}, {QLatin1StringView("play"), Commands::Play},
    {QLatin1StringView("games"), Commands::Games}, {QLatin1StringView("host"), Commands::Host},
    {QLatin1StringView("join"), Commands::Join}, {QLatin1StringView("invite"), Commands::Invite},
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kalumo-hub"));

    QStringList arguments = QCoreApplication::arguments();
    const QString command = arguments.value(1);
    if (command == u"computer")
        return Commands::Computer(arguments.mid(1));
    for (const Subcommand &subcommand : Subcommands) {
        if (command != subcommand.name)
            continue;
        arguments.removeAt(1);
        arguments[0] += QLatin1Char(' ') + command;
        const FileRegistry registry(FileRegistry::DefaultFolder());
        const GamesList list(registry);
        if (const QString problem = list.CreateKey(); !problem.isEmpty())
            CommandSupport::LogLine(problem);
        return subcommand.run(arguments, list);
    }

    if (command == u"--version") {
        QTextStream(stdout) << "kalumo-hub " KALUMO_VERSION "\n";
        return 0;
    }
    const bool asked = command == u"--help" || command == u"-h";
    QTextStream(asked ? stdout : stderr) << CommandSupport::Usage();
    return asked ? 0 : 2;
}
