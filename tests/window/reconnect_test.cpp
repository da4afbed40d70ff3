// Windows that lose the game and come back, over real TCP: a hub and windows
// in this process, the host's window behind a proxy that cuts.

#include "connections.h"
#include "hub.h"
#include "link/tcpgamelink.h"
#include "support/cutproxy.h"
#include "support/windowfixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <algorithm>
#include <memory>

namespace {

struct Seat
{
    Seat(quint16 port, const QString &name, quint64 seed)
        : random(seed, [] { return quint64(1000); })
        , window(WindowContext{boxes, link, random, folder.path(), QStringLiteral("x %1 K1 %2 Hal").arg(port).arg(name)}) {}
    template <typename T = QWidget> T *Control(const char *name) { return window.findChild<T *>(QLatin1String(name)); }
    qsizetype Shows(const QString &line) const { return ChatLines(window).count(line); }

    QTemporaryDir folder;
    RecordingMessageBoxes boxes;
    TcpGameLink link{QStringLiteral("127.0.0.1"), {5000, 45000, 5, 40, 20000}};
    RandomGenerator random;
    frmMain window;
};

struct Hub2
{
    explicit Hub2(quint16 port = 0) : listening(connections.Listen(QHostAddress::LocalHost, port)) {}
    Connections connections;
    Hub hub{connections};
    bool listening;
};

TEST(Reconnect, TheHostsWindowComesBackAndCallingGoesOnWithEveryWindowShowingTheSameNumbers)
{
    const struct { const char *what; bool pastGrace, hubRestarts; } table[] = {
        {"a cut shorter than the grace period", false, false},
        {"a cut longer than the grace period", true, false},
        {"a hub that restarted", false, true},
    };
    for (const auto &row : table) {
        auto hub = std::make_unique<Hub2>();
        const quint16 port = hub->connections.Port();
        CutProxy proxy(port);
        std::vector<std::unique_ptr<Seat>> seats;
        for (const char *name : {"Hal", "Ann", "Bob"}) {
            seats.push_back(std::make_unique<Seat>(seats.empty() ? proxy.Port() : port, QString::fromUtf8(name), 11 + seats.size()));
            ASSERT_FALSE(seats.back()->window.Startup());
        }
        Seat &hal = *seats[0], &ann = *seats[1];
        auto *calling = hal.Control<QTimer>("tmrHost");
        auto everyone = [&](auto condition) {
            return QTest::qWaitFor([&] { return std::all_of(seats.begin(), seats.end(), [&](auto &s) { return condition(*s); }); }, 10000);
        };
        auto callAndCompare = [&](int calls) {
            for (int i = 0; i < calls; ++i)
                QMetaObject::invokeMethod(calling, "timeout");
            return everyone([&](Seat &s) { return Board(s.window) == Board(hal.window) && Board(hal.window).count(u' ') >= calls - 1; });
        };
        ASSERT_TRUE(everyone([](Seat &s) { return s.Shows(QStringLiteral("1:Bob has joined the game.")) == 1; }));
        hal.Control<QLineEdit>("txtSec")->setText(QStringLiteral("99"));
        hal.Control<QPushButton>("cmdNewGame")->click();
        ASSERT_TRUE(callAndCompare(3)) << row.what;

        proxy.refusing = true;
        proxy.Cut();
        if (row.hubRestarts) {
            hub.reset();
            hub = std::make_unique<Hub2>(port);
            ASSERT_TRUE(hub->listening);
        }
        const QString lost = QStringLiteral("2:** The link to the game was lost (the game host closed the connection); reconnecting\u2026");
        ASSERT_TRUE(QTest::qWaitFor([&] { return hal.Shows(lost) == 1; }, 5000)) << row.what;
        EXPECT_FALSE(calling->isActive() || hal.Control<QPushButton>("cmdNewGame")->isEnabled()) << row.what;
        if (row.pastGrace) {
            for (QTimer *timer : hub->hub.findChildren<QTimer *>(QStringLiteral("grace")))
                timer->start(0);
            ASSERT_TRUE(QTest::qWaitFor([&] { return ann.Shows(QStringLiteral("2:Hal has left the game.")) == 1; }, 5000));
        }
        ann.Control<QLineEdit>("txtChatOut")->setText(QStringLiteral("while you were away"));
        QTest::keyClick(ann.Control<QLineEdit>("txtChatOut"), Qt::Key_Return);
        proxy.refusing = false;
        ASSERT_TRUE(QTest::qWaitFor([&] { return hal.Shows(QStringLiteral("2:** Back in the game.")) == 1; }, 10000)) << row.what;
        EXPECT_TRUE(calling->isActive() && hal.Control<QPushButton>("cmdNewGame")->isEnabled()) << row.what;
        // Only a host that was gone for the others is seen to come back, and only one that was not gets what was said meanwhile.
        const bool gone = row.pastGrace || row.hubRestarts;
        EXPECT_TRUE(ann.Shows(QStringLiteral("1:Hal has joined the game.")) == 1 + row.pastGrace || row.hubRestarts) << row.what;
        EXPECT_EQ(hal.Shows(QStringLiteral("3:Ann:           while you were away")), gone ? 0 : 1) << row.what;
        ASSERT_TRUE(callAndCompare(2)) << row.what;
        EXPECT_EQ(hal.Shows(lost), 1) << row.what;
    }
}

} // namespace
