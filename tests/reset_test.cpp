#include <gtest/gtest.h>

#include "support/fakes.h"

namespace kestrava::test {
namespace {

using Lines = std::vector<std::string>;

const Lines kResetControlState = {"enable 3",   "enable 44",  "progress 0", "disable 62",
                                  "disable 77", "disable 99", "disable 88"};

// The lines of reset_faders after its first "disable 88".
Lines reset_procedure_lines() {
    Lines lines{"pump"};
    const char* faders[] = {"/ch/01/mix/fader", "/ch/02/mix/fader",  "/ch/03/mix/fader",
                            "/ch/04/mix/fader", "/ch/05/mix/fader",  "/ch/06/mix/fader",
                            "/ch/07/mix/fader", "/ch/08/mix/fader",  "/ch/09/mix/fader",
                            "/ch/10/mix/fader", "/ch/11/mix/fader",  "/ch/12/mix/fader",
                            "/ch/13/mix/fader", "/ch/14/mix/fader",  "/ch/15/mix/fader",
                            "/ch/16/mix/fader", "/main/st/mix/fader"};
    for (const char* fader : faders) {
        lines.insert(lines.end(),
                     {"pump", std::string("send ") + fader + " 00000000", "pause 300"});
    }
    lines.insert(lines.end(), {"pump", "pump"});
    for (const char* status :
         {"/-action/initall", "/-stat/selidx", "/-stat/chfaderbank", "/-stat/grpfaderbank"}) {
        lines.insert(lines.end(),
                     {"pump", std::string("send ") + status + " 00000000", "pause 300"});
    }
    lines.push_back("pump");
    lines.insert(lines.end(), kResetControlState.begin(), kResetControlState.end());
    lines.push_back("pump");
    return lines;
}

struct Session {
    FakeSystem sys;
    std::size_t mark = 0;
    std::int64_t clicked_at = 0;

    void confirm_then(std::deque<Action> more) {
        sys.ui.ip = {10, 0, 0, 5};
        std::deque<Action> inputs{Action::click(ControlId::ConfirmIp), Action::run([this] {
                                      mark = sys.trace.entries.size();
                                      clicked_at = sys.trace.now_ms;
                                  })};
        inputs.insert(inputs.end(), more.begin(), more.end());
        sys.run(inputs);
    }
};

TEST(ResetAll, SendsTwentyOneZerosThreeHundredMsApartThenSaysResetOk) {
    Session s;
    s.confirm_then({Action::click(ControlId::ResetAll)});
    Lines expected{"disable 77", "disable 88", "disable 99", "disable 62", "pump", "disable 88"};
    const Lines procedure = reset_procedure_lines();
    expected.insert(expected.end(), procedure.begin(), procedure.end());
    expected.insert(expected.end(),
                    {"pump", "box Kestrava|Kestrava V2.3 - Reset Ok", "close 100", "shutdown"});
    EXPECT_EQ(s.sys.trace.lines(s.mark), expected);

    const auto box = s.sys.trace.of(Op::Box);
    ASSERT_EQ(box.size(), 1U);
    EXPECT_EQ(box[0]->time_ms - s.clicked_at, 6300);
    EXPECT_EQ(s.sys.program.table.buffers_present(), 0);
    EXPECT_EQ(s.sys.trace.of(Op::Send)[4 + 20]->bytes.size(),
              28U);  // status slots: 1024-byte buffers
}

TEST(ResetAll, ASecondResetAllNeedsConfirmIpFirst) {
    Session s;
    s.confirm_then({Action::click(ControlId::ResetAll), Action::click(ControlId::ResetAll),
                    Action::click(ControlId::Start)});
    EXPECT_EQ(s.sys.trace.count(Op::Box), 1U);
    EXPECT_EQ(s.sys.trace.count(Op::Send), 4U + 21U);
}

TEST(ResetAll, CountsWhatCouldNotBeSent) {
    Session failing;
    failing.sys.net.refuse_send = [](std::int64_t n) { return n >= 4 && n % 5 == 0; };
    failing.confirm_then({Action::click(ControlId::ResetAll)});
    // sends 4..24 belong to the reset: 5, 10, 15, 20 fail
    EXPECT_EQ(failing.sys.trace.of(Op::Box).back()->text,
              "Kestrava|Kestrava V2.3 - Reset incomplete: 4 of 21 messages could not be sent");

    Session unlinked;
    unlinked.sys.ui.ip = {255, 255, 255, 255};
    unlinked.sys.run({Action::click(ControlId::ConfirmIp), Action::click(ControlId::ResetAll)});
    const auto boxes = unlinked.sys.trace.of(Op::Box);
    ASSERT_EQ(boxes.size(), 2U);
    EXPECT_EQ(boxes[1]->text,
              "Kestrava|Kestrava V2.3 - Reset incomplete: 21 of 21 messages could not be sent");
    EXPECT_EQ(unlinked.sys.trace.count(Op::Pause), 4U + 21U);
}

TEST(StopBranch, AStopEventThatReachesTheLoopRunsTheResetWithoutABox) {
    Session s;
    // Stop is enabled only during a run; enable it here so that the loop sees its click.
    s.confirm_then({Action::run([&s] { s.sys.ui.set_enabled(ControlId::Stop, true); }),
                    Action::run([&s] { s.mark = s.sys.trace.entries.size(); }),
                    Action::click(ControlId::Stop)});
    Lines expected = {"disable 3",  "disable 44", "progress 0", "disable 62",
                      "disable 77", "disable 99", "disable 88"};  // request_stop, inside wait_event
    const Lines branch{"disable 77", "disable 88", "disable 99",
                       "disable 62", "pump",       "disable 88"};
    expected.insert(expected.end(), branch.begin(), branch.end());
    const Lines procedure = reset_procedure_lines();
    expected.insert(expected.end(), procedure.begin(), procedure.end());
    expected.insert(expected.end(), {"pump", "close 100", "shutdown"});
    EXPECT_EQ(s.sys.trace.lines(s.mark), expected);
    EXPECT_EQ(s.sys.program.stop_requested, kStopRequested);  // only a run end clears it
}

TEST(ResetAll, ACloseRequestDuringTheResetIsDropped) {
    Session s;
    s.sys.ui.at_pump.insert({12, Action::close()});
    s.confirm_then({Action::click(ControlId::ResetAll)});
    EXPECT_TRUE(s.sys.ui.inputs_exhausted);
    EXPECT_EQ(s.sys.trace.count(Op::Box), 1U);
}

}  // namespace
}  // namespace kestrava::test
