// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A rate with room for bursts: the bucket holds up to `burst` tokens, fills
// at `perSecond` tokens a second, and every use takes what it costs. A
// sender that keeps within the rate never runs dry; one that sends faster
// has the burst to spend and then no more.

#include <QtGlobal>

#include <algorithm>

class TokenBucket
{
public:
    TokenBucket(double perSecond = 0, double burst = 0, qint64 nowMs = 0)
        : m_perSecond(perSecond)
        , m_burst(burst)
        , m_tokens(burst)
        , m_atMs(nowMs)
    {}

    // Takes `cost` tokens at time `nowMs` (milliseconds on a clock that
    // never goes back); false, taking nothing, when the bucket holds fewer.
    bool Take(double cost, qint64 nowMs)
    {
        if (nowMs > m_atMs) {
            m_tokens = std::min(m_burst, m_tokens + double(nowMs - m_atMs) * m_perSecond / 1000.0);
            m_atMs = nowMs;
        }
        if (m_tokens < cost)
            return false;
        m_tokens -= cost;
        return true;
    }

private:
    double m_perSecond;
    double m_burst;
    double m_tokens;
    qint64 m_atMs;
};
