#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "app/program.h"

namespace kestrava::fuzz {

// A toolkit that only remembers the IP field.
class FieldOnlyToolkit final : public Toolkit {
  public:
    std::optional<std::uint32_t> field;
    std::string text;

    void load_status_font() override {}
    void build_main_window(const WindowTexts&) override {}
    void set_enabled(ControlId, bool) override {}
    void set_progress(std::int64_t) override {}
    std::string ip_text() override { return text; }
    void set_ip_address(std::uint32_t value) override { field = value; }
    void show_status_text(std::string_view) override {}
    void message_box(std::string_view, std::string_view) override {}
    void open_web_address(std::string_view) override {}
    void start_status_timer() override {}

  protected:
    void wait_native() override { queue().post(close_event()); }
    void process_pending_native() override {}
};

// One settings file in memory.
class MemoryFiles final : public SettingsFiles {
  public:
    std::optional<std::vector<std::uint8_t>> content;

    std::optional<std::vector<std::uint8_t>> read_prefix(const std::filesystem::path&,
                                                         std::size_t max_bytes) override {
        if (!content) {
            return std::nullopt;
        }
        std::vector<std::uint8_t> bytes = *content;
        if (bytes.size() > max_bytes) {
            bytes.resize(max_bytes);
        }
        return bytes;
    }
    bool replace(const std::filesystem::path&, std::span<const std::uint8_t> bytes) override {
        content.emplace(bytes.begin(), bytes.end());
        return true;
    }
};

class NoNet final : public NetLayer {
  public:
    bool start_network() override { return true; }
    std::optional<MixerLink> open_link(std::string_view, std::uint16_t) override {
        return std::nullopt;
    }
    std::int64_t send_on(const MixerLink&, const std::uint8_t*, std::int64_t) override {
        return -1;
    }
    void close_link(MixerLink&) override {}
    void shutdown_network() override {}
    void pause_ms(std::int64_t) override {}
};

}  // namespace kestrava::fuzz
