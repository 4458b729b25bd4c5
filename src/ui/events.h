#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>

namespace kestrava {

enum class ControlId : int {
    None = 0,
    IpField = 3,
    ConfirmIp = 44,
    ProgressBar = 50,
    Start = 62,
    ResetAll = 77,
    Stop = 88,
    Updates = 99,
    StatusBar = 888,
};

inline constexpr int kStatusTimerId = 999;
inline constexpr int kStatusTimerPeriodMs = 512;

enum class EventKind { CloseRequest, TimerTick, Control, Other };

struct Event {
    EventKind kind = EventKind::Other;
    int id = 0;  // the ControlId of a control event, the timer id of a tick

    friend bool operator==(const Event&, const Event&) = default;
};

inline Event control_event(ControlId id) {
    return {EventKind::Control, static_cast<int>(id)};
}
inline Event tick_event() {
    return {EventKind::TimerTick, kStatusTimerId};
}
inline Event close_event() {
    return {EventKind::CloseRequest, 0};
}

// The queue between a front end and the program. Front ends feed it; the program
// fetches from it through the Toolkit's wait_event and pump_events.
//
// - An event equal to the last one still waiting is not queued a second time.
// - A click on the control with the bound handler runs that handler at once (inside
//   whatever fetch is processing window messages), for every click, and is queued too.
class EventQueue {
  public:
    void post(Event event);
    // A click on a control: runs the bound handler if it belongs to `id`, then posts
    // the control event. Front ends call this only for enabled controls.
    void click(ControlId id);
    void bind(ControlId id, std::function<void()> handler);

    [[nodiscard]] bool empty() const { return events_.empty(); }
    [[nodiscard]] std::size_t size() const { return events_.size(); }
    std::optional<Event> take();
    // Drops every waiting event; returns how many were dropped.
    std::size_t drop_all();

  private:
    std::deque<Event> events_;
    ControlId bound_control_ = ControlId::None;
    std::function<void()> bound_handler_;
};

}  // namespace kestrava
