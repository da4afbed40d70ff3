// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game link: what a game window or a computer player calls to join its
// game, send messages and leave, and the events through which every delivery
// and every change of the link comes back. The link builds its own records
// (LinkRecord); callers only know this interface. TcpGameLink speaks to
// kalumo-hub, tests use a fake.

#include <QObject>
#include <QString>
#include <optional>

class GameLink : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // What a player joins a game with.
    struct JoinRequest
    {
        QString key; // the game's key
        QString name; // the player's name in the game
        QString hostSecret = {}; // proves the host to a hub that holds one game; empty: none
        quint64 windowHandle = 0; // told to the hub, which reads nothing from it
        // The host the window's invitation names: a hub that says another
        // player hosts the game (by PlayerName's comparison) fails the join
        // with both names. Empty: not checked.
        QString hostName = {};
        // Joins as a display seat: no name and no cards, in nobody's player
        // list; the hub's Display frame confirms the join, and the link
        // sends no messages.
        bool display = false;
    };

    // Reaches the hub behind the link number: true once connected (over
    // TLS, once the hub's certificate is the expected one). It joins nothing.
    virtual bool Connect(qint32 linkNumber) = 0;
    // Why the last Connect or Join failed, as a sentence for the player.
    virtual QString ErrorString() const = 0;
    // After Connect: joins the game, then runs the event loop until the game
    // confirms the join by delivering ("[Enter]", name), for at most
    // timeoutMs. Nothing when joined, else why not, as a sentence for the
    // player. Deliveries that arrive meanwhile are raised as usual; LinkLost
    // and Refused are not.
    virtual std::optional<QString> Join(const JoinRequest &request, int timeoutMs) = 0;
    // After a successful Join: who hosts the game as the hub spells the
    // name, which may differ from the invitation's in case or width; empty
    // when the hub did not say (a standing hub, or an older one).
    virtual QString HostName() const { return {}; }
    // Sends a message text to every player of the game, this one included.
    // True when the link took it (it may go out once a broken link is back),
    // not whether anybody received it; false once the link has ended.
    virtual bool SendMessage(const QString &messageText) = 0;
    // The player leaves the game at once; nothing more is sent or delivered.
    virtual void Leave() = 0;
    // The host ends the game for everyone, then leaves. A link to a hub that
    // cannot end games only leaves.
    virtual void EndGame() { Leave(); }
    // The host asks the hub to act on the room (RoomRequest's word, and the
    // player it names). False when the hub cannot (it never said it runs a
    // room) or the link is not in the game now; the answer comes as
    // RoomChanged from the hub, once it has acted.
    virtual bool AskRoom(const QString &verb, const QString &name = {})
    {
        Q_UNUSED(verb);
        Q_UNUSED(name);
        return false;
    }

signals:
    // One delivery: a player's name and a message text, or "[Enter]" /
    // "[Exit]" with the name of a player who came or went.
    void TextReceived(const QString &sender, const QString &data);
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
    // The hub says a player of the game lost its link and may come back
    // (away), or is back; a player who does not come back leaves as usual.
    void PresenceChanged(const QString &name, bool away);
    // The host, hostName, ended the game on purpose; nothing more arrives.
    void Ended(const QString &hostName);
    // The room changed (RoomRequest's word, and the player it names), or,
    // with an empty verb, the hub starts telling this window all that holds
    // now: nothing locked, paused or muted but what follows. When this
    // player is the one removed, the link has ended and nothing more arrives.
    void RoomChanged(const QString &verb, const QString &name);
};
