// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Asking a home router to forward the hosted game's port from its outside
// address to this machine, so that players outside the home can join.
//
// A Router is one way to ask (UPnP-IGD, NAT-PMP); HomeRouters() gives the
// real ones, tests a fake. PortMapping tries them in turn, keeps the first
// mapping made alive by renewing its lease at half time, and removes it when
// it ends. Its Line() says in one sentence what it did, or why it could not
// and what the host does by hand.

#include "link/invitation.h"

#include <QHostAddress>
#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QTimer;

class Router
{
public:
    virtual ~Router() = default;
    struct Mapping
    {
        QHostAddress external;
        quint16 externalPort = 0;
        int leaseSeconds = 0; // 0: until removed
    };
    // Its name in the host's line: "UPnP", "NAT-PMP".
    virtual QString Protocol() const = 0;
    // Forwards TCP `port` outside to `port` here for about leaseSeconds;
    // nothing, with *why set, when it cannot. Bounded in time: asking a
    // network that has no router costs at most about a second.
    virtual std::optional<Mapping> Map(quint16 port, int leaseSeconds, QString *why) = 0;
    // Removes what Map made, if anything.
    virtual void Unmap() = 0;
    // This machine's address as the router sees it, once Map was tried;
    // null when unknown.
    virtual QHostAddress LanAddress() const = 0;
};

// UPnP-IGD, then NAT-PMP.
std::vector<std::unique_ptr<Router>> HomeRouters();

class PortMapping : public QObject
{
    Q_OBJECT
public:
    static constexpr int LeaseSeconds = 1200;

    PortMapping(std::vector<std::unique_ptr<Router>> routers, std::function<void(const QString &)> log,
                QObject *parent = nullptr);
    ~PortMapping() override; // removes the mapping

    // Asks each router in turn to forward `port`: the outside address and
    // port players may use, or nothing. `lan` is this machine's address to
    // name in the advice when no router says one.
    std::optional<Invitation::Endpoint> Start(quint16 port, const QHostAddress &lan);
    // The line for the host, once Start has run; `Disabled` when the host
    // turned port mapping off.
    QString Line() const { return m_line; }
    static QString Disabled(quint16 port, const QHostAddress &lan);
    // Removes the mapping now; nothing is renewed after.
    void Stop();

private:
    void renew();

    std::vector<std::unique_ptr<Router>> m_routers;
    std::function<void(const QString &)> m_log;
    Router *m_mapped = nullptr;
    quint16 m_port = 0;
    QString m_line;
    QTimer *m_renewal = nullptr;
};
