// SPDX-License-Identifier: GPL-3.0-or-later
// Links cut on purpose between players and a hub, on real loopback sockets.
// The chaos test runs KALUMO_CHAOS_SECONDS seconds (6 by default;
// scripts/chaos.sh runs a minute) with the players' pauses divided by
// KALUMO_CHAOS_SPEED (4 by default).
#include "computer/computerplayer.h"
#include "game/commandrecord.h"
#include "hub/support/cutproxy.h"
#include "hub/support/networkstall.h"
#include "hub/support/runninghubs.h"
#include "link/linkrecord.h"
#include "link/tcpgamelink.h"
#include "server/tlscontext.h"
#include "support/qtprinters.h"
#include "support/randomgenerator.h"
#include "support/waitfor.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// A player of game K behind its own proxy, and what it hears as "SENDER:DATA". A computer
// player (speed > 0) plays by itself, its connection cut every one to five seconds.
struct Player
{
    Player(quint16 hubPort, const QString &name, int speed = 0, const QString &fingerprint = {})
        : name(name)
        , proxy(hubPort)
        , random(qHash(name))
    {
        link.SetFingerprint(fingerprint);
        QObject::connect(&link, &GameLink::TextReceived, [this](const QString &sender, const QString &data) { heard << sender + u':' + data; });
        if (speed == 0) {
            EXPECT_TRUE(link.Connect(proxy.Port()));
            EXPECT_EQ(link.Join({u"K"_s, name}, 5000), std::nullopt);
            return;
        }
        computer = std::make_unique<ComputerPlayer>(link, random);
        computer->SetNames(u"K"_s, name, ComputerPlayer::NameFor(1), u"1"_s);
        computer->SetScheduler([this, speed](int ms, std::function<void()> action) { QTimer::singleShot(ms / speed, computer.get(), std::move(action)); });
        EXPECT_EQ(computer->Join(proxy.Port()), std::nullopt);
        QObject::connect(&cutter, &QTimer::timeout, [this, speed] {
            proxy.Cut();
            cutter.start((1000 + int(random.NextNumber(4000))) / speed);
        });
        cutter.start(0);
    }
    QStringList say(int n, const QString &what)
    {
        QStringList said;
        for (int i = 0; i < n; ++i, link.SendMessage(said.last().section(u':', 1))) said << u"%1:Chat;%2%3"_s.arg(name, what).arg(i);
        return said;
    }
    // The numbers called in the last round as this player's game has them, sorted.
    QList<int> called() const
    {
        QList<int> numbers;
        for (const QString &line : heard) {
            const auto record = CommandRecord::Read(line.section(u"Comm;"_s, 1));
            const bool mine = record && record->kind == DeliveryKind::CatchUp && record->name == name;
            if (record && record->kind == DeliveryKind::NewGame) numbers.clear();
            for (const QString &n : mine ? record->items : record && record->kind == DeliveryKind::NumberCalled ? QStringList{record->text} : QStringList{})
                numbers << QList<int>{n.toInt()}.mid(mine && numbers.contains(n.toInt()));
        }
        std::sort(numbers.begin(), numbers.end());
        return numbers;
    }

    QString name;
    CutProxy proxy;
    RandomGenerator random;
    TcpGameLink link{u"127.0.0.1"_s, {5000, 45000, 5, 40, 5000}};
    std::unique_ptr<ComputerPlayer> computer;
    QTimer cutter;
    QStringList heard;
    QSignalSpy away{&link, &GameLink::Reconnecting}, back{&link, &GameLink::Reconnected};
};

TEST(Resume, AfterACutAnywhereInTheStreamTheLinkHoldsEveryRecordOnceInOrder)
{
    // A cut once `down` more bytes went to Ann or `up` more came from her: down 0 is between frames.
    // clang-format off
    const struct { const char *what; qint64 down, up; int bobSays, annSays; bool tls = false; } table[] = {
        {"between frames", 0, -1, 5, 0},
        {"in the middle of a frame", 9, -1, 5, 0},
        {"during a burst of 100 deliveries", 1500, -1, 100, 0},
        {"while the window is sending", -1, 300, 0, 40},
        {"over TLS, in the middle of a record", 100, -1, 5, 0, true},
    };
    // clang-format on
    QTemporaryDir folder;
    QString error;
    const std::unique_ptr<TlsContext> tls = TlsContext::LoadOrCreate(folder.path(), &error);
    const QString fingerprint = QString::fromLatin1(tls->Fingerprint().toHex());
    for (const auto &row : table) {
        LoopbackHub hub({.recordsPerSecond = 1000, .recordBurst = 1000}, row.tls ? tls.get() : nullptr);
        const QString pin = row.tls ? fingerprint : QString();
        Player ann(hub.Port(), u"Ann"_s, 0, pin), bob(hub.Port(), u"Bob"_s, 0, pin);
        const QStringList before = bob.say(3, u"before"_s);
        const auto chat = [](const Player &p) { return p.heard.filter(u":Chat;"_s); };
        ASSERT_TRUE(WaitFor([&] { return chat(ann) == before; }));
        ann.proxy.CutAfter(row.down, row.up);
        QStringList during = bob.say(row.bobSays, u"b"_s);
        during += ann.say(row.annSays, u"a"_s);
        const qsizetype all = before.size() + during.size();
        ASSERT_TRUE(WaitFor([&] { return ann.back.size() == 1 && chat(ann).size() == all && chat(bob).size() == all; }, 5000)) << row.what;
        WaitFor([] { return false; }, 50); // no second copy arrives
        EXPECT_TRUE(chat(ann) == before + during && chat(bob) == before + during) << row.what;
        EXPECT_TRUE(ann.proxy.cuts == 1 && ann.away.size() == 1 && bob.away.isEmpty()) << row.what;
    }
}

