#include "endpoint.h"

#include <charconv>

namespace kestrava::vmixer {

namespace {

// A decimal number of 1 to `max_digits` digits, the whole of `text`, at most `max`.
std::optional<unsigned> parse_decimal(std::string_view text, std::size_t max_digits, unsigned max) {
    if (text.empty() || text.size() > max_digits) {
        return std::nullopt;
    }
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || value > max) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::string Endpoint::address_text() const {
    std::string out;
    for (std::size_t i = 0; i < address.size(); ++i) {
        if (i > 0) {
            out += '.';
        }
        out += std::to_string(address[i]);
    }
    return out;
}

std::string Endpoint::text() const {
    return address_text() + ':' + std::to_string(port);
}

std::optional<Endpoint> parse_endpoint(std::string_view text) {
    const auto colon = text.rfind(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    const auto port = parse_decimal(text.substr(colon + 1), 5, 65535);
    if (!port) {
        return std::nullopt;
    }

    Endpoint endpoint;
    endpoint.port = static_cast<std::uint16_t>(*port);
    std::string_view rest = text.substr(0, colon);
    for (std::size_t i = 0; i < endpoint.address.size(); ++i) {
        const auto dot = rest.find('.');
        const bool last = i + 1 == endpoint.address.size();
        if ((dot == std::string_view::npos) != last) {
            return std::nullopt;
        }
        const std::string_view part = last ? rest : rest.substr(0, dot);
        if (part.size() > 1 && part.front() == '0') {
            return std::nullopt;
        }
        const auto value = parse_decimal(part, 3, 255);
        if (!value) {
            return std::nullopt;
        }
        endpoint.address[i] = static_cast<std::uint8_t>(*value);
        rest = last ? std::string_view{} : rest.substr(dot + 1);
    }
    return endpoint;
}

}  // namespace kestrava::vmixer
