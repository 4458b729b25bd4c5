#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "net/net_layer.h"
#include "osc/slot_table.h"
#include "settings/settings_files.h"
#include "ui/toolkit.h"

namespace kestrava {

inline constexpr std::string_view kProductLine = "Kestrava V2.3";

struct ProgramConfig {
    std::string web_host = "kestrava.example.org";
    std::string updates_address = "https://kestrava.example.org/updates";
    std::filesystem::path settings_path = "config.cfg";
};

// Datagrams that a procedure tried to send and those the socket layer did not take
// (no link, or a negative result).
struct SendTally {
    std::int64_t attempted = 0;
    std::int64_t failed = 0;
};

// The program-wide state: one object that lives for the whole process. Handlers are
// plain procedures over it and reach the world only through the three seams.
struct Program {
    Program(Toolkit& toolkit_, NetLayer& net_, SettingsFiles& files_, ProgramConfig config_ = {})
        : toolkit(toolkit_), net(net_), files(files_), config(std::move(config_)) {}

    Toolkit& toolkit;
    NetLayer& net;
    SettingsFiles& files;
    ProgramConfig config;

    SlotTable table;
    std::int64_t stop_requested = 0;  // 100 once a stop was requested, else 0
    std::optional<MixerLink> current_link;
    float ramp_value = 0.0F;
    std::int64_t progress_value = 0;
    std::int64_t ramp_iterations = 0;
    std::int64_t ticker_count = 0;
    bool quit_requested = false;
    ControlId current_control = ControlId::None;
    WindowTexts texts;  // the status-bar texts, fixed when the window is built
    SendTally tally;
};

inline constexpr std::int64_t kStopRequested = 100;

// Start-up, the event loop and shutdown. Returns the process exit code (always 0).
int run_program(Program& program);

// Runs one event-loop dispatch for `event`.
void dispatch_event(Program& program, const Event& event);

}  // namespace kestrava
