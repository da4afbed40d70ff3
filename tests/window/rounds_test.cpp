#include "game/bingogame.h"
#include "support/windowfixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

TEST(NewGameButton, SendsTheTextAsTypedCallsAtItsIntervalAndAnsweredNoChangesNothing)
{
    const struct { const char *seconds; int interval; bool calling; } table[] = {
        {"45", 45000, true}, {"ab", 10000, true}, {"0", 0, false}};
    for (const auto &c : table) {
        WindowFixture fixture(QStringLiteral("x 7001 K1 Hal Hal"));
        ASSERT_FALSE(fixture.window->Startup());
        auto *seconds = fixture.Control<QLineEdit>(QStringLiteral("txtSec"));
        auto *newGame = fixture.Control<QPushButton>(QStringLiteral("cmdNewGame"));
        QTimer *timer = fixture.window->HostTimer();
        seconds->setText(QString::fromUtf8(c.seconds));

        newGame->click();

        ASSERT_EQ(fixture.boxes.shown.size(), 1) << c.seconds;
        EXPECT_EQ(fixture.boxes.shown[0].kind, ShownBox::Question);
        EXPECT_EQ(fixture.boxes.shown[0].title, u"Confirm");
        EXPECT_EQ(fixture.boxes.shown[0].text, u"Starting a new game will end any game in progress, Proceede?");
        const QStringList sent{QStringLiteral("Comm;2|ResetMe|") + QString::fromUtf8(c.seconds)};
        EXPECT_EQ(fixture.SentMessages(), sent);
        EXPECT_EQ(timer->isActive(), c.calling) << c.seconds;
        EXPECT_EQ(timer->interval(), c.interval) << c.seconds;

        // Answered No, a second press leaves the game, calling included, as it was.
        seconds->setText(QStringLiteral("5"));
        fixture.boxes.answers = {false};
        newGame->click();
        EXPECT_EQ(fixture.SentMessages(), sent);
        EXPECT_EQ(timer->isActive(), c.calling) << c.seconds;
        EXPECT_EQ(timer->interval(), c.interval) << c.seconds;
    }
}

TEST(HostCalling, SendsOneNewNumberPerTickAndStopsAfterTheHundredth)
{
    WindowFixture fixture(QStringLiteral("x 7001 K1 Hal Hal"));
    ASSERT_FALSE(fixture.window->Startup());
    fixture.Control<QPushButton>(QStringLiteral("cmdNewGame"))->click();
    fixture.link.Deliver(QStringLiteral("Hal"), fixture.SentMessages().last());
    fixture.link.Deliver(QStringLiteral("Hal"), QStringLiteral("Chat;/call 7"));
    QTimer *timer = fixture.window->HostTimer();
    const qsizetype sentBefore = fixture.SentMessages().size();

    for (int tick = 0; tick < 100; ++tick) {
        ASSERT_TRUE(timer->isActive()) << "tick " << tick;
        QMetaObject::invokeMethod(timer, "timeout");
    }
    const QStringList sent = fixture.SentMessages().mid(sentBefore);
    ASSERT_EQ(sent.size(), 100);
    EXPECT_EQ(sent.first(), u"Comm;1|7");
    const QSet<QString> calls(sent.begin(), sent.end());
    for (int n = 1; n <= 100; ++n)
        EXPECT_TRUE(calls.contains(QStringLiteral("Comm;1|%1").arg(n))) << n;
    EXPECT_FALSE(timer->isActive());

    // A tick that still comes sends nothing, and the game goes on: a line
    // may still be claimed.
    QMetaObject::invokeMethod(timer, "timeout");
    EXPECT_EQ(fixture.SentMessages().size(), sentBefore + 100);
    EXPECT_TRUE(fixture.window->ClaimAllowed());
}

TEST(BingoButton, SendsTheLineReportedLastOnEveryPress)
{
    WindowFixture fixture(QStringLiteral("x 7001 K1 Ann Hal"));
    ASSERT_FALSE(fixture.window->Startup());
    fixture.window->SetWin(QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("6"));
    fixture.window->SetWin(QStringLiteral("5"), QStringLiteral("17"), QStringLiteral("33"), QStringLiteral("48"), QStringLiteral("62"));
    fixture.window->EnableBingo();
    auto *bingo = fixture.Control<QPushButton>(QStringLiteral("cmdBingo"));

    bingo->click();
    bingo->click();

    const QString claim = QStringLiteral("Comm;4|Ann|5@17@33@48@62");
    EXPECT_EQ(fixture.SentMessages(), (QStringList{claim, claim}));
    EXPECT_TRUE(bingo->isEnabled());
}

} // namespace
