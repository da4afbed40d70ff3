// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Computer players for a game on this hub. They run in a child process
// (computercommand.cpp),
//   kalumo-hub computer PORT KEY HOSTNAME COUNT [SECONDS]
// with the environment a window gets (KALUMO_LINK_HOST, KALUMO_LINK_FINGERPRINT),
// so they reach the game exactly as a window would, and neither their timers
// nor their work ever wait in the hub's own loop.

#include <QObject>
#include <functional>
#include <optional>

class QCommandLineParser;
class QProcess;

class ComputerPlayers : public QObject
{
    Q_OBJECT
public:
    // A table of players: more would only make every round a few calls long.
    static constexpr int Most = 20;

    struct Game
    {
        QString address; // where the hub listens, as a window is told with KALUMO_LINK_HOST
        quint16 port = 0;
        QString key;
        QString hostName;
        QString fingerprint = {}; // the hub certificate's, in hex, when the link runs over TLS
    };

    // The option --computer N of play and host, and the N it was given:
    // nothing when that is not a whole number from 0 to Most.
    static void AddOption(QCommandLineParser &parser);
    static std::optional<int> Count(const QCommandLineParser &parser);
    static QString CountProblem();

    // Starts `count` computer players in `game` (none when count is 0); a
    // failure to start is said through the log function.
    ComputerPlayers(const Game &game, int count, const std::function<void(const QString &)> &log,
                    QObject *parent = nullptr);
    // Asks the players to leave and waits a moment for them.
    ~ComputerPlayers() override;

    // What the child process is told, as `kalumo-hub computer` takes it:
    // COUNT players named ComputerPlayer::NameFor(1...) join the game, and
    // one of them that hosts calls every SECONDS. Nothing when the arguments
    // are not those, or SECONDS is not an interval a host's window would
    // call at (1 to 99, as Interval reads the seconds box).
    struct Orders
    {
        quint16 port = 0;
        QString key;
        QString hostName;
        int count = 0;
        QString seconds;
    };
    static std::optional<Orders> ReadOrders(const QStringList &arguments);

private:
    QProcess *m_process = nullptr;
};
