// The window played with a fake link: what the host's window shows and sends, typing
// after a button press, labels that fit, and the line BINGO! claims with.

#include "window/ctlcard.h"
#include "support/windowfixture.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

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

// Clicks the top row of card 0 or 1; gives its numbers.
QStringList markTopRow(const WindowFixture &f, int card)
{
    QStringList numbers;
    for (int i = 0; i < 5; ++i) {
        auto *label = onCard<QLabel>(f, card, QStringLiteral("lblMyNum%1").arg(i));
        QTest::mouseClick(label, Qt::LeftButton);
        numbers << label->text();
    }
    return numbers;
}

void checkLines(const WindowFixture &f, int card) { f.Control<ctlCard>(QStringLiteral("Card%1").arg(card))->CheckLines(); }

bool checking(const WindowFixture &f, int card) { return onCard<QTimer>(f, card, QStringLiteral("tmrWinner"))->isActive(); }

TEST(HostWindow, FitsItsLabelsShowsWhatTheHostsRecordsSayIgnoresForgedOnesAndCallsUntilTheHundredth)
{
    WindowFixture f(QStringLiteral("x 7001 K1 Hal Hal"));
    ASSERT_FALSE(f.window->Startup());
    f.window->show();
    QApplication::setActiveWindow(f.window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.window.get()));
    EXPECT_EQ(QApplication::focusWidget(), f.Control<QLineEdit>(QStringLiteral("txtChatOut")));
    // Clicks a button, then types a line and an empty one: the typing goes to the chat, not the button.
    const auto press = [&](QPushButton *button) {
        const qsizetype before = f.link.sent.size();
        QTest::mouseClick(button, Qt::LeftButton);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral(" go\r\r"));
        return f.link.sent.mid(before);
    };
    const QStringList typed = {QStringLiteral("Chat; go"), QStringLiteral("Chat;")};
    auto *seconds = f.Control<QLineEdit>(QStringLiteral("txtSec"));
    for (const QLabel *label : f.window->findChildren<QLabel *>()) {
        const QFontMetrics metrics(label->font());
        EXPECT_TRUE(metrics.horizontalAdvance(label->text()) <= label->width() && metrics.height() <= label->height()
                    && !(label->parent() == f.window.get() && label->geometry().intersects(seconds->geometry())))
            << label->objectName().toStdString();
    }
    auto *timer = f.Control<QTimer>(QStringLiteral("tmrHost"));
    auto *bingo = f.Control<QPushButton>(QStringLiteral("cmdBingo"));
    auto *newGame = f.Control<QPushButton>(QStringLiteral("cmdNewGame"));
    seconds->setText(QStringLiteral("45"));
    EXPECT_EQ(press(newGame), QStringList("Comm;2|ResetMe|45") + typed);
    EXPECT_EQ(f.boxes.Lines(), QStringList("3 Confirm: Starting a new game will end any game in progress, Proceede?"));
    for (int tick = 0; tick < 100; ++tick) {
        ASSERT_TRUE(timer->isActive()) << "tick " << tick;
        QMetaObject::invokeMethod(timer, "timeout");
    }
    EXPECT_TRUE(!timer->isActive() && f.link.sent.size() == 103) << "the new game, two typed lines and 100 calls";
    EXPECT_EQ(Board(*f.window), QString()) << "a call shows when its record comes back";

    f.link.Deliver(QStringLiteral("Hal"), QStringLiteral("Comm;1|9"));
    QTest::mouseClick(onCard<QLabel>(f, 1, QStringLiteral("lblMyNum0")), Qt::LeftButton);
    const QStringList before[] = {face(f, 0), face(f, 1)};
    ASSERT_TRUE(Board(*f.window) == u"9" && before[1].contains(u"x"));
    for (const char *record : {"Comm;2|ResetMe|ab", "Comm;1|1", "Comm;1|2", "Comm;1|3", "Comm;1|4", "Comm;1|5"})
        f.link.Deliver(QStringLiteral("Hal"), QString::fromUtf8(record));
    // Both cards dealt afresh, without marks, and checking; the board shows the new game.
    for (int card : {0, 1})
        EXPECT_TRUE(face(f, card) != before[card] && !face(f, card).contains(u"x") && checking(f, card)) << card;
    EXPECT_EQ(Board(*f.window), u"1 2 3 4 5");
    EXPECT_TRUE(!bingo->isEnabled() && f.window->ClaimAllowed());

    // Records only the host may send, and a claim in another's name, change nothing; calls stay random.
    const QStringList logged = ChatLines(*f.window), sent = f.link.sent;
    for (const char *forged : {"Comm;1|8", "Comm;2|ResetMe|15", "Comm;3|Bob|1", "Chat;/call 9", "Comm;4|Ann|1@2@3@4@5"})
        f.link.Deliver(QStringLiteral("Bob"), QString::fromUtf8(forged));
    timer->start();
    QMetaObject::invokeMethod(timer, "timeout");
    EXPECT_TRUE(ChatLines(*f.window) == logged && Board(*f.window) == u"1 2 3 4 5" && seconds->text() == u"ab");
    EXPECT_TRUE(f.link.sent.size() == sent.size() + 1 && f.link.sent.last() != u"Comm;1|9");

    const QStringList row = markTopRow(f, 0);
    for (const QString &n : row)
        f.link.Deliver(QStringLiteral("Hal"), QStringLiteral("Comm;1|") + n);
    checkLines(f, 0);
    EXPECT_EQ(press(bingo), QStringList("Comm;4|Hal|" + row.join(u'@')) + typed);

    f.link.Deliver(QStringLiteral("Hal"), QStringLiteral("Comm;3|Ann|1"));
    EXPECT_FALSE(timer->isActive() || bingo->isEnabled() || f.window->ClaimAllowed() || checking(f, 0) || checking(f, 1));
    EXPECT_EQ(ChatLines(*f.window).last(), u"4:** Click 'New Game' To Begin The Next Round.");

    timer->start();
    f.boxes.answers = {false};
    seconds->setText(QStringLiteral("5"));
    EXPECT_EQ(press(newGame), typed);
    EXPECT_TRUE(timer->isActive() && timer->interval() == 45000) << "answered No, New Game changes nothing";
    seconds->setText(QStringLiteral("0"));
    EXPECT_EQ(press(newGame), QStringList("Comm;2|ResetMe|0") + typed);
    EXPECT_TRUE(!timer->isActive() && timer->interval() == 0) << "an interval of 0 starts a game that calls nothing";
}

