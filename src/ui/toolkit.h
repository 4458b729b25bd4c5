#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "ui/events.h"

namespace kestrava {

struct WindowTexts {
    std::string credits_line;
    std::string web_line;
};

// The window-and-controls toolkit as the program sees it. Control operations
// produce no events. Front ends derive from this and feed `queue()` from their
// native messages: button clicks on enabled controls through EventQueue::click,
// timer ticks, close requests and IP-field activity through EventQueue::post.
class Toolkit {
  public:
    virtual ~Toolkit() = default;

    // Font 111: "Tahoma", 10 points; a failure is ignored.
    virtual void load_status_font() = 0;
    // Creates and shows the main window and its controls in creation order.
    virtual void build_main_window(const WindowTexts& texts) = 0;
    virtual void set_enabled(ControlId id, bool enabled) = 0;
    virtual void set_progress(std::int64_t value) = 0;
    // The IP field as four decimal numbers without leading zeros; blank parts read 0.
    virtual std::string ip_text() = 0;
    // Part 1 of the field gets the least significant byte.
    virtual void set_ip_address(std::uint32_t value) = 0;
    virtual void show_status_text(std::string_view text) = 0;
    // Modal, one OK button, no icon; returns when dismissed.
    virtual void message_box(std::string_view title, std::string_view text) = 0;
    virtual void open_web_address(std::string_view address) = 0;
    // Window timer 999, 512 ms.
    virtual void start_status_timer() = 0;

    void bind_stop_handler(std::function<void()> handler) {
        queue_.bind(ControlId::Stop, std::move(handler));
    }
    // The one blocking fetch: processes window messages until an event is waiting.
    Event wait_event();
    // Processes pending window messages without waiting, then drops every event.
    void pump_events();

    EventQueue& queue() { return queue_; }

  protected:
    // Blocks until at least one window message has been processed.
    virtual void wait_native() = 0;
    // Processes every pending window message; never blocks.
    virtual void process_pending_native() = 0;

  private:
    EventQueue queue_;
};

}  // namespace kestrava
