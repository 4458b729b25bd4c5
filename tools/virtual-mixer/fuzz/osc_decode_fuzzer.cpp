// libFuzzer entry for the OSC decoder. For any bytes the decoder must not crash or read
// outside them, and its verdict must agree with a plain restatement of the one form it
// accepts: the datagram is exactly the padded encoding of its own address and a float.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "osc_decode.h"

namespace {

using kestrava::vmixer::decode_float_message;
using kestrava::vmixer::DecodeError;
using kestrava::vmixer::error_name;

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// The length of the address when `data` is one well-formed float message, else 0.
std::size_t well_formed_address_length(const std::uint8_t* data, std::size_t size) {
    const void* nul = size == 0 ? nullptr : std::memchr(data, 0, size);
    if (nul == nullptr) {
        return 0;
    }
    const auto length = static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - data);
    if (length == 0 || data[0] != '/') {
        return 0;
    }
    for (std::size_t i = 0; i < length; ++i) {
        if (data[i] < 0x21 || data[i] > 0x7E) {
            return 0;
        }
    }
    const std::size_t tag = (length / 4 + 1) * 4;
    if (size != tag + 8) {
        return 0;
    }
    for (std::size_t i = length; i < tag; ++i) {
        if (data[i] != 0) {
            return 0;
        }
    }
    static constexpr std::uint8_t kFloatTag[4] = {',', 'f', 0, 0};
    return std::memcmp(data + tag, kFloatTag, sizeof kFloatTag) == 0 ? length : 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto result = decode_float_message(data, size);
    const std::size_t address_length = well_formed_address_length(data, size);

    check(result.ok() == (address_length > 0));
    check(error_name(result.error) != "unknown");
    if (size == 0) {
        check(result.error == DecodeError::empty);
    } else if (data[0] != '/') {
        check(result.error == DecodeError::not_a_message);
    }

    if (result.ok()) {
        check(result.message.address.data() == reinterpret_cast<const char*>(data));
        check(result.message.address.size() == address_length);
        const std::uint8_t* argument = data + size - 4;
        const std::uint32_t bits = (std::uint32_t{argument[0]} << 24) |
                                   (std::uint32_t{argument[1]} << 16) |
                                   (std::uint32_t{argument[2]} << 8) | std::uint32_t{argument[3]};
        check(result.message.bits == bits);
    } else {
        check(result.message.address.empty() && result.message.bits == 0);
    }

    check(decode_float_message(data, size).error == result.error);
    return 0;
}
