// Stop clicked at pumps spread over every phase of every pass, each phase's first
// and last pump included: the run winds down as its phase dictates and always ends
// with every fader at 0.0, nothing allocated and the controls ready for a new address.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "support/fakes.h"
#include "support/run_checks.h"
#include "support/run_summary.h"

namespace kestrava::test {
namespace {

// Where in a pass a pump lies, as far as a stop there is concerned.
enum class Phase {
    Sweeps,        // the run's or pass's start, the sweeps and the pauses around them
    UpRamp,        // from the up ramp's first send to its end
    BetweenRamps,  // the two pumps around the 999 ms pause after the up ramp
    DownRamp,      // the buffers' renewal and the down ramp
    PassEnd,       // after the down ramp's last iteration
};

const char* name_of(Phase p) {
    constexpr const char* names[] = {"sweeps", "up ramp", "between the ramps", "down ramp",
                                     "pass end"};
    return names[static_cast<int>(p)];
}

struct PumpPlace {
    int pass;
    Phase phase;
};

constexpr Ipv4Parts kAddress{10, 0, 0, 5};

struct Reference {
    std::map<std::int64_t, PumpPlace> places;  // by the pump's index in the whole session
};

// Labels every pump of a complete run.
Reference label_complete_run() {
    FakeSystem sys;
    sys.ui.ip = kAddress;
    std::size_t mark = 0;
    sys.run({Action::click(ControlId::ConfirmIp),
             Action::run([&] { mark = sys.trace.entries.size(); }),
             Action::click(ControlId::Start)});
    const auto& e = sys.trace.entries;
    // The run ends at the "disable 88" that precedes the reset's first pause; a Stop click
    // is ignored from there on.
    std::size_t run_end = e.size();
    for (std::size_t i = e.size(); i-- > mark;) {
        if (e[i].op == Op::Disable && e[i].value == static_cast<int>(ControlId::Stop)) {
            run_end = i;
            // the reset's own "disable 88" comes after the run end's; keep the earlier one
        }
        if (e[i].op == Op::Pause && e[i].value == 9) {
            break;
        }
    }
    Reference ref;
    int pass = 1;
    int pauses_999 = 0;
    bool sent_since_999 = false;
    int pumps_since_999 = 0;
    bool down_ramp_done = false;
    for (std::size_t i = mark; i < run_end; ++i) {
        switch (e[i].op) {
            case Op::Pause:
                if (e[i].value == 999) {
                    if (pauses_999 == 2) {  // between two passes
                        ++pass;
                        pauses_999 = 0;
                        down_ramp_done = false;
                    } else {
                        ++pauses_999;
                    }
                    sent_since_999 = false;
                    pumps_since_999 = 0;
                } else if (e[i].value == 9 && pauses_999 == 2) {
                    // the down ramp's last iteration is the one no send follows in this pass
                    bool more = false;
                    for (std::size_t j = i + 1; j < run_end; ++j) {
                        if (e[j].op == Op::Pause && e[j].value == 9) {
                            more = true;
                            break;
                        }
                        if (e[j].op == Op::Pause && e[j].value == 999) {
                            break;
                        }
                    }
                    down_ramp_done = !more;
                }
                break;
            case Op::Send:
                sent_since_999 = true;
                break;
            case Op::Pump: {
                Phase phase = Phase::Sweeps;
                if (pauses_999 == 1) {
                    if (e[i + 1].op == Op::Pause && e[i + 1].value == 999) {
                        phase = Phase::BetweenRamps;  // step 10's first pump
                    } else {
                        phase = sent_since_999 ? Phase::UpRamp : Phase::Sweeps;
                    }
                } else if (pauses_999 == 2) {
                    ++pumps_since_999;
                    if (pumps_since_999 == 1) {
                        phase = Phase::BetweenRamps;
                    } else {
                        phase = down_ramp_done ? Phase::PassEnd : Phase::DownRamp;
                    }
                }
                ref.places[e[i].value] = {pass, phase};
                break;
            }
            default:
                break;
        }
    }
    return ref;
}

// Pumps to stop at: the first and last of every phase of every pass, and an even spread.
std::vector<std::int64_t> chosen_pumps(const Reference& ref, std::size_t spread) {
    std::set<std::int64_t> chosen;
    std::map<std::pair<int, int>, std::pair<std::int64_t, std::int64_t>> bounds;
    for (const auto& [pump, place] : ref.places) {
        const auto key = std::make_pair(place.pass, static_cast<int>(place.phase));
        auto [it, fresh] = bounds.try_emplace(key, pump, pump);
        if (!fresh) {
            it->second.first = std::min(it->second.first, pump);
            it->second.second = std::max(it->second.second, pump);
        }
    }
    for (const auto& [key, range] : bounds) {
        chosen.insert(range.first);
        chosen.insert(range.second);
    }
    const std::int64_t first = ref.places.begin()->first;
    const std::int64_t last = ref.places.rbegin()->first;
    for (std::size_t k = 0; k < spread; ++k) {
        chosen.insert(first + static_cast<std::int64_t>(k) * (last - first) /
                                  static_cast<std::int64_t>(spread - 1));
    }
    EXPECT_EQ(bounds.size(), 15U);  // five phases in each of the three passes
    return {chosen.begin(), chosen.end()};
}

void check_stop_at(std::int64_t pump, const PumpPlace& place, bool then_run_again) {
    SCOPED_TRACE("Stop at pump " + std::to_string(pump) + ", pass " + std::to_string(place.pass) +
                 ", " + name_of(place.phase));
    FakeSystem sys;
    sys.ui.ip = kAddress;
    std::size_t mark = 0;
    std::size_t clicked_at = 0;
    sys.ui.each_pump = [&](std::int64_t index) {
        if (index == pump) {
            clicked_at = sys.trace.entries.size();
            sys.ui.perform(Action::click(ControlId::Stop));
        }
    };
    std::size_t second = 0;
    std::size_t first_end = 0;
    std::deque<Action> inputs{Action::click(ControlId::ConfirmIp),
                              Action::run([&] { mark = sys.trace.entries.size(); }),
                              Action::click(ControlId::Start)};
    if (then_run_again) {
        inputs.insert(inputs.end(), {Action::run([&] { first_end = sys.trace.entries.size(); }),
                                     Action::click(ControlId::ConfirmIp),
                                     Action::run([&] { second = sys.trace.entries.size(); }),
                                     Action::click(ControlId::Start)});
    }
    sys.run(inputs);
    ASSERT_GT(clicked_at, mark);

    const std::size_t run_end = then_run_again ? first_end : sys.trace.entries.size();
    RunTracker tracker(mark);
    const RunSummary before = tracker.update(sys.trace, clicked_at);
    const RunSummary run = tracker.update(sys.trace, run_end);
    const auto p = static_cast<std::size_t>(place.pass - 1);
    const PassSummary& pass = run.passes[p];
    const std::int64_t sends_after = run.total_sends - before.total_sends - run.reset_sends;

    switch (place.phase) {
        case Phase::Sweeps:
            expect_sweeps_then_one_iteration_per_ramp(pass);
            break;
        case Phase::UpRamp:
            EXPECT_LE(pass.up.iterations, before.passes[p].up.iterations + 1);
            EXPECT_EQ(pass.down.iterations, 1);
            EXPECT_EQ(pass.down.sends, 17);
            EXPECT_EQ(pass.down.last_bits, 0x3F804189U);
            break;
        case Phase::BetweenRamps:
            EXPECT_EQ(pass.down.iterations, 1);
            EXPECT_EQ(pass.down.sends, 0);
            EXPECT_EQ(sends_after, 0);
            break;
        case Phase::DownRamp:
            EXPECT_LE(pass.down.iterations, before.passes[p].down.iterations + 1);
            EXPECT_LE(sends_after, 17);
            break;
        case Phase::PassEnd:
            EXPECT_EQ(sends_after, 0);
            break;
    }
    expect_stopped_run_at_rest(run, sys.program, place.pass);
    // At most one progress tick after the click: 1, or one more than the bar's count in
    // pass 3's down ramp, whose stop response keeps the count.
    const std::vector<std::int64_t> bar_after(
        run.progress.begin() + static_cast<std::ptrdiff_t>(before.progress.size()),
        run.progress.end());
    ASSERT_GE(bar_after.size(), 2U);
    EXPECT_EQ(bar_after.front(), 0);  // the Stop handler empties the bar at once
    EXPECT_EQ(bar_after.back(), 0);   // and the reset leaves it empty
    std::vector<std::int64_t> ticks_after;
    std::copy_if(bar_after.begin(), bar_after.end(), std::back_inserter(ticks_after),
                 [](std::int64_t v) { return v > 0; });
    EXPECT_LE(ticks_after.size(), 1U);
    if (!ticks_after.empty()) {
        const std::int64_t count_at_click = before.progress.empty() ? 0 : before.progress.back();
        EXPECT_TRUE(ticks_after[0] == 1 ||
                    (place.pass == 3 && ticks_after[0] == count_at_click + 1))
            << ticks_after[0];
    }

    // The pause before the run end: 999 ms after a stopped pass 1 or 2.
    std::int64_t pause_before_reset = 0;
    for (std::size_t i = mark; i < run_end; ++i) {
        const TraceEntry& entry = sys.trace.entries[i];
        if (entry.op == Op::Pause) {
            if (entry.value == 300) {
                break;
            }
            pause_before_reset = entry.value;
        }
    }
    EXPECT_EQ(pause_before_reset, place.pass < 3 ? 999 : 9);

    EXPECT_EQ(sys.trace.count(Op::Box), then_run_again ? 2U : 1U);
    EXPECT_EQ(sys.trace.of(Op::Box)[0]->text, "Kestrava V2.3|Finished.");
    EXPECT_TRUE(sys.ui.enabled(ControlId::IpField));
    EXPECT_TRUE(sys.ui.enabled(ControlId::ConfirmIp));
    for (ControlId id :
         {ControlId::Start, ControlId::ResetAll, ControlId::Updates, ControlId::Stop}) {
        EXPECT_FALSE(sys.ui.enabled(id)) << static_cast<int>(id);
    }
    EXPECT_EQ(sys.ui.progress, 0);
    if (then_run_again) {
        EXPECT_EQ(summarize_run(sys.trace, second).total_sends, 37999);
    }
}

const Reference& reference() {
    static const Reference ref = label_complete_run();
    return ref;
}

void check_pass(int pass) {
    const Reference& ref = reference();
    std::size_t n = 0;
    std::size_t checked = 0;
    for (const std::int64_t pump : chosen_pumps(ref, 300)) {
        const PumpPlace& place = ref.places.at(pump);
        ++n;
        if (place.pass != pass) {
            continue;
        }
        // Every 20th position also confirms again and checks that the next run is complete.
        check_stop_at(pump, place, n % 20 == 0);
        ++checked;
        if (::testing::Test::HasFailure()) {
            break;  // one position's report is enough to debug
        }
    }
    EXPECT_GT(checked, 0U);
    std::printf("pass %d: stop positions checked: %zu\n", pass, checked);
}

TEST(StopAnywhere, InPassOne) {
    check_pass(1);
}
TEST(StopAnywhere, InPassTwo) {
    check_pass(2);
}
TEST(StopAnywhere, InPassThree) {
    check_pass(3);
}

}  // namespace
}  // namespace kestrava::test
