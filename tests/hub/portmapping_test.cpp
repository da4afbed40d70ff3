// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/hostaddresses.h"
#include "cli/portmapping.h"

#include "support/waitfor.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A router that answers as told and counts what it is asked.
struct FakeRouter : Router
{
    FakeRouter(QString protocol, std::optional<Mapping> answer, QHostAddress lan = {})
        : protocol(std::move(protocol))
        , answer(std::move(answer))
        , lan(std::move(lan))
    {}
    QString Protocol() const override { return protocol; }
    QHostAddress LanAddress() const override { return lan; }
    std::optional<Mapping> Map(quint16 port, int, QString *why) override
    {
        asked.append(port);
        *why = u"no router answered"_s;
        return answer;
    }
    void Unmap() override { ++removed; }

    QString protocol;
    std::optional<Mapping> answer;
    QHostAddress lan;
    QList<quint16> asked;
    int removed = 0;
};

struct Mapped
{
    Mapped(std::optional<Router::Mapping> upnp, std::optional<Router::Mapping> natpmp, QHostAddress lan = {})
    {
        auto first = std::make_unique<FakeRouter>(u"UPnP"_s, upnp, lan),
             second = std::make_unique<FakeRouter>(u"NAT-PMP"_s, natpmp);
        routers = {first.get(), second.get()};
        std::vector<std::unique_ptr<Router>> owned;
        owned.push_back(std::move(first));
        owned.push_back(std::move(second));
        mapping = std::make_unique<PortMapping>(std::move(owned), [this](const QString &line) { log.append(line); });
        forwarded = mapping->Start(47474, QHostAddress(u"10.0.0.9"_s));
    }
    std::unique_ptr<PortMapping> mapping;
    std::vector<FakeRouter *> routers;
    std::optional<Invitation::Endpoint> forwarded;
    QStringList log;
};

const QHostAddress Outside(u"11.22.33.1"_s);

TEST(PortMapping, UsesTheFirstRouterThatForwardsSaysSoAndRemovesOnlyThatMappingAtTheEnd)
{
    const struct
    {
        std::optional<Router::Mapping> upnp, natpmp;
        int used;
        QString line;
    } cases[] = {
        {Router::Mapping{Outside, 47474, 0}, Router::Mapping{Outside, 1, 0}, 0,
         u"the router forwards TCP port 47474 of 11.22.33.1 to this machine (UPnP), so players outside your network can join"_s},
        {std::nullopt, Router::Mapping{Outside, 50000, 0}, 1,
         u"the router forwards TCP port 50000 of 11.22.33.1 to this machine (NAT-PMP), so players outside your network can join"_s},
    };
    for (const auto &c : cases) {
        Mapped mapped(c.upnp, c.natpmp);
        const Router::Mapping used = *(c.used == 0 ? c.upnp : c.natpmp);
        EXPECT_EQ(mapped.forwarded, std::optional(Invitation::Endpoint{Outside.toString(), used.externalPort}));
        EXPECT_EQ(mapped.mapping->Line(), c.line);
        EXPECT_EQ(mapped.routers[1]->asked.size(), c.used) << "a later router is asked only when an earlier one fails";
        const std::vector<FakeRouter *> routers = mapped.routers;
        mapped.mapping.reset();
        EXPECT_EQ(routers[c.used]->removed, 1);
        EXPECT_EQ(routers[1 - c.used]->removed, 0);
    }
}

TEST(PortMapping, WithoutARouterSaysWhichPortToForwardToWhichAddressByHand)
{
    const Mapped unknown(std::nullopt, std::nullopt), known(std::nullopt, std::nullopt, QHostAddress(u"192.168.1.5"_s));
    EXPECT_FALSE(unknown.forwarded);
    EXPECT_EQ(unknown.mapping->Line(),
              u"no router forwarded the port (UPnP: no router answered; NAT-PMP: no router answered): "
              "for players outside your network, forward TCP port 47474 to 10.0.0.9 on your router"_s);
    EXPECT_TRUE(known.mapping->Line().endsWith(u"forward TCP port 47474 to 192.168.1.5 on your router"_s))
        << "the router knows best";
}

TEST(PortMapping, RenewsTheLeaseBeforeItRunsOut)
{
    Mapped mapped(Router::Mapping{Outside, 47474, 1}, std::nullopt);
    ASSERT_TRUE(WaitFor([&] { return mapped.routers[0]->asked.size() >= 3; }, 5000));
    EXPECT_EQ(mapped.routers[0]->asked, QList<quint16>(mapped.routers[0]->asked.size(), 47474));
}

TEST(HostAddresses, NameWhatOthersCanReachGivenNamesAndTheRoutersFirst)
{
    const auto addresses = [](const QStringList &texts) {
        QList<QHostAddress> list;
        for (const QString &text : texts)
            list.append(QHostAddress(text));
        return list;
    };
    const struct
    {
        QStringList candidates, reachable;
    } cases[] = {
        {{u"127.0.0.1"_s, u"fe80::1"_s, u"192.168.1.5"_s, u"::1"_s, u"2001:db8::5"_s, u"::ffff:192.168.1.5"_s,
          u"169.254.1.1"_s},
         {u"192.168.1.5"_s, u"2001:db8::5"_s}},
        {{u"127.0.0.1"_s, u"fe80::1"_s, u"169.254.1.1"_s}, {u"fe80::1"_s, u"169.254.1.1"_s}},
        {{u"127.0.0.1"_s, u"::1"_s}, {u"127.0.0.1"_s, u"::1"_s}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(HostAddresses::Reachable(addresses(c.candidates)), addresses(c.reachable))
            << c.candidates.join(u' ').toStdString();
    QHostAddress scoped(u"fe80::1"_s);
    scoped.setScopeId(u"eth0"_s);
    EXPECT_EQ(
        HostAddresses::ForInvitation({u"ann.example"_s}, Invitation::Endpoint{u"11.22.33.1"_s, 5}, {scoped}, 47474),
        (QList<Invitation::Endpoint>{{u"ann.example"_s, 47474}, {u"11.22.33.1"_s, 5}, {u"fe80::1"_s, 47474}}));
}

} // namespace
