#include "support/twips.h"
#include "support/windowfixture.h"

#include <QLabel>
#include <gtest/gtest.h>

namespace {

struct CellCase
{
    int n;
    int column, row;
};

void PrintTo(const CellCase &c, std::ostream *out) { *out << "cell " << c.n; }

class NumberBoardCell : public ::testing::TestWithParam<CellCase> {};

TEST_P(NumberBoardCell, ShowsItsNumberInItsRowAndColumn)
{
    WindowFixture fixture(QStringLiteral("x 7001 K1 Ann Hal"));
    ASSERT_FALSE(fixture.window->Startup());
    const CellCase &c = GetParam();
    const auto *cell = fixture.Control<QLabel>(QStringLiteral("lblItm%1").arg(c.n));
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->text(), QString::number(c.n));
    EXPECT_FALSE(cell->isHidden());
    // Cell 1 keeps its design-time place, 5 twips right of its column.
    const double left = c.column * 495 + 10 + (c.n == 1 ? 5 : 0);
    EXPECT_EQ(cell->geometry(), Twips::Rect(left, c.row * 255 + 10, 495, 255));
}

INSTANTIATE_TEST_SUITE_P(Table, NumberBoardCell, ::testing::Values(
    CellCase{1, 0, 0}, CellCase{2, 1, 0}, CellCase{10, 9, 0},
    CellCase{11, 0, 1}, CellCase{45, 4, 4}, CellCase{90, 9, 8},
    CellCase{91, 0, 9}, CellCase{100, 9, 9}));

TEST(NumberBoard, HoldsOneVisibleCellForEachNumber)
{
    WindowFixture fixture(QStringLiteral("x 7001 K1 Ann Hal"));
    ASSERT_FALSE(fixture.window->Startup());
    QList<int> shown;
    for (const QLabel *label : fixture.window->findChildren<QLabel *>()) {
        if (label->objectName().startsWith(u"lblItm") && !label->isHidden())
            shown.append(label->text().toInt());
    }
    std::sort(shown.begin(), shown.end());
    QList<int> numbers;
    for (int n = 1; n <= 100; ++n)
        numbers.append(n);
    EXPECT_EQ(shown, numbers);
    EXPECT_TRUE(fixture.Control<QLabel>(QStringLiteral("lblItm0"))->isHidden());
}

} // namespace
