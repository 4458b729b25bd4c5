#pragma once

#include <cstdint>

namespace kestrava {

// Margin before a pause's deadline at which the kernel sleep ends and the pause
// finishes by watching the monotonic clock. The kernel's wake-up overshoots by a
// fraction of a millisecond; finishing on the clock keeps pauses on time.
inline constexpr std::int64_t kPauseFinishMarginNs = 250'000;

// Blocks until `ms` milliseconds after the call on the steady clock: a sleep that
// resumes after interruptions, then the finish on the clock.
void precise_pause(std::int64_t ms);

}  // namespace kestrava
