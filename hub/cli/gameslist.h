// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The chat host's games list: every string value under the games key names
// one game and, in its data, the program that plays it (see
// support/registration.h). The hub creates the key as the chat host's
// installation would, so that a game can register itself there.

#include <QList>
#include <QString>

class FileRegistry;

class GamesList
{
public:
    static inline const QString BingoName = QStringLiteral("Kalumo Bingo");

    struct Game
    {
        QString name;
        QString program;
    };

    explicit GamesList(const FileRegistry &registry);

    // Creates the games key when it is missing; the reason it could not be
    // created, or nothing.
    QString CreateKey() const;
    // The registered games, by name.
    QList<Game> Games() const;
    // The registry's folder, for messages.
    QString Folder() const;

    // The program to start for the game `name`: the registered one when it
    // is a file that can be run, else `fallback`, with `note` saying why.
    QString ProgramToPlay(const QString &name, const QString &fallback, QString &note) const;

private:
    const FileRegistry &m_registry;
};
