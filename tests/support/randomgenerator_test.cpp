#include "support/randomgenerator.h"

#include <gtest/gtest.h>
#include <array>
#include <set>

namespace {

RandomGenerator::Clock frozenAt(quint64 reading)
{
    return [reading] { return reading; };
}

TEST(RandomGenerator, ReplaysFromItsStateAndFoldsTheClockIntoEveryDraw)
{
    // The second clock moves on after five readings: from then on its draws
    // part from those of the frozen clock, which a twin replays exactly.
    int readings = 0;
    RandomGenerator steady(7, frozenAt(1000)), replay(7, frozenAt(1000));
    RandomGenerator moving(7, [&readings] { return quint64(++readings <= 5 ? 1000 : 1001); });
    for (int i = 0; i < 6; ++i) {
        const double value = steady.Next();
        EXPECT_EQ(replay.Next(), value) << "draw " << i;
        EXPECT_EQ(moving.Next() == value, i < 5) << "draw " << i;
    }
}

// Negated inverse of the golden step: multiplied by that step it gives all
// ones, a reading that flips every bit of a state mixed by exclusive-or.
constexpr quint64 AllOnesReading()
{
    constexpr quint64 golden = 0x9E3779B97F4A7C15ull;
    quint64 inverse = golden;
    for (int i = 0; i < 6; ++i)
        inverse *= 2 - golden * inverse;
    return 0 - inverse;
}

class FrozenClock : public ::testing::TestWithParam<quint64> {};

TEST_P(FrozenClock, ManyDrawsWithinOneTickAllDifferAndStayInRange)
{
    RandomGenerator random(1, frozenAt(GetParam()));
    std::set<double> seen;
    for (int i = 0; i < 4096; ++i) {
        const double value = random.Next();
        ASSERT_TRUE(value >= 0.0 && value < 1.0) << value;
        seen.insert(value);
    }
    EXPECT_EQ(seen.size(), 4096u);
}

INSTANTIATE_TEST_SUITE_P(Readings, FrozenClock,
                         ::testing::Values(quint64(0), quint64(1'700'000'000'000), ~quint64(0), AllOnesReading()));

class Uniformity : public ::testing::TestWithParam<quint64> {}; // how far the clock moves per draw

TEST_P(Uniformity, EveryNumberFromOneToAHundredComesUpAlike)
{
    quint64 now = 1'700'000'000'000;
    RandomGenerator random(2024, [&now, step = GetParam()] { return now += step; });
    constexpr int Draws = 200'000, Expected = Draws / 100;
    std::array<int, 101> counts{};
    for (int i = 0; i < Draws; ++i) {
        const int n = random.NextNumber(100);
        ASSERT_TRUE(n >= 1 && n <= 100) << n;
        ++counts[n];
    }
    double chiSquare = 0;
    for (int n = 1; n <= 100; ++n)
        chiSquare += double(counts[n] - Expected) * (counts[n] - Expected) / Expected;
    // 99 degrees of freedom: the mean is 99 and 200 lies far beyond chance,
    // while one number that never comes, or comes twice as often, adds 2000.
    EXPECT_LT(chiSquare, 200.0);
}

INSTANTIATE_TEST_SUITE_P(Clocks, Uniformity, ::testing::Values(quint64(0), quint64(1), quint64(977)));

} // namespace
