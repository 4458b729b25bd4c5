#include "ui/events.h"

#include <utility>

namespace kestrava {

void EventQueue::post(Event event) {
    if (!events_.empty() && events_.back() == event) {
        return;
    }
    events_.push_back(event);
}

void EventQueue::click(ControlId id) {
    if (bound_handler_ && id == bound_control_) {
        bound_handler_();
    }
    post(control_event(id));
}

void EventQueue::bind(ControlId id, std::function<void()> handler) {
    bound_control_ = id;
    bound_handler_ = std::move(handler);
}

std::optional<Event> EventQueue::take() {
    if (events_.empty()) {
        return std::nullopt;
    }
    Event event = events_.front();
    events_.pop_front();
    return event;
}

std::size_t EventQueue::drop_all() {
    const std::size_t dropped = events_.size();
    events_.clear();
    return dropped;
}

}  // namespace kestrava
