#include "support/randomgenerator.h"

#include <QDateTime>

quint64 RandomGenerator::SystemClock()
{
    return quint64(QDateTime::currentMSecsSinceEpoch());
}

RandomGenerator::RandomGenerator(quint64 state, Clock clock)
    : m_state(state)
    , m_clock(std::move(clock))
{
}

double RandomGenerator::Next()
{
    // The clock is folded into the state rather than replacing it: a frozen
    // clock still leaves a sequence that moves on with every draw.
    m_state ^= m_clock() * 0x9E3779B97F4A7C15ull;
    // splitmix64: a full-period walk over the state, then a strong mix.
    m_state += 0x9E3779B97F4A7C15ull;
    quint64 z = m_state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    // The top 53 bits make a double in [0, 1) with every value equally likely.
    return double(z >> 11) * 0x1.0p-53;
}
