// A whole game over real TCP: a hub and three windows in this process, Hal
// hosting, Ann and Bob playing. The host's calls are driven by firing its
// timer and Ann's card checks by firing the card's timer; only the network
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
#include <QRegularExpression>
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

    template <typename T>
    T *Control(const char *name) const { return window.findChild<T *>(QString::fromUtf8(name)); }

    QStringList Log() const
    {
        QStringList texts;
        for (const ChatLine &line : ChatLines(window))
            texts << line.text;
        return texts;
    }

    // The numbers the window has shown called, in order.
    QStringList Called() const
    {
        static const QRegularExpression called(QStringLiteral(R"(^\*\* The Number \((\d+)\) Has Been Called\.$)"));
        QStringList numbers;
        for (const QString &text : Log()) {
            if (const auto match = called.match(text); match.hasMatch())
                numbers << match.captured(1);
        }
        return numbers;
    }

    QTemporaryDir folder;
    RecordingMessageBoxes boxes;
    TcpGameLink link;
    RandomGenerator random;
    frmMain window;
};

class WholeGame : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(connections.Listen(QHostAddress::LocalHost, 0)) << connections.ErrorString().toStdString();
        quint64 seed = 11;
        for (const char *name : {"Hal", "Ann", "Bob"}) {
            seats.push_back(std::make_unique<Seat>(connections.Port(), QString::fromUtf8(name), seed++));
            ASSERT_FALSE(seats.back()->window.Startup());
            seats.back()->window.show();
        }
        ASSERT_TRUE(everyone([](Seat &s) { return s.Control<QListWidget>("lstUsers")->count() == 3; }));
    }

    template <typename Condition>
    bool everyone(Condition condition)
    {
        return QTest::qWaitFor([&] {
            return std::all_of(seats.begin(), seats.end(), [&](auto &seat) { return condition(*seat); });
        }, 10000);
    }

    // Ann plays the top row of her first card: she marks each of its numbers
    // when it is called, and claims as soon as BINGO! comes on.
    void playRound(int expectedTotal)
    {
        Seat &hal = *seats[0];
        Seat &ann = *seats[1];
        const QString started = QStringLiteral("** A New Game Has Been Started.");
        const qsizetype startsBefore = ann.Log().count(started);
        // The longest interval: the host's timer never ticks by itself here.
        hal.Control<QLineEdit>("txtSec")->setText(QStringLiteral("99"));
        hal.Control<QPushButton>("cmdNewGame")->click();
        ASSERT_TRUE(everyone([&](Seat &s) { return s.Log().count(started) == startsBefore + 1; }));
        for (auto &seat : seats)
            EXPECT_EQ(seat->Control<QLineEdit>("txtSec")->text(), u"99");
        ctlCard *card = ann.window.Card(0);
        QMap<QString, QLabel *> line;
        for (int i = 0; i < 5; ++i) {
            auto *label = card->findChild<QLabel *>(QStringLiteral("lblMyNum%1").arg(i));
            line.insert(label->text(), label);
        }
        ASSERT_EQ(line.size(), 5);

        QTimer *calling = hal.window.HostTimer();
        const qsizetype callsBefore = ann.Called().size();
        int marked = 0;
        for (int tick = 1; tick <= 100 && marked < 5; ++tick) {
            ASSERT_TRUE(calling->isActive());
            QMetaObject::invokeMethod(calling, "timeout");
            ASSERT_TRUE(everyone([&](Seat &s) { return s.Called().size() == callsBefore + tick; }));
            if (QLabel *label = line.value(ann.Called().last())) {
                QTest::mouseClick(label, Qt::LeftButton);
                ++marked;
            }
        }
        ASSERT_EQ(marked, 5);

        auto *bingo = ann.Control<QPushButton>("cmdBingo");
        EXPECT_FALSE(bingo->isEnabled());
        QMetaObject::invokeMethod(card->findChild<QTimer *>(QStringLiteral("tmrWinner")), "timeout");
        ASSERT_TRUE(bingo->isEnabled());
        bingo->click();

        const QString win = QStringLiteral("** Ann Has Won The Game! %1 Total Win(s)! **").arg(expectedTotal);
        ASSERT_TRUE(everyone([&](Seat &s) { return s.Log().contains(win); }));
        for (auto &seat : seats)
            EXPECT_FALSE(seat->Control<QPushButton>("cmdBingo")->isEnabled());
        EXPECT_FALSE(calling->isActive());
        EXPECT_EQ(hal.Log().last(), u"** Click 'New Game' To Begin The Next Round.");
    }

    Connections connections;
    Hub hub{connections};
    std::vector<std::unique_ptr<Seat>> seats;
};

TEST_F(WholeGame, APlayerWinsTwoRoundsAndEveryWindowShowsHisTotals)
{
    playRound(1);
    if (HasFatalFailure())
        return;
    playRound(2);
}

} // namespace
