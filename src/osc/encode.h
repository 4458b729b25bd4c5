#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kestrava {

// Writes one OSC 1.0 message with a single float argument into `buffer`:
// the address, NUL, padding to a multiple of 4; the type tag, NUL, padding; the
// value's IEEE-754 bits, most significant byte first. Returns the message length.
//
// An absent buffer (null) gives 0 and writes nothing. A message longer than
// `capacity` gives 0 and writes nothing. Padding bytes are written as zeros, so the
// result does not depend on what the buffer held before.
//
// The caller pumps window events after each encoding (the program's encoder step).
[[nodiscard]] std::int64_t encode_float_message(std::uint8_t* buffer, std::size_t capacity,
                                                std::string_view address, std::string_view type_tag,
                                                float value);

// Length of the message that encode_float_message writes for these strings.
[[nodiscard]] constexpr std::int64_t float_message_length(std::size_t address_chars,
                                                          std::size_t tag_chars) {
    auto padded = [](std::size_t n) { return static_cast<std::int64_t>((n + 1 + 3) / 4 * 4); };
    return padded(address_chars) + padded(tag_chars) + 4;
}

}  // namespace kestrava
