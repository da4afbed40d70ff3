// SPDX-License-Identifier: GPL-3.0-or-later
// Connecting to the hub, and again after the link broke: a plain or a TLS
// socket, the answer to a refused resume, and the waits between attempts.
#include "link/tcpgamelink.h"

#include "link/invitation.h"
#include "link/linkrecord.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTimer>

#include <algorithm>

namespace {

// Why a connection to the hub could not be made, in the player's words.
QString connectProblem(const QTcpSocket &socket, int timeoutMs)
{
    switch (socket.error()) {
    case QAbstractSocket::ConnectionRefusedError:
        return QStringLiteral("the connection was refused (is the hub running?)");
    case QAbstractSocket::HostNotFoundError:
        return QStringLiteral("no such host");
    case QAbstractSocket::SocketTimeoutError:
        return QStringLiteral("no answer within %1 s").arg(QString::number(timeoutMs / 1000.0));
    default:
        return socket.errorString();
    }
}

// Runs the event loop until the handshake is done, fails or runs out of
// time. Unlike QSslSocket::waitForEncrypted it lets the rest of this thread
// run meanwhile, which a hub or proxy in the same process needs.
bool waitForEncrypted(QSslSocket &socket, const QDeadlineTimer &deadline)
{
    // A coarse timer may fire a little before the deadline, so the wake-up
    // is set again each time round rather than trusted to come last.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    QEventLoop loop;
    while (!socket.isEncrypted() && socket.state() == QAbstractSocket::ConnectedState && !deadline.hasExpired()) {
        wake.start(int(std::max<qint64>(deadline.remainingTime(), 1)));
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    }
    return socket.isEncrypted();
}

} // namespace

bool TcpGameLink::Connect(qint32 linkNumber)
{
    if (m_socket) {
        m_error = QStringLiteral("this window has joined a game already.");
        return false;
    }
    if (linkNumber < 1 || linkNumber > 65535) {
        m_error = QStringLiteral("%1 is not a port the game hub can listen on.").arg(linkNumber);
        return false;
    }
    if (!m_fingerprint.isEmpty() && !Invitation::IsHex(m_fingerprint.toLower(), 32)) {
        m_error = QStringLiteral("the hub's fingerprint must be 64 hexadecimal digits.");
        return false;
    }
    m_port = quint16(linkNumber);
    connectToHub();
    // Start-up waits here before the window is shown, and a failure is told
    // by the answer alone: the socket's signals wait.
    const QString where = QStringLiteral("the game hub at %1 port %2").arg(m_host).arg(linkNumber);
    const QDeadlineTimer deadline(m_timing.connectMs);
    m_socket->blockSignals(true);
    bool up = m_socket->waitForConnected(int(deadline.remainingTime()));
    auto *tls = qobject_cast<QSslSocket *>(m_socket);
    if (up && tls && !(waitForEncrypted(*tls, deadline) && pinned(*tls))) {
        up = false;
        if (!tls->peerCertificate().isNull())
            m_error
                = where + QStringLiteral(" is not the one in the invitation: its certificate has another fingerprint.");
        else
            m_error = where
                + QStringLiteral(" did not set up an encrypted link: %1.")
                      .arg(tls->error() == QAbstractSocket::SocketTimeoutError
                               ? connectProblem(*tls, m_timing.connectMs)
                               : tls->errorString());
    } else if (!up) {
        m_error
            = where + QStringLiteral(" could not be reached: %1.").arg(connectProblem(*m_socket, m_timing.connectMs));
    }
    m_socket->blockSignals(false);
    if (!up) {
        m_socket->abort();
        m_socket->deleteLater();
        m_socket = nullptr;
        return false;
    }
    connected();
    return true;
}

