#include "card/cardowner.h"
#include "card/ctlcard.h"
#include "support/randomgenerator.h"
#include "support/windowfixture.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <set>

namespace {

class RecordingOwner : public CardOwner
{
public:
    void SetWin(const QString &MyVal1, const QString &MyVal2, const QString &MyVal3, const QString &MyVal4,
                const QString &MyVal5) override
    {
        wins.append(QStringList{MyVal1, MyVal2, MyVal3, MyVal4, MyVal5});
    }
    bool ClaimAllowed() const override { return false; }
    void EnableBingo() override {}

    QList<QStringList> wins;
};

QLabel *number(const QWidget &card, int i) { return card.findChild<QLabel *>(QStringLiteral("lblMyNum%1").arg(i)); }
QTimer *winTimer(const QWidget &card) { return card.findChild<QTimer *>(QStringLiteral("tmrWinner")); }

QList<int> markedCells(const QWidget &card)
{
    QList<int> cells;
    for (int i = 0; i < 25; ++i) {
        if (!card.findChild<QWidget *>(QStringLiteral("shpMarker%1").arg(i))->isHidden())
            cells << i;
    }
    return cells;
}

QStringList numbers(const QWidget &card)
{
    QStringList texts;
    for (int i = 0; i < 25; ++i)
        texts << number(card, i)->text();
    return texts;
}

// Clicks each cell's number once; gives the numbers clicked.
QStringList click(const QWidget &card, std::initializer_list<int> cells)
{
    QStringList texts;
    for (int cell : cells) {
        QTest::mouseClick(number(card, cell), Qt::LeftButton);
        texts << number(card, cell)->text();
    }
    return texts;
}

class Card : public ::testing::Test
{
protected:
    RandomGenerator random{42, [] { return quint64(1000); }}; // the clock stands still
    RecordingOwner owner;
    ctlCard card{owner, random};
};

TEST_F(Card, DealsWholeAndAfreshOnEveryDealThoughTheClockStandsStillAndKeepsMarksAndNumbersApart)
{
    static const QRegularExpression plain(QStringLiteral("^[1-9][0-9]{0,2}$"));
    EXPECT_EQ(markedCells(card), QList<int>{});
    EXPECT_TRUE(winTimer(card)->isActive());
    click(card, {0, 12, 12, 12, 24}); // 12 clicked three times ends marked
    QStringList previous;
    for (int deal = 0; deal < 50; ++deal) {
        const QStringList current = numbers(card);
        std::set<int> values;
        for (const QString &text : current) {
            EXPECT_TRUE(plain.match(text).hasMatch()) << text.toStdString();
            values.insert(text.toInt());
        }
        EXPECT_EQ(values.size(), 25u);
        EXPECT_TRUE(*values.begin() >= 1 && *values.rbegin() <= 100);
        // A generator restarted on every draw would deal 25 numbers in a row.
        EXPECT_GT(*values.rbegin() - *values.begin(), 24) << "deal " << deal;
        EXPECT_NE(current, previous) << "deal " << deal;
        previous = current;
        card.GenNumbers();
        EXPECT_EQ(markedCells(card), (QList<int>{0, 12, 24})) << "deal " << deal;
    }

    const QStringList dealt = numbers(card);
    card.MyWin(false);
    card.ResetMarks();
    EXPECT_EQ(numbers(card), dealt);
    EXPECT_EQ(markedCells(card), QList<int>{});
    EXPECT_TRUE(winTimer(card)->isActive());
}

TEST_F(Card, ShowsAMarkedNumberOnAGreenDiscWithTheWholeHeadingAboveTheGrid)
{
    click(card, {0});
    const QImage image = card.grab().toImage();
    // Below the number inside cell 0's disc, and at the same place in cell 1.
    EXPECT_EQ(image.pixelColor(28, 76), QColor(0, 128, 0));
    EXPECT_EQ(image.pixelColor(68, 76), QColor(198, 197, 174));
    // The heading's frame, then the line under row 0 and right of column 2.
    EXPECT_EQ(image.pixelColor(10, 8), QColor(64, 64, 64));
    EXPECT_EQ(image.pixelColor(10, 40), QColor(64, 64, 64));
    EXPECT_EQ(image.pixelColor(100, 80), QColor(128, 128, 128));
    EXPECT_EQ(image.pixelColor(128, 124), QColor(128, 128, 128));
    const auto *heading = card.findChild<QLabel *>(QStringLiteral("lblBingo"));
    EXPECT_LE(QFontMetrics(heading->font()).horizontalAdvance(heading->text()), heading->width());
}

TEST_F(Card, OnlyALeftClickOnTheNumberItselfTogglesIt)
{
    card.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&card));
    // Points in the card; cell 6's number spans x 48-88, y 88-112.
    const struct {
        const char *what;
        QPoint press, release;
        Qt::MouseButton button;
        bool toggles;
    } presses[] = {
        {"on the number", {60, 95}, {60, 95}, Qt::LeftButton, true},
        {"on the disc above the number", {68, 84}, {68, 84}, Qt::LeftButton, false},
        {"on the disc below the number", {68, 116}, {68, 116}, Qt::LeftButton, false},
        {"on the grid line", {68, 80}, {68, 80}, Qt::LeftButton, false},
        {"on the heading", {68, 25}, {68, 25}, Qt::LeftButton, false},
        {"released off the number", {68, 100}, {68, 130}, Qt::LeftButton, false},
        {"with the right button", {68, 100}, {68, 100}, Qt::RightButton, false}};
    for (const auto &p : presses) {
        // Marked first, so that the disc is there to be clicked beside the number.
        card.ResetMarks();
        QTest::mouseClick(card.windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(68, 100));
        ASSERT_EQ(markedCells(card), QList<int>{6});
        QTest::mousePress(card.windowHandle(), p.button, Qt::NoModifier, p.press);
        QTest::mouseRelease(card.windowHandle(), p.button, Qt::NoModifier, p.release);
        EXPECT_EQ(markedCells(card), p.toggles ? QList<int>{} : QList<int>{6}) << p.what;
    }
}

