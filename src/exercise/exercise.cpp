#include "exercise/exercise.h"

#include <array>

#include "app/messaging.h"
#include "app/program.h"

namespace kestrava {

namespace {

constexpr std::int64_t kPhasePauseMs = 999;
constexpr std::int64_t kBottomSweepPauseMs = 44;
constexpr std::int64_t kRampPauseMs = 9;
constexpr std::int64_t kResetPauseMs = 300;

constexpr float kTop = 1.0F;
constexpr float kBottom = 0.0F;
constexpr float kDownRampStart = 1.002F;
constexpr float kUpRampEnd = 1.0002F;
constexpr float kDownRampEnd = 1e-6F;
constexpr float kUpStopValue = 2.0F;
constexpr float kDownStopValue = -1.0F;

struct PassParameters {
    int number;
    std::int64_t top_sweep_pause_ms;
    float up_step;
    float down_step;
    std::int64_t tick_threshold;
};

constexpr std::array<PassParameters, 3> kPasses{{
    {1, 544, 0.001F, -0.001F, 40},
    {2, 344, 0.01F, -0.01F, 4},
    {3, 144, 0.1F, -0.1F, 2},
}};

enum class Ramp { Up, Down };

bool stopped(const Program& program) {
    return program.stop_requested == kStopRequested;
}

void allocate_faders(Program& program) {
    for (int slot = 0; slot < kFaderSlotCount; ++slot) {
        program.table.allocate(slot, kFaderBufferSize);
    }
}

void release_faders(Program& program) {
    for (int slot = 0; slot < kFaderSlotCount; ++slot) {
        program.table.release(slot);
    }
}

void sweep(Program& program, float value, std::int64_t pause) {
    for (int slot = 0; slot < kFaderSlotCount; ++slot) {
        send_slot_message(program, slot, value, EmptyMessage::Send);
        program.net.pause_ms(pause);
    }
}

void ramp(Program& program, const PassParameters& pass, Ramp direction) {
    Toolkit& ui = program.toolkit;
    const float step = direction == Ramp::Up ? pass.up_step : pass.down_step;
    const bool keeps_progress_on_stop = direction == Ramp::Down && pass.number == 3;
    do {
        for (int slot = 0; slot < kFaderSlotCount; ++slot) {
            send_slot_message(program, slot, program.ramp_value, EmptyMessage::Skip);
        }
        program.ramp_value += step;
        program.net.pause_ms(kRampPauseMs);
        ++program.ramp_iterations;
        if (stopped(program)) {
            program.ramp_value = direction == Ramp::Up ? kUpStopValue : kDownStopValue;
            ui.set_enabled(ControlId::Stop, false);
            ui.pump_events();
            if (!keeps_progress_on_stop) {
                program.progress_value = 0;
            }
        }
        if (program.ramp_iterations > pass.tick_threshold) {
            ++program.progress_value;
            ui.set_progress(program.progress_value);
            ui.pump_events();
            program.ramp_iterations = 0;
        }
        ui.pump_events();
    } while (direction == Ramp::Up ? program.ramp_value < kUpRampEnd
                                   : program.ramp_value > kDownRampEnd);
}

void run_pass(Program& program, const PassParameters& pass) {
    Toolkit& ui = program.toolkit;
    allocate_faders(program);
    ui.pump_events();
    sweep(program, kTop, pass.top_sweep_pause_ms);
    ui.pump_events();
    program.net.pause_ms(kBottomSweepPauseMs);
    sweep(program, kBottom, kBottomSweepPauseMs);
    ui.pump_events();
    program.net.pause_ms(kPhasePauseMs);
    allocate_faders(program);  // renews: allocate releases the old buffer first
    ui.pump_events();

    program.ramp_value = 0.0F;
    if (pass.number == 1) {
        ui.set_progress(0);
    }
    ramp(program, pass, Ramp::Up);
    if (!stopped(program)) {
        release_faders(program);
    }
    ui.pump_events();
    program.net.pause_ms(kPhasePauseMs);
    ui.pump_events();
    if (!stopped(program)) {
        allocate_faders(program);
        ui.pump_events();
    }
    program.ramp_value = kDownRampStart;
    ramp(program, pass, Ramp::Down);
    if (!stopped(program)) {
        release_faders(program);
        ui.pump_events();
    }
    ui.pump_events();
    if (pass.number < 3) {
        program.ramp_value = 0.0F;
        program.ramp_iterations = 0;
        ui.pump_events();
    }
}

std::string unsent_suffix(const SendTally& tally, std::string_view before, std::string_view after) {
    return std::string(before) + std::to_string(tally.failed) + " of " +
           std::to_string(tally.attempted) + std::string(after);
}

}  // namespace

std::string finished_text(const SendTally& tally) {
    if (tally.failed == 0) {
        return "Finished.";
    }
    return unsent_suffix(tally, "Finished.\n", " messages could not be sent.");
}

std::string reset_text(const SendTally& tally) {
    if (tally.failed == 0) {
        return std::string(kProductLine) + " - Reset Ok";
    }
    return unsent_suffix(
        tally, std::string(kProductLine) + " - Reset incomplete: ", " messages could not be sent");
}

void ExerciseRun(Program& program) {
    Toolkit& ui = program.toolkit;
    program.tally = {};
    ui.set_enabled(ControlId::Start, false);
    ui.set_enabled(ControlId::Stop, true);
    ui.set_enabled(ControlId::ResetAll, false);
    ui.set_enabled(ControlId::Updates, false);
    ui.pump_events();

    for (const PassParameters& pass : kPasses) {
        run_pass(program, pass);
        if (pass.number == 3) {
            break;
        }
        program.net.pause_ms(kPhasePauseMs);
        if (stopped(program)) {
            break;
        }
    }

    ui.set_enabled(ControlId::Stop, false);
    program.stop_requested = 0;
    program.ramp_value = 0.0F;
    program.progress_value = 0;
    program.ramp_iterations = 0;
    ui.pump_events();
    reset_faders(program);
    ui.message_box(kProductLine, finished_text(program.tally));
}

void request_stop(Program& program) {
    Toolkit& ui = program.toolkit;
    program.stop_requested = kStopRequested;
    ui.set_enabled(ControlId::IpField, false);
    ui.set_enabled(ControlId::ConfirmIp, false);
    ui.set_progress(0);
    ui.set_enabled(ControlId::Start, false);
    ui.set_enabled(ControlId::ResetAll, false);
    ui.set_enabled(ControlId::Updates, false);
    ui.set_enabled(ControlId::Stop, false);
}

void reset_faders(Program& program) {
    Toolkit& ui = program.toolkit;
    ui.set_enabled(ControlId::Stop, false);
    for (int slot = 0; slot < kSlotCount - 1; ++slot) {
        program.table.release(slot);
    }
    ui.pump_events();
    for (int slot = 0; slot < kFaderSlotCount; ++slot) {
        program.table.allocate(slot, kFaderBufferSize);
        send_slot_message(program, slot, 0.0F, EmptyMessage::Send);
        program.net.pause_ms(kResetPauseMs);
    }
    ui.pump_events();
    release_faders(program);
    ui.pump_events();
    for (int slot = kFirstStatusSlot; slot <= kLastStatusSlot; ++slot) {
        program.table.allocate(slot, kResetStatusBufferSize);
    }
    for (int slot = kFirstStatusSlot; slot <= kLastStatusSlot; ++slot) {
        send_slot_message(program, slot, 0.0F, EmptyMessage::Send);
        program.net.pause_ms(kResetPauseMs);
    }
    ui.pump_events();
    for (int slot = kFirstStatusSlot; slot <= kLastStatusSlot; ++slot) {
        program.table.release(slot);
    }
    ui.set_enabled(ControlId::IpField, true);
    ui.set_enabled(ControlId::ConfirmIp, true);
    ui.set_progress(0);
    ui.set_enabled(ControlId::Start, false);
    ui.set_enabled(ControlId::ResetAll, false);
    ui.set_enabled(ControlId::Updates, false);
    ui.set_enabled(ControlId::Stop, false);
    ui.pump_events();
}

namespace {

void reset_all_steps(Program& program) {
    Toolkit& ui = program.toolkit;
    ui.set_enabled(ControlId::ResetAll, false);
    ui.set_enabled(ControlId::Stop, false);
    ui.set_enabled(ControlId::Updates, false);
    ui.set_enabled(ControlId::Start, false);
    ui.pump_events();
    program.tally = {};
    reset_faders(program);
    ui.pump_events();
}

}  // namespace

void on_reset_all(Program& program) {
    reset_all_steps(program);
    program.toolkit.message_box("Kestrava", reset_text(program.tally));
}

void on_stop_branch(Program& program) {
    reset_all_steps(program);
}

}  // namespace kestrava
