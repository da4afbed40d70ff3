// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game windows a subcommand starts on this machine, one per named player,
// each with the command line the chat host would give it,
//   kalumo-hub PORT KEY NAME FIRSTNAME
// where, in a local game, the first name hosts and KEY is fresh and random,
// so nobody who does not know it can walk into the game. Finished once every
// window has closed.

#include <QObject>
#include <QProcessEnvironment>
#include <QStringList>

class QProcess;

class GameWindows : public QObject
{
    Q_OBJECT
public:
    // `port` is the hub's, on loopback.
    GameWindows(quint16 port, const QString &program, QObject *parent = nullptr);

    // Why these names cannot play together, or nothing when they can.
    static QString CheckNames(const QStringList &names);

    // For a game behind an invitation: its key and host, and what the
    // windows' environment gains (the hub's address, its fingerprint, ...),
    // instead of a fresh key, the first name as host and the hub on loopback.
    void SetGame(const QString &key, const QString &hostName, const QProcessEnvironment &extra);

    // A window that crashes (ends by a signal nobody here sent) is started
    // again, with the same command line, up to `times` times in all.
    void SetRestarts(int times) { m_restarts = times; }

    // Starts one window per name; false, with ErrorString, when none could start.
    bool Start(const QStringList &names);
    QString ErrorString() const { return m_error; }
    // The game's key, once Start has made it.
    QString Key() const { return m_key; }
    // Asks every window still open to close the normal way (SIGTERM).
    void CloseAll();
    // Whether every window that has ended did so with status 0 or when asked to.
    bool AllClosedCleanly() const { return m_cleanly; }

signals:
    void Finished();
    void Log(const QString &line);

private:
    // slot: the window's place among those started together (KALUMO_WINDOW_SLOT).
    bool startOne(const QString &name, int slot);

    quint16 m_port;
    QString m_program;
    QString m_error;
    QString m_key, m_hostName; // empty: a fresh key, and the first name hosts
    QProcessEnvironment m_extra;
    bool m_cleanly = true;
    QList<QProcess *> m_running;
    bool m_closing = false; // CloseAll has asked the windows to close
    int m_restarts = 0;
    QProcessEnvironment m_environment;
    QString m_hostNameToGive;
};
