#pragma once
// The hub's connections: non-blocking sockets in one epoll set that a single
// QSocketNotifier watches. A pass over the set costs what the sockets with
// work cost, however many are open, and bytes queued for a connection during
// a pass go out in one write at its end. Qt's own sockets cost the event
// loop time for every open socket on every pass, which at thousands of
// players is most of the hub's time.
//
// Each connection has an id that is never used again. The handler hears of
// new connections, of bytes received, and of connections the peer closed;
// it is not called for connections it aborted itself.

#include <QHostAddress>
#include <QObject>

#include <memory>
#include <unordered_map>
#include <vector>

class QSocketNotifier;
class QTcpServer;

class Connections : public QObject
{
    Q_OBJECT
public:
    class Handler
    {
    public:
        virtual ~Handler() = default;
        virtual void Opened(quint64 id) = 0;
        virtual void Received(quint64 id, const char *data, qsizetype size) = 0;
        virtual void Closed(quint64 id) = 0;
    };

    explicit Connections(Handler &handler, QObject *parent = nullptr);
    ~Connections() override; // closes every connection without telling the handler

    bool Listen(const QHostAddress &address, quint16 port);
    quint16 Port() const;
    QString ErrorString() const;

    // Queues bytes; they are written at the end of the current pass, or on
    // the next turn of the event loop when no pass is running.
    void Send(quint64 id, const QByteArray &bytes);
    // Bytes queued and not yet taken by the kernel.
    qint64 Queued(quint64 id) const;
    // Closes at once with a reset: what is queued is thrown away.
    void Abort(quint64 id);

private:
    struct Connection;
    void accept(qintptr descriptor);
    void pass();
    void read(Connection &connection);
    void flush();
    void write(Connection &connection);
    void watch(Connection &connection, bool forWriting);
    void close(quint64 id, bool reset);

    Handler &m_handler;
    QTcpServer *m_server = nullptr;
    int m_epoll = -1;
    QSocketNotifier *m_notifier = nullptr;
    quint64 m_nextId = 1;
    std::unordered_map<quint64, std::unique_ptr<Connection>> m_connections;
    std::vector<quint64> m_dirty; // connections with bytes queued in this pass
    bool m_inPass = false;
    bool m_flushPosted = false;
};