void TcpGameLink::connectToHub()
{
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
        m_socket->deleteLater();
    }
    m_reader = Frame::Reader();
    // Until this hub says how often it writes, it may be one that pings
    // seldom; until it asks for beats, it pings.
    stopBeating();
    m_silence->stop();
    m_silence->setInterval(m_timing.silenceMs);
    QSslSocket *tls = nullptr;
    if (m_fingerprint.isEmpty()) {
        m_socket = new QTcpSocket(this);
        connect(m_socket, &QTcpSocket::connected, this, &TcpGameLink::connected);
    } else {
        m_socket = tls = new QSslSocket(this);
        // The hub's certificate is its own, signed by nobody: it is trusted
        // for being exactly the one the invitation names, which is checked
        // once the handshake is done and before any record goes out.
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.setProtocol(QSsl::TlsV1_3);
        configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
        tls->setSslConfiguration(configuration);
        connect(tls, &QSslSocket::encrypted, this, [this, tls] {
            if (pinned(*tls))
                connected();
            else
                fail(QStringLiteral("the game hub's certificate has another fingerprint"));
        });
    }
    connect(m_socket, &QTcpSocket::readyRead, this, &TcpGameLink::readFrames);
    const QString closed = QStringLiteral("the game host closed the connection");
    connect(m_socket, &QTcpSocket::disconnected, this, [this, closed] { fail(closed); });
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this, closed](QAbstractSocket::SocketError error) {
        fail(error == QAbstractSocket::RemoteHostClosedError ? closed : m_socket->errorString());
    });
    if (tls)
        tls->connectToHostEncrypted(m_host, m_port);
    else
        m_socket->connectToHost(m_host, m_port);
    if (m_state == State::Away)
        m_attempt->start();
}

void TcpGameLink::connected()
{
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    HubControl::WatchForDeadPeer(m_socket->socketDescriptor());
    if (m_state != State::Away)
        return;
    m_attempt->start(); // now for the hub's answer
    if (!m_secret.isEmpty()) {
        m_state = State::Resuming;
        write(LinkRecord::Resume(m_join.key, m_join.name, m_secret, m_count));
        return;
    }
    m_state = State::Rejoining;
    emit Rejoining();
    writeJoin();
}

bool TcpGameLink::pinned(const QSslSocket &socket) const
{
    const QByteArray digest = socket.peerCertificate().digest(QCryptographicHash::Sha256);
    return !digest.isEmpty() && digest == QByteArray::fromHex(m_fingerprint.toLatin1());
}

void TcpGameLink::backInGame()
{
    m_state = State::Joined;
    m_attempt->stop();
    // Messages the hub never got, in the order they were sent.
    for (const Sent &sent : m_unechoed)
        write(sent.record);
    emit Reconnected();
}

void TcpGameLink::fail(const QString &reason, bool refused)
{
    if (m_state == State::Ended)
        return;
    m_silence->stop();
    stopBeating();
    m_attempt->stop();
    m_socket->disconnect(this); // aborting raises its signals again
    if (m_socket->state() != QAbstractSocket::UnconnectedState)
        m_socket->abort();
    if (m_state == State::Joining || refused) {
        m_state = State::Ended;
        if (m_waiting) {
            m_error = refused ? QStringLiteral("the game refused this window: ") + reason : reason + QLatin1Char('.');
            // A hub of an earlier release closes a connection whose record
            // it does not know, without a word.
            if (m_join.display && !refused)
                m_error += QStringLiteral(" A game hub of an earlier release takes no display seats: its host needs"
                                          " a newer kalumo-hub.");
            m_waiting->quit();
        } else if (refused) {
            emit Refused(reason);
        } else {
            emit LinkLost(reason);
        }
        return;
    }
    if (m_state == State::Joined) {
        m_waitedMs = 0;
        m_nextWaitMs = m_timing.retryFirstMs;
        m_error = reason;
        emit Reconnecting(reason);
    }
    m_state = State::Away;
    retry();
}

void TcpGameLink::retry()
{
    if (m_retry->isActive())
        return;
    if (m_waitedMs >= m_timing.retryForMs) {
        m_state = State::Ended;
        emit LinkLost(m_error);
        return;
    }
    m_retry->start(m_nextWaitMs);
    m_waitedMs += m_nextWaitMs;
    m_nextWaitMs = std::min(m_nextWaitMs * 2, m_timing.retryMaxMs);
}
