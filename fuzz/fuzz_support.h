#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "app/program.h"

namespace kestrava::fuzz {

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
