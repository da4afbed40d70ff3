// A whole game over real TCP: a hub and three windows in this process, Hal
// hosting, Ann and Bob playing. The host's calls are driven by firing its
// timer and Ann's card checks by firing the card's timer; only the network
// is waited for.

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
#include <memory>

namespace {

struct Seat
{
    Seat(quint16 port, const QString &name, quint64 seed)
        : link(QStringLiteral("127.0.0.1"))
        , random(seed, [] { return quint64(1000); })
    {
        window = std::make_unique<frmMain>(WindowContext{
            boxes, link, random, folder.path(), QStringLiteral("x %1 K1 %2 Hal").arg(port).arg(name)});
    }

    template <typename T>
    T *Control(const QString &name) const { return window->findChild<T *>(name); }

    bool Logged(const QString &text) const
    {
        for (const ChatLine &line : ChatLines(*window)) {
            if (line.text == text)
                return true;
        }
        return false;
    }

    QTemporaryDir folder;
    RecordingMessageBoxes boxes;
    TcpGameLink link;
    RandomGenerator random;
    std::unique_ptr<frmMain> window;
};

void fire(QObject *timer)
{
    QMetaObject::invokeMethod(timer, "timeout");
}

class WholeGame : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(hub.Listen(QHostAddress::LocalHost, 0)) << hub.ErrorString().toStdString();
        quint64 seed = 11;
        for (const char *name : {"Hal", "Ann", "Bob"}) {
            seats.push_back(std::make_unique<Seat>(hub.Port(), QString::fromUtf8(name), seed++));
            ASSERT_FALSE(seats.back()->window->Startup());
            seats.back()->window->show();
        }
        ASSERT_TRUE(everyone([](Seat &s) { return s.Control<QListWidget>(QStringLiteral("lstUsers"))->count() == 3; }));
    }

    template <typename Condition>
    bool everyone(Condition condition)
    {
        return QTest::qWaitFor([&] {
            for (auto &seat : seats) {
                if (!condition(*seat))
                    return false;
            }
            return true;
        }, 10000);
    }

    // Ann plays the top row of her first card: she marks each of its numbers
    // when it is called, and claims as soon as BINGO! comes on.
    void playRound(int expectedTotal)
    {
        Seat &hal = *seats[0];
        Seat &ann = *seats[1];
        const int startsBefore = countLogged(ann, QStringLiteral("** A New Game Has Been Started."));
        // The longest interval: the host's timer never ticks by itself here.
        hal.Control<QLineEdit>(QStringLiteral("txtSec"))->setText(QStringLiteral("99"));
        hal.Control<QPushButton>(QStringLiteral("cmdNewGame"))->click();
        ASSERT_TRUE(everyone([&](Seat &s) {
            return countLogged(s, QStringLiteral("** A New Game Has Been Started.")) == startsBefore + 1;
        }));
        for (auto &seat : seats)
            EXPECT_EQ(seat->Control<QLineEdit>(QStringLiteral("txtSec"))->text(), u"99");
        QWidget *card = ann.window->findChild<QWidget *>(QStringLiteral("Card0"));
        ASSERT_NE(card, nullptr);
        QMap<QString, QLabel *> line;
        for (int i = 0; i < 5; ++i) {
            auto *label = card->findChild<QLabel *>(QStringLiteral("lblMyNum%1").arg(i));
            line.insert(label->text(), label);
        }
        ASSERT_EQ(line.size(), 5);

        QTimer *calling = hal.window->HostTimer();
        std::vector<qsizetype> callsBefore;
        for (auto &seat : seats)
            callsBefore.push_back(calledNumbers(*seat).size());
        int marked = 0;
        for (int tick = 1; tick <= 100 && marked < 5; ++tick) {
            ASSERT_TRUE(calling->isActive());
            fire(calling);
            ASSERT_TRUE(QTest::qWaitFor([&] {
                for (size_t i = 0; i < seats.size(); ++i) {
                    if (calledNumbers(*seats[i]).size() != callsBefore[i] + tick)
                        return false;
                }
                return true;
            }, 10000));
            if (QLabel *label = line.value(calledNumbers(ann).last())) {
                QTest::mouseClick(label, Qt::LeftButton);
                ++marked;
            }
        }
        ASSERT_EQ(marked, 5);

        auto *bingo = ann.Control<QPushButton>(QStringLiteral("cmdBingo"));
        EXPECT_FALSE(bingo->isEnabled());
        fire(card->findChild<QTimer *>(QStringLiteral("tmrWinner")));
        ASSERT_TRUE(bingo->isEnabled());
        bingo->click();

        const QString win = QStringLiteral("** Ann Has Won The Game! %1 Total Win(s)! **").arg(expectedTotal);
        ASSERT_TRUE(everyone([&](Seat &s) { return s.Logged(win); }));
        for (auto &seat : seats)
            EXPECT_FALSE(seat->Control<QPushButton>(QStringLiteral("cmdBingo"))->isEnabled());
        EXPECT_FALSE(calling->isActive());
        EXPECT_EQ(ChatLines(*hal.window).last().text, u"** Click 'New Game' To Begin The Next Round.");
    }

    static QStringList calledNumbers(const Seat &seat)
    {
        static const QRegularExpression called(QStringLiteral(R"(^\*\* The Number \((\d+)\) Has Been Called\.$)"));
        QStringList numbers;
        for (const ChatLine &line : ChatLines(*seat.window)) {
            if (const auto match = called.match(line.text); match.hasMatch())
                numbers << match.captured(1);
        }
        return numbers;
    }

    static int countLogged(const Seat &seat, const QString &text)
    {
        int count = 0;
        for (const ChatLine &line : ChatLines(*seat.window))
            count += line.text == text;
        return count;
    }

    Hub hub;
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
