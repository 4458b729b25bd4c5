#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrava {

struct Program;

using OctetStrings = std::array<std::string, 4>;

// The value of the decimal digits at the start of `text` (0 when it starts with none).
// Digits beyond the range of 64 bits wrap.
std::int64_t number_value(std::string_view text);

// The four octet strings of an address text "a.b.c.d": the characters before the
// first, second and third "." and at most three characters after the third.
OctetStrings split_address_text(std::string_view text);

// The 32 bytes of "config.cfg": the number values of the four octet strings as
// signed 64-bit little-endian integers.
std::array<std::uint8_t, 32> settings_bytes(const OctetStrings& octets);

// The IP field's 32-bit value for the bytes of a settings file: four signed 64-bit
// little-endian integers (missing bytes read 0; bytes after the 32nd ignored),
// combined as A + 256 B + 65536 C + 16777216 D modulo 2^32.
std::uint32_t settings_address_value(const std::uint8_t* bytes, std::size_t size);

// Shows the stored address in the IP field; leaves it blank when the file cannot be read.
void load_settings(Program& program);

// Writes "config.cfg" from the octet strings; a file that cannot be written keeps
// its old content and nothing is reported.
void save_settings(Program& program, const OctetStrings& octets);

// The Confirm IP handler.
void on_confirm_ip(Program& program);

}  // namespace kestrava
