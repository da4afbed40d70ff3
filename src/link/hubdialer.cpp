// SPDX-License-Identifier: GPL-3.0-or-later
// Every attempt is a TLS socket of its own; the dial ends at the first that
// proves to be the invitation's hub, when every attempt has failed, or when
// the time is up, and it closes whatever is still open then.
#include "link/hubdialer.h"

#include <QEventLoop>
#include <QHostInfo>
#include <QNetworkInterface>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTimer>

#include <algorithm>

HubDialer::HubDialer(const QList<Invitation::Endpoint> &endpoints, const QByteArray &fingerprint)
    : HubDialer(endpoints, fingerprint, Timing())
{}

HubDialer::HubDialer(const QList<Invitation::Endpoint> &endpoints, const QByteArray &fingerprint, Timing timing)
    : m_endpoints(endpoints)
    , m_fingerprint(fingerprint)
    , m_timing(timing)
    , m_local(QNetworkInterface::allAddresses())
    , m_stagger(new QTimer(this))
{
    m_stagger->setSingleShot(true);
    connect(m_stagger, &QTimer::timeout, this, &HubDialer::startNext);
}

HubDialer::~HubDialer()
{
    for (Attempt &attempt : m_attempts)
        if (attempt.socket)
            attempt.socket->abort();
}

std::optional<Invitation::Endpoint> HubDialer::Dial()
{
    QEventLoop loop;
    m_loop = &loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(m_timing.totalMs);
    QList<int> lookupIds;
    for (int i = 0; i < m_endpoints.size(); ++i) {
        const QHostAddress literal(m_endpoints[i].address);
        if (!literal.isNull()) {
            resolved(i, {literal});
            continue;
        }
        ++m_lookups;
        lookupIds.append(QHostInfo::lookupHost(m_endpoints[i].address, this, [this, i](const QHostInfo &info) {
            --m_lookups;
            resolved(i, info.error() == QHostInfo::NoError ? info.addresses() : QList<QHostAddress>());
        }));
    }
    finishIfDone();
    if (!m_done)
        loop.exec();
    m_loop = nullptr;
    m_done = true;
    for (const int id : lookupIds)
        QHostInfo::abortHostLookup(id);
    for (Attempt &attempt : m_attempts) {
        if (attempt.outcome == Outcome::Pending && attempt.socket)
            attempt.outcome = attempt.connected ? Outcome::NotAHub : Outcome::NoAnswer;
        if (attempt.socket) {
            attempt.socket->disconnect(this);
            attempt.socket->abort();
        }
    }
    return m_winner;
}

void HubDialer::resolved(int endpoint, const QList<QHostAddress> &addresses)
{
    if (m_done)
        return;
    if (addresses.isEmpty())
        m_attempts.push_back({endpoint, {}, Outcome::NoSuchName, {}, false, nullptr});
    for (const QHostAddress &address : addresses)
        m_attempts.push_back({endpoint, address, Outcome::Pending, {}, false, nullptr});
    if (!m_stagger->isActive())
        startNext();
    finishIfDone();
}

void HubDialer::startNext()
{
    while (m_started < m_attempts.size() && m_attempts[m_started].outcome != Outcome::Pending)
        ++m_started;
    if (m_done || m_started == m_attempts.size())
        return;
    const size_t index = m_started++;
    auto *socket = new QSslSocket(this);
    m_attempts[index].socket = socket;
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setProtocol(QSsl::TlsV1_3);
    // The hub's certificate is trusted for being the invitation's, not for
    // who signed it: the fingerprint is checked once the handshake is done.
    configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
    socket->setSslConfiguration(configuration);
    connect(socket, &QSslSocket::encrypted, this, [this, index, socket] {
        const bool pinned = socket->peerCertificate().digest(QCryptographicHash::Sha256) == m_fingerprint;
        ended(m_attempts[index], pinned ? Outcome::Won : Outcome::OtherCertificate);
    });
    connect(socket, &QAbstractSocket::connected, this, [this, index] { m_attempts[index].connected = true; });
    connect(socket, &QAbstractSocket::errorOccurred, this, [this, index, socket](QAbstractSocket::SocketError error) {
        const bool wasConnected = m_attempts[index].connected;
        const Outcome outcome = error == QAbstractSocket::ConnectionRefusedError ? Outcome::Refused
            : error == QAbstractSocket::SocketTimeoutError                       ? Outcome::NoAnswer
            : wasConnected                                                       ? Outcome::NotAHub
                                                                                 : Outcome::Failed;
        ended(m_attempts[index], outcome, socket->errorString());
    });
    const Attempt &attempt = m_attempts[index];
    socket->connectToHostEncrypted(attempt.address.toString(), m_endpoints[attempt.endpoint].port);
    m_stagger->start(m_timing.staggerMs);
}

