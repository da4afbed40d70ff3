#pragma once
// A game link that records what is sent and delivers what a test says.

#include "link/gamelink.h"

#include <QStringList>

class FakeGameLink : public GameLink
{
public:
    bool JoinGame(quint64 handle, qint32 number) override { joinCalls.append({handle, number}); return joinAnswer; }
    QString ErrorString() const override { return QString(); }
    std::optional<QString> WaitUntilJoined(const QString &, const QString &, int) override { return joinRefusal; }
    bool SendText(const QString &record) override { sent.append(record); return true; }
    void Deliver(const QString &sender, const QString &data) { emit TextReceived(sender, data); }

    bool joinAnswer = true;
    std::optional<QString> joinRefusal;  // why the join was not confirmed
    QList<QPair<quint64, qint32>> joinCalls;
    QStringList sent;
};
