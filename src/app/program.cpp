#include "app/program.h"

#include "exercise/exercise.h"
#include "settings/settings.h"
#include "ui/layout.h"
#include "ui/status.h"

namespace kestrava {

namespace {

WindowTexts window_texts(const Program& program) {
    return {std::string(kCreditsLine), program.config.web_host + " - " + std::string(kProductLine)};
}

void startup_control_state(Toolkit& ui) {
    ui.set_enabled(ControlId::IpField, true);
    ui.set_enabled(ControlId::ConfirmIp, true);
    ui.set_progress(0);
    ui.set_enabled(ControlId::Start, false);
    ui.set_enabled(ControlId::ResetAll, false);
    ui.set_enabled(ControlId::Updates, true);
    ui.set_enabled(ControlId::Stop, false);
}

}  // namespace

void dispatch_event(Program& program, const Event& event) {
    switch (event.kind) {
        case EventKind::CloseRequest:
            program.quit_requested = true;
            if (program.current_link) {
                program.net.close_link(*program.current_link);
                program.current_link.reset();
            }
            return;
        case EventKind::TimerTick:
            status_ticker(program.ticker_count, program.toolkit, program.texts);
            return;
        case EventKind::Control:
            program.current_control = static_cast<ControlId>(event.id);
            switch (program.current_control) {
                case ControlId::ConfirmIp:
                    on_confirm_ip(program);
                    break;
                case ControlId::ResetAll:
                    on_reset_all(program);
                    break;
                case ControlId::Stop:
                    on_stop_branch(program);
                    break;
                case ControlId::Updates:
                    on_updates(program.toolkit, program.config.updates_address);
                    break;
                case ControlId::Start:
                    ExerciseRun(program);
                    break;
                default:
                    break;
            }
            return;
        case EventKind::Other:
            return;
    }
}

int run_program(Program& program) {
    Toolkit& ui = program.toolkit;
    create_slot_table(program.table);
    program.stop_requested = 0;
    program.current_link.reset();
    program.ramp_value = 0.0F;
    ui.load_status_font();
    fill_slot_addresses(program.table);
    program.texts = window_texts(program);
    ui.build_main_window(program.texts);
    ui.pump_events();
    ui.bind_stop_handler([&program] { request_stop(program); });
    ui.start_status_timer();
    load_settings(program);
    if (program.net.start_network()) {
        startup_control_state(ui);
        while (!program.quit_requested) {
            dispatch_event(program, ui.wait_event());
        }
    } else {
        ui.message_box("NETWORK ERROR", "Can't initialize the network !");
    }
    program.net.shutdown_network();
    return 0;
}

}  // namespace kestrava
