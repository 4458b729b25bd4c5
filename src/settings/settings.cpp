#include "settings/settings.h"

#include <algorithm>

#include "app/messaging.h"
#include "app/program.h"

namespace kestrava {

namespace {

constexpr std::size_t kSettingsSize = 32;
constexpr std::int64_t kStatusPauseMs = 300;

struct StatusMessage {
    int slot;
    float value;
};

constexpr std::array<StatusMessage, 4> kConfirmStatus{{
    {19, 0.0F},
    {20, 0.0F},
    {21, 0.01F},
    {22, 0.6F},
}};

}  // namespace

std::int64_t number_value(std::string_view text) {
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            break;
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return static_cast<std::int64_t>(value);
}

OctetStrings split_address_text(std::string_view text) {
    OctetStrings octets;
    std::size_t position = 0;
    auto next = [&]() -> std::string_view {
        ++position;
        return position <= text.size() ? text.substr(position - 1, 1) : std::string_view{};
    };
    for (int octet = 0; octet < 3; ++octet) {
        for (;;) {
            const std::string_view c = next();
            if (c == ".") {
                break;
            }
            octets[octet] += c;
            if (position > text.size()) {
                break;  // no further "." can follow
            }
        }
    }
    for (int i = 0; i < 3; ++i) {
        const std::string_view c = next();
        if (c != ".") {
            octets[3] += c;
        }
    }
    return octets;
}

std::array<std::uint8_t, 32> settings_bytes(const OctetStrings& octets) {
    std::array<std::uint8_t, 32> bytes{};
    for (std::size_t i = 0; i < octets.size(); ++i) {
        const auto value = static_cast<std::uint64_t>(number_value(octets[i]));
        for (std::size_t b = 0; b < 8; ++b) {
            bytes[i * 8 + b] = static_cast<std::uint8_t>(value >> (8 * b));
        }
    }
    return bytes;
}

std::uint32_t settings_address_value(const std::uint8_t* bytes, std::size_t size) {
    std::uint64_t sum = 0;
    const std::size_t usable = std::min(size, kSettingsSize);
    for (std::size_t i = 0; i < 4; ++i) {
        std::uint64_t number = 0;
        for (std::size_t b = 0; b < 8 && i * 8 + b < usable; ++b) {
            number |= static_cast<std::uint64_t>(bytes[i * 8 + b]) << (8 * b);
        }
        sum += number << (8 * i);
    }
    return static_cast<std::uint32_t>(sum);
}

void load_settings(Program& program) {
    const auto bytes = program.files.read_prefix(program.config.settings_path, kSettingsSize);
    if (!bytes) {
        return;
    }
    program.toolkit.set_ip_address(settings_address_value(bytes->data(), bytes->size()));
}

void save_settings(Program& program, const OctetStrings& octets) {
    const auto bytes = settings_bytes(octets);
    program.files.replace(program.config.settings_path, bytes);
}

void on_confirm_ip(Program& program) {
    Toolkit& ui = program.toolkit;
    const std::string address_text = ui.ip_text();
    if (number_value(address_text) == 0) {
        return;
    }
    ui.pump_events();
    ui.set_enabled(ControlId::IpField, false);
    ui.set_enabled(ControlId::ConfirmIp, false);
    ui.set_enabled(ControlId::Start, true);
    ui.set_enabled(ControlId::ResetAll, true);
    ui.set_enabled(ControlId::Updates, true);
    ui.set_enabled(ControlId::Stop, false);
    ui.set_progress(0);
    ui.pump_events();
    save_settings(program, split_address_text(address_text));

    const std::string host = ui.ip_text();
    if (program.current_link) {
        program.net.close_link(*program.current_link);
    }
    program.current_link = program.net.open_link(host, kMixerPort);

    for (const auto& message : kConfirmStatus) {
        program.table.allocate(message.slot, kStatusBufferSize);
    }
    for (const auto& message : kConfirmStatus) {
        send_slot_message(program, message.slot, message.value, EmptyMessage::Send);
        program.net.pause_ms(kStatusPauseMs);
    }
    for (const auto& message : kConfirmStatus) {
        program.table.release(message.slot);
    }
    if (!program.current_link) {
        ui.message_box(kProductLine, "Can't open a link to the mixer at " + host + " !");
    }
}

}  // namespace kestrava
