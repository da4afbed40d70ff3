// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game a launcher has running, noted in a file so that a launcher opened
// later on shows it again: which kalumo-hub process runs it (its id and the
// program it was started as), what the player chose, under which name, and
// the invitation once a hosted game has one.
//
// The file lives in the user's runtime folder ($XDG_RUNTIME_DIR/kalumo),
// which only its owner can enter and which is emptied at logout; it is
// written whole or not at all, readable by its owner alone, and removed by
// the launcher when the game ends. A file whose process is gone (the
// launcher itself was killed) or that cannot be read is stale: reading
// removes it.

#include <QString>
#include <functional>
#include <optional>

struct RunningGame
{
    enum Kind { Play, Host, Join };

    qint64 processId = 0;
    QString program; // kalumo-hub, as it was started
    Kind kind = Play;
    QString name; // the player's
    QString invitation; // a hosted game's, once it has one; a joined game's
};

class RunningGameFile
{
public:
    // Whether `processId` is running and was started as `program`.
    using Alive = std::function<bool(qint64 processId, const QString &program)>;

    explicit RunningGameFile(const QString &path, Alive alive = Running);

    // kalumo/launcher-game.json in the user's runtime folder.
    static QString DefaultPath();
    // Whether the process runs and its command line starts with `program`:
    // a process id is reused once its process has ended.
    static bool Running(qint64 processId, const QString &program);

    // The game noted, if its process still runs; a stale file is removed.
    std::optional<RunningGame> Read() const;
    // Notes `game` in place of what the file held; false, with *error, when
    // it cannot be written.
    bool Write(const RunningGame &game, QString *error) const;
    // Removes the note of the game run by `processId`, and only that one.
    void Remove(qint64 processId) const;

    QString Path() const { return m_path; }

private:
    QString m_path;
    Alive m_alive;
};
