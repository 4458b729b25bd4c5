#include "net/precise_pause.h"

#include <windows.h>

#include <chrono>

namespace kestrava {

namespace {

// With the timer resolution at 1 ms, Sleep(n) returns up to about one timer period
// late, so the kernel sleep is asked to end this much before the pause's finish
// margin.
constexpr std::int64_t kSleepOvershootNs = 1'000'000;

std::int64_t now_ns() {
    // steady_clock is QueryPerformanceCounter here.
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

void precise_pause(std::int64_t ms) {
    if (ms <= 0) {
        return;
    }
    const std::int64_t deadline = now_ns() + ms * 1'000'000;
    const std::int64_t wake = deadline - kPauseFinishMarginNs - kSleepOvershootNs;
    for (std::int64_t left = wake - now_ns(); left >= 1'000'000; left = wake - now_ns()) {
        ::Sleep(static_cast<DWORD>(left / 1'000'000));
    }
    while (now_ns() < deadline) {
        ::YieldProcessor();
    }
}

}  // namespace kestrava
