// SPDX-License-Identifier: GPL-3.0-or-later
// The routers of a real home: UPnP-IGD through libminiupnpc, NAT-PMP
// through libnatpmp. Both libraries block; each call here is bounded so
// that a network without a router delays the host by well under 2 s.
#include "cli/portmapping.h"

#include <QDeadlineTimer>
#include <QUdpSocket>

#include <miniupnpc/miniupnpc.h>
#include <miniupnpc/upnpcommands.h>
#include <miniupnpc/upnperrors.h>
#include <natpmp.h>

#include <arpa/inet.h>
#include <sys/select.h>

namespace {

constexpr int DiscoveryMs = 900;
constexpr int NatPmpMs = 800;
constexpr int OnlyPermanentLeasesSupported = 725;
const char *const Description = "Kalumo Bingo";

class UpnpRouter : public Router
{
public:
    ~UpnpRouter() override
    {
        if (m_found)
            FreeUPNPUrls(&m_urls);
    }
    QString Protocol() const override { return QStringLiteral("UPnP"); }
    QHostAddress LanAddress() const override { return m_lan; }

    std::optional<Mapping> Map(quint16 port, int leaseSeconds, QString *why) override
    {
        if (!m_found && !discover(why))
            return std::nullopt;
        char external[64] = {};
        if (UPNP_GetExternalIPAddress(m_urls.controlURL, m_data.first.servicetype, external) != UPNPCOMMAND_SUCCESS
            || QHostAddress(QString::fromLatin1(external)).isNull()) {
            *why = QStringLiteral("the router does not tell its outside address");
            return std::nullopt;
        }
        const QByteArray number = QByteArray::number(port), lan = m_lan.toString().toLatin1();
        int status = add(number, lan, leaseSeconds);
        if (status == OnlyPermanentLeasesSupported) {
            leaseSeconds = 0;
            status = add(number, lan, 0);
        }
        if (status != UPNPCOMMAND_SUCCESS) {
            *why = QStringLiteral("the router refused (%1)").arg(QString::fromLatin1(strupnperror(status)));
            return std::nullopt;
        }
        m_port = number;
        return Mapping{QHostAddress(QString::fromLatin1(external)), port, leaseSeconds};
    }

    void Unmap() override
    {
        if (!m_port.isEmpty())
            UPNP_DeletePortMapping(m_urls.controlURL, m_data.first.servicetype, m_port.constData(), "TCP", nullptr);
        m_port.clear();
    }

private:
    bool discover(QString *why)
    {
        int error = 0;
        UPNPDev *devices = upnpDiscoverDevice("urn:schemas-upnp-org:device:InternetGatewayDevice:1", DiscoveryMs,
                                              nullptr, nullptr, 0, 0, 2, &error);
        if (!devices) {
            *why = QStringLiteral("no router answered");
            return false;
        }
        char lan[64] = {};
        const int status = UPNP_GetValidIGD(devices, &m_urls, &m_data, lan, sizeof lan);
        freeUPNPDevlist(devices);
        if (status != 1) {
            if (status != 0)
                FreeUPNPUrls(&m_urls);
            *why = status == 2 ? QStringLiteral("the router is not connected to the internet")
                               : QStringLiteral("no router that forwards ports answered");
            return false;
        }
        m_found = true;
        m_lan = QHostAddress(QString::fromLatin1(lan));
        return true;
    }
    int add(const QByteArray &port, const QByteArray &lan, int leaseSeconds)
    {
        return UPNP_AddPortMapping(m_urls.controlURL, m_data.first.servicetype, port.constData(), port.constData(),
                                   lan.constData(), Description, "TCP", nullptr,
                                   QByteArray::number(leaseSeconds).constData());
    }

    bool m_found = false;
    UPNPUrls m_urls = {};
    IGDdatas m_data = {};
    QHostAddress m_lan;
    QByteArray m_port; // mapped, as the library takes it
};

class NatPmpRouter : public Router
{
public:
    QString Protocol() const override { return QStringLiteral("NAT-PMP"); }
    QHostAddress LanAddress() const override { return m_lan; }

    std::optional<Mapping> Map(quint16 port, int leaseSeconds, QString *why) override
    {
        natpmp_t natpmp;
        if (initnatpmp(&natpmp, 0, 0) < 0) {
            *why = QStringLiteral("this machine has no gateway");
            return std::nullopt;
        }
        m_gateway = QHostAddress(ntohl(natpmp.gateway));
        m_lan = lanAddressTowards(m_gateway);
        const QDeadlineTimer deadline(NatPmpMs);
        natpmpresp_t address{}, mapping{};
        const bool answered = sendpublicaddressrequest(&natpmp) >= 0 && answer(natpmp, deadline, &address)
            && sendnewportmappingrequest(&natpmp, NATPMP_PROTOCOL_TCP, port, port, leaseSeconds) >= 0
            && answer(natpmp, deadline, &mapping);
        closenatpmp(&natpmp);
        if (!answered) {
            *why = QStringLiteral("no router answered");
            return std::nullopt;
        }
        m_port = port;
        return Mapping{QHostAddress(ntohl(address.pnu.publicaddress.addr.s_addr)),
                       mapping.pnu.newportmapping.mappedpublicport, int(mapping.pnu.newportmapping.lifetime)};
    }

    void Unmap() override
    {
        natpmp_t natpmp;
        if (m_port == 0 || initnatpmp(&natpmp, 0, 0) < 0)
            return;
        natpmpresp_t response{};
        if (sendnewportmappingrequest(&natpmp, NATPMP_PROTOCOL_TCP, m_port, 0, 0) >= 0)
            answer(natpmp, QDeadlineTimer(NatPmpMs), &response);
        closenatpmp(&natpmp);
        m_port = 0;
    }

private:
    // Waits for the answer to the request sent, the library resending it
    // on its own schedule, until the deadline.
    static bool answer(natpmp_t &natpmp, const QDeadlineTimer &deadline, natpmpresp_t *response)
    {
        for (;;) {
            const int status = readnatpmpresponseorretry(&natpmp, response);
            if (status != NATPMP_TRYAGAIN)
                return status >= 0 && response->resultcode == 0;
            timeval wait{};
            getnatpmprequesttimeout(&natpmp, &wait);
            const qint64 left = deadline.remainingTime();
            if (left <= 0)
                return false;
            if (wait.tv_sec * 1000 + wait.tv_usec / 1000 > left)
                wait = {time_t(left / 1000), suseconds_t(left % 1000 * 1000)};
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(natpmp.s, &readable);
            select(natpmp.s + 1, &readable, nullptr, nullptr, &wait);
        }
    }
    static QHostAddress lanAddressTowards(const QHostAddress &gateway)
    {
        QUdpSocket probe; // connecting a UDP socket sends nothing
        probe.connectToHost(gateway, 5351);
        return probe.waitForConnected(0) || probe.state() == QAbstractSocket::ConnectedState ? probe.localAddress()
                                                                                             : QHostAddress();
    }

    QHostAddress m_gateway, m_lan;
    quint16 m_port = 0;
};

} // namespace

std::vector<std::unique_ptr<Router>> HomeRouters()
{
    std::vector<std::unique_ptr<Router>> routers;
    routers.push_back(std::make_unique<UpnpRouter>());
    routers.push_back(std::make_unique<NatPmpRouter>());
    return routers;
}
