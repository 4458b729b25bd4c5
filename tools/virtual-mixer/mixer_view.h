#pragma once

#include <array>
#include <optional>
#include <string>

#include "mixer_state.h"

namespace kestrava::vmixer {

inline constexpr int kFaderSteps = 1000;  // a fader's travel, bottom 0 to top kFaderSteps

// "1" to "16" for the channel faders, "Main" for the main fader.
[[nodiscard]] std::string fader_name(int index);

// Where a value puts a fader: 0.0..1.0 maps onto 0..kFaderSteps; values outside that
// range (the console accepts them) show at the end of travel; no value or NaN at 0.
[[nodiscard]] int fader_position(std::optional<float> value);

// The value with four decimals ("0.7500", "-0.0010"), or "–" when none has arrived.
[[nodiscard]] std::string format_value(std::optional<float> value);

// "1234 msg/s", rounded to a whole number.
[[nodiscard]] std::string format_rate(double per_second);

// Everything the window shows, ready to display.
struct MixerView {
    struct Fader {
        int position = 0;
        std::string value;
    };
    std::array<Fader, kFaderCount> faders{};
    std::array<std::string, kStatusCount> status{};
    std::string messages;
    std::string malformed;
    std::string unknown_addresses;
    std::string rate;  // "1234 msg/s"
};

[[nodiscard]] MixerView make_view(const MixerState& state, double rate_per_second);

}  // namespace kestrava::vmixer
