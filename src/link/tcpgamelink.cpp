#include "link/tcpgamelink.h"

#include "link/linkrecord.h"

#include <QTcpSocket>

TcpGameLink::TcpGameLink(const QString &hubHost, QObject *parent)
    : GameLink(parent)
    , m_host(hubHost)
{
}

TcpGameLink::~TcpGameLink() = default;

QString TcpGameLink::HostFromEnvironment()
{
    const QString host = qEnvironmentVariable("KALUMO_LINK_HOST").trimmed();
    return host.isEmpty() ? QStringLiteral("127.0.0.1") : host;
}

bool TcpGameLink::JoinGame(quint64 windowHandle, qint32 linkNumber)
{
    Q_UNUSED(windowHandle) // the hub needs no handle: the "I" record carries it
    if (m_socket || linkNumber < 1 || linkNumber > 65535)
        return false;

    m_socket = new QTcpSocket(this);
    m_socket->connectToHost(m_host, quint16(linkNumber));
    // Start-up waits here before the window is shown; nothing else can run yet.
    if (!m_socket->waitForConnected(ConnectTimeoutMs)) {
        m_socket->abort();
        m_socket->deleteLater();
        m_socket = nullptr;
        return false;
    }
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(m_socket, &QTcpSocket::readyRead, this, &TcpGameLink::readFrames);
    connect(m_socket, &QTcpSocket::disconnected, this, [this] {
        fail(QStringLiteral("the game host closed the connection"));
    });
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this] {
        fail(m_socket->errorString());
    });
    return true;
}

bool TcpGameLink::SendText(const QString &record)
{
    if (!m_socket || m_lost || m_socket->state() != QAbstractSocket::ConnectedState)
        return false;
    const QByteArray frame = Frame::Encode(record);
    if (frame.isEmpty())
        return false;
    return m_socket->write(frame) == frame.size();
}

void TcpGameLink::readFrames()
{
    if (m_lost)
        return;
    m_reader.Feed(m_socket->readAll());
    // Each delivery may run a long handler; the socket does not signal
    // readyRead again while we are inside this one, so take what is here.
    while (!m_lost) {
        const std::optional<QString> frame = m_reader.Next();
        if (!frame) {
            if (m_reader.Failed())
                fail(QStringLiteral("protocol error: ") + m_reader.Error());
            return;
        }
        const qsizetype cut = frame->indexOf(LinkRecord::Separator);
        if (cut < 0) {
            fail(QStringLiteral("protocol error: delivery without a sender"));
            return;
        }
        emit TextReceived(frame->left(cut), frame->mid(cut + 1));
    }
}

void TcpGameLink::fail(const QString &reason)
{
    if (m_lost)
        return;
    m_lost = true;
    if (m_socket->state() != QAbstractSocket::UnconnectedState)
        m_socket->abort();
    emit LinkLost(reason);
}
