// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What kalumo-hub's subcommands share: how they speak on standard error,
// which game program they start, the address and port they listen on, and
// the usage the program gives.

#include <QHostAddress>
#include <QString>
#include <optional>

class GamesList;
class QCommandLineOption;
class QCommandLineParser;

namespace CommandSupport {

constexpr quint16 DefaultPort = 47474;

// What `kalumo-hub --help` prints: every subcommand and its options.
QString Usage();

// "kalumo-hub: LINE" on standard error.
void LogLine(const QString &line);
// Says why a subcommand cannot go on; its exit status, 2.
int Fail(const QString &message);

// Whether the machine is shutting down or rebooting, as systemd says
// ("stopping"); false where nobody can say within a second.
bool SystemStopping();

// Parses a subcommand's arguments (the first is "kalumo-hub SUBCOMMAND"), as
// QCommandLineParser::process does, but --help names the subcommand in its
// usage line. Help ends the program with status 0; an argument the parser
// does not take ends it with status 2 and a line saying which.
void ProcessArguments(QCommandLineParser &parser, const QStringList &arguments);

// --program PATH, and the program it names: the one given, else the one
// registered as Kalumo Bingo, else the kalumo-bingo beside this hub.
QCommandLineOption ProgramOption();
QString GameProgram(const QString &given, const GamesList &list);

// --listen ADDRESS and --port N, and what they say once parsed; nothing, with
// the reason said by LogLine, when either is not what it must be.
void AddListenOptions(QCommandLineParser &parser, const QString &defaultAddress, const QString &addressHelp);
struct Listen
{
    QHostAddress address;
    quint16 port = 0;
};
std::optional<Listen> ListenFrom(const QCommandLineParser &parser);

} // namespace CommandSupport
