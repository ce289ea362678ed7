#pragma once
// The race clock's time base: a 32-bit millisecond counter that wraps after 2^32 ms.
// Elapsed times are unsigned differences against the start reading, so a run across the
// wrap still comes out right.
#include <atomic>
#include <cstdint>
#include <functional>

std::uint32_t TickCount();

// Tests replace the counter with a clock of their own; an empty function restores the real one.
void SetTickSource(std::function<std::uint32_t()> source);

// A settable clock for tests: SetTickSource(TManualClock::Source(clock)). Atomic, as the
// serial event thread reads the counter too.
struct TManualClock {
    std::atomic<std::uint32_t> now{0};
    void advance(std::uint32_t ms) { now += ms; }
    static std::function<std::uint32_t()> Source(TManualClock& c) {
        return [&c] { return c.now.load(); };
    }
};
