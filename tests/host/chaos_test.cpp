// A game under chaos: a computer host calling every second and nine computer
// players, each behind a proxy that cuts its connection at random every one
// to five seconds, on a hub that is killed and started again halfway. It
// runs KALUMO_CHAOS_SECONDS seconds (6 by default; scripts/chaos.sh runs a
// minute) with every pause of the players divided by KALUMO_CHAOS_SPEED.
#include "computer/computerplayer.h"
#include "game/commandrecord.h"
#include "link/tcpgamelink.h"
#include "support/cutproxy.h"
#include "support/qtprinters.h"
#include "support/randomgenerator.h"
#include "support/waitfor.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTimer>
#include <gtest/gtest.h>
#include <algorithm>
#include <memory>

namespace {

// One player and what its link delivered: the numbers of the round, and the wins, each as "NAME TOTAL".
struct Player
{
    Player(quint16 hubPort, int number, int speed) : proxy(hubPort), random(quint64(number) * 7919)
    {
        player.SetNames(QStringLiteral("K"), ComputerPlayer::NameFor(number), ComputerPlayer::NameFor(1), QStringLiteral("1"));
        player.SetScheduler([this, speed](int ms, std::function<void()> action) { QTimer::singleShot(ms / speed, &player, std::move(action)); });
        QObject::connect(&link, &GameLink::TextReceived, [this](const QString &, const QString &data) {
            const auto record = CommandRecord::Read(data.mid(data.indexOf(u"Comm;") + 5));
            if (!data.contains(u"Comm;") || !record)
                return;
            if (record->kind == CommandRecord::NewGame)
                called.clear();
            else if (record->kind == CommandRecord::NumberCalled)
                called << record->number;
            else if (record->kind == CommandRecord::CatchUp && record->name == player.Name())
                for (const QString &n : record->items) // as the game does: only what it lacks
                    called << QList<int>{n.toInt()}.mid(called.contains(n.toInt()));
            else if (record->kind == CommandRecord::WinConfirmed)
                wins << record->name + u' ' + record->text;
        });
        EXPECT_EQ(player.Join(proxy.Port()), std::nullopt);
        QObject::connect(&cutter, &QTimer::timeout, [this, speed] { proxy.Cut(); cutter.start((1000 + int(random.NextNumber(4000))) / speed); });
        cutter.start((1000 + int(random.NextNumber(4000))) / speed);
    }
    QList<int> round() const { QList<int> sorted = called; std::sort(sorted.begin(), sorted.end()); sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end()); return sorted; }
    CutProxy proxy;
    RandomGenerator random;
    TcpGameLink link{QStringLiteral("127.0.0.1")};
    ComputerPlayer player{link, random};
    QTimer cutter;
    QList<int> called;
    QStringList wins;
};

TEST(Chaos, EveryPlayerEndsWithTheHostsNumbersAndEveryWinOnceAfterCutsAndAHubRestart)
{
    const int seconds = qEnvironmentVariableIntValue("KALUMO_CHAOS_SECONDS") ?: 6, speed = qEnvironmentVariableIntValue("KALUMO_CHAOS_SPEED") ?: 4;
    QProcess hub;
    quint16 port = 0;
    const auto startHub = [&] {
        hub.start(QStringLiteral(KALUMO_HUB_PATH), {QStringLiteral("serve"), QStringLiteral("--port"), QString::number(port)});
        const QRegularExpression listening(QStringLiteral("listening on .*:(\\d+)\n"));
        ASSERT_TRUE(WaitFor([&] { return listening.match(QString::fromUtf8(hub.peek(1 << 16))).hasMatch(); }, 10000));
        port = listening.match(QString::fromUtf8(hub.readAllStandardError())).captured(1).toUShort();
    };
    hub.setReadChannel(QProcess::StandardError);
    startHub();
    std::vector<std::unique_ptr<Player>> players;
    for (int i = 1; i <= 10; ++i)
        players.push_back(std::make_unique<Player>(port, i, speed));
    WaitFor([] { return false; }, seconds * 500);
    hub.kill();
    hub.waitForFinished();
    startHub();
    WaitFor([] { return false; }, seconds * 500);
    for (auto &p : players)
        p->cutter.stop();
    const Player &host = *players.front();
    // Every window has caught up once all is quiet for a moment.
    EXPECT_TRUE(WaitFor([&] { return std::all_of(players.begin(), players.end(), [&](auto &p) { return p->round() == host.round() && p->wins == host.wins; }); }, 20000));
    for (auto &p : players) {
        EXPECT_EQ(p->round(), host.round()) << p->player.Name().toStdString();
        EXPECT_EQ(p->wins, host.wins) << p->player.Name().toStdString();
        EXPECT_EQ(p->called.size(), p->round().size()) << p->player.Name().toStdString() << ": a number called twice";
    }
    // A win counted twice, or lost, shows as a winner's totals not counting up by one.
    QMap<QString, int> totals;
    for (const QString &win : host.wins)
        EXPECT_EQ(win.section(u' ', -1).toInt(), ++totals[win.section(u' ', 0, -2)]) << win.toStdString();
    hub.kill();
    hub.waitForFinished();
}

} // namespace
