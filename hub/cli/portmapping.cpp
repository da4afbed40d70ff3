// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/portmapping.h"

#include <QTimer>

namespace {

QString byHand(quint16 port, const QHostAddress &lan)
{
    return QStringLiteral("for players outside your network, forward TCP port %1 to %2 on your router")
        .arg(port)
        .arg(lan.isNull() ? QStringLiteral("this machine") : lan.toString());
}

} // namespace

PortMapping::PortMapping(std::vector<std::unique_ptr<Router>> routers, std::function<void(const QString &)> log,
                         QObject *parent)
    : QObject(parent)
    , m_routers(std::move(routers))
    , m_log(std::move(log))
    , m_renewal(new QTimer(this))
{
    connect(m_renewal, &QTimer::timeout, this, &PortMapping::renew);
}

PortMapping::~PortMapping() { Stop(); }

std::optional<Invitation::Endpoint> PortMapping::Start(quint16 port, const QHostAddress &lan)
{
    m_port = port;
    QStringList reasons;
    for (const std::unique_ptr<Router> &router : m_routers) {
        QString why;
        const std::optional<Router::Mapping> mapping = router->Map(port, LeaseSeconds, &why);
        if (!mapping) {
            reasons.append(QStringLiteral("%1: %2").arg(router->Protocol(), why));
            continue;
        }
        m_mapped = router.get();
        if (mapping->leaseSeconds > 0)
            m_renewal->start(mapping->leaseSeconds * 1000 / 2);
        m_line = QStringLiteral("the router forwards TCP port %1 of %2 to this machine (%3), so players outside your "
                                "network can join")
                     .arg(mapping->externalPort)
                     .arg(mapping->external.toString(), router->Protocol());
        return Invitation::Endpoint{mapping->external.toString(), mapping->externalPort};
    }
    QHostAddress known = lan;
    for (const std::unique_ptr<Router> &router : m_routers)
        if (!router->LanAddress().isNull())
            known = router->LanAddress();
    m_line = QStringLiteral("no router forwarded the port (%1): %2")
                 .arg(reasons.join(QStringLiteral("; ")), byHand(port, known));
    return std::nullopt;
}

QString PortMapping::Disabled(quint16 port, const QHostAddress &lan)
{
    return QStringLiteral("port mapping is off: %1").arg(byHand(port, lan));
}

void PortMapping::Stop()
{
    m_renewal->stop();
    if (m_mapped)
        m_mapped->Unmap();
    m_mapped = nullptr;
}

void PortMapping::renew()
{
    // A router that restarted has forgotten the mapping: asking again makes
    // it anew, on the same port when it is still free.
    QString why;
    if (m_mapped && !m_mapped->Map(m_port, LeaseSeconds, &why))
        m_log(QStringLiteral("the router did not renew the port's forwarding (%1: %2); trying again later")
                  .arg(m_mapped->Protocol(), why));
}
