#pragma once
// A local game: a hub on a free loopback port and one game window per named
// player, started with the command line the chat host would give them,
//   kalumo-hub PORT KEY NAME FIRSTNAME
// where the first name hosts and KEY is fresh and random, so nobody who does
// not know it can walk into the game. Finished once every window has closed.

#include <QObject>
#include <QStringList>

class QProcess;

class LocalGame : public QObject
{
    Q_OBJECT
public:
    // `port` is the hub's, on loopback.
    LocalGame(quint16 port, const QString &program, QObject *parent = nullptr);

    // Why these names cannot play together, or nothing when they can.
    static QString CheckNames(const QStringList &names);

    // Starts one window per name; false, with ErrorString, when none could start.
    bool Start(const QStringList &names);
    QString ErrorString() const { return m_error; }
    // The game's key, once Start has made it.
    QString Key() const { return m_key; }
    // Asks every window still open to close the normal way (SIGTERM).
    void CloseAll();

signals:
    void Finished();
    void Log(const QString &line);

private:
    quint16 m_port;
    QString m_program;
    QString m_error;
    QString m_key;
    QList<QProcess *> m_running;
    bool m_closing = false; // CloseAll has asked the windows to close
};
