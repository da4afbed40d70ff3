// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/randomgenerator.h"

#include <QDateTime>
#include <algorithm>
#include <cmath>

namespace {

constexpr quint64 Golden = 0x9E3779B97F4A7C15ull;

// The splitmix64 finaliser: every input bit reaches every output bit.
quint64 Mix(quint64 z)
{
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

} // namespace

quint64 RandomGenerator::SystemClock() { return quint64(QDateTime::currentMSecsSinceEpoch()); }

RandomGenerator::RandomGenerator(quint64 state, Clock clock)
    : m_state(state)
    , m_clock(std::move(clock))
{}

double RandomGenerator::Next()
{
    // The clock is added into the state, never put in its place, so the
    // sequence goes on from where it stood. The step is always odd (the
    // clock's share is doubled, the golden step is odd): while the clock
    // reads the same, the state walks a full cycle of 2^64 and no draw
    // repeats the state of another. Folding the clock in by exclusive-or
    // instead would let some readings trap the state in a cycle of two.
    m_state += Golden + (Mix(m_clock()) << 1);
    // The top 53 bits make a double in [0, 1) with every value equally likely.
    return double(Mix(m_state) >> 11) * 0x1.0p-53;
}

int RandomGenerator::NextNumber(int highest)
{
    const int n = int(std::floor(Next() * highest)) + 1;
    // Next() stays below 1, so n is at most highest; the bound only guards
    // the rounding of the product.
    return std::clamp(n, 1, std::max(highest, 1));
}
