#include "ui/ipv4.h"

namespace kestrava {

std::string ipv4_field_text(const Ipv4Parts& parts) {
    std::string text;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) {
            text += '.';
        }
        text += std::to_string(parts[i].value_or(0));
    }
    return text;
}

std::array<int, 4> ipv4_field_parts(std::uint32_t value) {
    return {static_cast<int>(value & 0xFFu), static_cast<int>((value >> 8) & 0xFFu),
            static_cast<int>((value >> 16) & 0xFFu), static_cast<int>(value >> 24)};
}

}  // namespace kestrava
