#include "osc_decode.h"

namespace kestrava::vmixer {

namespace {

constexpr std::size_t padded_end(std::size_t terminator) {
    return (terminator + 4) / 4 * 4;
}

constexpr bool visible_ascii(std::uint8_t byte) {
    return byte >= 0x21 && byte <= 0x7E;
}

DecodeResult fail(DecodeError error) {
    return DecodeResult{error, {}};
}

}  // namespace

DecodeResult decode_float_message(const std::uint8_t* data, std::size_t size) noexcept {
    if (size == 0 || data == nullptr) {
        return fail(DecodeError::empty);
    }
    if (data[0] != '/') {
        return fail(DecodeError::not_a_message);
    }

    std::size_t terminator = 1;
    while (terminator < size && data[terminator] != 0) {
        if (!visible_ascii(data[terminator])) {
            return fail(DecodeError::address_bad_char);
        }
        ++terminator;
    }
    if (terminator == size) {
        return fail(DecodeError::address_unterminated);
    }

    const std::size_t tag = padded_end(terminator);
    for (std::size_t i = terminator + 1; i < tag; ++i) {
        if (i >= size) {
            return fail(DecodeError::truncated);
        }
        if (data[i] != 0) {
            return fail(DecodeError::address_bad_padding);
        }
    }
    if (tag >= size || data[tag] != ',') {
        return fail(DecodeError::tag_missing);
    }

    // The tag string must be exactly ',' 'f' 0 0; check what is there before what is missing.
    constexpr std::uint8_t expected[4] = {',', 'f', 0, 0};
    for (std::size_t i = 1; i < 4; ++i) {
        if (tag + i >= size) {
            return fail(DecodeError::truncated);
        }
        if (data[tag + i] != expected[i]) {
            return fail(i == 3 ? DecodeError::tag_bad_padding : DecodeError::tag_not_float);
        }
    }

    const std::size_t argument = tag + 4;
    if (size < argument + 4) {
        return fail(DecodeError::truncated);
    }
    if (size > argument + 4) {
        return fail(DecodeError::trailing_bytes);
    }

    const std::uint32_t bits =
        (std::uint32_t{data[argument]} << 24) | (std::uint32_t{data[argument + 1]} << 16) |
        (std::uint32_t{data[argument + 2]} << 8) | std::uint32_t{data[argument + 3]};
    const std::string_view address(reinterpret_cast<const char*>(data), terminator);
    return DecodeResult{DecodeError::none, FloatMessage{address, bits}};
}

std::string_view error_name(DecodeError error) noexcept {
    switch (error) {
        case DecodeError::none:
            return "none";
        case DecodeError::empty:
            return "empty";
        case DecodeError::not_a_message:
            return "not_a_message";
        case DecodeError::address_bad_char:
            return "address_bad_char";
        case DecodeError::address_unterminated:
            return "address_unterminated";
        case DecodeError::address_bad_padding:
            return "address_bad_padding";
        case DecodeError::tag_missing:
            return "tag_missing";
        case DecodeError::tag_not_float:
            return "tag_not_float";
        case DecodeError::tag_bad_padding:
            return "tag_bad_padding";
        case DecodeError::truncated:
            return "truncated";
        case DecodeError::trailing_bytes:
            return "trailing_bytes";
    }
    return "unknown";
}

}  // namespace kestrava::vmixer
