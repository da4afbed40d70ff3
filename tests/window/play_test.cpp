// What the window shows and sends while a game is played, with a fake link.

#include "card/ctlcard.h"
#include "support/chatlines.h"
#include "support/windowfixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

const QString HostLine = QStringLiteral("x 7001 K1 Hal Hal");

// The board as text: the numbers shown green, and "?" for a cell that shows
// another number or another colour.
QString board(const WindowFixture &f)
{
    QStringList shown;
    for (int n = 1; n <= 100; ++n) {
        const auto *cell = f.Control<QLabel>(QStringLiteral("lblItm%1").arg(n));
        const QColor colour = cell->palette().color(QPalette::WindowText);
        if (cell->text() != QString::number(n) || (colour != QColor(255, 255, 255) && colour != QColor(0, 255, 0)))
            shown << QStringLiteral("?");
        else if (colour == QColor(0, 255, 0))
            shown << cell->text();
    }
    return shown.join(u' ');
}

template <typename T>
T *onCard(const WindowFixture &f, int card, const QString &name)
{
    return f.Control<ctlCard>(QStringLiteral("Card%1").arg(card))->findChild<T *>(name);
}

// What a card shows: its 25 numbers, "x" after each marked one.
QStringList face(const WindowFixture &f, int card)
{
    QStringList shown;
    for (int i = 0; i < 25; ++i) {
        shown << onCard<QLabel>(f, card, QStringLiteral("lblMyNum%1").arg(i))->text();
        if (!onCard<QWidget>(f, card, QStringLiteral("shpMarker%1").arg(i))->isHidden())
            shown << QStringLiteral("x");
    }
    return shown;
}

bool checking(const WindowFixture &f, int card) { return onCard<QTimer>(f, card, QStringLiteral("tmrWinner"))->isActive(); }

TEST(HostWindow, ShowsWhatTheHostsRecordsSayIgnoresForgedOnesAndCallsUntilTheHundredth)
{
    WindowFixture f(HostLine);
    ASSERT_FALSE(f.window->Startup());
    auto *timer = f.Control<QTimer>(QStringLiteral("tmrHost"));
    auto *bingo = f.Control<QPushButton>(QStringLiteral("cmdBingo"));
    auto *seconds = f.Control<QLineEdit>(QStringLiteral("txtSec"));
    auto *newGame = f.Control<QPushButton>(QStringLiteral("cmdNewGame"));
    seconds->setText(QStringLiteral("45"));
    newGame->click();
    ASSERT_EQ(f.boxes.shown.size(), 1);
    EXPECT_EQ(f.boxes.shown[0].kind, ShownBox::Question);
    EXPECT_EQ(f.boxes.shown[0].title + u':' + f.boxes.shown[0].text, u"Confirm:Starting a new game will end any game in progress, Proceede?");
    EXPECT_EQ(f.SentMessages(), QStringList{"Comm;2|ResetMe|45"});
    EXPECT_EQ(timer->interval(), 45000);
    for (int tick = 0; tick < 100; ++tick) {
        ASSERT_TRUE(timer->isActive()) << "tick " << tick;
        QMetaObject::invokeMethod(timer, "timeout");
    }
    EXPECT_FALSE(timer->isActive());
    EXPECT_EQ(f.SentMessages().size(), 101) << "the new game and 100 calls";
    EXPECT_EQ(board(f), QString()) << "a call shows when its record comes back";

    f.link.Deliver(QStringLiteral("Hal"), QStringLiteral("Comm;1|9"));
    QTest::mouseClick(onCard<QLabel>(f, 1, QStringLiteral("lblMyNum0")), Qt::LeftButton);
    const QStringList before[] = {face(f, 0), face(f, 1)};
    ASSERT_EQ(board(f), u"9");
    ASSERT_TRUE(before[1].contains(u"x"));
    for (const char *record : {"Comm;2|ResetMe|ab", "Comm;1|1", "Comm;1|2", "Comm;1|3", "Comm;1|4", "Comm;1|5"})
        f.link.Deliver(QStringLiteral("Hal"), QString::fromUtf8(record));
    // Both cards dealt afresh, without marks, and checking; the board shows the new game.
    for (int card : {0, 1}) {
        EXPECT_NE(face(f, card), before[card]);
        EXPECT_FALSE(face(f, card).contains(u"x"));
        EXPECT_TRUE(checking(f, card));
    }
    EXPECT_EQ(board(f), u"1 2 3 4 5");
    EXPECT_EQ(seconds->text(), u"ab");
    EXPECT_EQ(ChatLines(*f.window).last(), u"4:** The Number (5) Has Been Called.");
    EXPECT_FALSE(bingo->isEnabled());
    EXPECT_TRUE(f.window->ClaimAllowed());

    // A player's records that only the host may send, and a claim in another
    // player's name, change nothing; the next call is still left to chance.
    const QStringList logged = ChatLines(*f.window), sent = f.SentMessages();
    for (const char *forged : {"Comm;1|8", "Comm;2|ResetMe|15", "Comm;3|Bob|1", "Chat;/call 9", "Comm;4|Ann|1@2@3@4@5"})
        f.link.Deliver(QStringLiteral("Bob"), QString::fromUtf8(forged));
    timer->start();
    QMetaObject::invokeMethod(timer, "timeout");
    EXPECT_EQ(ChatLines(*f.window), logged);
    EXPECT_EQ(board(f), u"1 2 3 4 5");
    EXPECT_EQ(seconds->text(), u"ab");
    ASSERT_EQ(f.SentMessages().size(), sent.size() + 1);
    EXPECT_NE(f.SentMessages().last(), u"Comm;1|9");

    // BINGO! sends the line reported last, on every press.
    f.window->SetWin(QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("6"));
    f.window->SetWin(QStringLiteral("5"), QStringLiteral("17"), QStringLiteral("33"), QStringLiteral("48"), QStringLiteral("62"));
    f.window->EnableBingo();
    bingo->click();
    bingo->click();
    EXPECT_EQ(f.SentMessages().mid(sent.size() + 1), QStringList(2, QStringLiteral("Comm;4|Hal|5@17@33@48@62")));

    f.link.Deliver(QStringLiteral("Hal"), QStringLiteral("Comm;3|Ann|1"));
    EXPECT_FALSE(timer->isActive());
    EXPECT_FALSE(bingo->isEnabled());
    EXPECT_FALSE(f.window->ClaimAllowed());
    EXPECT_FALSE(checking(f, 0) || checking(f, 1));
    EXPECT_EQ(ChatLines(*f.window).last(), u"4:** Click 'New Game' To Begin The Next Round.");

    const qsizetype sentBefore = f.SentMessages().size();
    timer->start();
    f.boxes.answers = {false};
    seconds->setText(QStringLiteral("5"));
    newGame->click();
    EXPECT_TRUE(timer->isActive() && timer->interval() == 45000) << "answered No, New Game changes nothing";
    seconds->setText(QStringLiteral("0"));
    newGame->click();
    EXPECT_EQ(f.SentMessages().mid(sentBefore), QStringList{"Comm;2|ResetMe|0"});
    EXPECT_FALSE(timer->isActive()) << "an interval of 0 starts a game that calls nothing";
    EXPECT_EQ(timer->interval(), 0);
}

} // namespace
