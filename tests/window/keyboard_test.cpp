// The window as a player uses it: typing after pressing a button, the line a
// BINGO! press claims with, and labels that show their whole text.

#include "card/ctlcard.h"
#include "support/chatlines.h"
#include "support/windowfixture.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Marks the top row of a card; gives its numbers.
QStringList markTopRow(const ctlCard &card)
{
    QStringList numbers;
    for (int i = 0; i < 5; ++i) {
        auto *label = card.findChild<QLabel *>(QStringLiteral("lblMyNum%1").arg(i));
        QTest::mouseClick(label, Qt::LeftButton);
        numbers << label->text();
    }
    return numbers;
}

void checkLines(const ctlCard &card)
{
    QMetaObject::invokeMethod(card.findChild<QTimer *>(QStringLiteral("tmrWinner")), "timeout");
}

TEST(Keyboard, TypingAfterAButtonPressGoesToTheChatAndNeverPressesAButton)
{
    WindowFixture fixture(QStringLiteral("x 7001 K1 Hal Hal"));
    ASSERT_FALSE(fixture.window->Startup());
    fixture.window->show();
    QApplication::setActiveWindow(fixture.window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(fixture.window.get()));
    auto *chat = fixture.Control<QLineEdit>(QStringLiteral("txtChatOut"));
    EXPECT_EQ(QApplication::focusWidget(), chat);
    for (QPushButton *button : fixture.window->findChildren<QPushButton *>()) {
        EXPECT_EQ(button->focusPolicy(), Qt::TabFocus) << button->text().toStdString();
        EXPECT_FALSE(button->isDefault() || button->autoDefault()) << button->text().toStdString();
    }

    auto *newGame = fixture.Control<QPushButton>(QStringLiteral("cmdNewGame"));
    auto *bingo = fixture.Control<QPushButton>(QStringLiteral("cmdBingo"));
    auto *card = fixture.Control<ctlCard>(QStringLiteral("Card0"));
    fixture.boxes.answers = {true, false};
    QStringList expected;
    for (QPushButton *button : {newGame, bingo, newGame}) {
        if (button == bingo) {
            fixture.link.Deliver(QStringLiteral("Hal"), QStringLiteral("Comm;2|ResetMe|10"));
            markTopRow(*card);
            checkLines(*card);
            ASSERT_TRUE(bingo->isEnabled());
        }
        const qsizetype sentBefore = fixture.SentMessages().size();
        QTest::mouseClick(button, Qt::LeftButton);
        expected << fixture.SentMessages().mid(sentBefore);
        // A blank, a word and Enter, then Enter alone.
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral(" go"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        expected << QStringLiteral("Chat; go") << QStringLiteral("Chat;");
        EXPECT_EQ(QApplication::focusWidget(), chat) << button->text().toStdString();
    }
    EXPECT_EQ(fixture.SentMessages(), expected);
    EXPECT_TRUE(expected.at(0).startsWith(u"Comm;2|") && expected.at(3).startsWith(u"Comm;4|")) << expected.join(u'\n').toStdString();
    EXPECT_EQ(fixture.boxes.shown.size(), 2);

    // A command the host does not have is not sent; only the host hears so.
    QTest::keyClicks(chat, QStringLiteral("/dance"));
    QTest::keyClick(chat, Qt::Key_Return);
    EXPECT_EQ(fixture.SentMessages(), expected);
    EXPECT_TRUE(ChatLines(*fixture.window).last().text.startsWith(u"** /dance was not run"));
}

TEST(Claim, CarriesACompleteLineOfCalledNumbersWhicheverCardReportedLast)
{
    // Which card's top row is called (-1: neither), and which card checks last.
    const struct { int called, last; } cases[] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}, {-1, 0}, {-1, 1}};
    for (const auto &c : cases) {
        WindowFixture fixture(QStringLiteral("x 7001 K1 Ann Hal"));
        ASSERT_FALSE(fixture.window->Startup());
        fixture.link.Deliver(QStringLiteral("Hal"), QStringLiteral("Comm;2|ResetMe|10"));
        const std::array<ctlCard *, 2> cards = {fixture.Control<ctlCard>(QStringLiteral("Card0")),
                                                fixture.Control<ctlCard>(QStringLiteral("Card1"))};
        const std::array<QStringList, 2> rows = {markTopRow(*cards[0]), markTopRow(*cards[1])};
        if (c.called >= 0) {
            for (const QString &n : rows[c.called])
                fixture.link.Deliver(QStringLiteral("Hal"), QStringLiteral("Comm;1|") + n);
        }
        checkLines(*cards[1 - c.last]);
        checkLines(*cards[c.last]);
        fixture.Control<QPushButton>(QStringLiteral("cmdBingo"))->click();
        const QStringList &line = rows[c.called >= 0 ? c.called : c.last];
        EXPECT_EQ(fixture.SentMessages().last(), QStringLiteral("Comm;4|Ann|") + line.join(u'@'))
            << "called " << c.called << ", last " << c.last;
    }
}

TEST(Layout, EveryLabelShowsItsWholeTextAndTheIntervalLineDoesNotOverlap)
{
    WindowFixture fixture(QStringLiteral("x 7001 K1 Ann Hal"));
    ASSERT_FALSE(fixture.window->Startup());
    for (const QLabel *label : fixture.window->findChildren<QLabel *>()) {
        if (label->text().isEmpty() || !label->isVisibleTo(fixture.window.get()))
            continue;
        const QFontMetrics metrics(label->font());
        EXPECT_LE(metrics.horizontalAdvance(label->text()), label->width()) << label->objectName().toStdString();
        EXPECT_LE(metrics.height(), label->height()) << label->objectName().toStdString();
    }
    const QRect seconds = fixture.Control<QLineEdit>(QStringLiteral("txtSec"))->geometry();
    for (const char *name : {"Label1", "Label2"})
        EXPECT_FALSE(fixture.Control<QLabel>(QString::fromUtf8(name))->geometry().intersects(seconds)) << name;
}

} // namespace
