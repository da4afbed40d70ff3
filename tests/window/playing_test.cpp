// The window as a player uses it: typing after a button press, the line
// BINGO! claims with, labels that show their whole text, and joining a round
// under way over real TCP.

#include "card/ctlcard.h"
#include "card/deal.h"
#include "connections.h"
#include "hub.h"
#include "link/tcpgamelink.h"
#include "support/chatlines.h"
#include "support/qtprinters.h"
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
T *control(const QWidget &parent, const QString &name) { return parent.findChild<T *>(name); }

// Clicks the top row of card 0 or 1; gives its numbers.
QStringList markTopRow(const QWidget &window, int card)
{
    QStringList numbers;
    for (int i = 0; i < 5; ++i) {
        auto *label = control<QLabel>(*control<ctlCard>(window, QStringLiteral("Card%1").arg(card)),
                                      QStringLiteral("lblMyNum%1").arg(i));
        QTest::mouseClick(label, Qt::LeftButton);
        numbers << label->text();
    }
    return numbers;
}

void checkLines(const QWidget &window, int card) { control<ctlCard>(window, QStringLiteral("Card%1").arg(card))->CheckLines(); }

TEST(Keyboard, TypingAfterAButtonPressGoesToTheChatAndNeverPressesAButton)
{
    WindowFixture fixture(QStringLiteral("x 7001 K1 Hal Hal"));
    ASSERT_FALSE(fixture.window->Startup());
    fixture.window->show();
    QApplication::setActiveWindow(fixture.window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(fixture.window.get()));
    EXPECT_EQ(QApplication::focusWidget(), fixture.Control<QLineEdit>(QStringLiteral("txtChatOut")));
    fixture.boxes.answers = {true, false};
    QStringList expected;
    for (const char *name : {"cmdNewGame", "cmdBingo", "cmdNewGame"}) {
        if (name[3] == 'B') {
            fixture.link.Deliver(QStringLiteral("Hal"), QStringLiteral("Comm;2|ResetMe|10"));
            markTopRow(*fixture.window, 0);
            checkLines(*fixture.window, 0);
        }
        const qsizetype sentBefore = fixture.SentMessages().size();
        QTest::mouseClick(fixture.Control<QPushButton>(QString::fromUtf8(name)), Qt::LeftButton);
        expected << fixture.SentMessages().mid(sentBefore) << QStringLiteral("Chat; go") << QStringLiteral("Chat;");
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral(" go\r\r"));
    }
    // The host's unknown command is not sent; only the host hears so.
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("/dance\r"));
    ASSERT_EQ(fixture.SentMessages(), expected);
    EXPECT_TRUE(expected.at(0).startsWith(u"Comm;2|") && expected.at(3).startsWith(u"Comm;4|"));
    EXPECT_TRUE(ChatLines(*fixture.window).last().text.startsWith(u"** /dance was not run"));
}

TEST(Claim, CarriesACompleteLineOfCalledNumbersWhicheverCardReportedLast)
{
    // Which card's top row is called (-1: neither), and which card checks last.
    for (const auto &[called, last] : {std::pair{0, 0}, {0, 1}, {1, 0}, {1, 1}, {-1, 0}, {-1, 1}}) {
        WindowFixture fixture(QStringLiteral("x 7001 K1 Ann Hal"));
        ASSERT_FALSE(fixture.window->Startup());
        fixture.link.Deliver(QStringLiteral("Hal"), QStringLiteral("Comm;2|ResetMe|10"));
        const QStringList rows[] = {markTopRow(*fixture.window, 0), markTopRow(*fixture.window, 1)};
        for (const QString &n : called >= 0 ? rows[called] : QStringList())
            fixture.link.Deliver(QStringLiteral("Hal"), QStringLiteral("Comm;1|") + n);
        checkLines(*fixture.window, 1 - last);
        checkLines(*fixture.window, last);
        fixture.Control<QPushButton>(QStringLiteral("cmdBingo"))->click();
        EXPECT_EQ(fixture.SentMessages().last(), QStringLiteral("Comm;4|Ann|") + rows[called >= 0 ? called : last].join(u'@'))
            << "called " << called << ", last " << last;
    }
}

