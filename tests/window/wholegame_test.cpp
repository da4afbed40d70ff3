// A whole game over real TCP, a hub and windows in this process; timers are
// fired by hand and only the network is waited for.

#include "window/ctlcard.h"
#include "card/deal.h"
#include "connections.h"
#include "hub.h"
#include "link/tcpgamelink.h"
#include "support/windowfixture.h"

#include <QLabel>
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
    QStringList Calls() const { return ChatLines(window).filter(QStringLiteral(" Has Been Called.")); }
    QLabel *TopCell(int i) { return Control<ctlCard>("Card0")->findChild<QLabel *>(QStringLiteral("lblMyNum%1").arg(i)); }
    // Marks the top row of the first card, has the card check it and presses BINGO!.
    void Claim()
    {
        for (int i = 0; i < 5; ++i)
            QTest::mouseClick(TopCell(i), Qt::LeftButton);
        QMetaObject::invokeMethod(Control<ctlCard>("Card0")->findChild<QTimer *>(QStringLiteral("tmrWinner")), "timeout");
        Control<QPushButton>("cmdBingo")->click();
    }

    QTemporaryDir folder;
    RecordingMessageBoxes boxes;
    TcpGameLink link{QStringLiteral("127.0.0.1")};
    RandomGenerator random;
    frmMain window;
};

TEST(WholeGame, APlayerWinsTwoRoundsEveryWindowShowsHerTotalsAndANewcomerWinsWithCallsMadeBeforeHeCame)
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

    // Ann wins two rounds with her first card's top row. In a third, Cy joins once his top row is
    // called: his window deals two cards when made and again when it catches up, so the same
    // random state replays his first card's second deal.
    RandomGenerator twin(14, [] { return quint64(1000); });
    for (int i = 0; i < 2 * CardDeal::Cells; ++i)
        twin.NextNumber(CardDeal::HighestDraw);
    const auto deal = CardDeal::Deal([&] { return twin.NextNumber(CardDeal::HighestDraw); });
    for (int round = 1; round <= 3; ++round) {
        // The longest interval: the host's timer never ticks by itself here.
        hal.Control<QLineEdit>("txtSec")->setText(QStringLiteral("99"));
        hal.Control<QPushButton>("cmdNewGame")->click();
        ASSERT_TRUE(shown(QStringLiteral("3:** A New Game Has Been Started."), round));
        QStringList row;
        for (int i = 0; i < 5; ++i)
            row << (round < 3 ? ann.TopCell(i)->text() : QString::number(deal[i]));
        const qsizetype before = hal.Calls().size();
        const auto called = [&](const QString &n) { return Board(hal.window).split(u' ').contains(n); };
        for (int tick = 1; !std::ranges::all_of(row, called); ++tick) {
            ASSERT_TRUE(tick <= 100 && calling->isActive());
            QMetaObject::invokeMethod(calling, "timeout");
            ASSERT_TRUE(everyone([&](Seat &s) { return s.Calls().size() == before + tick && s.Calls() == hal.Calls(); }));
        }
        Seat *winner = &ann;
        if (round == 3) {
            seats.push_back(std::make_unique<Seat>(connections.Port(), QStringLiteral("Cy"), 14));
            winner = seats.back().get();
            ASSERT_FALSE(winner->window.Startup());
            ASSERT_TRUE(QTest::qWaitFor([&] { return Board(winner->window) == Board(hal.window); }, 10000));
            EXPECT_EQ(winner->Control<QLineEdit>("txtSec")->text(), u"99");
        }
        winner->Claim();
        ASSERT_TRUE(shown(QStringLiteral("4:** %1 Has Won The Game! %2 Total Win(s)! **").arg(round < 3 ? "Ann" : "Cy").arg(round < 3 ? round : 1)));
    }
}

} // namespace
