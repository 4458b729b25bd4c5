#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrava::vmixer {

// An IPv4 address and UDP port to listen on.
struct Endpoint {
    std::array<std::uint8_t, 4> address{127, 0, 0, 1};
    std::uint16_t port = 10023;  // 0: any free port

    [[nodiscard]] std::string address_text() const;  // "127.0.0.1"
    [[nodiscard]] std::string text() const;          // "127.0.0.1:10023"
    friend bool operator==(const Endpoint&, const Endpoint&) = default;
};

// "ADDR:PORT" with a dotted IPv4 address (four decimal parts 0..255, no leading zeros)
// and a decimal port 0..65535. Nothing for any other text.
[[nodiscard]] std::optional<Endpoint> parse_endpoint(std::string_view text);

}  // namespace kestrava::vmixer