// A computer host calling every second and nine computer players, every connection cut at
// random, the hub killed and started again halfway.
TEST(Chaos, EveryPlayerEndsWithTheHostsNumbersAndEveryWinOnceAfterCutsAndAHubRestart)
{
    const int seconds = qEnvironmentVariableIntValue("KALUMO_CHAOS_SECONDS") ?: 6, speed = qEnvironmentVariableIntValue("KALUMO_CHAOS_SPEED") ?: 4;
    QProcess hub;
    const quint16 port = StartServe(hub);
    ASSERT_NE(port, 0);
    std::vector<std::unique_ptr<Player>> players;
    for (int i = 1; i <= 10; ++i) players.push_back(std::make_unique<Player>(port, ComputerPlayer::NameFor(i), speed));
    WaitFor([] { return false; }, seconds * 500);
    hub.kill();
    hub.waitForFinished();
    ASSERT_EQ(StartServe(hub, port), port);
    WaitFor([] { return false; }, seconds * 500);
    for (auto &p : players) p->cutter.stop();
    // Once all is quiet for a moment every player has the host's numbers, each once, and every win, each once.
    const auto wins
        = [](const Player &p) { return p.heard.filter(QRegularExpression(u":Comm;3\\|"_s)).replaceInStrings(QRegularExpression(u"^[^:]*:"_s), {}); };
    const auto caughtUp = [&](const std::unique_ptr<Player> &p) { return p->called() == players[0]->called() && wins(*p) == wins(*players[0]); };
    EXPECT_TRUE(WaitFor([&] { return std::all_of(players.begin(), players.end(), caughtUp); }, 20000));
    for (auto &p : players) {
        const QList<int> called = p->called();
        EXPECT_TRUE(caughtUp(p) && QSet(called.begin(), called.end()).size() == called.size() && wins(*p).removeDuplicates() == 0) << p->name.toStdString();
    }
    // A win counted twice, or lost, shows as a winner's totals not counting up by one.
    QMap<QString, int> totals;
    for (const QString &win : wins(*players[0])) EXPECT_EQ(win.section(u'|', 2).toInt(), ++totals[win.section(u'|', 1, 1)]) << win.toStdString();
    hub.kill();
    hub.waitForFinished();
}

// Real windows and kalumo-hub serve; the link between Bob's window and the proxy it reaches the hub
// through stalls for real: its packets are dropped, while the proxy's own connection to the hub stays,
// as a home's line that goes dead behind a router.
TEST(Away, AStalledLinkIsReportedByItsWindowAndToTheOthersWithinFiveSeconds)
{
    if (!NetworkStall::Possible()) GTEST_SKIP() << "needs a network namespace of its own (run through ctest, as root or with user namespaces)";
    QProcess hub, ann, bob; // killed as they go
    const quint16 port = StartServe(hub);
    QTemporaryDir folder;
    const auto log = [&](const QString &name) {
        QFile file(folder.filePath(name));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    TcpGameLink hal(u"127.0.0.1"_s);
    QSignalSpy presence(&hal, &GameLink::PresenceChanged);
    ASSERT_TRUE(hal.Connect(port) && !hal.Join({u"K"_s, u"Hal"_s}, 10000));
    CutProxy proxy(port);
    for (auto [window, name, through] : {std::tuple(&ann, u"Ann"_s, port), std::tuple(&bob, u"Bob"_s, proxy.Port())}) {
        window->setProcessChannelMode(QProcess::MergedChannels);
        window->setEnvironment(
            QProcess::systemEnvironment()
            + QStringList{u"QT_QPA_PLATFORM=offscreen"_s, u"KALUMO_LINK_HOST=127.0.0.1"_s, u"KALUMO_CHAT_TRANSCRIPT="_s + folder.filePath(name)});
        window->start(QStringLiteral(KALUMO_BINGO_PATH), {u"x %1 K %2 Hal"_s.arg(through).arg(name)});
    }
    // Bob's window beats, as the hub asked.
    ASSERT_TRUE(
        WaitFor([&] { return log(u"Ann"_s).contains(u"Bob has joined"_s) && proxy.recorded.contains(Frame::Encode(LinkRecord::Beat(u"K"_s))); }, 15000));
    NetworkStall stall;
    ASSERT_TRUE(stall.Stall({proxy.Port()})); // its attempts to reconnect too, until released
    QElapsedTimer since;
    since.start();
    // The bound is the feature's own: each side notices the silence that began before the stall.
    EXPECT_TRUE(WaitFor([&] { return log(u"Bob"_s).contains(u"The link to the game was lost"_s); }, 5000 - int(since.elapsed())));
    EXPECT_TRUE(WaitFor(
        [&] {
            return log(u"Ann"_s).contains(u"Bob is away: reconnecting"_s) && presence.contains(QVariantList({u"Bob"_s, true}));
        },
        5000 - int(since.elapsed())));
    // Bob's window comes back through a connection that passes.
    stall.Release();
    EXPECT_TRUE(WaitFor([&] { return log(u"Ann"_s).contains(u"Bob is back"_s) && log(u"Bob"_s).contains(u"Back in the game"_s); }, 15000));
}

} // namespace
