// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Delivery latencies in whole microseconds: a bucket per microsecond up to a
// second, and the exact maximum, so percentiles cost nothing per sample.

#include <algorithm>
#include <cstdint>
#include <vector>

class LatencyHistogram
{
public:
    LatencyHistogram()
        : m_buckets(1000000, 0)
    {}

    void Add(int64_t nanoseconds)
    {
        const int64_t us = std::max<int64_t>(0, nanoseconds / 1000);
        ++m_buckets[size_t(std::min<int64_t>(us, int64_t(m_buckets.size()) - 1))];
        m_max = std::max(m_max, us);
        ++m_count;
    }
    uint64_t Count() const { return m_count; }
    int64_t Max() const { return m_max; }
    // The smallest latency that at least this fraction of samples do not exceed.
    int64_t Percentile(double fraction) const
    {
        const auto wanted = uint64_t(fraction * double(m_count) + 0.5);
        uint64_t seen = 0;
        for (size_t us = 0; us < m_buckets.size(); ++us) {
            seen += m_buckets[us];
            if (seen >= wanted && seen > 0)
                return int64_t(us);
        }
        return m_max;
    }

private:
    std::vector<uint32_t> m_buckets;
    int64_t m_max = 0;
    uint64_t m_count = 0;
};
