// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/randomgenerator.h"

#include <array>
#include <gtest/gtest.h>
#include <set>

namespace {

// Multiplied by the golden step 0x9E3779B97F4A7C15 this gives all ones, a
// reading that flips every bit of a state mixed by exclusive-or.
constexpr quint64 AllOnesReading = 0x0E217C1E66C88CC3ull;
static_assert(AllOnesReading * 0x9E3779B97F4A7C15ull == ~quint64(0));

TEST(RandomGenerator, ReplaysFromItsStateAndFoldsTheClockIntoEveryDrawWhoseValuesAllDiffer)
{
    for (const quint64 reading : {quint64(0), quint64(1'700'000'000'000), ~quint64(0), AllOnesReading}) {
        const auto frozen = [reading] { return reading; };
        // The moving clock moves on after five readings: from then on its
        // draws part from those of the frozen clock, which a twin replays.
        int readings = 0;
        RandomGenerator random(1, frozen), replay(1, frozen);
        RandomGenerator moving(1, [&readings, reading] { return ++readings <= 5 ? reading : reading + 1; });
        std::set<double> seen;
        for (int i = 0; i < 4096; ++i) {
            const double value = random.Next();
            ASSERT_TRUE(value >= 0.0 && value < 1.0) << value;
            ASSERT_EQ(replay.Next(), value) << "reading " << reading << ", draw " << i;
            EXPECT_TRUE(i >= 6 || (moving.Next() == value) == (i < 5)) << "reading " << reading << ", draw " << i;
            seen.insert(value);
        }
        EXPECT_EQ(seen.size(), 4096u) << "reading " << reading;
    }
}

TEST(RandomGenerator, EveryNumberFromOneToAHundredComesUpAlike)
{
    for (const quint64 step : {quint64(0), quint64(1), quint64(977)}) { // how far the clock moves per draw
        quint64 now = 1'700'000'000'000;
        RandomGenerator random(2024, [&now, step] { return now += step; });
        constexpr int Draws = 200'000, Expected = Draws / 100;
        std::array<int, 101> counts{};
        for (int i = 0; i < Draws; ++i) {
            const int n = random.NextNumber(100);
            ASSERT_TRUE(n >= 1 && n <= 100) << n;
            ++counts[n];
        }
        double chiSquare = 0;
        for (int n = 1; n <= 100; ++n) chiSquare += double(counts[n] - Expected) * (counts[n] - Expected) / Expected;
        // 99 degrees of freedom: the mean is 99 and 200 lies far beyond chance,
        // while one number that never comes, or comes twice as often, adds 2000.
        EXPECT_LT(chiSquare, 200.0) << "step " << step;
    }
}

} // namespace
