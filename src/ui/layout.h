#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

#include "ui/events.h"

namespace kestrava {

inline constexpr int kClientWidth = 432;
inline constexpr int kClientHeight = 240;
inline constexpr int kStatusBarMinHeight = 30;
inline constexpr int kProgressMax = 94;

inline constexpr std::string_view kWindowTitle =
    "Kestrava - Behringer X32 Compact replaced fader test";
inline constexpr std::string_view kCreditsLine = "Orlenza (Developer) - Bastimo (Beta Test)";
inline constexpr std::string_view kStatusFontFace = "Tahoma";
inline constexpr int kStatusFontPoints = 10;

enum class ControlKind { Label, Button, ProgressBar, IpField };

struct ControlSpec {
    ControlId id;  // None for the label
    ControlKind kind;
    int x, y, width, height;
    std::string_view text;
};

// Every control of the main window above the status bar, in creation order, which
// is also the Tab order.
inline constexpr std::array<ControlSpec, 8> kControls{{
    {ControlId::None, ControlKind::Label, 20, 15, 130, 22, "Enter your mixer IP"},
    {ControlId::ConfirmIp, ControlKind::Button, 20, 65, 130, 24, "Confirm IP"},
    {ControlId::ResetAll, ControlKind::Button, 160, 29, 80, 60, "Reset All"},
    {ControlId::Stop, ControlKind::Button, 245, 29, 80, 60, "Stop"},
    {ControlId::Updates, ControlKind::Button, 330, 29, 80, 60, "Updates..."},
    {ControlId::Start, ControlKind::Button, 20, 112, 390, 30, "START"},
    {ControlId::ProgressBar, ControlKind::ProgressBar, 20, 158, 390, 30, ""},
    {ControlId::IpField, ControlKind::IpField, 20, 30, 130, 22, ""},
}};

// Left (or top) of a window of `outer` pixels centred on a screen of `screen` pixels.
constexpr int centred_origin(int screen, int outer) {
    return std::max(0, (screen - outer) / 2);
}

// What the progress bar draws for a value: values outside 0..94 show as the nearest end.
constexpr int progress_display_value(std::int64_t value) {
    return static_cast<int>(std::clamp<std::int64_t>(value, 0, kProgressMax));
}

// Font height in pixels for a point size at a vertical resolution (96 when unknown).
constexpr int font_pixel_height(int points, int dpi) {
    const int d = dpi > 0 ? dpi : 96;
    return (points * d + 36) / 72;
}

}  // namespace kestrava
