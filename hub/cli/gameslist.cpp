// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/gameslist.h"

#include "support/fileregistry.h"
#include "support/registration.h"

#include <QFileInfo>

GamesList::GamesList(const FileRegistry &registry)
    : m_registry(registry)
{}

QString GamesList::CreateKey() const
{
    const RegistryOutcome outcome = m_registry.CreateKey(Registration::GamesRoot, Registration::GamesSubKey);
    if (outcome.Ok())
        return {};
    return QStringLiteral("cannot create the key %1 in %2: %3")
        .arg(Registration::GamesKey, m_registry.Folder(),
             outcome.detail.isEmpty() ? QStringLiteral("not a valid key") : outcome.detail);
}

QList<GamesList::Game> GamesList::Games() const
{
    QList<Game> games;
    for (const RegistryValue &value : m_registry.Values(Registration::GamesRoot, Registration::GamesSubKey))
        games.append({value.name, Registration::ProgramFromData(QString::fromLocal8Bit(value.data))});
    return games;
}

QString GamesList::Folder() const { return m_registry.Folder(); }

QString GamesList::ProgramToPlay(const QString &name, const QString &fallback, QString &note) const
{
    note.clear();
    for (const Game &game : Games()) {
        if (game.name != name)
            continue;
        const QFileInfo program(game.program);
        if (program.isFile() && program.isExecutable())
            return game.program;
        note = QStringLiteral("the program registered as %1, %2, is gone or cannot be run; starting %3 instead")
                   .arg(name, game.program, fallback);
        return fallback;
    }
    note = QStringLiteral("no program is registered as %1; starting %2 instead").arg(name, fallback);
    return fallback;
}
