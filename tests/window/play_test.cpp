// SPDX-License-Identifier: GPL-3.0-or-later
// The host's window played with a fake link: New Game and the calling, typing
// after a button press, a round on the cards and BINGO!, and labels that fit.

#include "support/windowfixture.h"
#include "window/ctlcard.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class HostWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(f.window->Startup());
        f.Show();
    }
    // Clicks a button, then types a line and an empty one: what was sent meanwhile.
    QStringList press(QPushButton *button)
    {
        const qsizetype before = f.link.sent.size();
        QTest::mouseClick(button, Qt::LeftButton);
        QTest::keyClicks(QApplication::focusWidget(), u" go\r\r"_s);
        return f.link.sent.mid(before);
    }
    void deliver(const QString &record) { f.link.Deliver(u"Hal"_s, u"Comm;"_s + record); }
    ctlCard &card(int i) { return *f.Control<ctlCard>(u"Card%1"_s.arg(i)); }
    bool checking(int i) { return card(i).findChild<QTimer *>(u"tmrWinner"_s)->isActive(); }

    WindowFixture f{u"x 7001 K1 Hal Hal"_s};
    const QStringList typed = {u"Chat; go"_s, u"Chat;"_s}; // the typing goes to the chat, not the button
    QTimer *timer = f.Control<QTimer>(u"tmrHost"_s);
    QPushButton *bingo = f.Control<QPushButton>(u"cmdBingo"_s), *newGame = f.Control<QPushButton>(u"cmdNewGame"_s);
    QLineEdit *seconds = f.Control<QLineEdit>(u"txtSec"_s);
};

TEST_F(HostWindow, ShowsEveryLabelWholeAndTakesTypingInTheChatInput)
{
    EXPECT_EQ(QApplication::focusWidget(), f.Control<QLineEdit>(u"txtChatOut"_s));
    for (const QLabel *label : f.window->findChildren<QLabel *>()) {
        const QFontMetrics metrics(label->font());
        EXPECT_TRUE(metrics.horizontalAdvance(label->text()) <= label->width() && metrics.height() <= label->height()
                    && !(label->parent() == f.window.get() && label->geometry().intersects(seconds->geometry())))
            << label->objectName().toStdString();
    }
}

TEST_F(HostWindow, NewGameSendsTheRoundAndCallsAtItsIntervalUntilTheHundredth)
{
    // Each round's seed goes just before it.
    const auto seeded = [](QStringList sent) { return sent.value(0).startsWith(u"Comm;8|") ? sent.mid(1) : sent << u"no seed"_s; };
    seconds->setText(u"45"_s);
    EXPECT_EQ(seeded(press(newGame)), QStringList("Comm;2|ResetMe|45") + typed);
    EXPECT_EQ(f.boxes.Lines(), QStringList("3 Confirm: Starting a new game will end any game in progress, Proceede?"));
    for (int tick = 0; tick < 100; ++tick) {
        ASSERT_TRUE(timer->isActive()) << "tick " << tick;
        QMetaObject::invokeMethod(timer, "timeout");
    }
    EXPECT_TRUE(!timer->isActive() && f.link.sent.size() == 104) << "the seed, the new game, two typed lines and 100 calls";
    EXPECT_EQ(Board(*f.window), QString()) << "a call shows when its record comes back";

    timer->start();
    f.boxes.answers = {false};
    seconds->setText(u"5"_s);
    EXPECT_EQ(press(newGame), typed);
    EXPECT_TRUE(timer->isActive() && timer->interval() == 45000) << "answered No, New Game changes nothing";
    seconds->setText(u"0"_s);
    EXPECT_EQ(seeded(press(newGame)), QStringList("Comm;2|ResetMe|0") + typed);
    EXPECT_TRUE(!timer->isActive() && timer->interval() == 0) << "an interval of 0 starts a game that calls nothing";
}

TEST_F(HostWindow, DealsBothCardsAfreshForARoundAndStopsEverythingAtItsWin)
{
    deliver(u"1|9"_s);
    QTest::mouseClick(card(1).findChild<QLabel *>(u"lblMyNum0"_s), Qt::LeftButton);
    const CardModel before[] = {card(0).Model(), card(1).Model()};
    ASSERT_TRUE(Board(*f.window) == u"9" && before[1].Marks() != 0);
    for (const char *record : {"2|ResetMe|ab", "1|1", "1|2", "1|3", "1|4", "1|5"}) deliver(QString::fromUtf8(record));
    for (int i : {0, 1}) EXPECT_TRUE(card(i).Model().AllNumbers() != before[i].AllNumbers() && card(i).Model().Marks() == 0 && checking(i)) << i;
    EXPECT_TRUE(Board(*f.window) == u"1 2 3 4 5" && seconds->text() == u"ab");
    EXPECT_TRUE(!bingo->isEnabled() && f.window->ClaimAllowed());

    QStringList row;
    for (int i = 0; i < 5; ++i) {
        QTest::mouseClick(card(0).findChild<QLabel *>(u"lblMyNum%1"_s.arg(i)), Qt::LeftButton);
        row << QString::number(card(0).Model().Number(i));
        deliver(u"1|"_s + row.last());
    }
    card(0).CheckLines();
    EXPECT_EQ(press(bingo), QStringList("Comm;4|Hal|" + row.join(u'@') + u"|1"_s) + typed);

    deliver(u"3|Ann|1"_s);
    EXPECT_FALSE(timer->isActive() || bingo->isEnabled() || f.window->ClaimAllowed() || checking(0) || checking(1));
    EXPECT_EQ(ChatLines(*f.window).last(), u"4:** Click 'New Game' To Begin The Next Round.");
}

TEST(HostsWindow, ClosingDuringARoundAsksFirstAndEndsTheGameForEveryoneOnlyWhenTold)
{
    const QString question = u"3 Kalumo Bingo: You host this game: closing ends it for everyone. Close anyway?"_s;
    // clang-format off
    const struct { const char *what; bool round, answer, bySignal, closes, ends; } table[] = {
        {"no round in progress", false, false, false, true, true}, {"a round, answered No", true, false, false, false, false},
        {"a round, answered Yes", true, true, false, true, true}, {"a round, and a signal", true, false, true, true, false},
    };
    // clang-format on
    for (const auto &row : table) {
        WindowFixture f(u"x 7001 K1 Hal Hal"_s);
        ASSERT_FALSE(f.window->Startup());
        f.Show();
        if (row.round) f.link.Deliver(u"Hal"_s, u"Comm;2|ResetMe|10"_s);
        f.boxes.answers = {row.answer};
        f.boxes.shown.clear();
        row.bySignal ? f.window->CloseKeepingGame() : void(f.window->close());
        EXPECT_EQ(f.window->isVisible(), !row.closes) << row.what;
        EXPECT_EQ(f.link.endedGame, row.ends) << row.what;
        EXPECT_EQ(f.boxes.Lines(), row.round && !row.bySignal ? QStringList{question} : QStringList()) << row.what;
    }
}

} // namespace
