#pragma once
// A forwarding proxy between windows and a hub, on loopback, that cuts every
// connection through it on command: at once, or once a given number of bytes
// more has gone through in either direction, which can be the middle of a frame.

#include <QTcpServer>
#include <QTcpSocket>
#include <utility>
#include <vector>

class CutProxy
{
public:
    explicit CutProxy(quint16 hubPort) : m_hubPort(hubPort)
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *window = m_server.nextPendingConnection())
                open(window);
        });
    }
    quint16 Port() const { return m_server.serverPort(); }
    // Cuts once `down` more bytes went to the windows or `up` more to the hub; -1 is no limit.
    void CutAfter(qint64 down, qint64 up) { m_budget = {down, up}; }
    void Cut()
    {
        // Graceful: what was let through still arrives, then the end of the stream.
        for (auto &[window, hub] : std::exchange(m_pairs, {})) {
            for (QTcpSocket *end : {window, hub}) {
                QObject::disconnect(end, &QTcpSocket::readyRead, nullptr, nullptr);
                end->disconnectFromHost();
            }
        }
        m_budget = {-1, -1};
        ++cuts;
    }
    bool refusing = false; // new connections are closed at once
    int cuts = 0;

private:
    void open(QTcpSocket *window)
    {
        if (refusing)
            return window->abort();
        auto *hub = new QTcpSocket(window);
        hub->connectToHost(QHostAddress::LocalHost, m_hubPort);
        m_pairs.push_back({window, hub});
        // What the window sends before the hub answers waits in its socket.
        const auto up = [this, window, hub] {
            if (hub->state() == QAbstractSocket::ConnectedState)
                pass(window, hub, m_budget.second);
        };
        QObject::connect(window, &QTcpSocket::readyRead, up);
        QObject::connect(hub, &QTcpSocket::connected, up);
        QObject::connect(hub, &QTcpSocket::readyRead, [this, window, hub] { pass(hub, window, m_budget.first); });
        for (QTcpSocket *end : {window, hub})
            QObject::connect(end, &QTcpSocket::disconnected, [window, hub] { window->disconnectFromHost(); hub->disconnectFromHost(); });
    }
    void pass(QTcpSocket *from, QTcpSocket *to, qint64 &budget)
    {
        QByteArray bytes = from->readAll();
        const bool cut = budget >= 0 && bytes.size() >= budget;
        to->write(cut ? bytes.left(budget) : bytes);
        if (budget >= 0)
            budget -= bytes.size();
        if (cut)
            Cut();
    }

    quint16 m_hubPort;
    QTcpServer m_server;
    std::vector<std::pair<QTcpSocket *, QTcpSocket *>> m_pairs;
    std::pair<qint64, qint64> m_budget{-1, -1};
};
