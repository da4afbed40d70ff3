// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reaching a game's hub at any of the places an invitation names, the way
// browsers reach a site that has several addresses: names are looked up,
// every address is tried, each a quarter second after the one before (at
// once when the one before has failed), and the first whose TLS handshake
// ends with the pinned certificate wins; every other attempt is closed.
// The whole dial takes at most totalMs, whatever answers or stays silent.
//
// When nothing wins, Problem() is one line for the player: the places
// tried, what became of each, the likely cause and what to do.

#include "link/invitation.h"

#include <QHostAddress>
#include <QObject>
#include <optional>
#include <vector>

class QEventLoop;
class QSslSocket;
class QTimer;

class HubDialer : public QObject
{
    Q_OBJECT
public:
    struct Timing
    {
        int staggerMs = 250;
        int totalMs = 10000;
    };

    HubDialer(const QList<Invitation::Endpoint> &endpoints, const QByteArray &fingerprint);
    HubDialer(const QList<Invitation::Endpoint> &endpoints, const QByteArray &fingerprint, Timing timing);
    ~HubDialer() override;

    // The addresses that are this machine's own (default: every interface's).
    void SetLocalAddresses(const QList<QHostAddress> &addresses) { m_local = addresses; }

    // Runs the event loop until a place wins or the time is up: the
    // address (a literal) and port that won, else nothing.
    std::optional<Invitation::Endpoint> Dial();
    QString Problem() const;

private:
    enum class Outcome { Pending, Won, NoSuchName, Refused, NoAnswer, NotAHub, OtherCertificate, Failed };
    struct Attempt
    {
        int endpoint = 0; // into m_endpoints
        QHostAddress address; // null for a name that did not resolve
        Outcome outcome = Outcome::Pending;
        QString detail = {}; // the socket's own words, for Failed
        bool connected = false; // TCP got through
        QSslSocket *socket = nullptr;
    };

    void resolved(int endpoint, const QList<QHostAddress> &addresses);
    void startNext();
    void ended(Attempt &attempt, Outcome outcome, const QString &detail = {});
    void finishIfDone();
    void finish();
    QString tried() const;
    QString causeAndFix() const;
    bool namesThisMachine(const Attempt &attempt) const;

    QList<Invitation::Endpoint> m_endpoints;
    QByteArray m_fingerprint;
    Timing m_timing;
    QList<QHostAddress> m_local;
    std::vector<Attempt> m_attempts; // in the order they were queued
    size_t m_started = 0; // attempts before this one have been started
    int m_lookups = 0; // names still being looked up
    QTimer *m_stagger = nullptr;
    std::optional<Invitation::Endpoint> m_winner;
    bool m_done = false;
    QEventLoop *m_loop = nullptr; // set while Dial runs
};