TEST(Layout, EveryLabelShowsItsWholeTextAndTheIntervalLineDoesNotOverlap)
{
    WindowFixture fixture(QStringLiteral("x 7001 K1 Ann Hal"));
    ASSERT_FALSE(fixture.window->Startup());
    const QRect seconds = fixture.Control<QLineEdit>(QStringLiteral("txtSec"))->geometry();
    for (const QLabel *label : fixture.window->findChildren<QLabel *>()) {
        const QFontMetrics metrics(label->font());
        const std::string name = label->objectName().toStdString();
        EXPECT_LE(metrics.horizontalAdvance(label->text()), label->width()) << name;
        EXPECT_LE(metrics.height(), label->height()) << name;
        EXPECT_FALSE(label->parent() == fixture.window.get() && label->geometry().intersects(seconds)) << name;
    }
}

struct Seat
{
    Seat(quint16 port, const char *name)
        : window({boxes, link, random, folder.path(), QStringLiteral("x %1 K1 %2 Hal").arg(port).arg(name)}) {}
    QSet<int> Green() const
    {
        QSet<int> green;
        for (int n = 1; n <= 100; ++n) {
            if (control<QLabel>(window, QStringLiteral("lblItm%1").arg(n))->palette().color(QPalette::WindowText) == Qt::green)
                green << n;
        }
        return green;
    }
    QTemporaryDir folder;
    RecordingMessageBoxes boxes;
    TcpGameLink link{QStringLiteral("127.0.0.1")};
    RandomGenerator random{13, [] { return quint64(1000); }};
    frmMain window;
};

TEST(LateJoin, ANewcomerSeesTheRoundsCallsAndWinsWithALineOfThem)
{
    Connections connections;
    Hub hub{connections};
    ASSERT_TRUE(connections.Listen(QHostAddress::LocalHost, 0));
    Seat hal(connections.Port(), "Hal");
    ASSERT_FALSE(hal.window.Startup());
    control<QLineEdit>(hal.window, QStringLiteral("txtSec"))->setText(QStringLiteral("99"));
    control<QPushButton>(hal.window, QStringLiteral("cmdNewGame"))->click();
    // Bob's window deals two cards when it is made and deals again when it
    // catches up: the same random state replays his first card's second deal.
    RandomGenerator twin(13, [] { return quint64(1000); });
    for (int i = 0; i < 2 * CardDeal::Cells; ++i)
        twin.NextNumber(CardDeal::HighestDraw);
    const auto deal = CardDeal::Deal([&] { return twin.NextNumber(CardDeal::HighestDraw); });
    QStringList row;
    for (int i = 0; i < 5; ++i)
        row << QString::number(deal[i]);
    while (!std::all_of(row.begin(), row.end(), [&](const QString &n) { return hal.Green().contains(n.toInt()); })) {
        const qsizetype before = hal.Green().size();
        QMetaObject::invokeMethod(control<QTimer>(hal.window, QStringLiteral("tmrHost")), "timeout");
        ASSERT_TRUE(QTest::qWaitFor([&] { return hal.Green().size() == before + 1; }, 10000));
    }

    Seat bob(connections.Port(), "Bob");
    ASSERT_FALSE(bob.window.Startup());
    ASSERT_TRUE(QTest::qWaitFor([&] { return bob.Green() == hal.Green(); }, 10000));
    EXPECT_EQ(control<QLineEdit>(bob.window, QStringLiteral("txtSec"))->text(), u"99");
    EXPECT_EQ(markTopRow(bob.window, 0), row);
    checkLines(bob.window, 0);
    control<QPushButton>(bob.window, QStringLiteral("cmdBingo"))->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return ChatLines(bob.window).last().text == u"** Bob Has Won The Game! 1 Total Win(s)! **"; }, 10000));
}

} // namespace
