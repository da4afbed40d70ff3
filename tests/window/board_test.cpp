#include "support/twips.h"
#include "support/windowfixture.h"

#include <QLabel>
#include <gtest/gtest.h>
#include <numeric>

namespace {

TEST(NumberBoard, ShowsEachNumberOnceInItsRowAndColumn)
{
    WindowFixture fixture(QStringLiteral("x 7001 K1 Ann Hal"));
    ASSERT_FALSE(fixture.window->Startup());
    QList<int> shown;
    for (const QLabel *label : fixture.window->findChildren<QLabel *>()) {
        if (label->objectName().startsWith(u"lblItm") && !label->isHidden())
            shown.append(label->text().toInt());
    }
    std::sort(shown.begin(), shown.end());
    QList<int> numbers(100);
    std::iota(numbers.begin(), numbers.end(), 1);
    EXPECT_EQ(shown, numbers);
    EXPECT_TRUE(fixture.Control<QLabel>(QStringLiteral("lblItm0"))->isHidden());

    const struct { int n, column, row; } cells[] = {
        {1, 0, 0}, {2, 1, 0}, {10, 9, 0}, {11, 0, 1}, {45, 4, 4}, {90, 9, 8}, {91, 0, 9}, {100, 9, 9}};
    for (const auto &c : cells) {
        const auto *cell = fixture.Control<QLabel>(QStringLiteral("lblItm%1").arg(c.n));
        ASSERT_NE(cell, nullptr) << c.n;
        EXPECT_EQ(cell->text(), QString::number(c.n));
        EXPECT_FALSE(cell->isHidden()) << c.n;
        // Cell 1 keeps its design-time place, 5 twips right of its column.
        const double left = c.column * 495 + 10 + (c.n == 1 ? 5 : 0);
        EXPECT_EQ(cell->geometry(), Twips::Rect(left, c.row * 255 + 10, 495, 255)) << c.n;
    }
}

} // namespace
