// SPDX-License-Identifier: GPL-3.0-or-later
// A plan of stages played to its end over a real hub, by computer players
// beside a window of an earlier release.

#include "computer/computerplayer.h"
#include "game/plan.h"
#include "hub/support/runninghubs.h"
#include "link/tcpgamelink.h"
#include "support/randomgenerator.h"

#include <QTimer>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TEST(Stages, ComputerPlayersPlayThreeStagesToTheEndWhileAnEarlierReleaseClaimsTheFirst)
{
    LoopbackHub h;
    RandomGenerator random(5, [] { return quint64(1000); });
    std::vector<std::unique_ptr<TcpGameLink>> links;
    std::vector<std::unique_ptr<ComputerPlayer>> computers;
    const QString host = ComputerPlayer::NameFor(1);
    for (int number = 1; number <= 3; ++number) {
        links.push_back(std::make_unique<TcpGameLink>(u"127.0.0.1"_s));
        auto &player = computers.emplace_back(std::make_unique<ComputerPlayer>(*links.back(), random));
        player->SetNames(u"K"_s, ComputerPlayer::NameFor(number), host, u"1"_s);
        // Fifty times faster than people: a call every 20 ms.
        player->SetScheduler([p = player.get()](int ms, std::function<void()> action) { QTimer::singleShot(ms / 50, p, std::move(action)); });
        ASSERT_EQ(player->Join(h.Port()), std::nullopt);
    }
    computers[0]->SetPlan(*Plan::FromText(u"line@2lines@full"_s));
    computers[0]->SetOnlyCheckedCardsWin(false); // the earlier release's cards cannot be checked

    // The earlier release reads a win's name and total, ignores the plan record,
    // and claims with five called numbers and no stage, as it always did.
    TcpGameLink old(u"127.0.0.1"_s);
    QStringList calls, wins, plans;
    QObject::connect(&old, &GameLink::TextReceived, [&](const QString &, const QString &data) {
        const QStringList fields = data.section(u';', 1).split(u'|');
        if (fields[0] == u"1" && (calls << fields[1]).size() == 5)
            old.SendMessage(u"Comm;4|Old|"_s + calls.join(u'@'));
        else if (fields[0] == u"3")
            wins << fields[1] + u" won stage "_s + fields.value(3);
        else if (fields[0] == u"10")
            plans << fields.mid(1).join(u'|');
    });
    ASSERT_TRUE(old.Connect(h.Port()));
    ASSERT_EQ(old.Join({u"K"_s, u"Old"_s, {}, 0}, 10000), std::nullopt);

    ASSERT_TRUE(WaitFor([&] { return !wins.filter(u"won stage 3"_s).isEmpty(); }, 20000)) << wins.join(u", ").toStdString();
    EXPECT_EQ(plans.value(0), u"1|line@2lines@full"_s);
    EXPECT_EQ(wins.value(0), u"Old won stage 1"_s) << "an earlier release's claim is one for the first stage";
    const QStringList stages = QStringList(wins).replaceInStrings(QRegularExpression(u"^.* won "_s), QString());
    EXPECT_TRUE(std::is_sorted(stages.begin(), stages.end()) && stages.contains(u"stage 2"_s)) << wins.join(u", ").toStdString();
}

} // namespace
