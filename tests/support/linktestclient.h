#pragma once
// A scripted player on the game link: a raw connection to a hub that sends
// records and keeps every delivery. Waits spin the event loop.

#include "link/framecodec.h"
#include "link/linkrecord.h"
#include "support/qtprinters.h"

#include <QTcpSocket>
#include <QTest>

class LinkTestClient
{
public:
    using Delivery = QPair<QString, QString>; // sender, data

    LinkTestClient()
    {
        QObject::connect(&m_socket, &QTcpSocket::readyRead, [this] {
            m_reader.Feed(m_socket.readAll());
            while (const auto frame = m_reader.Next())
                received.append({frame->section(LinkRecord::Separator, 0, 0), frame->section(LinkRecord::Separator, 1)});
        });
    }
    bool Connect(quint16 port)
    {
        m_socket.connectToHost(QHostAddress::LocalHost, port);
        return m_socket.waitForConnected(5000);
    }
    void Join(const QString &key, const QString &name) { send(LinkRecord::Announce(key, QStringLiteral("Kalumo Bingo"), name)); }
    void Chat(const QString &key, const QString &text) { send(LinkRecord::Message(key, text)); }
    // Waits until `count` deliveries have come in all.
    bool WaitForDeliveries(qsizetype count, int timeoutMs = 5000)
    {
        return QTest::qWaitFor([&] { return received.size() >= count; }, timeoutMs);
    }

    QList<Delivery> received;

private:
    void send(const QString &record) { m_socket.write(Frame::Encode(record)); }

    QTcpSocket m_socket;
    Frame::Reader m_reader;
};
