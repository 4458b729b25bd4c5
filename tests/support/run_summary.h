#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "support/fakes.h"

namespace kestrava::test {

struct RampSummary {
    int iterations = 0;
    int sends = 0;
    std::uint32_t last_bits = 0;      // bits of the last value sent
    std::vector<std::int64_t> ticks;  // the bar values set by progress ticks
};

struct PassSummary {
    bool ran = false;
    int top_sends = 0;
    int bottom_sends = 0;
    RampSummary up;
    RampSummary down;
    std::int64_t pauses_ms = 0;
};

// What an exercise run did, read from the trace: sends are classed by the pause that
// follows them (top sweep 544/344/144 ms, bottom sweep 44 ms, ramp 9 ms, reset 300 ms),
// ramps by the 999 ms pauses of their pass.
struct RunSummary {
    std::array<PassSummary, 3> passes;
    int reset_sends = 0;
    std::int64_t run_pauses_ms = 0;    // before the reset
    std::int64_t reset_pauses_ms = 0;  // the 300 ms pauses
    std::int64_t total_sends = 0;
    std::map<std::string, std::uint32_t, std::less<>> last_bits;  // last value per address
    std::vector<std::int64_t> progress;                           // every bar value, in order

    [[nodiscard]] int sends_of(int pass) const;
};

// Follows a trace as it grows, from entry `from` (just before the START click) on.
// Sends wait until the pause that follows them tells their class.
class RunTracker {
  public:
    explicit RunTracker(std::size_t from) : next_(from) {}
    // Reads the entries added since the last call, up to entry `to` (exclusive).
    const RunSummary& update(const Trace& trace, std::size_t to = SIZE_MAX);
    [[nodiscard]] const RunSummary& summary() const { return run_; }

  private:
    RampSummary& ramp();
    void classify_pending(const Trace& trace, std::int64_t pause);

    RunSummary run_;
    std::size_t next_;
    std::vector<std::size_t> pending_;
    int pass_ = 0;
    int phase_pauses_ = 0;  // 999 ms pauses since the pass's top sweep
};

// Summarises the trace from entry `from` up to entry `to` (exclusive).
RunSummary summarize_run(const Trace& trace, std::size_t from, std::size_t to = SIZE_MAX);

}  // namespace kestrava::test
