// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A forwarding proxy between a player and a hub, on loopback, that keeps every
// byte it passes in `recorded` and cuts every connection through it on
// command: now, or once a given number of bytes more has gone through in
// either direction, which can be the middle of a frame. A cut is graceful:
// what was let through still arrives, then the end.

#include <QTcpServer>
#include <QTcpSocket>
#include <array>
#include <utility>
#include <vector>

class CutProxy
{
public:
    explicit CutProxy(quint16 hubPort)
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        // clang-format off
        QObject::connect(&m_server, &QTcpServer::newConnection, [this, hubPort] {
            while (QTcpSocket *player = m_server.nextPendingConnection()) {
                auto *hub = new QTcpSocket(player);
                hub->connectToHost(QHostAddress::LocalHost, hubPort);
                if (!hub->waitForConnected(1000)) { // at once on loopback, unless the hub is down
                    player->disconnectFromHost();
                    continue;
                }
                m_pairs.push_back({player, hub});
                QObject::connect(player, &QTcpSocket::readyRead, [=, this] { pass(player, hub, m_budget[1]); });
                QObject::connect(hub, &QTcpSocket::readyRead, [=, this] { pass(hub, player, m_budget[0]); });
                // Each end's close closes the other; the other as context, so
                // nothing is called on a socket already being destroyed.
                QObject::connect(player, &QTcpSocket::disconnected, hub, &QTcpSocket::disconnectFromHost);
                QObject::connect(hub, &QTcpSocket::disconnected, player, &QTcpSocket::disconnectFromHost);
            }
        });
        // clang-format on
    }
    quint16 Port() const { return m_server.serverPort(); }
    // Cuts once `down` more bytes went to the player or `up` more to the hub; -1 is no limit.
    void CutAfter(qint64 down, qint64 up) { m_budget = {down, up}; }
    void Cut()
    {
        for (auto [player, hub] : std::exchange(m_pairs, {})) {
            for (QTcpSocket *end : {player, hub}) {
                QObject::disconnect(end, &QTcpSocket::readyRead, nullptr, nullptr);
                end->disconnectFromHost();
            }
        }
        m_budget = {-1, -1};
        ++cuts;
    }
    int cuts = 0;
    QByteArray recorded;

private:
    void pass(QTcpSocket *from, QTcpSocket *to, qint64 &budget)
    {
        const QByteArray bytes = from->readAll(), passed = budget < 0 ? bytes : bytes.left(budget);
        recorded += passed;
        to->write(passed);
        if (budget >= 0 && (budget -= bytes.size()) <= 0) Cut();
    }

    QTcpServer m_server;
    std::vector<std::pair<QTcpSocket *, QTcpSocket *>> m_pairs;
    std::array<qint64, 2> m_budget{-1, -1};
};
