#include "net/precise_pause.h"

#include <cerrno>
#include <ctime>

namespace kestrava {

namespace {

std::int64_t now_ns() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

}  // namespace

void precise_pause(std::int64_t ms) {
    if (ms <= 0) {
        return;
    }
    const std::int64_t deadline = now_ns() + ms * 1'000'000;
    const std::int64_t wake = deadline - kPauseFinishMarginNs;
    timespec until{};
    until.tv_sec = static_cast<time_t>(wake / 1'000'000'000);
    until.tv_nsec = static_cast<long>(wake % 1'000'000'000);
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
    while (now_ns() < deadline) {
    }
}

}  // namespace kestrava
