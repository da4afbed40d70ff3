// Windows that lose the game and come back, over real TCP: a hub and windows
// in this process, the first window behind a proxy that cuts.

#include "connections.h"
#include "game/routing.h"
#include "hub.h"
#include "support/cutproxy.h"
#include "support/playingwindow.h"

#include <QLineEdit>
#include <gtest/gtest.h>
#include <algorithm>
#include <memory>

namespace {

// Hal hosts behind the proxy, or Ann plays behind it; the others connect straight to the hub.
struct Game
{
    static constexpr const char *Names[] = {"Hal", "Ann", "Bob"};
    // The window behind the proxy waits retryMs before it reconnects.
    Game(const char *behindProxy, int retryMs)
    {
        for (const char *name : Names) {
            const bool behind = !qstrcmp(name, behindProxy);
            seats.push_back(std::make_unique<PlayingWindow>(behind ? proxy.Port() : hub->connections.Port(), QString::fromUtf8(name),
                                                            11 + seats.size(), TcpGameLink::Timing{5000, 45000, behind ? retryMs : 5, 40, 20000}));
            EXPECT_FALSE(seats.back()->window.Startup());
        }
        EXPECT_TRUE(everyone([](PlayingWindow &s) { return s.Shows(QStringLiteral("1:Bob has joined the game.")) == 1; }));
    }
    struct Hub2
    {
        explicit Hub2(quint16 port = 0) { connections.Listen(QHostAddress::LocalHost, port); }
        Connections connections;
        Hub hub{connections, {.recordsPerSecond = 1000, .recordBurst = 1000}};
    };
    template <typename Condition> bool everyone(Condition condition)
    {
        return QTest::qWaitFor([&] { return std::all_of(seats.begin(), seats.end(), [&](auto &s) { return condition(*s); }); }, 10000);
    }
    // What `who` types; the chat lines each window shows from `who`.
    QStringList say(int who, int n, const QString &what)
    {
        QStringList said;
        for (int i = 0; i < n; ++i) {
            seats[who]->Control<QLineEdit>("txtChatOut")->setText(what + QString::number(i));
            QTest::keyClick(seats[who]->Control<QLineEdit>("txtChatOut"), Qt::Key_Return);
            said << QStringLiteral("3:%1%2%3").arg(Routing::SenderField(QString::fromUtf8(Names[who])), what).arg(i);
        }
        return said;
    }
    static QStringList heard(const PlayingWindow &s) { return ChatLines(s.window).filter(QRegularExpression(QStringLiteral("^3:\\w+: "))); }
    bool callAndCompare(int calls)
    {
        for (int i = 0; i < calls; ++i)
            QMetaObject::invokeMethod(seats[0]->Control<QTimer>("tmrHost"), "timeout");
        return everyone([&](PlayingWindow &s) { return Board(s.window) == Board(seats[0]->window) && Board(s.window).count(u' ') >= calls - 1; });
    }

    std::unique_ptr<Hub2> hub = std::make_unique<Hub2>();
    CutProxy proxy{hub->connections.Port()};
    std::vector<std::unique_ptr<PlayingWindow>> seats;
};

const QString Lost = QStringLiteral("2:** The link to the game was lost (the game host closed the connection); reconnecting\u2026");
const QString Back = QStringLiteral("2:** Back in the game.");

TEST(Reconnect, AfterACutAnywhereInTheStreamTheWindowShowsEveryLineOnceInOrder)
{
    // A cut once `down` more bytes went to Ann's window or `up` more came from it: 0 is between frames.
    const struct { const char *what; qint64 down, up; int bobSays, annSays; } table[] = {
        {"between frames", 0, -1, 5, 0},
        {"in the middle of a frame", 9, -1, 5, 0},
        {"during a burst of 100 deliveries", 1500, -1, 100, 0},
        {"while the window is sending", -1, 200, 0, 30},
    };
    for (const auto &row : table) {
        Game g("Ann", 5);
        const QStringList before = g.say(2, 3, QStringLiteral("before"));
        ASSERT_TRUE(g.everyone([&](PlayingWindow &s) { return Game::heard(s) == before; }));
        g.proxy.CutAfter(row.down, row.up);
        const QStringList during = g.say(2, row.bobSays, QStringLiteral("b")) + g.say(1, row.annSays, QStringLiteral("a"));
        ASSERT_TRUE(g.everyone([&](PlayingWindow &s) { return Game::heard(s).size() == before.size() + during.size(); })) << row.what;
        QTest::qWait(20); // no second copy arrives
        EXPECT_TRUE(g.everyone([&](PlayingWindow &s) { return Game::heard(s) == before + during; })) << row.what;
        EXPECT_TRUE(g.proxy.cuts == 1 && g.seats[1]->Shows(Lost) == 1 && g.seats[1]->Shows(Back) == 1) << row.what;
    }
}

TEST(Reconnect, TheHostsWindowComesBackAndCallingGoesOnWithEveryWindowShowingTheSameNumbers)
{
    const struct { const char *what; bool pastGrace, hubRestarts; } table[] = {
        {"a cut shorter than the grace period", false, false},
        {"a cut longer than the grace period", true, false},
        {"a hub that restarted", false, true},
    };
    for (const auto &row : table) {
        Game g("Hal", 3600000);
        PlayingWindow &hal = *g.seats[0], &ann = *g.seats[1];
        auto *calling = hal.Control<QTimer>("tmrHost");
        hal.Control<QLineEdit>("txtSec")->setText(QStringLiteral("99"));
        hal.Control<QPushButton>("cmdNewGame")->click();
        ASSERT_TRUE(g.callAndCompare(3)) << row.what;

        g.proxy.Cut(); // Hal's window waits for its next attempt until the test fires it

        ASSERT_TRUE(QTest::qWaitFor([&] { return hal.Shows(Lost) == 1; }, 5000)) << row.what;
        EXPECT_FALSE(calling->isActive() || hal.Control<QPushButton>("cmdNewGame")->isEnabled()) << row.what;
        if (row.hubRestarts) {
            const quint16 port = g.hub->connections.Port();
            g.hub.reset();
            g.hub = std::make_unique<Game::Hub2>(port);
        }
        if (row.pastGrace) {
            for (QTimer *timer : g.hub->hub.findChildren<QTimer *>(QStringLiteral("grace")))
                timer->setInterval(0);
            ASSERT_TRUE(QTest::qWaitFor([&] { return ann.Shows(QStringLiteral("2:Hal has left the game.")) == 1; }, 5000));
        }
        g.say(1, 1, QStringLiteral("while you were away"));
        hal.link.findChild<QTimer *>(QStringLiteral("retry"))->start(0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return hal.Shows(Back) == 1; }, 10000)) << row.what;
        EXPECT_TRUE(calling->isActive() && hal.Control<QPushButton>("cmdNewGame")->isEnabled()) << row.what;
        // Only a host that was gone for the others is seen to come back, and only one that was not hears what was said meanwhile.
        EXPECT_TRUE(ann.Shows(QStringLiteral("1:Hal has joined the game.")) == 1 + row.pastGrace || row.hubRestarts) << row.what;
        EXPECT_TRUE(ChatLines(hal.window).filter(QStringLiteral("while you were away")).size() == !row.pastGrace || row.hubRestarts) << row.what;
        ASSERT_TRUE(g.callAndCompare(2)) << row.what;
        EXPECT_EQ(hal.Shows(Lost), 1) << row.what;
    }
}

} // namespace
