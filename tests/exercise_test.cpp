#include <gtest/gtest.h>

#include <memory>
#include <numeric>
#include <optional>

#include "support/fakes.h"
#include "support/run_checks.h"
#include "support/run_summary.h"

namespace kestrava::test {
namespace {

constexpr std::uint32_t kBitsDownStart = 0x3F804189;  // 1.002

// A confirmed address, then START; `configure` may script the run before it starts.
struct RunSession {
    FakeSystem sys;
    std::size_t mark = 0;
    std::int64_t start_ms = 0;

    void run(std::deque<Action> after = {}) {
        sys.ui.ip = {10, 0, 0, 5};
        std::deque<Action> inputs{Action::click(ControlId::ConfirmIp), Action::run([this] {
                                      mark = sys.trace.entries.size();
                                      start_ms = sys.trace.now_ms;
                                  }),
                                  Action::click(ControlId::Start)};
        inputs.insert(inputs.end(), after.begin(), after.end());
        sys.run(inputs);
    }
    [[nodiscard]] RunSummary summary() const { return summarize_run(sys.trace, mark); }
    [[nodiscard]] std::vector<const TraceEntry*> boxes() const { return sys.trace.of(Op::Box); }
};

std::vector<std::int64_t> iota(std::int64_t first, std::int64_t last) {
    std::vector<std::int64_t> v(static_cast<std::size_t>(last - first + 1));
    std::iota(v.begin(), v.end(), first);
    return v;
}

TEST(ExerciseRun, ACompleteRunSendsEveryMoveWithItsValuesAndPacing) {
    RunSession s;
    s.run();
    const RunSummary run = s.summary();

    EXPECT_EQ(run.sends_of(1), 34102);
    EXPECT_EQ(run.sends_of(2), 3468);
    EXPECT_EQ(run.sends_of(3), 408);
    EXPECT_EQ(run.reset_sends, 21);
    EXPECT_EQ(run.total_sends, 37999);

    struct Expected {
        int up_iterations, down_iterations;
        std::uint32_t up_last, down_last;
        std::size_t up_ticks, down_ticks;
    };
    const Expected expected[] = {
        {1001, 1003, 0x3F7FFF64, 0x371B7100, 24, 24},
        {101, 101, 0x3F7FFFF5, 0x3B031D48, 20, 20},
        {11, 11, 0x3F800001, 0x3B031040, 3, 4},
    };
    for (int p = 0; p < 3; ++p) {
        SCOPED_TRACE("pass " + std::to_string(p + 1));
        const PassSummary& pass = run.passes[static_cast<std::size_t>(p)];
        const Expected& e = expected[p];
        EXPECT_EQ(pass.top_sends, 17);
        EXPECT_EQ(pass.bottom_sends, 17);
        EXPECT_EQ(pass.up.iterations, e.up_iterations);
        EXPECT_EQ(pass.down.iterations, e.down_iterations);
        EXPECT_EQ(pass.up.sends, 17 * e.up_iterations);
        EXPECT_EQ(pass.down.sends, 17 * e.down_iterations);
        EXPECT_EQ(pass.up.last_bits, e.up_last);
        EXPECT_EQ(pass.down.last_bits, e.down_last);
        EXPECT_EQ(pass.up.ticks.size(), e.up_ticks);
        EXPECT_EQ(pass.down.ticks.size(), e.down_ticks);
    }
    EXPECT_EQ(run.passes[0].down.ticks.back(), 48);
    EXPECT_EQ(run.passes[1].down.ticks.back(), 88);
    EXPECT_EQ(run.passes[2].down.ticks.back(), 95);
    // Each pass's figure counts the 999 ms pause before it; the summary counts the one after.
    EXPECT_EQ(run.passes[0].pauses_ms, 30074 + 999);
    EXPECT_EQ(run.passes[1].pauses_ms, 11455);
    EXPECT_EQ(run.passes[2].pauses_ms, 6435 - 999);

    // The bar: 0 before pass 1's up ramp, every tick 1..95 in order, 0 from the reset.
    std::vector<std::int64_t> bar{0};
    const auto ticks = iota(1, 95);
    bar.insert(bar.end(), ticks.begin(), ticks.end());
    bar.push_back(0);
    EXPECT_EQ(run.progress, bar);

    EXPECT_EQ(run.run_pauses_ms, 47964);
    EXPECT_EQ(run.reset_pauses_ms, 6300);
    for (const auto& [address, bits] : run.last_bits) {
        EXPECT_EQ(bits, 0U) << address;
    }
    EXPECT_EQ(run.last_bits.size(), 21U);

    const auto boxes = s.boxes();
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_EQ(boxes[0]->text, "Kestrava V2.3|Finished.");
    EXPECT_EQ(boxes[0]->time_ms - s.start_ms, 54264);
    EXPECT_EQ(s.sys.program.table.buffers_present(), 0);
    EXPECT_EQ(s.sys.program.stop_requested, 0);
    EXPECT_EQ(s.sys.program.progress_value, 0);
    EXPECT_EQ(s.sys.program.ramp_iterations, 0);
    EXPECT_EQ(s.sys.program.ramp_value, 0.0F);
    EXPECT_EQ(s.sys.ui.progress, 0);
}

TEST(ExerciseRun, ControlsDuringAndAfterTheRun) {
    RunSession s;
    bool checked = false;
    s.sys.ui.each_pump = [&](std::int64_t) {
        if (!checked && s.sys.trace.count(Op::Send) == 100) {
            checked = true;
            EXPECT_FALSE(s.sys.ui.enabled(ControlId::Start));
            EXPECT_TRUE(s.sys.ui.enabled(ControlId::Stop));
            EXPECT_FALSE(s.sys.ui.enabled(ControlId::ResetAll));
            EXPECT_FALSE(s.sys.ui.enabled(ControlId::Updates));
            EXPECT_FALSE(s.sys.ui.enabled(ControlId::IpField));
            EXPECT_FALSE(s.sys.ui.enabled(ControlId::ConfirmIp));
        }
    };
    s.run();
    EXPECT_TRUE(checked);
    const auto lines = s.sys.trace.lines(s.mark);
    EXPECT_EQ(
        std::vector<std::string>(lines.begin(), lines.begin() + 5),
        (std::vector<std::string>{"disable 62", "enable 88", "disable 77", "disable 99", "pump"}));
    EXPECT_TRUE(s.sys.ui.enabled(ControlId::IpField));
    EXPECT_TRUE(s.sys.ui.enabled(ControlId::ConfirmIp));
    EXPECT_FALSE(s.sys.ui.enabled(ControlId::Start));
}

TEST(ExerciseRun, CloseAndOtherClicksDuringARunDoNothingAfterwardsCloseEnds) {
    RunSession s;
    s.sys.ui.each_pump = [&](std::int64_t pump) {
        if (pump % 997 == 0) {
            s.sys.ui.perform(Action::close());
            s.sys.ui.perform(Action::click(ControlId::ResetAll));
            s.sys.ui.perform(Action::click(ControlId::Start));
            s.sys.ui.perform(Action::tick());
        }
    };
    s.run({Action::close()});
    EXPECT_FALSE(s.sys.ui.inputs_exhausted);  // the scripted close after "Finished." ended it
    EXPECT_EQ(s.summary().total_sends, 37999);
    EXPECT_EQ(s.boxes().size(), 1U);
    EXPECT_EQ(s.sys.program.ticker_count, 0);
    EXPECT_EQ(s.sys.net.open_sockets, 0);
    const auto lines = s.sys.trace.lines();
    EXPECT_EQ(lines[lines.size() - 2], "close 100");
}

TEST(ExerciseRun, FailedSendsAreCountedInTheClosingBox) {
    RunSession every_tenth;
    every_tenth.sys.net.refuse_send = [](std::int64_t n) { return n >= 4 && (n - 4) % 10 == 0; };
    every_tenth.run();
    EXPECT_EQ(every_tenth.boxes()[0]->text,
              "Kestrava V2.3|Finished.\n3800 of 37999 messages could not be sent.");

    RunSession unlinked;
    unlinked.sys.ui.ip = {255, 255, 255, 255};
    unlinked.sys.run({Action::click(ControlId::ConfirmIp), Action::click(ControlId::Start)});
    const auto boxes = unlinked.sys.trace.of(Op::Box);
    ASSERT_EQ(boxes.size(), 2U);
    EXPECT_EQ(boxes[1]->text,
              "Kestrava V2.3|Finished.\n37999 of 37999 messages could not be sent.");
    EXPECT_EQ(unlinked.sys.trace.count(Op::Pause), 4U + 2362U);
}

// --- Stop ---

enum class Where { Sweeps, UpRamp, Step10, DownRamp, AfterDownRamp };

const char* name_of(Where w) {
    switch (w) {
        case Where::Sweeps:
            return "sweeps";
        case Where::UpRamp:
            return "up ramp";
        case Where::Step10:
            return "step 10";
        case Where::DownRamp:
            return "down ramp";
        case Where::AfterDownRamp:
            return "after the down ramp";
    }
    return "?";
}

// Follows the run through the trace and clicks Stop once at the first pump that lies
// in the wanted pass and phase (in ramps: once the wanted number of iterations is done).
// `clicked_at_send` receives the number of datagrams sent before the click.
struct StopScript {
    int pass;
    Where where;
    int iterations = 0;

