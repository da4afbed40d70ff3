#include "cli/commandsupport.h"

#include "cli/gameslist.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

namespace CommandSupport {

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

QCommandLineOption ProgramOption()
{
    return {QStringLiteral("program"),
            QStringLiteral("The game program to start (default: the one registered as %1, else kalumo-bingo beside this hub).")
                .arg(GamesList::BingoName),
            QStringLiteral("path")};
}

QString GameProgram(const QString &given, const GamesList &list)
{
    if (!given.isEmpty())
        return given;
    QString note;
    const QString program = list.ProgramToPlay(GamesList::BingoName,
                                               QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("kalumo-bingo")), note);
    if (!note.isEmpty())
        LogLine(note);
    return program;
}

void AddListenOptions(QCommandLineParser &parser, const QString &defaultAddress, const QString &addressHelp)
{
    parser.addOption({QStringLiteral("listen"), addressHelp, QStringLiteral("address"), defaultAddress});
    parser.addOption({QStringLiteral("port"), QStringLiteral("Port to listen on (default %1; 0 for any free one).").arg(DefaultPort),
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
