// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's one random generator: uniform values in [0, 1). Before every
// draw it is reseeded from the clock by mixing the clock's reading into its
// state; it is never restarted, so many draws within one tick of the clock
// still differ. The clock and the starting state are injected so a test can
// replay a deal exactly.

#include <QtGlobal>
#include <functional>

class RandomGenerator
{
public:
    using Clock = std::function<quint64()>;

    // Milliseconds since the epoch.
    static quint64 SystemClock();

    explicit RandomGenerator(quint64 state, Clock clock = &RandomGenerator::SystemClock);

    // Reseeds from the clock, then gives the next value in [0, 1). However
    // long the clock stands still, no state repeats within 2^64 draws.
    double Next();

    // One draw as a whole number from 1 to highest, each equally likely:
    // the whole part of Next() × highest, plus 1. highest must be at least 1.
    int NextNumber(int highest);

private:
    quint64 m_state;
    Clock m_clock;
};
