#pragma once
// The game link: what a game window calls to join its game and send records,
// and the one event through which every delivery comes back. The window only
// knows this interface; TcpGameLink speaks to kalumo-hub, tests use a fake.

#include <QObject>
#include <QString>
#include <optional>

class GameLink : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // True when the window has joined the game behind this link number.
    virtual bool JoinGame(quint64 windowHandle, qint32 linkNumber) = 0;
    // Why the last JoinGame failed, as a sentence for the player.
    virtual QString ErrorString() const = 0;
    // Once the window has announced itself as `name` in game `key`: runs the
    // event loop until the game confirms the join by delivering ("[Enter]",
    // name), for at most timeoutMs. Nothing when joined, else why not, as a
    // sentence for the player. Deliveries that arrive meanwhile are raised
    // as usual; LinkLost and Refused are not.
    virtual std::optional<QString> WaitUntilJoined(const QString &key, const QString &name, int timeoutMs) = 0;
    // Hands one record to the link. The answer says whether it was taken,
    // not whether anybody received it.
    virtual bool SendText(const QString &record) = 0;

signals:
    // One delivery: a player's name and a message text, or "[Enter]" /
    // "[Exit]" with the name of a player who came or went.
    void TextReceived(const QString &Sender, const QString &Data);
    // The link broke after a successful join and tries to get back by
    // itself; raised once per break.
    void Reconnecting(const QString &reason);
    // The game did not know this window any more: it joins afresh, and the
    // deliveries that follow start with the join's replay of who is there.
    void Rejoining();
    // Back in the game after Reconnecting: nothing sent or delivered
    // meanwhile was lost, unless Rejoining came first.
    void Reconnected();
    // The link broke after a successful join and could not be restored;
    // nothing more will arrive.
    void LinkLost(const QString &reason);
    // The game refused this window after it had joined, with the game's
    // sentence why; raised instead of LinkLost, and nothing more arrives.
    void Refused(const QString &reason);
};
