#pragma once

#include <gtest/gtest.h>

#include "app/program.h"
#include "support/run_summary.h"

namespace kestrava::test {

// What every stopped run ends with: no later pass, the reset's 21 datagrams, every
// address last sent 0.0, nothing allocated and the stop flag clear.
inline void expect_stopped_run_at_rest(const RunSummary& run, const Program& program,
                                       int stopped_pass) {
    for (int later = stopped_pass + 1; later <= 3; ++later) {
        EXPECT_FALSE(run.passes[static_cast<std::size_t>(later - 1)].ran) << "pass " << later;
    }
    EXPECT_EQ(run.reset_sends, 21);
    for (const auto& [address, bits] : run.last_bits) {
        EXPECT_EQ(bits, 0U) << address;
    }
    EXPECT_EQ(program.table.buffers_present(), 0);
    EXPECT_EQ(program.stop_requested, 0);
}

// A pass stopped before its ramps: both sweeps whole, then one iteration per ramp,
// 0.0 and then 1.002 to every fader.
inline void expect_sweeps_then_one_iteration_per_ramp(const PassSummary& pass) {
    EXPECT_EQ(pass.top_sends + pass.bottom_sends, 34);
    EXPECT_EQ(pass.up.iterations, 1);
    EXPECT_EQ(pass.up.sends, 17);
    EXPECT_EQ(pass.up.last_bits, 0U);
    EXPECT_EQ(pass.down.iterations, 1);
    EXPECT_EQ(pass.down.sends, 17);
    EXPECT_EQ(pass.down.last_bits, 0x3F804189U);  // 1.002
}

}  // namespace kestrava::test
