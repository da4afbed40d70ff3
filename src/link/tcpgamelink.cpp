// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/tcpgamelink.h"

#include "link/linkrecord.h"
#include "support/playername.h"

#include <QEventLoop>
#include <QTcpSocket>
#include <QTimer>

namespace {

// The window acknowledges its deliveries at least this often, so the hub
// can let go of what it keeps for a resume.
constexpr quint64 AcknowledgeEvery = 32;
// Messages whose delivery has not come back that are kept for sending again.
constexpr size_t MaxUnechoed = 10000;

} // namespace

TcpGameLink::TcpGameLink(const QString &hubHost, QObject *parent)
    : TcpGameLink(hubHost, Timing{}, parent)
{}

TcpGameLink::TcpGameLink(const QString &hubHost, const Timing &timing, QObject *parent)
    : GameLink(parent)
    , m_host(hubHost)
    , m_timing(timing)
    , m_silence(new QTimer(this))
    , m_beat(new QTimer(this))
    , m_retry(new QTimer(this))
    , m_attempt(new QTimer(this))
{
    m_silence->setSingleShot(true);
    m_silence->setInterval(m_timing.silenceMs);
    connect(m_silence, &QTimer::timeout, this, [this] { fail(QStringLiteral("the game stopped answering")); });
    m_beat->setObjectName(QStringLiteral("beat"));
    m_beat->setSingleShot(true);
    connect(m_beat, &QTimer::timeout, this, [this] { write(LinkRecord::Beat(m_join.key)); });
    m_retry->setObjectName(QStringLiteral("retry"));
    m_retry->setSingleShot(true);
    connect(m_retry, &QTimer::timeout, this, &TcpGameLink::connectToHub);
    m_attempt->setObjectName(QStringLiteral("attempt"));
    m_attempt->setSingleShot(true);
    m_attempt->setInterval(m_timing.connectMs);
    connect(m_attempt, &QTimer::timeout, this, [this] { fail(QStringLiteral("the game did not answer")); });
}

TcpGameLink::~TcpGameLink() { Leave(); }

void TcpGameLink::Leave()
{
    if (!m_socket || m_state == State::Ended)
        return;
    // The hub is told, so the others need not wait for the seat's grace
    // period to run out.
    if (m_state == State::Joined && !m_secret.isEmpty()) {
        write(LinkRecord::Leave(m_join.key));
        m_socket->flush();
    }
    m_state = State::Ended;
    m_silence->stop();
    stopBeating();
    m_retry->stop();
    m_attempt->stop();
    m_socket->disconnect(this);
    m_socket->disconnectFromHost();
}

void TcpGameLink::EndGame()
{
    if (m_socket && m_state == State::Joined)
        write(LinkRecord::EndGame(m_join.key));
    Leave();
}

QString TcpGameLink::HostFromEnvironment()
{
    const QString host = qEnvironmentVariable("KALUMO_LINK_HOST").trimmed();
    return host.isEmpty() ? QStringLiteral("127.0.0.1") : host;
}

QString TcpGameLink::FingerprintFromEnvironment() { return qEnvironmentVariable("KALUMO_LINK_FINGERPRINT").trimmed(); }

