#include "link/tcpgamelink.h"

#include "link/invitation.h"
#include "link/linkrecord.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTimer>

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

// The window acknowledges its deliveries at least this often, so the hub
// can let go of what it keeps for a resume.
constexpr quint64 AcknowledgeEvery = 32;
// Messages whose delivery has not come back that are kept for sending again.
constexpr size_t MaxUnechoed = 10000;

} // namespace

TcpGameLink::TcpGameLink(const QString &hubHost, QObject *parent)
    : TcpGameLink(hubHost, Timing{}, parent)
{
}

TcpGameLink::TcpGameLink(const QString &hubHost, const Timing &timing, QObject *parent)
    : GameLink(parent)
    , m_host(hubHost)
    , m_timing(timing)
    , m_silence(new QTimer(this))
    , m_retry(new QTimer(this))
    , m_attempt(new QTimer(this))
{
    m_silence->setSingleShot(true);
    m_silence->setInterval(m_timing.silenceMs);
    connect(m_silence, &QTimer::timeout, this, [this] { fail(QStringLiteral("the game stopped answering")); });
    m_retry->setObjectName(QStringLiteral("retry"));
    m_retry->setSingleShot(true);
    connect(m_retry, &QTimer::timeout, this, &TcpGameLink::connectToHub);
    m_attempt->setObjectName(QStringLiteral("attempt"));
    m_attempt->setSingleShot(true);
    m_attempt->setInterval(m_timing.connectMs);
    connect(m_attempt, &QTimer::timeout, this, [this] { fail(QStringLiteral("the game did not answer")); });
}

TcpGameLink::~TcpGameLink()
{
    // Closing the window is leaving: the hub is told, so the others need
    // not wait for the seat's grace period to run out.
    if (m_state == State::Joined && !m_secret.isEmpty()) {
        write(LinkRecord::Leave(m_key));
        m_socket->flush();
    }
}

QString TcpGameLink::HostFromEnvironment()
{
    const QString host = qEnvironmentVariable("KALUMO_LINK_HOST").trimmed();
    return host.isEmpty() ? QStringLiteral("127.0.0.1") : host;
}

TcpGameLink::Security TcpGameLink::SecurityFromEnvironment()
{
    return {qEnvironmentVariable("KALUMO_LINK_FINGERPRINT").trimmed(), qEnvironmentVariable("KALUMO_HOST_SECRET")};
}

