// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The hub's listening socket. It accepts every connection waiting whenever
// it becomes readable; when the process has no descriptor left, it stops
// watching the socket for a while, as one that cannot be accepted would
// otherwise keep it readable and the hub busy trying, and says so once per
// shortage in its log.

#include "server/uniquefd.h"

#include <QHostAddress>
#include <QObject>

#include <functional>

class QSocketNotifier;
class QTimer;

class Listener : public QObject
{
    Q_OBJECT
public:
    // Called with each accepted socket, non-blocking and close-on-exec, and
    // the address it comes from (an IPv4 address mapped into IPv6 as IPv4).
    using Accepted = std::function<void(UniqueFd descriptor, const QHostAddress &peer)>;

    static constexpr int PauseMs = 1000;

    Listener(Accepted accepted, QObject *parent = nullptr);
    ~Listener() override;

    bool Listen(const QHostAddress &address, quint16 port);
    quint16 Port() const;
    QString ErrorString() const { return m_error; }

signals:
    void Log(const QString &line);

private:
    void acceptWaiting();

    Accepted m_accepted;
    UniqueFd m_fd;
    QString m_error;
    QSocketNotifier *m_notifier = nullptr;
    QTimer *m_pause = nullptr;
    bool m_saidPaused = false; // the log has heard of this shortage already
};
