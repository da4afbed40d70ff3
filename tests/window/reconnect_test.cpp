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

TEST(Reconnect, AWindowCutAnywhereComesBackWithEveryLineOnceInOrderAndEveryWindowShowsTheSameNumbers)
{
    // Who is behind the proxy, cut once `down` more bytes went to that window or `up` more came from it (0: between frames).
    const struct { const char *what, *behind; qint64 down, up; int bobSays, annSays; bool pastGrace, hubRestarts; } table[] = {
        {"between frames", "Ann", 0, -1, 5, 0, false, false},
        {"in the middle of a frame", "Ann", 9, -1, 5, 0, false, false},
        {"during a burst of 100 deliveries", "Ann", 1500, -1, 100, 0, false, false},
        {"while the window is sending", "Ann", -1, 200, 0, 30, false, false},
        {"the host's, shorter than the grace period", "Hal", 0, -1, 2, 1, false, false},
        {"the host's, longer than the grace period", "Hal", 0, -1, 2, 1, true, false},
        {"the host's, and the hub restarts meanwhile", "Hal", 0, -1, 2, 1, false, true},
    };
    for (const auto &row : table) {
        const bool host = !qstrcmp(row.behind, "Hal");
        Game g(row.behind, host ? 3600000 : 5); // the host's window waits for its next attempt until the test fires it
        PlayingWindow &hal = *g.seats[0], &ann = *g.seats[1], &cut = host ? hal : ann;
        auto *calling = hal.Control<QTimer>("tmrHost");
        auto *newGame = hal.Control<QPushButton>("cmdNewGame");
        hal.Control<QLineEdit>("txtSec")->setText(QStringLiteral("99"));
        newGame->click();
        ASSERT_TRUE(g.callAndCompare(3)) << row.what;
        const QStringList before = g.say(2, 3, QStringLiteral("before"));
        ASSERT_TRUE(g.everyone([&](PlayingWindow &s) { return Game::heard(s) == before; })) << row.what;

        g.proxy.CutAfter(row.down, row.up);
        QStringList during = g.say(2, row.bobSays, QStringLiteral("b"));
        during += g.say(1, row.annSays, QStringLiteral("a"));
        if (host) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return hal.Shows(Lost) == 1; }, 5000)) << row.what;
            EXPECT_FALSE(calling->isActive() || newGame->isEnabled()) << row.what;
            if (row.hubRestarts) {
                const quint16 port = g.hub->connections.Port();
                g.hub.reset();
                g.hub = std::make_unique<Game::Hub2>(port);
            }
            if (QTimer *grace = g.hub->hub.findChild<QTimer *>(QStringLiteral("grace")); grace && row.pastGrace)
                grace->setInterval(0);
            EXPECT_TRUE(QTest::qWaitFor([&] { return ann.Shows(QStringLiteral("2:Hal has left the game.")) == row.pastGrace; }, 5000));
            hal.link.findChild<QTimer *>(QStringLiteral("retry"))->start(0);
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return cut.Shows(Back) == 1; }, 10000)) << row.what;
        QTest::qWait(20); // no second copy arrives
        // What was said while the host was gone for the others is lost to it; the rest is heard by everyone once.
        EXPECT_TRUE(g.everyone([&](PlayingWindow &s) { return Game::heard(s) == before + during || &s == &hal && (row.pastGrace || row.hubRestarts); })) << row.what;
        EXPECT_TRUE(g.proxy.cuts == 1 && cut.Shows(Lost) == 1 && calling->isActive() && newGame->isEnabled()) << row.what;
        EXPECT_TRUE(ann.Shows(QStringLiteral("1:Hal has joined the game.")) == 1 + row.pastGrace || row.hubRestarts) << row.what;
        ASSERT_TRUE(g.callAndCompare(2)) << row.what;
    }
}

} // namespace
