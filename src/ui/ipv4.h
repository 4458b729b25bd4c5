#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace kestrava {

// The four parts of an IPv4 field, part 1 first; an empty optional is a blank part.
using Ipv4Parts = std::array<std::optional<int>, 4>;

// "a.b.c.d" with blank parts read as 0 and no leading zeros.
std::string ipv4_field_text(const Ipv4Parts& parts);
// The parts that a 32-bit field value shows: the least significant byte in part 1.
std::array<int, 4> ipv4_field_parts(std::uint32_t value);

}  // namespace kestrava
