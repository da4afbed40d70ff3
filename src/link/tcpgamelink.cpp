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
{
    m_silence->setSingleShot(true);
    m_silence->setInterval(m_timing.silenceMs);
    connect(m_silence, &QTimer::timeout, this, [this] { fail(QStringLiteral("the game stopped answering")); });
}

TcpGameLink::~TcpGameLink() = default;

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
    Q_UNUSED(windowHandle) // the hub needs no handle: the "I" record carries it
    if (m_socket) {
        m_error = QStringLiteral("this window has joined a game already.");
        return false;
    }
    if (linkNumber < 1 || linkNumber > 65535) {
        m_error = QStringLiteral("%1 is not a port the game hub can listen on.").arg(linkNumber);
        return false;
    }
    return connectToHub(quint16(linkNumber));
}

bool TcpGameLink::connectToHub(quint16 port)
{
    const QString where = QStringLiteral("the game hub at %1 port %2").arg(m_host).arg(port);
    const QByteArray fingerprint = QByteArray::fromHex(m_security.fingerprint.toLatin1());
    if (!m_security.fingerprint.isEmpty() && !Invitation::IsHex(m_security.fingerprint.toLower(), 32)) {
        m_error = QStringLiteral("the hub's fingerprint must be 64 hexadecimal digits.");
        return false;
    }
    if (fingerprint.isEmpty()) {
        m_socket = new QTcpSocket(this);
        m_socket->connectToHost(m_host, port);
    } else {
        auto *tls = new QSslSocket(this);
        m_socket = tls;
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.setProtocol(QSsl::TlsV1_3);
        configuration.setCaCertificates({});
        configuration.setPeerVerifyMode(QSslSocket::VerifyPeer);
        tls->setSslConfiguration(configuration);
        // The hub's certificate is its own, signed by nobody: it is trusted
        // for being exactly the one the invitation names, and for nothing else.
        connect(tls, &QSslSocket::sslErrors, this, [this, tls](const QList<QSslError> &errors) {
            if (pinned(*tls))
                tls->ignoreSslErrors(errors);
        });
        tls->connectToHostEncrypted(m_host, port);
    }
    // Start-up waits here before the window is shown; nothing else can run yet.
    const QDeadlineTimer deadline(m_timing.connectMs);
    bool connected = m_socket->waitForConnected(int(deadline.remainingTime()));
    auto *tls = qobject_cast<QSslSocket *>(m_socket);
    if (connected && tls && !(tls->waitForEncrypted(int(deadline.remainingTime())) && pinned(*tls))) {
        connected = false;
        if (!tls->peerCertificate().isNull() && !pinned(*tls))
            m_error = where + QStringLiteral(" is not the one in the invitation: its certificate has another fingerprint.");
        else
            m_error = where + QStringLiteral(" did not set up an encrypted link: %1.")
                                  .arg(tls->error() == QAbstractSocket::SocketTimeoutError ? connectProblem(*tls, m_timing.connectMs)
                                                                                           : tls->errorString());
    } else if (!connected) {
        m_error = where + QStringLiteral(" could not be reached: %1.").arg(connectProblem(*m_socket, m_timing.connectMs));
    }
    if (!connected) {
        m_socket->abort();
        m_socket->deleteLater();
        m_socket = nullptr;
        return false;
    }
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    HubControl::WatchForDeadPeer(m_socket->socketDescriptor());
    connect(m_socket, &QTcpSocket::readyRead, this, &TcpGameLink::readFrames);
    const QString closed = QStringLiteral("the game host closed the connection");
    connect(m_socket, &QTcpSocket::disconnected, this, [this, closed] { fail(closed); });
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this, closed](QAbstractSocket::SocketError error) {
        fail(error == QAbstractSocket::RemoteHostClosedError ? closed : m_socket->errorString());
    });
    return true;
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
    if (!m_lost && !m_joined) {
        QEventLoop loop;
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        m_waiting = &loop;
        loop.exec();
        m_waiting = nullptr;
    }
    if (m_joined)
        return std::nullopt;
    if (!m_lost) {
        // A hub that took the connection and never answered: give up on it.
        m_error = QStringLiteral("the game did not answer within %1 s.").arg(QString::number(timeoutMs / 1000.0));
        m_lost = true;
        m_socket->abort();
    }
    return m_error;
}

bool TcpGameLink::SendText(const QString &record)
{
    if (!m_socket || m_lost || m_socket->state() != QAbstractSocket::ConnectedState)
        return false;
    const QByteArray frame = Frame::Encode(record);
    if (frame.isEmpty())
        return false;
    // The host's secret goes with the join under the same key, so the hub
    // can tell the host from anybody else who takes the host's name.
    if (!m_security.hostSecret.isEmpty() && !m_joined) {
        const auto parsed = LinkRecord::Parse(record);
        if (parsed && parsed->kind == u'A') {
            const QByteArray secret = Frame::Encode(LinkRecord::HostSecret(parsed->key, m_security.hostSecret));
            if (m_socket->write(secret) != secret.size())
                return false;
        }
    }
    return m_socket->write(frame) == frame.size();
}

void TcpGameLink::readFrames()
{
    if (m_lost)
        return;
    if (m_silence->isActive())
        m_silence->start(); // the hub is still there
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
        const QString sender = frame->left(cut);
        const QString data = frame->mid(cut + 1);
        if (sender == HubControl::Sender) {
            control(data);
            continue;
        }
        emit TextReceived(sender, data);
        // The join replay ends with the window's own arrival.
        if (!m_joined && sender == u"[Enter]" && data == m_name && m_waiting) {
            m_joined = true;
            m_waiting->quit();
            m_waiting = nullptr; // what follows in this batch comes after the join
        }
    }
}

void TcpGameLink::control(const QString &data)
{
    const HubControl::Control control = HubControl::Read(data);
    if (control.verb == HubControl::Ping) {
        SendText(LinkRecord::PingAnswer(m_key));
        m_silence->start();
    } else if (control.verb == HubControl::Refused) {
        fail(control.text.isEmpty() ? QStringLiteral("no reason was given.") : control.text, true);
    }
    // Verbs of a later hub are not this window's business.
}

void TcpGameLink::fail(const QString &reason, bool refused)
{
    if (m_lost)
        return;
    m_lost = true;
    m_silence->stop();
    if (m_socket->state() != QAbstractSocket::UnconnectedState)
        m_socket->abort();
    if (m_waiting) {
        m_error = refused ? QStringLiteral("the game refused this window: ") + reason : reason + QLatin1Char('.');
        m_waiting->quit();
    } else if (refused) {
        emit Refused(reason);
    } else {
        emit LinkLost(reason);
    }
}
