// SPDX-License-Identifier: GPL-3.0-or-later
// The card widget: what it shows of its model, clicks, and the check that
// reports a complete line.

#include "game/plan.h"
#include "support/randomgenerator.h"
#include "window/cardowner.h"
#include "window/ctlcard.h"

#include <QLabel>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class RecordingOwner : public CardOwner
{
public:
    void LineComplete(const QList<int> &numbers) override { lines.append(numbers); }
    bool ClaimAllowed() const override { return allowed; }
    void EnableBingo() override { ++enabled; }
    std::span<const CardCells::Set> StageShapes() const override { return shapes; }

    std::span<const CardCells::Set> shapes = CardCells::Lines;
    QList<QList<int>> lines;
    bool allowed = false;
    int enabled = 0;
};

QLabel *number(const QWidget &card, int i) { return card.findChild<QLabel *>(QStringLiteral("lblMyNum%1").arg(i)); }
QTimer *checkTimer(const QWidget &card) { return card.findChild<QTimer *>(QStringLiteral("tmrWinner")); }

// The cells whose disc shows, and whether every label shows its model's number.
QList<int> shownMarks(const ctlCard &card)
{
    QList<int> cells;
    for (int i = 0; i < 25; ++i) {
        EXPECT_EQ(number(card, i)->text(), QString::number(card.Model().Number(i))) << i;
        if (!card.findChild<QWidget *>(QStringLiteral("shpMarker%1").arg(i))->isHidden()) cells << i;
    }
    return cells;
}

void click(const QWidget &card, std::initializer_list<int> cells)
{
    for (int cell : cells) QTest::mouseClick(number(card, cell), Qt::LeftButton);
}

class Card : public ::testing::Test
{
protected:
    RandomGenerator random{42, [] { return quint64(1000); }}; // the clock stands still
    RecordingOwner owner;
    ctlCard card{owner, random};
};

TEST_F(Card, OnlyALeftClickOnTheNumberItselfTogglesIt)
{
    card.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&card));
    // Points in the card; cell 6's number spans x 48-88, y 88-112.
    // clang-format off
    const struct { const char *what; QPoint press, release; Qt::MouseButton button; bool toggles; } presses[] = {
        {"on the number", {60, 95}, {60, 95}, Qt::LeftButton, true}, {"on the disc", {68, 84}, {68, 84}, Qt::LeftButton, false},
        {"on the grid line", {68, 80}, {68, 80}, Qt::LeftButton, false}, {"on the heading", {68, 25}, {68, 25}, Qt::LeftButton, false},
        {"released off the number", {68, 100}, {68, 130}, Qt::LeftButton, false},
        {"with the right button", {68, 100}, {68, 100}, Qt::RightButton, false}};
    // clang-format on
    for (const auto &p : presses) {
        // Marked first, so that the disc is there to be clicked beside the number.
        card.ResetMarks();
        QTest::mouseClick(card.windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(68, 100));
        ASSERT_EQ(shownMarks(card), QList<int>{6});
        QTest::mousePress(card.windowHandle(), p.button, Qt::NoModifier, p.press);
        QTest::mouseRelease(card.windowHandle(), p.button, Qt::NoModifier, p.release);
        EXPECT_EQ(shownMarks(card), p.toggles ? QList<int>{} : QList<int>{6}) << p.what;
    }
}

TEST_F(Card, ReportsTheFirstCompleteLineOnEachTickWhileItChecks)
{
    click(card, {20, 15, 10, 5, 0, 16, 12, 8, 4}); // column B and the diagonal from the top right
    card.CheckLines();
    click(card, {5});
    owner.allowed = true;
    QMetaObject::invokeMethod(checkTimer(card), "timeout");
    card.MyWin(false);
    QMetaObject::invokeMethod(checkTimer(card), "timeout"); // a tick already on its way
    card.CheckLines();
    EXPECT_EQ(owner.lines, (QList<QList<int>>{card.Model().NumbersIn(CardCells::Column(0)), card.Model().NumbersIn(CardCells::DiagonalFromTopRight)}));
    EXPECT_EQ(owner.enabled, 1) << "BINGO! only once a claim is allowed";
    EXPECT_FALSE(checkTimer(card)->isActive());
}

TEST_F(Card, LightsBingoOnlyWhenItHoldsThePatternOfTheStagePlayed)
{
    // clang-format off
    const struct { const char *pattern; std::initializer_list<int> cells; bool lights; } cases[] = {
        {"corners", {0, 4, 20, 24}, true}, {"line", {0, 4, 20, 24}, false}, {"corners", {0, 1, 2, 3, 4}, false},
        {"2lines", {0, 1, 2, 3, 4, 5, 10, 15, 20}, true}, {"2lines", {0, 1, 2, 3, 4}, false}, {"d0001040", {6, 12}, true},
    };
    // clang-format on
    owner.allowed = true;
    for (const auto &c : cases) {
        const Pattern pattern = *Pattern::FromToken(QString::fromLatin1(c.pattern));
        owner.shapes = pattern.Shapes();
        owner.enabled = 0;
        card.ResetMarks();
        click(card, c.cells);
        card.CheckLines();
        EXPECT_EQ(owner.enabled == 1, c.lights) << c.pattern;
    }
}

} // namespace
