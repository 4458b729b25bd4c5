#include <gtest/gtest.h>

#include "support/fakes.h"
#include "ui/layout.h"

namespace kestrava::test {
namespace {

using Lines = std::vector<std::string>;

std::vector<std::uint8_t> settings_file(std::int64_t a, std::int64_t b, std::int64_t c,
                                        std::int64_t d) {
    std::vector<std::uint8_t> bytes;
    for (const std::int64_t v : {a, b, c, d}) {
        for (int i = 0; i < 8; ++i) {
            bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint64_t>(v) >> (8 * i)));
        }
    }
    return bytes;
}

TEST(Program, StartsUpInOrderAndEndsOnACloseRequest) {
    FakeSystem sys;
    sys.files.files["config.cfg"] = settings_file(192, 168, 1, 10);
    EXPECT_EQ(sys.run({}), 0);
    EXPECT_EQ(sys.trace.lines(), (Lines{
                                     "font",
                                     "window",
                                     "pump",
                                     "timer",
                                     "ip 192.168.1.10",
                                     "start-network 1",
                                     "enable 3",
                                     "enable 44",
                                     "progress 0",
                                     "disable 62",
                                     "disable 77",
                                     "enable 99",
                                     "disable 88",
                                     "shutdown",
                                 }));
    EXPECT_EQ(sys.ui.status_text, std::string(kCreditsLine));
    EXPECT_EQ(sys.program.texts.web_line, "kestrava.example.org - Kestrava V2.3");
    EXPECT_EQ(sys.program.table.address[16], "/main/st/mix/fader");
}

TEST(Program, NetworkFailureShowsTheWindowWithTheAddressThenEndsWithoutTheLoop) {
    FakeSystem sys;
    sys.files.files["config.cfg"] = settings_file(10, 0, 0, 1);
    sys.net.refuse_start = true;
    EXPECT_EQ(sys.run({Action::click(ControlId::ConfirmIp)}), 0);
    EXPECT_EQ(sys.trace.lines(),
              (Lines{"font", "window", "pump", "timer", "ip 10.0.0.1", "start-network 0",
                     "box NETWORK ERROR|Can't initialize the network !", "shutdown"}));
    EXPECT_EQ(sys.ui.loop_inputs.size(), 1U);  // the loop never fetched anything
}

TEST(Program, DispatchesOnlyTheFiveButtonsAndIgnoresOtherControls) {
    FakeSystem sys;
    sys.ui.ip = {10, 0, 0, 5};
    std::size_t after_startup = 0;
    sys.run({Action::run([&] { after_startup = sys.trace.entries.size(); }),
             Action::type_ip({10, 0, 0, 5}),  // IP field event: ignored
             Action::run([&] { sys.ui.queue().post(control_event(ControlId::ProgressBar)); }),
             Action::run([&] { sys.ui.queue().post(control_event(ControlId::StatusBar)); }),
             Action::run([&] {
                 sys.ui.queue().post({EventKind::Other, 5});
             }),
             Action::click(ControlId::Updates)});
    EXPECT_EQ(sys.trace.lines(after_startup),
              (Lines{"web https://kestrava.example.org/updates", "pump", "shutdown"}));
}

TEST(Program, CloseRequestClosesTheLinkOnlyWhenOneExists) {
    FakeSystem before;
    before.run({Action::close()});
    EXPECT_EQ(before.trace.count(Op::CloseLink), 0U);
    EXPECT_FALSE(before.ui.inputs_exhausted);

    FakeSystem after;
    after.ui.ip = {127, 0, 0, 1};
    after.run({Action::click(ControlId::ConfirmIp), Action::close()});
    ASSERT_EQ(after.trace.count(Op::CloseLink), 1U);
    EXPECT_EQ(after.net.open_sockets, 0);
    const auto lines = after.trace.lines();
    EXPECT_EQ(lines[lines.size() - 2], "close 100");
    EXPECT_EQ(lines.back(), "shutdown");
}

TEST(Program, StatusTickerAlternatesTextsOnTicksThatReachTheLoop) {
    FakeSystem sys;
    std::deque<Action> ticks;
    std::vector<std::string> seen;
    for (int i = 1; i <= 24; ++i) {
        ticks.push_back(Action::tick());
        ticks.push_back(Action::run([&] { seen.push_back(sys.ui.status_text); }));
    }
    sys.run(ticks);
    const std::string credits(kCreditsLine);
    const std::string web = "kestrava.example.org - Kestrava V2.3";
    for (int tick = 1; tick <= 24; ++tick) {
        const bool shows_web = (tick >= 12 && tick < 18) || tick >= 24;
        EXPECT_EQ(seen[static_cast<std::size_t>(tick - 1)], shows_web ? web : credits) << tick;
    }
    EXPECT_EQ(sys.program.ticker_count, 0);
    EXPECT_EQ(sys.trace.count(Op::Status), 4U);  // ticks 6, 12, 18, 24
}

TEST(Program, PumpsDropClicksTicksAndCloseRequestsButRunTheStopHandler) {
    FakeSystem sys;
    sys.ui.ip = {10, 0, 0, 5};
    // During Confirm IP's first pump: a tick, a close request and a click on START
    // (enabled later in the handler, disabled now) all reach the pump and are dropped.
    sys.ui.at_pump.insert({2, Action::tick()});
    sys.ui.at_pump.insert({2, Action::close()});
    sys.run({Action::click(ControlId::ConfirmIp)});
    EXPECT_TRUE(sys.ui.inputs_exhausted);  // the close request was dropped, not acted on
    EXPECT_EQ(sys.program.ticker_count, 0);

    // The Stop handler runs inside the pump that processes the click; its event is dropped.
    FakeSystem stop;
    stop.ui.at_pump.insert({2, Action::run([&] { stop.ui.set_enabled(ControlId::Stop, true); })});
    stop.ui.at_pump.insert({2, Action::click(ControlId::Stop)});
    stop.ui.at_pump.insert({2, Action::run([&] {
                                EXPECT_EQ(stop.program.stop_requested, kStopRequested);
                                EXPECT_EQ(stop.ui.queue().size(), 1U);
                            })});
    stop.ui.ip = {10, 0, 0, 5};
    stop.run({Action::click(ControlId::ConfirmIp)});
    EXPECT_EQ(stop.program.stop_requested, kStopRequested);
    EXPECT_EQ(stop.trace.count(Op::Box), 0U);  // no Stop branch ran
}

TEST(Program, TicksQueuedDuringAMessageBoxCountOnceAfterIt) {
    FakeSystem sys;
    sys.ui.ip = {10, 0, 0, 5};
    for (int i = 0; i < 5; ++i) {
        sys.ui.during_box.insert({1, Action::tick()});
    }
    sys.run({Action::click(ControlId::ConfirmIp), Action::click(ControlId::ResetAll)});
    EXPECT_EQ(sys.program.ticker_count, 4);
}

}  // namespace
}  // namespace kestrava::test