    void install(RunSession& s, std::int64_t& clicked_at_send) const {
        auto tracker = std::make_shared<std::optional<RunTracker>>();
        auto done = std::make_shared<bool>(false);
        s.sys.ui.each_pump = [this_script = *this, &s, &clicked_at_send, tracker,
                              done](std::int64_t) {
            if (*done || s.mark == 0) {  // the run has not started yet
                return;
            }
            if (!*tracker) {
                tracker->emplace(s.mark);
            }
            const RunSummary& run = (*tracker)->update(s.sys.trace);
            if (this_script.due(run, s.sys.trace)) {
                *done = true;
                clicked_at_send = run.total_sends;
                s.sys.ui.perform(Action::click(ControlId::Stop));
            }
        };
    }

    [[nodiscard]] bool due(const RunSummary& run, const Trace& trace) const {
        const PassSummary& p = run.passes[static_cast<std::size_t>(pass - 1)];
        const auto& entries = trace.entries;
        const TraceEntry& before = entries[entries.size() - 2];  // the entry before this pump
        switch (where) {
            case Where::Sweeps:
                return p.ran && p.top_sends >= 5 && p.up.iterations == 0;
            case Where::UpRamp:
                return p.up.iterations >= iterations && iterations > 0 && p.down.iterations == 0 &&
                       run.passes[static_cast<std::size_t>(pass - 1)].pauses_ms > 0 &&
                       !(before.op == Op::Pause && before.value == 999);
            case Where::Step10:  // the pump right after the 999 ms pause between the ramps
                return p.up.iterations > 0 && before.op == Op::Pause && before.value == 999 &&
                       p.down.iterations == 0;
            case Where::DownRamp:
                return p.down.iterations >= iterations && iterations > 0;
            case Where::AfterDownRamp:  // step 14's or 15's pump: two pumps in a row
                return p.down.iterations > 0 && before.op == Op::Pump &&
                       entries[entries.size() - 3].op == Op::Pump &&
                       entries[entries.size() - 4].op == Op::Pause &&
                       entries[entries.size() - 4].value == 9;
        }
        return false;
    }
};

// Runs with Stop clicked where `script` says; gives the datagrams sent before the click.
std::int64_t run_stopped(RunSession& s, const StopScript& script) {
    std::int64_t clicked = -1;
    script.install(s, clicked);
    s.run();
    return clicked;
}

TEST(ExerciseRun, StopDuringTheSweepsFinishesThemThenOneIterationPerRamp) {
    for (int pass = 1; pass <= 3; ++pass) {
        SCOPED_TRACE("pass " + std::to_string(pass));
        RunSession s;
        const std::int64_t clicked = run_stopped(s, {pass, Where::Sweeps});
        ASSERT_GE(clicked, 0);
        const RunSummary run = s.summary();
        expect_sweeps_then_one_iteration_per_ramp(run.passes[static_cast<std::size_t>(pass - 1)]);
        expect_stopped_run_at_rest(run, s.sys.program, pass);
        EXPECT_EQ(s.boxes()[0]->text, "Kestrava V2.3|Finished.");
    }
}

TEST(ExerciseRun, StopInARampEndsItAtTheNextStopResponse) {
    const struct {
        int pass;
        Where where;
        int iterations;
    } cases[] = {
        {1, Where::UpRamp, 1},   {1, Where::UpRamp, 500},  {2, Where::UpRamp, 50},
        {3, Where::UpRamp, 5},   {1, Where::DownRamp, 1},  {1, Where::DownRamp, 700},
        {2, Where::DownRamp, 3}, {3, Where::DownRamp, 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(name_of(c.where)) + " of pass " + std::to_string(c.pass) +
                     " after " + std::to_string(c.iterations));
        RunSession s;
        const std::int64_t clicked = run_stopped(s, {c.pass, c.where, c.iterations});
        ASSERT_GE(clicked, 0);
        const RunSummary run = s.summary();
        const PassSummary& p = run.passes[static_cast<std::size_t>(c.pass - 1)];
        if (c.where == Where::UpRamp) {
            // At most one more set of seventeen after the click, then one down iteration.
            EXPECT_LE(p.up.iterations, c.iterations + 1);
            EXPECT_EQ(p.down.iterations, 1);
            EXPECT_EQ(p.down.last_bits, kBitsDownStart);
        } else {
            EXPECT_LE(p.down.iterations, c.iterations + 1);
        }
        EXPECT_LE(run.total_sends - clicked, 17 + (c.where == Where::UpRamp ? 17 : 0) + 21);
        expect_stopped_run_at_rest(run, s.sys.program, c.pass);
        EXPECT_EQ(s.boxes().size(), 1U);
    }
}

TEST(ExerciseRun, StopBetweenTheRampsLeavesNoBuffersSoTheDownRampSendsNothing) {
    for (int pass = 1; pass <= 3; ++pass) {
        SCOPED_TRACE("pass " + std::to_string(pass));
        RunSession s;
        const std::int64_t clicked = run_stopped(s, {pass, Where::Step10});
        ASSERT_GE(clicked, 0);
        const RunSummary run = s.summary();
        const PassSummary& p = run.passes[static_cast<std::size_t>(pass - 1)];
        EXPECT_EQ(p.down.iterations, 1);
        EXPECT_EQ(p.down.sends, 0);
        EXPECT_EQ(run.total_sends - clicked, 21);  // only the reset follows
        expect_stopped_run_at_rest(run, s.sys.program, pass);
    }
}

TEST(ExerciseRun, StopAfterTheDownRampEndsThePassAndWaitsBeforeTheRunEnd) {
    for (int pass = 1; pass <= 3; ++pass) {
        SCOPED_TRACE("pass " + std::to_string(pass));
        RunSession s;
        const std::int64_t clicked = run_stopped(s, {pass, Where::AfterDownRamp});
        ASSERT_GE(clicked, 0);
        const RunSummary run = s.summary();
        EXPECT_EQ(run.total_sends - clicked, 21);
        // A stopped pass 1 or 2 pauses 999 ms before the run end; pass 3 goes straight on.
        const auto lines = s.sys.trace.lines(s.mark);
        const auto first_reset_pause =
            std::find(lines.begin(), lines.end(), std::string("pause 300"));
        const auto pause_before =
            std::find_if(std::make_reverse_iterator(first_reset_pause), lines.rend(),
                         [](const std::string& line) { return line.rfind("pause", 0) == 0; });
        ASSERT_NE(pause_before, lines.rend());
        EXPECT_EQ(*pause_before, pass < 3 ? "pause 999" : "pause 9");
        if (pass < 3) {
            EXPECT_FALSE(run.passes[static_cast<std::size_t>(pass)].ran);
        }
        EXPECT_EQ(run.progress.back(), 0);
    }
}

TEST(ExerciseRun, AStopResponseWithATickShowsOneOrTheNextValueInPassThreesDownRamp) {
    // Pass 1's up ramp ticks at its 41st iteration. Pass 3's down ramp starts at 91 and,
    // carrying two iterations over from the up ramp, ticks at its 1st, 4th, 7th and 10th.
    struct Case {
        int pass;
        Where where;
        int iterations;
        std::int64_t bar;
    };
    const Case cases[] = {{1, Where::UpRamp, 40, 1}, {3, Where::DownRamp, 6, 93 + 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(name_of(c.where));
        RunSession s;
        std::int64_t clicked = -1;
        StopScript{c.pass, c.where, c.iterations}.install(s, clicked);
        s.run();
        const RunSummary run = s.summary();
        const PassSummary& p = run.passes[static_cast<std::size_t>(c.pass - 1)];
        const RampSummary& r = c.where == Where::UpRamp ? p.up : p.down;
        ASSERT_FALSE(r.ticks.empty());
        EXPECT_EQ(r.ticks.back(), c.bar);
        // It stays on the bar until the reset sets 0.
        EXPECT_EQ(run.progress[run.progress.size() - 2], c.bar);
    }
}

TEST(ExerciseRun, AfterAStoppedRunANewConfirmationGivesACompleteRun) {
    RunSession s;
    std::int64_t clicked = -1;
    StopScript{2, Where::UpRamp, 10}.install(s, clicked);
    std::size_t second = 0;
    s.run({Action::click(ControlId::Start),  // disabled after the run: no effect
           Action::click(ControlId::ConfirmIp), Action::run([&] {
               s.sys.ui.each_pump = nullptr;
               second = s.sys.trace.entries.size();
           }),
           Action::click(ControlId::Start)});
    const RunSummary run = summarize_run(s.sys.trace, second);
    EXPECT_EQ(run.total_sends, 37999);
    EXPECT_EQ(run.passes[2].down.ticks.back(), 95);
    EXPECT_EQ(s.sys.trace.count(Op::Box), 2U);
}

}  // namespace
}  // namespace kestrava::test
