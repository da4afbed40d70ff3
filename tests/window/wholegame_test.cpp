// A whole game over real TCP: a hub and three windows in this process, Hal
// hosting, Ann and Bob playing. The host's calls are driven by firing its
// timer and Ann's card check by firing the card's timer; only the network
// is waited for.

#include "card/ctlcard.h"
#include "connections.h"
#include "hub.h"
#include "link/tcpgamelink.h"
#include "support/chatlines.h"
#include "support/randomgenerator.h"
#include "support/recordingmessageboxes.h"
#include "window/frmmain.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <algorithm>
#include <memory>

namespace {

struct Seat
{
    Seat(quint16 port, const QString &name, quint64 seed)
        : link(QStringLiteral("127.0.0.1"))
        , random(seed, [] { return quint64(1000); })
        , window(WindowContext{boxes, link, random, folder.path(), QStringLiteral("x %1 K1 %2 Hal").arg(port).arg(name)})
    {
    }
    template <typename T = QWidget>
    T *Control(const char *name) { return window.findChild<T *>(QString::fromUtf8(name)); }
    QStringList Calls() const { return ChatLines(window).filter(QStringLiteral(" Has Been Called.")); }

    QTemporaryDir folder;
    RecordingMessageBoxes boxes;
    TcpGameLink link;
    RandomGenerator random;
    frmMain window;
};

TEST(WholeGame, APlayerWinsTwoRoundsAndEveryWindowShowsHerTotals)
{
    Connections connections;
    Hub hub{connections};
    ASSERT_TRUE(connections.Listen(QHostAddress::LocalHost, 0)) << connections.ErrorString().toStdString();
    std::vector<std::unique_ptr<Seat>> seats;
    for (const char *name : {"Hal", "Ann", "Bob"}) {
        seats.push_back(std::make_unique<Seat>(connections.Port(), QString::fromUtf8(name), 11 + seats.size()));
        ASSERT_FALSE(seats.back()->window.Startup());
        seats.back()->window.show();
    }
    auto everyone = [&](auto condition) {
        return QTest::qWaitFor([&] { return std::all_of(seats.begin(), seats.end(), [&](auto &s) { return condition(*s); }); }, 10000);
    };
    // Whether every window shows `line` `count` times.
    auto shown = [&](const QString &line, qsizetype count = 1) {
        return everyone([&](Seat &s) { return ChatLines(s.window).count(line) == count; });
    };
    ASSERT_TRUE(shown(QStringLiteral("1:Bob has joined the game.")));
    Seat &hal = *seats[0], &ann = *seats[1];
    auto *calling = hal.Control<QTimer>("tmrHost");

    for (int round = 1; round <= 2; ++round) {
        // The longest interval: the host's timer never ticks by itself here.
        hal.Control<QLineEdit>("txtSec")->setText(QStringLiteral("99"));
        hal.Control<QPushButton>("cmdNewGame")->click();
        ASSERT_TRUE(shown(QStringLiteral("3:** A New Game Has Been Started."), round));
        for (auto &seat : seats)
            EXPECT_EQ(seat->Control<QLineEdit>("txtSec")->text(), u"99");
        // Ann plays the top row of her first card, marking each number when it is called.
        QMap<QString, QLabel *> line;
        for (int i = 0; i < 5; ++i) {
            auto *label = ann.Control<ctlCard>("Card0")->findChild<QLabel *>(QStringLiteral("lblMyNum%1").arg(i));
            line.insert(label->text(), label);
        }
        const qsizetype before = hal.Calls().size();
        for (int tick = 1, marked = 0; marked < 5; ++tick) {
            ASSERT_TRUE(tick <= 100 && calling->isActive());
            QMetaObject::invokeMethod(calling, "timeout");
            ASSERT_TRUE(everyone([&](Seat &s) { return s.Calls().size() == before + tick; }));
            const QString call = hal.Calls().last().section(u'(', 1).section(u')', 0, 0);
            ASSERT_TRUE(everyone([&](Seat &s) { return s.Calls() == hal.Calls(); }));
            if (QLabel *label = line.value(call)) {
                QTest::mouseClick(label, Qt::LeftButton);
                ++marked;
            }
        }

        auto *bingo = ann.Control<QPushButton>("cmdBingo");
        EXPECT_FALSE(bingo->isEnabled());
        QMetaObject::invokeMethod(ann.Control<ctlCard>("Card0")->findChild<QTimer *>(QStringLiteral("tmrWinner")), "timeout");
        ASSERT_TRUE(bingo->isEnabled());
        bingo->click();

        ASSERT_TRUE(shown(QStringLiteral("4:** Ann Has Won The Game! %1 Total Win(s)! **").arg(round)));
        for (auto &seat : seats)
            EXPECT_FALSE(seat->Control<QPushButton>("cmdBingo")->isEnabled());
        EXPECT_FALSE(calling->isActive());
        EXPECT_EQ(ChatLines(hal.window).last(), u"4:** Click 'New Game' To Begin The Next Round.");
    }
}

} // namespace
