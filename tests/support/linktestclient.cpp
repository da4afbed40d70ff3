#include "support/linktestclient.h"

#include "link/linkrecord.h"

#include <QTest>

LinkTestClient::LinkTestClient()
{
    connect(&socket, &QTcpSocket::readyRead, this, [this] {
        m_reader.Feed(socket.readAll());
        while (auto frame = m_reader.Next()) {
            const qsizetype cut = frame->indexOf(LinkRecord::Separator);
            received.append({frame->left(cut), frame->mid(cut + 1)});
        }
    });
    connect(&socket, &QTcpSocket::disconnected, this, [this] { closed = true; });
}

bool LinkTestClient::Connect(quint16 port, int timeoutMs)
{
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    return QTest::qWaitFor([this] { return socket.state() == QAbstractSocket::ConnectedState; }, timeoutMs);
}

void LinkTestClient::SendRaw(const QByteArray &bytes)
{
    socket.write(bytes);
    socket.flush();
}

void LinkTestClient::Join(const QString &key, const QString &name)
{
    SendRecord(LinkRecord::Announce(key, QStringLiteral("Kalumo Bingo"), name));
}

void LinkTestClient::Chat(const QString &key, const QString &messageText)
{
    SendRecord(LinkRecord::Message(key, messageText));
}

bool LinkTestClient::WaitForDeliveries(qsizetype count, int timeoutMs)
{
    return QTest::qWaitFor([&] { return received.size() >= count; }, timeoutMs);
}

bool LinkTestClient::WaitForClose(int timeoutMs)
{
    return QTest::qWaitFor([this] { return closed || socket.state() == QAbstractSocket::UnconnectedState; }, timeoutMs);
}

void LinkTestClient::Settle(int ms)
{
    QTest::qWait(ms);
}
