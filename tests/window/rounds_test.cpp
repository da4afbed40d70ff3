#include "game/bingogame.h"
#include "support/windowfixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

const QString HostLine = QStringLiteral("x 7001 K1 Hal Hal");

// One tick of a timer, without waiting for it.
void fire(QTimer *timer)
{
    QMetaObject::invokeMethod(timer, "timeout");
}

struct StartCase
{
    const char *seconds;
    int interval;
    bool calling;
};

void PrintTo(const StartCase &c, std::ostream *out) { *out << '"' << c.seconds << '"'; }

class NewGameButton : public ::testing::TestWithParam<StartCase> {};

TEST_P(NewGameButton, SendsTheTextAsTypedAndCallsAtItsInterval)
{
    WindowFixture fixture(HostLine);
    ASSERT_FALSE(fixture.window->Startup());
    fixture.Control<QLineEdit>(QStringLiteral("txtSec"))->setText(QString::fromUtf8(GetParam().seconds));

    fixture.Control<QPushButton>(QStringLiteral("cmdNewGame"))->click();

    ASSERT_EQ(fixture.boxes.shown.size(), 1);
    EXPECT_EQ(fixture.boxes.shown[0].kind, ShownBox::Question);
    EXPECT_EQ(fixture.boxes.shown[0].title, u"Confirm");
    EXPECT_EQ(fixture.boxes.shown[0].text, u"Starting a new game will end any game in progress, Proceede?");
    EXPECT_EQ(fixture.SentMessages(), QStringList{QStringLiteral("Comm;2|ResetMe|") + QString::fromUtf8(GetParam().seconds)});
    EXPECT_EQ(fixture.window->HostTimer()->isActive(), GetParam().calling);
    if (GetParam().calling) {
        EXPECT_EQ(fixture.window->HostTimer()->interval(), GetParam().interval);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, NewGameButton, ::testing::Values(
    StartCase{"45", 45000, true}, StartCase{"ab", 10000, true}, StartCase{"0", 0, false}));

TEST(NewGameButton, AnsweredNoChangesNothingWhetherCallingRunsOrNot)
{
    for (const bool running : {true, false}) {
        WindowFixture fixture(HostLine);
        ASSERT_FALSE(fixture.window->Startup());
        auto *seconds = fixture.Control<QLineEdit>(QStringLiteral("txtSec"));
        seconds->setText(QStringLiteral("5"));
        fixture.Control<QPushButton>(QStringLiteral("cmdNewGame"))->click();
        if (!running)
            fixture.window->HostTimer()->stop();
        const QStringList sentBefore = fixture.SentMessages();

        seconds->setText(QStringLiteral("45"));
        fixture.boxes.answers = {false};
        fixture.Control<QPushButton>(QStringLiteral("cmdNewGame"))->click();

        EXPECT_EQ(fixture.SentMessages(), sentBefore);
        EXPECT_EQ(fixture.window->HostTimer()->isActive(), running);
        EXPECT_EQ(fixture.window->HostTimer()->interval(), 5000);
    }
}

TEST(HostCalling, SendsOneNewNumberPerTickAndStopsAfterTheHundredth)
{
    WindowFixture fixture(HostLine);
    ASSERT_FALSE(fixture.window->Startup());
    fixture.Control<QPushButton>(QStringLiteral("cmdNewGame"))->click();
    fixture.link.Deliver(QStringLiteral("Hal"), fixture.SentMessages().last());
    fixture.link.Deliver(QStringLiteral("Hal"), QStringLiteral("Chat;/call 7"));
    QTimer *timer = fixture.window->HostTimer();
    const qsizetype sentBefore = fixture.SentMessages().size();

    QSet<QString> calls;
    for (int tick = 0; tick < 100; ++tick) {
        ASSERT_TRUE(timer->isActive()) << "tick " << tick;
        fire(timer);
        calls.insert(fixture.SentMessages().last());
    }
    const QStringList sent = fixture.SentMessages().mid(sentBefore);
    ASSERT_EQ(sent.size(), 100);
    EXPECT_EQ(sent.first(), u"Comm;1|7");
    for (int n = 1; n <= 100; ++n)
        EXPECT_TRUE(calls.contains(QStringLiteral("Comm;1|%1").arg(n))) << n;
    EXPECT_FALSE(timer->isActive());

    // A tick that still comes sends nothing, and the game goes on: a line
    // may still be claimed.
    fire(timer);
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
