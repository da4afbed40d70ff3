#include "card/cardowner.h"
#include "card/ctlcard.h"
#include "support/randomgenerator.h"

#include <QLabel>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <set>

namespace {

class RecordingOwner : public CardOwner
{
public:
    void SetWin(const QString &a, const QString &b, const QString &c, const QString &d, const QString &e) override { wins.append({a, b, c, d, e}); }
    bool ClaimAllowed() const override { return allowed; }
    void EnableBingo() override { ++enabled; }

    QList<QStringList> wins;
    bool allowed = false;
    int enabled = 0;
};

QLabel *number(const QWidget &card, int i) { return card.findChild<QLabel *>(QStringLiteral("lblMyNum%1").arg(i)); }
QTimer *checkTimer(const QWidget &card) { return card.findChild<QTimer *>(QStringLiteral("tmrWinner")); }

QList<int> markedCells(const QWidget &card)
{
    QList<int> cells;
    for (int i = 0; i < 25; ++i)
        cells << (card.findChild<QWidget *>(QStringLiteral("shpMarker%1").arg(i))->isHidden() ? QList<int>{} : QList<int>{i});
    return cells;
}

// Clicks each of the cells' numbers once (none: clicks nothing) and gives
// the numbers of those cells (none: of all 25).
QStringList click(const QWidget &card, std::initializer_list<int> cells)
{
    QStringList texts;
    for (int cell : cells) {
        QTest::mouseClick(number(card, cell), Qt::LeftButton);
        texts << number(card, cell)->text();
    }
    for (int cell = 0; cells.size() == 0 && cell < 25; ++cell)
        texts << number(card, cell)->text();
    return texts;
}

class Card : public ::testing::Test
{
protected:
    RandomGenerator random{42, [] { return quint64(1000); }}; // the clock stands still
    RecordingOwner owner;
    ctlCard card{owner, random};
};

TEST_F(Card, DealsAfreshThoughTheClockStandsStillAndKeepsMarksApartFromNumbers)
{
    EXPECT_TRUE(checkTimer(card)->isActive());
    click(card, {0, 12, 12, 12, 24}); // 12 clicked three times ends marked
    const QStringList first = click(card, {});
    card.GenNumbers();
    for (const QStringList &dealt : {first, click(card, {})}) {
        std::set<int> values;
        for (const QString &text : dealt)
            values.insert(QString::number(text.toInt()) == text ? text.toInt() : -1);
        EXPECT_EQ(values.size(), 25u);
        // A generator restarted on every draw would deal 25 numbers in a row.
        EXPECT_TRUE(*values.begin() >= 1 && *values.rbegin() <= 100 && *values.rbegin() - *values.begin() > 24);
    }
    const QStringList second = click(card, {});
    EXPECT_NE(second, first);
    EXPECT_EQ(markedCells(card), (QList<int>{0, 12, 24}));
    card.MyWin(false);
    card.ResetMarks();
    EXPECT_EQ(click(card, {}), second);
    EXPECT_EQ(markedCells(card), QList<int>{});
    EXPECT_TRUE(checkTimer(card)->isActive());
}

TEST_F(Card, OnlyALeftClickOnTheNumberItselfTogglesIt)
{
    card.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&card));
    // Points in the card; cell 6's number spans x 48-88, y 88-112.
    const struct { const char *what; QPoint press, release; Qt::MouseButton button; bool toggles; } presses[] = {
        {"on the number", {60, 95}, {60, 95}, Qt::LeftButton, true}, {"on the disc", {68, 84}, {68, 84}, Qt::LeftButton, false},
        {"on the grid line", {68, 80}, {68, 80}, Qt::LeftButton, false}, {"on the heading", {68, 25}, {68, 25}, Qt::LeftButton, false},
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
    EXPECT_EQ(owner.enabled, 0) << "no claim allowed, no BINGO!";

    click(card, {5});
    owner.allowed = true;
    QMetaObject::invokeMethod(checkTimer(card), "timeout");
    const QStringList all = click(card, {});
    ASSERT_EQ(owner.wins.size(), 2);
    EXPECT_EQ(owner.wins[1], (QStringList{all[4], all[8], all[12], all[16], all[20]}));
    EXPECT_EQ(owner.enabled, 1);

    card.MyWin(false);
    QMetaObject::invokeMethod(checkTimer(card), "timeout"); // a tick already on its way
    card.CheckLines();
    EXPECT_FALSE(checkTimer(card)->isActive());
    EXPECT_EQ(owner.wins.size(), 2);
}

} // namespace
