#include "mixer_view.h"

#include <charconv>
#include <cmath>

namespace kestrava::vmixer {

namespace {

std::string fixed(double value, int decimals) {
    char text[64];
    const auto [end, ec] =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return ec == std::errc{} ? std::string(text, end) : std::string("?");
}

}  // namespace

std::string fader_name(int index) {
    return index == kFaderCount - 1 ? std::string("Main") : std::to_string(index + 1);
}

int fader_position(std::optional<float> value) {
    if (!value || std::isnan(*value)) {
        return 0;
    }
    if (*value <= 0.0f) {
        return 0;
    }
    if (*value >= 1.0f) {
        return kFaderSteps;
    }
    return static_cast<int>(std::lround(static_cast<double>(*value) * kFaderSteps));
}

std::string format_value(std::optional<float> value) {
    if (!value) {
        return "\u2013";
    }
    if (std::isnan(*value)) {
        return "nan";
    }
    if (std::isinf(*value)) {
        return *value > 0 ? "inf" : "-inf";
    }
    return fixed(static_cast<double>(*value), 4);
}

std::string format_rate(double per_second) {
    return fixed(per_second, 0) + " msg/s";
}

MixerView make_view(const MixerState& state, double rate_per_second) {
    MixerView view;
    for (std::size_t i = 0; i < view.faders.size(); ++i) {
        view.faders[i].position = fader_position(state.faders()[i]);
        view.faders[i].value = format_value(state.faders()[i]);
    }
    for (std::size_t i = 0; i < view.status.size(); ++i) {
        view.status[i] = format_value(state.status()[i]);
    }
    view.messages = std::to_string(state.messages());
    view.malformed = std::to_string(state.malformed());
    view.unknown_addresses = std::to_string(state.unknown_addresses());
    view.rate = format_rate(rate_per_second);
    return view;
}

}  // namespace kestrava::vmixer
