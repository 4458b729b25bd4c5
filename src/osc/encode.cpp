#include "osc/encode.h"

#include <bit>
#include <cstring>

namespace kestrava {

namespace {

std::size_t write_padded(std::uint8_t* out, std::string_view text) {
    const std::size_t padded = (text.size() + 1 + 3) / 4 * 4;
    std::memcpy(out, text.data(), text.size());
    std::memset(out + text.size(), 0, padded - text.size());
    return padded;
}

}  // namespace

std::int64_t encode_float_message(std::uint8_t* buffer, std::size_t capacity,
                                  std::string_view address, std::string_view type_tag,
                                  float value) {
    if (buffer == nullptr) {
        return 0;
    }
    const auto length = float_message_length(address.size(), type_tag.size());
    if (static_cast<std::size_t>(length) > capacity) {
        return 0;
    }
    std::size_t pos = write_padded(buffer, address);
    pos += write_padded(buffer + pos, type_tag);
    const auto bits = std::bit_cast<std::uint32_t>(value);
    buffer[pos + 0] = static_cast<std::uint8_t>(bits >> 24);
    buffer[pos + 1] = static_cast<std::uint8_t>(bits >> 16);
    buffer[pos + 2] = static_cast<std::uint8_t>(bits >> 8);
    buffer[pos + 3] = static_cast<std::uint8_t>(bits);
    return length;
}

}  // namespace kestrava