bool TcpGameLink::JoinGame(quint64 windowHandle, qint32 linkNumber)
{
    if (m_socket) {
        m_error = QStringLiteral("this window has joined a game already.");
        return false;
    }
    if (linkNumber < 1 || linkNumber > 65535) {
        m_error = QStringLiteral("%1 is not a port the game hub can listen on.").arg(linkNumber);
        return false;
    }
    if (!m_security.fingerprint.isEmpty() && !Invitation::IsHex(m_security.fingerprint.toLower(), 32)) {
        m_error = QStringLiteral("the hub's fingerprint must be 64 hexadecimal digits.");
        return false;
    }
    m_handle = windowHandle;
    m_port = quint16(linkNumber);
    connectToHub();
    // Start-up waits here before the window is shown; nothing else can run
    // yet, and a failure is told by the answer alone.
    const QString where = QStringLiteral("the game hub at %1 port %2").arg(m_host).arg(linkNumber);
    const QDeadlineTimer deadline(m_timing.connectMs);
    m_socket->blockSignals(true);
    bool up = m_socket->waitForConnected(int(deadline.remainingTime()));
    auto *tls = qobject_cast<QSslSocket *>(m_socket);
    if (up && tls && !(tls->waitForEncrypted(int(deadline.remainingTime())) && pinned(*tls))) {
        up = false;
        if (!tls->peerCertificate().isNull())
            m_error = where + QStringLiteral(" is not the one in the invitation: its certificate has another fingerprint.");
        else
            m_error = where + QStringLiteral(" did not set up an encrypted link: %1.")
                                  .arg(tls->error() == QAbstractSocket::SocketTimeoutError ? connectProblem(*tls, m_timing.connectMs)
                                                                                           : tls->errorString());
    } else if (!up) {
        m_error = where + QStringLiteral(" could not be reached: %1.").arg(connectProblem(*m_socket, m_timing.connectMs));
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
    QSslSocket *tls = nullptr;
    if (m_security.fingerprint.isEmpty()) {
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
        write(LinkRecord::Resume(m_key, m_name, m_secret, m_count));
        return;
    }
    m_state = State::Rejoining;
    emit Rejoining();
    write(LinkRecord::Identify(m_key, m_handle));
    if (!m_security.hostSecret.isEmpty())
        write(LinkRecord::HostSecret(m_key, m_security.hostSecret));
    write(LinkRecord::Announce(m_key, QStringLiteral("Kalumo Bingo"), m_name));
}

bool TcpGameLink::pinned(const QSslSocket &socket) const
{
    const QByteArray digest = socket.peerCertificate().digest(QCryptographicHash::Sha256);
    return !digest.isEmpty() && digest == QByteArray::fromHex(m_security.fingerprint.toLatin1());
}

std::optional<QString> TcpGameLink::WaitUntilJoined(const QString &key, const QString &name, int timeoutMs)
{
    m_key = key;
    m_name = name;
    if (!m_socket)
        return QStringLiteral("this window is not connected to the game hub.");
    if (m_state == State::Joining) {
        QEventLoop loop;
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        m_waiting = &loop;
        loop.exec();
        m_waiting = nullptr;
    }
    if (m_joined)
        return std::nullopt;
    if (m_state != State::Ended) {
        // A hub that took the connection and never answered: give up on it.
        m_error = QStringLiteral("the game did not answer within %1 s.").arg(QString::number(timeoutMs / 1000.0));
        m_state = State::Ended;
        m_socket->abort();
    }
    return m_error;
}

bool TcpGameLink::SendText(const QString &record)
{
    if (!m_socket || m_state == State::Ended)
        return false;
    // After the join a message is kept until its delivery comes back, to be
    // sent again when the hub never got it. One whose delivery would not
    // fit in a frame never comes back, and is sent once.
    const std::optional<LinkRecord::Parsed> parsed = LinkRecord::Parse(record);
    const bool kept = m_state != State::Joining && parsed && parsed->kind == u'C'
        && !Frame::Encode(m_name + LinkRecord::Separator + parsed->messageText).isEmpty();
    if (kept) {
        if (m_unechoed.size() >= MaxUnechoed)
            m_unechoed.pop_front();
        m_unechoed.push_back({record, parsed->messageText});
    }
    if (m_state != State::Joining && m_state != State::Joined)
        return kept; // sent when the link is back
    const QByteArray frame = Frame::Encode(record);
    if (frame.isEmpty() || m_socket->state() != QAbstractSocket::ConnectedState)
        return false;
    // The host's secret goes with the join under the same key, so the hub
    // can tell the host from anybody else who takes the host's name.
    if (m_state == State::Joining && parsed && parsed->kind == u'A' && !m_security.hostSecret.isEmpty())
        write(LinkRecord::HostSecret(parsed->key, m_security.hostSecret));
    return m_socket->write(frame) == frame.size();
}

void TcpGameLink::write(const QString &record)
{
    m_socket->write(Frame::Encode(record));
}

void TcpGameLink::readFrames()
{
    if (m_state == State::Ended || m_state == State::Away)
        return;
    if (m_silence->isActive())
        m_silence->start(); // the hub is still there
    if (m_attempt->isActive())
        m_attempt->start();
    m_reader.Feed(m_socket->readAll());
    // Each delivery may run a long handler; the socket does not signal
    // readyRead again while we are inside this one, so take what is here.
    QTcpSocket *const socket = m_socket;
    while (m_socket == socket && m_state != State::Ended && m_state != State::Away) {
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
        const QString sender = frame->left(cut);
        const QString data = frame->mid(cut + 1);
        if (sender == HubControl::Sender) {
            control(data);
            continue;
        }
        if (!m_secret.isEmpty() && ++m_count - m_ackedAt >= AcknowledgeEvery) {
            m_ackedAt = m_count;
            write(LinkRecord::Acknowledge(m_key, m_count));
        }
        // Deliveries come in the order the hub received the records, so our
        // own messages come back in the order they were sent.
        if (sender == m_name) {
            const auto echoed = std::find_if(m_unechoed.begin(), m_unechoed.end(), [&](const Sent &s) { return s.text == data; });
            if (echoed != m_unechoed.end())
                m_unechoed.erase(m_unechoed.begin(), echoed + 1);
        }
        emit TextReceived(sender, data);
        // The join replay ends with the window's own arrival.
        if (sender == u"[Enter]" && data == m_name) {
            if (m_state == State::Joining && m_waiting) {
                m_state = State::Joined;
                m_joined = true;
                m_waiting->quit();
                m_waiting = nullptr; // what follows in this batch comes after the join
            } else if (m_state == State::Rejoining) {
                backInGame();
            }
        }
    }
}

void TcpGameLink::control(const QString &data)
{
    const HubControl::Control control = HubControl::Read(data);
    if (control.verb == HubControl::Ping) {
        write(LinkRecord::PingAnswer(m_key));
        if (!m_secret.isEmpty() && m_ackedAt != m_count)
            write(LinkRecord::Acknowledge(m_key, m_ackedAt = m_count));
        m_silence->start();
    } else if (control.verb == HubControl::Refused) {
        fail(control.text.isEmpty() ? QStringLiteral("no reason was given.") : control.text, true);
    } else if (control.verb == HubControl::Seat && !control.text.isEmpty()) {
        // A hub that resumes seats: from here on, deliveries are counted.
        m_secret = control.text;
        m_count = m_ackedAt = 0;
        write(LinkRecord::Acknowledge(m_key, 0));
    } else if (control.verb == HubControl::Resumed && m_state == State::Resuming) {
        backInGame();
    } else if (control.verb == HubControl::NoSeat && m_state == State::Resuming) {
        // The hub has forgotten the seat (it restarted, or the grace period
        // ran out): join afresh at once.
        m_secret.clear();
        m_state = State::Away;
        connectToHub();
    }
    // Verbs of a later hub are not this window's business.
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
    m_attempt->stop();
    m_socket->disconnect(this); // aborting raises its signals again
    if (m_socket->state() != QAbstractSocket::UnconnectedState)
        m_socket->abort();
    if (m_state == State::Joining || refused) {
        m_state = State::Ended;
        if (m_waiting) {
            m_error = refused ? QStringLiteral("the game refused this window: ") + reason : reason + QLatin1Char('.');
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