TEST_F(Card, ReportsTheFirstCompleteLineOnEachTickInTheLinesOrder)
{
    const QStringList column = click(card, {20, 15, 10, 5, 0}); // column B, bottom up
    click(card, {16, 12, 8, 4});                                 // and the diagonal from the top right
    card.CheckLines();
    ASSERT_EQ(owner.wins.size(), 1);
    EXPECT_EQ(owner.wins[0], (QStringList{column[4], column[3], column[2], column[1], column[0]}));

    click(card, {5});
    QMetaObject::invokeMethod(winTimer(card), "timeout");
    const QStringList all = numbers(card);
    ASSERT_EQ(owner.wins.size(), 2);
    EXPECT_EQ(owner.wins[1], (QStringList{all[4], all[8], all[12], all[16], all[20]}));

    card.MyWin(false);
    QMetaObject::invokeMethod(winTimer(card), "timeout"); // a tick already on its way
    card.CheckLines();
    EXPECT_FALSE(winTimer(card)->isActive());
    EXPECT_EQ(owner.wins.size(), 2);
}

TEST(CardInWindow, HandsItsLineToWinNumsAndEnablesBingoOnlyWhileAGameIsInProgress)
{
    WindowFixture fixture(QStringLiteral("0 1 Key Ann Bob"));
    ASSERT_FALSE(fixture.window->Startup());
    ctlCard &card = *fixture.Control<ctlCard>(QStringLiteral("Card0"));
    auto *bingo = fixture.Control<QPushButton>(QStringLiteral("cmdBingo"));
    // The line the window holds: what a press of BINGO! sends.
    auto winNums = [&] {
        const bool enabled = bingo->isEnabled();
        bingo->setEnabled(true);
        bingo->click();
        bingo->setEnabled(enabled);
        return fixture.SentMessages().last().section(u'|', 2).split(u'@');
    };
    QStringList row = click(card, {5, 6, 7, 8, 9});

    card.CheckLines();
    EXPECT_EQ(winNums(), row);
    EXPECT_FALSE(bingo->isEnabled());

    // Bob's new game deals afresh and clears the marks.
    fixture.link.Deliver(QStringLiteral("Bob"), QStringLiteral("Comm;2|ResetMe|10"));
    row = click(card, {5, 6, 7, 8, 9});
    card.CheckLines();
    EXPECT_TRUE(bingo->isEnabled());

    // A broken line takes neither BINGO! nor the line back.
    click(card, {7});
    card.CheckLines();
    EXPECT_TRUE(bingo->isEnabled());
    EXPECT_EQ(winNums(), row);

    // The other card's line, reported last, is the one kept.
    ctlCard &other = *fixture.Control<ctlCard>(QStringLiteral("Card1"));
    const QStringList column = click(other, {4, 9, 14, 19, 24});
    other.CheckLines();
    EXPECT_EQ(winNums(), column);
}

} // namespace