void HubDialer::ended(Attempt &attempt, Outcome outcome, const QString &detail)
{
    if (m_done || attempt.outcome != Outcome::Pending)
        return;
    attempt.outcome = outcome;
    attempt.detail = detail;
    attempt.socket->disconnect(this);
    attempt.socket->abort();
    if (outcome == Outcome::Won) {
        m_winner = Invitation::Endpoint{attempt.address.toString(), m_endpoints[attempt.endpoint].port};
        finish();
        return;
    }
    // A failure hands its turn on at once rather than after the stagger.
    m_stagger->stop();
    startNext();
    finishIfDone();
}

void HubDialer::finishIfDone()
{
    const bool allEnded = m_lookups == 0
        && std::ranges::all_of(m_attempts, [](const Attempt &a) { return a.outcome != Outcome::Pending; });
    if (allEnded)
        finish();
}

void HubDialer::finish()
{
    m_done = true;
    if (m_loop)
        m_loop->quit();
}

bool HubDialer::namesThisMachine(const Attempt &attempt) const
{
    // Only a name can surprise: an address says plainly where it leads.
    return !attempt.address.isNull() && QHostAddress(m_endpoints[attempt.endpoint].address).isNull()
        && (attempt.address.isLoopback() || m_local.contains(attempt.address));
}

namespace {

QString outcomeWords(int outcome, const QString &detail)
{
    static const char *const words[] = {"not tried in time",   "won",
                                        "no such name",        "refused",
                                        "no answer",           "accepted but never answered as a game hub",
                                        "another certificate", nullptr};
    return words[outcome] ? QString::fromLatin1(words[outcome]) : detail;
}

} // namespace

QString HubDialer::tried() const
{
    QStringList places;
    for (int i = 0; i < m_endpoints.size(); ++i) {
        QStringList results;
        for (const Attempt &attempt : m_attempts) {
            if (attempt.endpoint != i)
                continue;
            const QString words = outcomeWords(int(attempt.outcome), attempt.detail);
            const bool named = !attempt.address.isNull() && QHostAddress(m_endpoints[i].address).isNull();
            results.append(named ? QStringLiteral("%1%2: %3")
                                       .arg(attempt.address.toString(),
                                            namesThisMachine(attempt) ? QStringLiteral(", this machine") : QString(),
                                            words)
                                 : words);
        }
        if (results.isEmpty())
            results.append(QStringLiteral("no answer from the name service"));
        places.append(QStringLiteral("%1 (%2)").arg(Invitation::EndpointText(m_endpoints[i]),
                                                    results.join(QStringLiteral("; "))));
    }
    return places.join(QStringLiteral(", "));
}

QString HubDialer::causeAndFix() const
{
    const auto any = [this](Outcome outcome, bool local = false) {
        return std::ranges::any_of(
            m_attempts, [&](const Attempt &a) { return a.outcome == outcome && (!local || namesThisMachine(a)); });
    };
    const QString port = QString::number(m_endpoints.value(0).port);
    // What got furthest says the most: a certificate beats a connection,
    // which beats a refusal, which beats silence, which beats no address.
    if (any(Outcome::OtherCertificate))
        return QStringLiteral(
            "something other than this game's hub answers there (another game, or a machine in between); "
            "ask the host for a fresh invitation, and do not play through that address");
    if (any(Outcome::Refused, true))
        return QStringLiteral(
            "the invitation's name leads to this very machine, not to the host's; ask the host for an "
            "invitation with an address you can reach (kalumo-hub host --address)");
    if (any(Outcome::NotAHub))
        return QStringLiteral("what answers there is not this game's hub; ask the host whether the game still runs, "
                              "and for a fresh invitation");
    if (any(Outcome::Refused))
        return QStringLiteral("nothing listens there: the host's game has ended or moved to another port; "
                              "ask the host for a fresh invitation");
    if (any(Outcome::NoAnswer) || any(Outcome::Pending))
        return QStringLiteral(
                   "nothing answered within %1 s: a firewall or home router on the way drops the connection; "
                   "the host lets TCP port %2 in, or forwards it on their router")
            .arg(m_timing.totalMs / 1000)
            .arg(port);
    if (any(Outcome::NoSuchName) && !any(Outcome::Failed))
        return QStringLiteral("your machine knows none of these names; ask the host for an invitation with an address "
                              "you can reach (kalumo-hub host --address)");
    return QStringLiteral("check this machine's network connection, then try again");
}

QString HubDialer::Problem() const
{
    if (m_endpoints.isEmpty())
        return QStringLiteral("the invitation names no place to reach the game at.");
    return QStringLiteral("no address of the invitation reached the game (tried %1): %2.").arg(tried(), causeAndFix());
}
