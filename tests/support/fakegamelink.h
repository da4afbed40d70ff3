// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A game link that records what it is asked to do and delivers what a test says.

#include "link/gamelink.h"

#include <QStringList>
#include <functional>

class FakeGameLink : public GameLink
{
public:
    bool Connect(qint32 number) override
    {
        connects.append(number);
        return connectAnswer;
    }
    QString ErrorString() const override { return QString(); }
    std::optional<QString> Join(const JoinRequest &request, int) override
    {
        joins.append(request);
        return joinRefusal;
    }
    QString HostName() const override { return hostName; }
    bool SendMessage(const QString &messageText) override
    {
        if (ended) return false;
        sent.append(messageText);
        if (onSend) onSend(messageText);
        return true;
    }
    void Leave() override { ended = true; }
    void EndGame() override { endedGame = ended = true; }
    void Deliver(const QString &sender, const QString &data) { emit TextReceived(sender, data); }
    bool AskRoom(const QString &verb, const QString &name) override
    {
        if (!runsRoom || ended) return false;
        if (onSend) onSend((QStringLiteral("room ") + verb + QLatin1Char(' ') + name).trimmed());
        return true;
    }

    bool connectAnswer = true;
    std::optional<QString> joinRefusal; // why the join was not confirmed
    bool ended = false; // the link takes no more messages
    QString hostName; // the host, as a hub that says so spells it
    bool endedGame = false; // the host ended the game for everyone
    bool runsRoom = false; // the hub takes the host's requests about the room
    QList<qint32> connects;
    QList<JoinRequest> joins;
    QStringList sent; // the message texts
    std::function<void(const QString &)> onSend; // told of each as it is sent
};