TEST(Claim, CarriesACompleteLineOfCalledNumbersWhicheverCardReportedLast)
{
    // Which card's top row is called (-1: neither), and which card checks last.
    for (const auto &[called, last] : {std::pair{0, 0}, {0, 1}, {1, 0}, {1, 1}, {-1, 0}, {-1, 1}}) {
        WindowFixture f(QStringLiteral("x 7001 K1 Ann Hal"));
        ASSERT_FALSE(f.window->Startup());
        f.link.Deliver(QStringLiteral("Hal"), QStringLiteral("Comm;2|ResetMe|10"));
        const QStringList rows[] = {markTopRow(f, 0), markTopRow(f, 1)};
        for (const QString &n : called >= 0 ? rows[called] : QStringList())
            f.link.Deliver(QStringLiteral("Hal"), QStringLiteral("Comm;1|") + n);
        checkLines(f, 1 - last);
        checkLines(f, last);
        for (int press = 0; press < 2; ++press)
            f.Control<QPushButton>(QStringLiteral("cmdBingo"))->click();
        EXPECT_EQ(f.link.sent, QStringList(2, QStringLiteral("Comm;4|Ann|") + rows[called >= 0 ? called : last].join(u'@')))
            << "called " << called << ", last " << last;
    }
}

} // namespace
