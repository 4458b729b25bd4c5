#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "ui/toolkit.h"

namespace kestrava::test {

// A toolkit without a window or a trace: the loop's events come from `next_event`
// (a close request when it is unset or gives nothing), the IP field holds `ip`.
class HeadlessToolkit final : public Toolkit {
  public:
    std::function<std::optional<Event>()> next_event;
    std::string ip;
    std::optional<std::uint32_t> field_value;

    void load_status_font() override {}
    void build_main_window(const WindowTexts&) override {}
    void set_enabled(ControlId, bool) override {}
    void set_progress(std::int64_t) override {}
    std::string ip_text() override { return ip; }
    void set_ip_address(std::uint32_t value) override { field_value = value; }
    void show_status_text(std::string_view) override {}
    void message_box(std::string_view, std::string_view) override {}
    void open_web_address(std::string_view) override {}
    void start_status_timer() override {}

  protected:
    void wait_native() override {
        std::optional<Event> event = next_event ? next_event() : std::nullopt;
        queue().post(event.value_or(close_event()));
    }
    void process_pending_native() override {}
};

}  // namespace kestrava::test