std::optional<QString> TcpGameLink::Join(const JoinRequest &request, int timeoutMs)
{
    if (!m_socket)
        return QStringLiteral("this window is not connected to the game hub.");
    m_join = request;
    if (m_state == State::Joining) {
        writeJoin();
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

bool TcpGameLink::SendMessage(const QString &messageText)
{
    if (!m_socket || m_state == State::Ended || m_join.display)
        return false;
    const QString record = LinkRecord::Message(m_join.key, messageText);
    const QByteArray frame = Frame::Encode(record);
    // After the join a message is kept until its delivery comes back, to be
    // sent again when the hub never got it. One whose delivery would not
    // fit in a frame never comes back, and is sent once.
    const bool kept = m_state != State::Joining && !frame.isEmpty()
        && !Frame::Encode(m_join.name + LinkRecord::Separator + messageText).isEmpty();
    if (kept) {
        if (m_unechoed.size() >= MaxUnechoed)
            m_unechoed.pop_front();
        m_unechoed.push_back({record, messageText});
    }
    if (m_state != State::Joining && m_state != State::Joined)
        return kept; // sent when the link is back
    if (frame.isEmpty() || m_socket->state() != QAbstractSocket::ConnectedState)
        return kept; // a connection that just broke: sent again once the link is back
    return m_socket->write(frame) == frame.size() || kept;
}

void TcpGameLink::writeJoin()
{
    // The host's secret goes with the join under the same key, so the hub
    // can tell the host from anybody else who takes the host's name.
    if (m_join.display) {
        write(LinkRecord::DisplayJoin(m_join.key));
        return;
    }
    write(LinkRecord::Identify(m_join.key, m_join.windowHandle));
    if (!m_join.hostSecret.isEmpty())
        write(LinkRecord::HostSecret(m_join.key, m_join.hostSecret));
    write(LinkRecord::Announce(m_join.key, LinkRecord::Caption, m_join.name));
}

void TcpGameLink::write(const QString &record)
{
    m_socket->write(Frame::Encode(record));
    if (m_beating)
        m_beat->start();
}

void TcpGameLink::startBeating(int beatMs)
{
    // What we write must then be acknowledged by the hub's machine within
    // the rest of the away time, so a dead path is noticed here as soon as
    // the hub notices our silence. A socket that refuses it is pinged.
    if (beatMs <= 0 || beatMs >= HubControl::AwayMs
        || !HubControl::GiveUpUnacknowledgedAfter(m_socket->socketDescriptor(), HubControl::AwayMs - beatMs))
        return;
    m_beating = true;
    m_beat->setInterval(beatMs);
    // The hub now pings only as seldom as before the heartbeat.
    m_silence->setInterval(m_timing.silenceMs);
    m_silence->start();
    write(LinkRecord::Beat(m_join.key));
}

void TcpGameLink::stopBeating()
{
    m_beating = false;
    m_beat->stop();
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
            write(LinkRecord::Acknowledge(m_join.key, m_count));
        }
        // Deliveries come in the order the hub received the records, so our
        // own messages come back in the order they were sent.
        if (sender == m_join.name) {
            const auto echoed
                = std::find_if(m_unechoed.begin(), m_unechoed.end(), [&](const Sent &s) { return s.text == data; });
            if (echoed != m_unechoed.end())
                m_unechoed.erase(m_unechoed.begin(), echoed + 1);
        }
        emit TextReceived(sender, data);
        // The join replay ends with the window's own arrival.
        if (sender == u"[Enter]" && data == m_join.name && !m_join.display)
            joinConfirmed();
    }
}

void TcpGameLink::joinConfirmed()
{
    if (m_state == State::Joining && m_waiting) {
        m_state = State::Joined;
        m_joined = true;
        m_waiting->quit();
        m_waiting = nullptr; // what follows in this batch comes after the join
    } else if (m_state == State::Rejoining) {
        backInGame();
    }
}

void TcpGameLink::control(const QString &data)
{
    const HubControl::Control control = HubControl::Read(data);
    if (control.verb == HubControl::Ping) {
        write(LinkRecord::PingAnswer(m_join.key));
        if (!m_secret.isEmpty() && m_ackedAt != m_count)
            write(LinkRecord::Acknowledge(m_join.key, m_ackedAt = m_count));
        m_silence->start();
    } else if (control.verb == HubControl::Refused) {
        fail(control.text.isEmpty() ? QStringLiteral("no reason was given.") : control.text, true);
    } else if (control.verb == HubControl::Seat && !control.text.isEmpty()) {
        // A hub that resumes seats: from here on, deliveries are counted.
        m_secret = control.text;
        m_count = m_ackedAt = 0;
        write(LinkRecord::Acknowledge(m_join.key, 0));
    } else if (control.verb == HubControl::HostName && m_state == State::Joining) {
        m_hostName = control.text;
        if (m_join.hostName.isEmpty()
            || PlayerName::SameNameKey(m_hostName) == PlayerName::SameNameKey(m_join.hostName))
            return;
        // A mistyped host in the invitation: the host's numbers and verdicts
        // would never count in this window. It leaves as a closing window
        // does, so the hub keeps no seat for it.
        write(LinkRecord::Leave(m_join.key));
        m_socket->flush();
        m_socket->disconnect(this);
        m_socket->disconnectFromHost();
        fail(QStringLiteral("this invitation names %1 as host, but %2 hosts this game")
                 .arg(m_join.hostName, control.text));
    } else if (control.verb == HubControl::Heartbeat) {
        // A hub that writes at least this often: silence for half as long
        // again is a link that stalled, idle or busy.
        const int gapMs = control.text.toInt();
        if (gapMs > 0 && gapMs < m_timing.silenceMs) {
            m_silence->setInterval(std::min(m_timing.silenceMs, gapMs + gapMs / 2));
            m_silence->start();
        }
    } else if (control.verb == HubControl::Beat) {
        startBeating(control.text.toInt());
    } else if (control.verb == HubControl::Away || control.verb == HubControl::Back) {
        if (!control.text.isEmpty())
            emit PresenceChanged(control.text, control.verb == HubControl::Away);
    } else if (control.verb == HubControl::GameEnded) {
        // Not a break to recover from: the game is over for good.
        Leave();
        emit Ended(control.text);
    } else if (control.verb == HubControl::Display && m_join.display) {
        joinConfirmed();
    } else if (control.verb == HubControl::Room) {
        roomChanged(control.text);
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
