#include "support/run_summary.h"

#include <algorithm>

namespace kestrava::test {

int RunSummary::sends_of(int pass) const {
    const PassSummary& p = passes[static_cast<std::size_t>(pass - 1)];
    return p.top_sends + p.bottom_sends + p.up.sends + p.down.sends;
}

namespace {

int pass_of_top_pause(std::int64_t ms) {
    switch (ms) {
        case 544:
            return 1;
        case 344:
            return 2;
        case 144:
            return 3;
        default:
            return 0;
    }
}

}  // namespace

RampSummary& RunTracker::ramp() {
    PassSummary& p = run_.passes[static_cast<std::size_t>(pass_ - 1)];
    return phase_pauses_ <= 1 ? p.up : p.down;
}

void RunTracker::classify_pending(const Trace& trace, std::int64_t pause) {
    const int top_pass = pass_of_top_pause(pause);
    if (top_pass != 0 && top_pass != pass_) {
        pass_ = top_pass;
        phase_pauses_ = 0;
        run_.passes[static_cast<std::size_t>(pass_ - 1)].ran = true;
    }
    for (const std::size_t i : pending_) {
        const TraceEntry& e = trace.entries[i];
        PassSummary* p = pass_ > 0 ? &run_.passes[static_cast<std::size_t>(pass_ - 1)] : nullptr;
        if (pause == 300) {
            ++run_.reset_sends;
        } else if (top_pass != 0 && p) {
            ++p->top_sends;
        } else if (pause == 44 && p) {
            ++p->bottom_sends;
        } else if (pause == 9 && p) {
            ++ramp().sends;
            ramp().last_bits = datagram_bits(e.bytes);
        }
    }
    pending_.clear();
}

const RunSummary& RunTracker::update(const Trace& trace, std::size_t to) {
    const auto& entries = trace.entries;
    const std::size_t end = std::min(to, entries.size());
    for (; next_ < end; ++next_) {
        const TraceEntry& e = entries[next_];
        if (e.op == Op::Progress) {
            run_.progress.push_back(e.value);
            if (e.value > 0 && pass_ > 0) {
                ramp().ticks.push_back(e.value);
            }
        } else if (e.op == Op::Send) {
            ++run_.total_sends;
            const std::string_view address(
                reinterpret_cast<const char*>(e.bytes.data()),
                static_cast<std::size_t>(std::find(e.bytes.begin(), e.bytes.end(), 0) -
                                         e.bytes.begin()));
            const auto found = run_.last_bits.find(address);
            if (found != run_.last_bits.end()) {
                found->second = datagram_bits(e.bytes);
            } else {
                run_.last_bits.emplace(std::string(address), datagram_bits(e.bytes));
            }
            pending_.push_back(next_);
        } else if (e.op == Op::Pause) {
            classify_pending(trace, e.value);
            if (e.value == 300) {
                run_.reset_pauses_ms += e.value;
            } else {
                run_.run_pauses_ms += e.value;
                if (pass_ > 0) {
                    run_.passes[static_cast<std::size_t>(pass_ - 1)].pauses_ms += e.value;
                }
            }
            if (e.value == 999) {
                ++phase_pauses_;
            } else if (e.value == 9 && pass_ > 0) {
                ++ramp().iterations;
            }
        }
    }
    return run_;
}

RunSummary summarize_run(const Trace& trace, std::size_t from, std::size_t to) {
    RunTracker tracker(from);
    return tracker.update(trace, to);
}

}  // namespace kestrava::test
