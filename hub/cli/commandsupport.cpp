// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/commandsupport.h"

#include "cli/gameslist.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTextStream>

#include <cstdlib>

namespace CommandSupport {

QString Usage()
{
    return QStringLiteral(
        "Usage: kalumo-hub serve [--listen ADDRESS] [--port N] [--max-queued BYTES] [--max-queued-total BYTES]\n"
        "                        [--max-per-address N] [--records-per-second N] [--bytes-per-second N]\n"
        "                        [--tls [--cert FILE --key FILE]]\n"
        "                        [--grace SECONDS] [--resume-records N] [--resume-bytes BYTES]\n"
        "                        [--resume-bytes-total BYTES] [--resume-bytes-per-address BYTES]\n"
        "       kalumo-hub play [--program PATH] [--computer N] NAME...\n"
        "       kalumo-hub games\n"
        "       kalumo-hub host [--new] [--listen ADDRESS] [--port N] [--address PUBLIC-NAME]... [--no-port-mapping]\n"
        "                       [--computer N] NAME\n"
        "       kalumo-hub join INVITATION NAME\n"
        "       kalumo-hub invite [--fingerprint HEX] ADDRESS:PORT HOSTNAME\n"
        "\n"
        "serve  runs a hub for play across machines; it listens on loopback unless\n"
        "       an address is given, and logs joins and leaves.\n"
        "play   runs a hub on a free loopback port and starts one game window per\n"
        "       name (the first name hosts), then waits until every window has closed.\n"
        "       It starts the program registered as Kalumo Bingo, else the one beside it,\n"
        "       and --computer N adds N computer players.\n"
        "games  lists the registered games with the program each names.\n"
        "host   hosts a game for players on other machines: prints an invitation to\n"
        "       share, starts the host's window and runs until it closes. Run again,\n"
        "       it hosts the same game until the game is ended or --new is given.\n"
        "join   starts your window in the game of an invitation.\n"
        "invite makes an invitation to a new game on a standing hub (serve --tls) and\n"
        "       keeps its host's secret, which join under the host's name uses.\n"
        "\n"
        "Each subcommand takes --help.\n");
}

void LogLine(const QString &line)
{
    static QTextStream err(stderr);
    err << "kalumo-hub: " << line << Qt::endl;
}

int Fail(const QString &message)
{
    LogLine(message);
    return 2;
}

void ProcessArguments(QCommandLineParser &parser, const QStringList &arguments)
{
    if (!parser.parse(arguments))
        std::exit(Fail(parser.errorText()));
    if (parser.isSet(QStringLiteral("help")) || parser.optionNames().contains(QStringLiteral("help-all"))) {
        // The parser's usage line names the program alone, as it was started.
        QString help = parser.helpText();
        const QString program = QCoreApplication::arguments().value(0);
        if (help.indexOf(program) >= 0)
            help.replace(help.indexOf(program), program.size(), arguments.value(0));
        QTextStream(stdout) << help;
        std::exit(0);
    }
}

QCommandLineOption ProgramOption()
{
    return {QStringLiteral("program"),
            QStringLiteral(
                "The game program to start (default: the one registered as %1, else kalumo-bingo beside this hub).")
                .arg(GamesList::BingoName),
            QStringLiteral("path")};
}

QString GameProgram(const QString &given, const GamesList &list)
{
    if (!given.isEmpty())
        return given;
    QString note;
    const QString program = list.ProgramToPlay(
        GamesList::BingoName, QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("kalumo-bingo")),
        note);
    if (!note.isEmpty())
        LogLine(note);
    return program;
}

void AddListenOptions(QCommandLineParser &parser, const QString &defaultAddress, const QString &addressHelp)
{
    parser.addOption({QStringLiteral("listen"), addressHelp, QStringLiteral("address"), defaultAddress});
    parser.addOption({QStringLiteral("port"),
                      QStringLiteral("Port to listen on (default %1; 0 for any free one).").arg(DefaultPort),
                      QStringLiteral("n"), QString::number(DefaultPort)});
}

std::optional<Listen> ListenFrom(const QCommandLineParser &parser)
{
    Listen listen;
    if (!listen.address.setAddress(parser.value(QStringLiteral("listen")))) {
        LogLine(QStringLiteral("not an address: %1").arg(parser.value(QStringLiteral("listen"))));
        return std::nullopt;
    }
    bool ok = false;
    const uint port = parser.value(QStringLiteral("port")).toUInt(&ok);
    if (!ok || port > 65535) {
        LogLine(QStringLiteral("not a port: %1").arg(parser.value(QStringLiteral("port"))));
        return std::nullopt;
    }
    listen.port = quint16(port);
    return listen;
}

} // namespace CommandSupport

bool CommandSupport::SystemStopping()
{
    QProcess systemctl;
    systemctl.start(QStringLiteral("systemctl"), {QStringLiteral("is-system-running")});
    if (!systemctl.waitForFinished(1000)) {
        systemctl.kill();
        systemctl.waitForFinished();
        return false;
    }
    return systemctl.readAllStandardOutput().trimmed() == "stopping";
}
