// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/hostaddresses.h"
#include "cli/portmapping.h"

#include "support/waitfor.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QHostAddress Outside(u"11.22.33.1"_s);

// A router that answers as told and counts what it is asked.
struct FakeRouter : Router
{
    QString Protocol() const override { return protocol; }
    QHostAddress LanAddress() const override { return {}; }
    void Unmap() override { ++*removed; }
    std::optional<Mapping> Map(quint16 port, int, QString *why) override
    {
        asked.append(port);
        *why = u"no router answered"_s;
        return answer;
    }

    QString protocol;
    std::optional<Mapping> answer;
    QList<quint16> asked;
    int *removed = nullptr; // the test's count: it outlives the router, which the mapping owns
};

// A port mapping started with a UPnP and a NAT-PMP router that answer as told.
struct Mapped
{
    Mapped(const std::optional<Router::Mapping> &upnp, const std::optional<Router::Mapping> &natpmp)
    {
        std::vector<std::unique_ptr<Router>> owned;
        for (auto [protocol, answer] : {std::pair{u"UPnP"_s, upnp}, std::pair{u"NAT-PMP"_s, natpmp}}) {
            auto router = std::make_unique<FakeRouter>();
            router->protocol = protocol, router->answer = answer, router->removed = &removed[routers.size()];
            routers.push_back(router.get());
            owned.push_back(std::move(router));
        }
        mapping = std::make_unique<PortMapping>(std::move(owned), [](const QString &) {});
        forwarded = mapping->Start(47474, QHostAddress(u"10.0.0.9"_s));
    }
    int removed[2] = {};
    std::unique_ptr<PortMapping> mapping;
    std::vector<FakeRouter *> routers;
    std::optional<Invitation::Endpoint> forwarded;
};

TEST(PortMapping, UsesTheFirstRouterThatForwardsSaysSoAndRemovesOnlyThatMappingAtTheEnd)
{
    for (const int used : {0, 1}) { // UPnP forwards 47474; or it cannot, and NAT-PMP forwards 50000
        Mapped mapped(used ? std::nullopt : std::optional(Router::Mapping{Outside, 47474, 0}), Router::Mapping{Outside, 50000, 0});
        const quint16 port = used ? 50000 : 47474;
        EXPECT_EQ(mapped.forwarded, std::optional(Invitation::Endpoint{Outside.toString(), port}));
        EXPECT_TRUE(mapped.mapping->Line().contains(u"forwards TCP port %1 of 11.22.33.1"_s.arg(port))) << mapped.mapping->Line().toStdString();
        EXPECT_EQ(mapped.routers[1]->asked.size(), used) << "a later router is asked only when an earlier one fails";
        mapped.mapping.reset();
        EXPECT_TRUE(mapped.removed[used] == 1 && mapped.removed[1 - used] == 0) << "only the mapping made";
    }
}

TEST(PortMapping, WithoutARouterSaysWhichPortToForwardToWhichAddressByHandAndRenewsWithOne)
{
    const Mapped unknown(std::nullopt, std::nullopt);
    EXPECT_FALSE(unknown.forwarded);
    EXPECT_EQ(unknown.mapping->Line(),
              u"no router forwarded the port (UPnP: no router answered; NAT-PMP: no router answered): "
              "for players outside your network, forward TCP port 47474 to 10.0.0.9 on your router"_s);

    Mapped leased(Router::Mapping{Outside, 47474, 1}, std::nullopt);
    ASSERT_TRUE(WaitFor([&] { return leased.routers[0]->asked.size() >= 3; }, 5000)) << "renewed at half the lease";
    EXPECT_EQ(leased.routers[0]->asked, QList<quint16>(leased.routers[0]->asked.size(), 47474));
}

TEST(HostAddresses, AreRoutableOnesElseLinkLocalOnesElseLoopbackAndNeverCarryThisMachinesScope)
{
    const QList<QHostAddress> lo{QHostAddress(u"127.0.0.1"_s)}, linkLocal{QHostAddress(u"fe80::1%eth0"_s)}, lan{QHostAddress(u"192.168.1.5"_s)},
        lanMapped{QHostAddress(u"::ffff:192.168.1.5"_s)};
    EXPECT_EQ(HostAddresses::Reachable(lo + linkLocal + lan + lanMapped), lan);
    EXPECT_EQ(HostAddresses::Reachable(lo + linkLocal), linkLocal);
    EXPECT_EQ(HostAddresses::Reachable(lo), lo);
    EXPECT_EQ(HostAddresses::ForInvitation({u"ann.example"_s}, Invitation::Endpoint{u"11.22.33.1"_s, 5}, linkLocal, 47474),
              (QList<Invitation::Endpoint>{{u"ann.example"_s, 47474}, {u"11.22.33.1"_s, 5}, {u"fe80::1"_s, 47474}}));
}

} // namespace
