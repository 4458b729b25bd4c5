#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kestrava::vmixer {

// Why a datagram is not one OSC 1.0 message with a single float argument.
enum class DecodeError : std::uint8_t {
    none,
    empty,                 // zero bytes
    not_a_message,         // does not start with '/' (a bundle, or something else entirely)
    address_bad_char,      // a byte outside visible ASCII (0x21..0x7E) before the terminator
    address_unterminated,  // no zero byte ends the address
    address_bad_padding,   // a non-zero byte between the terminator and the next multiple of 4
    tag_missing,           // no type-tag string (nothing, or no ',' where it must start)
    tag_not_float,         // a type tag other than ",f"
    tag_bad_padding,       // ",f" and its terminator followed by a non-zero byte
    truncated,             // ends inside a padded string or before the four argument bytes
    trailing_bytes,        // bytes after the argument
};

struct FloatMessage {
    std::string_view address;  // points into the decoded datagram
    std::uint32_t bits = 0;    // the argument's IEEE-754 bits, as sent

    [[nodiscard]] float value() const { return std::bit_cast<float>(bits); }
};

struct DecodeResult {
    DecodeError error = DecodeError::none;
    FloatMessage message{};  // meaningful only when ok()

    [[nodiscard]] bool ok() const { return error == DecodeError::none; }
};

// Decodes one datagram strictly: an address that starts with '/', holds only visible
// ASCII and is zero-terminated and zero-padded to a multiple of 4; then exactly the
// type tag ",f" padded to 4 bytes; then exactly four big-endian argument bytes, and
// nothing after them. Any other input gives an error; the first fault found, in that
// order, names it.
//
// Reads only data[0..size), allocates nothing and never throws; `data` may be null
// when `size` is 0. The returned address points into `data`.
[[nodiscard]] DecodeResult decode_float_message(const std::uint8_t* data,
                                                std::size_t size) noexcept;

// A short lower-case name for the error, without spaces ("address_bad_padding").
[[nodiscard]] std::string_view error_name(DecodeError error) noexcept;

}  // namespace kestrava::vmixer
