#include "ui/toolkit.h"

namespace kestrava {

Event Toolkit::wait_event() {
    while (queue_.empty()) {
        wait_native();
    }
    return *queue_.take();
}

void Toolkit::pump_events() {
    process_pending_native();
    queue_.drop_all();
}

}  // namespace kestrava
