#pragma once
// A scripted player on the game link: a raw TCP connection that sends
// records and keeps every delivery it receives. Waits spin the event loop,
// so a hub in the same process keeps running.

#include "link/framecodec.h"
#include "support/qtprinters.h"

#include <QObject>
#include <QPair>
#include <QTcpSocket>

class LinkTestClient : public QObject
{
public:
    using Delivery = QPair<QString, QString>; // sender, data

    LinkTestClient();

    bool Connect(quint16 port, int timeoutMs = 5000);
    void SendRaw(const QByteArray &bytes);
    void SendRecord(const QString &record) { SendRaw(Frame::Encode(record)); }
    void Join(const QString &key, const QString &name);
    void Chat(const QString &key, const QString &messageText);

    // Waits until `count` deliveries have arrived in all.
    bool WaitForDeliveries(qsizetype count, int timeoutMs = 5000);
    // Waits until the hub has closed the connection.
    bool WaitForClose(int timeoutMs = 5000);
    // Lets the event loop run a while, for checks that nothing arrives.
    static void Settle(int ms = 100);

    QTcpSocket socket;
    QList<Delivery> received;
    bool closed = false;

private:
    Frame::Reader m_reader;
};
