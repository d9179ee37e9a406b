#pragma once

#include <cstdint>

// Decides which progress values of one transfer are worth passing on: libcurl
// calls back thousands of times a second during a fast upload, and every call
// would become a queued signal in the GUI. Passes the first value, the final
// one, and otherwise at most one changed value per interval.
class CProgressThrottle final
{
public:
    static constexpr int64_t kDefaultIntervalMs = 50; // about 20 updates a second

    explicit CProgressThrottle(int64_t intervalMs = kDefaultIntervalMs) : m_intervalMs(intervalMs) {}

    // nowMs: a monotonic clock; final: the transfer has reached its total.
    bool pass(int64_t nowMs, uint64_t value, bool final)
    {
        if (m_passedAny && value == m_lastValue)
            return false;
        if (m_passedAny && !final && nowMs - m_lastMs < m_intervalMs)
            return false;
        m_passedAny = true;
        m_lastValue = value;
        m_lastMs = nowMs;
        return true;
    }

private:
    int64_t m_intervalMs = kDefaultIntervalMs;
    int64_t m_lastMs = 0;
    uint64_t m_lastValue = 0;
    bool m_passedAny = false;
};
