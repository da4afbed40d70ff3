// SPDX-License-Identifier: GPL-3.0-or-later
#include "runninggame.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// Far more than a note takes; a larger file is nobody's note.
constexpr qint64 MaxFileBytes = 64 * 1024;
const char *const Kinds[] = {"play", "host", "join"};

std::optional<RunningGame> fromJson(const QByteArray &bytes)
{
    const QJsonObject object = QJsonDocument::fromJson(bytes).object();
    RunningGame game;
    game.processId = object.value(QLatin1String("pid")).toInteger();
    game.program = object.value(QLatin1String("program")).toString();
    const QString kind = object.value(QLatin1String("kind")).toString();
    int index = 0;
    while (index < 3 && kind != QLatin1String(Kinds[index]))
        ++index;
    if (game.processId <= 0 || game.program.isEmpty() || index == 3)
        return std::nullopt;
    game.kind = RunningGame::Kind(index);
    game.name = object.value(QLatin1String("name")).toString();
    game.invitation = object.value(QLatin1String("invitation")).toString();
    return game;
}

} // namespace

RunningGameFile::RunningGameFile(const QString &path, Alive alive)
    : m_path(path)
    , m_alive(std::move(alive))
{}

QString RunningGameFile::DefaultPath()
{
    // Qt falls back to a folder of the user's own in /tmp when
    // $XDG_RUNTIME_DIR is unset.
    return QDir(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation))
        .filePath(QStringLiteral("kalumo/launcher-game.json"));
}

bool RunningGameFile::Running(qint64 processId, const QString &program)
{
    QFile commandLine(QStringLiteral("/proc/%1/cmdline").arg(processId));
    if (processId <= 0 || !commandLine.open(QIODevice::ReadOnly))
        return false;
    return QString::fromLocal8Bit(commandLine.read(4096).split('\0').value(0)) == program;
}

std::optional<RunningGame> RunningGameFile::Read() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const std::optional<RunningGame> game
        = QFileInfo(file).isFile() && file.size() <= MaxFileBytes ? fromJson(file.read(MaxFileBytes)) : std::nullopt;
    if (game && m_alive(game->processId, game->program))
        return game;
    file.remove();
    return std::nullopt;
}

bool RunningGameFile::Write(const RunningGame &game, QString *error) const
{
    const QJsonObject object{{QStringLiteral("pid"), game.processId},
                             {QStringLiteral("program"), game.program},
                             {QStringLiteral("kind"), QLatin1String(Kinds[game.kind])},
                             {QStringLiteral("name"), game.name},
                             {QStringLiteral("invitation"), game.invitation}};
    QSaveFile file(m_path);
    const bool written = QDir().mkpath(QFileInfo(m_path).path()) && file.open(QIODevice::WriteOnly)
        && file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)
        && file.write(QJsonDocument(object).toJson(QJsonDocument::Compact)) >= 0 && file.commit();
    if (!written && error)
        *error = file.errorString();
    return written;
}

void RunningGameFile::Remove(qint64 processId) const
{
    // Read through the raw file: a note whose process has just ended is
    // still this launcher's to remove.
    QFile file(m_path);
    if (file.open(QIODevice::ReadOnly) && file.size() <= MaxFileBytes) {
        const std::optional<RunningGame> game = fromJson(file.read(MaxFileBytes));
        if (game && game->processId == processId)
            file.remove();
    }
}
