#include <gtest/gtest.h>
#include <lo/lo.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "mixer_state.h"
#include "osc/encode.h"
#include "osc/slot_table.h"
#include "osc_decode.h"

namespace kestrava::vmixer {
namespace {

using namespace std::string_literals;
using Bytes = std::vector<std::uint8_t>;

Bytes bytes(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

DecodeResult decode(const Bytes& datagram) {
    return decode_float_message(datagram.data(), datagram.size());
}

// What liblo makes of a datagram: nothing when it rejects it.
struct LoView {
    std::string path;
    std::string types;
    std::optional<std::uint32_t> first_float_bits;
};

std::optional<LoView> lo_decode(const Bytes& datagram) {
    Bytes copy = datagram;  // liblo's deserialiser takes a mutable pointer
    int result = 0;
    lo_message message = lo_message_deserialise(copy.data(), copy.size(), &result);
    if (message == nullptr) {
        return std::nullopt;
    }
    LoView view;
    view.path = lo_get_path(copy.data(), static_cast<ssize_t>(copy.size()));
    view.types = lo_message_get_types(message);
    if (view.types == "f") {
        view.first_float_bits = std::bit_cast<std::uint32_t>(lo_message_get_argv(message)[0]->f);
    }
    lo_message_free(message);
    return view;
}

bool visible_address(const std::string& path) {
    return !path.empty() && path.front() == '/' &&
           std::all_of(path.begin(), path.end(), [](char c) { return c >= 0x21 && c <= 0x7E; });
}

// Every message Kestrava sends: the core's 21 slot addresses, encoded by the core.
struct SentMessage {
    std::string address;
    int slot = 0;
};

std::vector<SentMessage> kestrava_messages() {
    SlotTable table;
    create_slot_table(table);
    fill_slot_addresses(table);
    std::vector<SentMessage> out;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (!table.address[static_cast<std::size_t>(slot)].empty()) {
            out.push_back({table.address[static_cast<std::size_t>(slot)], slot});
        }
    }
    return out;
}

Bytes encode(const std::string& address, float value) {
    Bytes buffer(kFaderBufferSize, 0xA5);  // sentinel: padding must be written as zeros
    const auto length = encode_float_message(buffer.data(), buffer.size(), address, ",f", value);
    buffer.resize(static_cast<std::size_t>(length));
    return buffer;
}

const std::vector<float>& representative_values() {
    static const std::vector<float> values = {
        0.0f,
        -0.0f,
        1.0f,
        0.5f,
        0.75f,
        -0.001f,  // below the bottom of travel
        1.0002f,  // above the top
        1.002f,
        std::numeric_limits<float>::denorm_min(),
        std::numeric_limits<float>::max(),
        -std::numeric_limits<float>::infinity(),
        std::bit_cast<float>(0x7FC12345u),  // NaN with a payload
    };
    return values;
}

TEST(DecodeKestravaMessages, EveryAddressAndValueDecodesBitExactAndAgreesWithLiblo) {
    const auto messages = kestrava_messages();
    ASSERT_EQ(messages.size(), 21u);
    for (const auto& sent : messages) {
        for (const float value : representative_values()) {
            const auto bits = std::bit_cast<std::uint32_t>(value);
            SCOPED_TRACE(sent.address + " bits " + std::to_string(bits));
            const Bytes datagram = encode(sent.address, value);
            ASSERT_FALSE(datagram.empty());

            const DecodeResult ours = decode(datagram);
            ASSERT_TRUE(ours.ok()) << error_name(ours.error);
            EXPECT_EQ(ours.message.address, sent.address);
            EXPECT_EQ(ours.message.bits, bits);

            const auto lo = lo_decode(datagram);
            ASSERT_TRUE(lo.has_value());
            EXPECT_EQ(lo->path, sent.address);
            EXPECT_EQ(lo->types, "f");
            EXPECT_EQ(lo->first_float_bits, bits);
        }
    }
}

TEST(DecodeKestravaMessages, EachSlotAddressSetsItsOwnFaderOrStatusValue) {
    std::vector<std::string> targeted;
    for (const auto& sent : kestrava_messages()) {
        SCOPED_TRACE(sent.address);
        const auto target = find_target(sent.address);
        ASSERT_TRUE(target.has_value());
        if (sent.slot < kFaderSlotCount) {
            EXPECT_EQ(*target, (Target{Target::Kind::fader, sent.slot}));
        } else {
            EXPECT_EQ(*target, (Target{Target::Kind::status, sent.slot - kFirstStatusSlot}));
        }
        targeted.push_back(sent.address);
    }
    // And the mixer answers to no address that Kestrava never sends.
    for (const auto address : kFaderAddresses) {
        EXPECT_NE(std::find(targeted.begin(), targeted.end(), address), targeted.end()) << address;
    }
    for (const auto address : kStatusAddresses) {
        EXPECT_NE(std::find(targeted.begin(), targeted.end(), address), targeted.end()) << address;
    }
}

TEST(DecodeWellFormed, WorkedExampleAndPaddingBoundaries) {
    struct Row {
        const char* name;
        std::string datagram;
        std::string address;
        std::uint32_t bits;
    };
    const Row rows[] = {
        {"channel 1 at 1.0 (address fills 16 bytes, four zeros follow)",
         "/ch/01/mix/fader\0\0\0\0,f\0\0\x3F\x80\0\0"s, "/ch/01/mix/fader", 0x3F800000},
        {"selidx at -0.001 (three zeros follow)", "/-stat/selidx\0\0\0,f\0\0\xBA\x83\x12\x6F"s,
         "/-stat/selidx", 0xBA83126F},
        {"grpfaderbank at 1.0002 (one zero follows)",
         "/-stat/grpfaderbank\0,f\0\0\x3F\x80\x06\x8E"s, "/-stat/grpfaderbank", 0x3F80068E},
        {"root address", "/\0\0\0,f\0\0\0\0\0\0"s, "/", 0},
        {"three characters and one zero", "/ab\0,f\0\0\xFF\xFF\xFF\xFF"s, "/ab", 0xFFFFFFFF},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Bytes datagram = bytes(row.datagram);  // the decoded address points into it
        const DecodeResult result = decode(datagram);
        ASSERT_TRUE(result.ok()) << error_name(result.error);
        EXPECT_EQ(result.message.address, row.address);
        EXPECT_EQ(result.message.bits, row.bits);
    }
}

TEST(DecodeMalformed, EachFaultIsRejectedWithItsKind) {
    // `liblo` says whether liblo's decoder accepts the datagram: where it does, the
    // datagram is valid OSC that this mixer refuses on purpose.
    struct Row {
        const char* name;
        std::string datagram;
        DecodeError error;
        bool liblo_accepts;
    };
    const Row rows[] = {
        {"empty datagram", ""s, DecodeError::empty, false},
        {"bundle", "#bundle\0\0\0\0\0\0\0\0\x01\0\0\0\x0C"s, DecodeError::not_a_message, false},
        {"address without leading slash", "ch/01/mix/fader\0,f\0\0\x3F\x80\0\0"s,
         DecodeError::not_a_message, true},
        {"control character in address", "/ch/0\x01/mix/fader\0\0\0\0,f\0\0\x3F\x80\0\0"s,
         DecodeError::address_bad_char, true},
        {"space in address", "/ch/0 /mix/fader\0\0\0\0,f\0\0\x3F\x80\0\0"s,
         DecodeError::address_bad_char, true},
        {"DEL in address", "/ch/0\x7F/mix/fader\0\0\0\0,f\0\0\x3F\x80\0\0"s,
         DecodeError::address_bad_char, true},
        {"UTF-8 in address", "/\xC3\xA9\0,f\0\0\x3F\x80\0\0"s, DecodeError::address_bad_char, true},
        {"address without terminator", "/ch/01/mix/fader"s, DecodeError::address_unterminated,
         false},
        {"non-zero address padding", "/-stat/selidx\0\x01\0,f\0\0\x3F\x80\0\0"s,
         DecodeError::address_bad_padding, false},
        {"ends inside address padding", "/-stat/selidx\0\0"s, DecodeError::truncated, false},
        {"address without type tag", "/ch/01/mix/fader\0\0\0\0"s, DecodeError::tag_missing, false},
        {"type tag without comma", "/x\0\0f\0\0\0\x3F\x80\0\0"s, DecodeError::tag_missing, false},
        {"int argument", "/x\0\0,i\0\0\0\0\0\x01"s, DecodeError::tag_not_float, true},
        {"no argument", "/x\0\0,\0\0\0"s, DecodeError::tag_not_float, true},
        {"two float arguments", "/x\0\0,ff\0\x3F\x80\0\0\x3F\x80\0\0"s, DecodeError::tag_not_float,
         true},
        {"type tag cut after ',f'", "/x\0\0,f"s, DecodeError::truncated, false},
        {"non-zero type tag padding", "/x\0\0,f\0\x01\x3F\x80\0\0"s, DecodeError::tag_bad_padding,
         false},
        {"no argument bytes", "/ch/01/mix/fader\0\0\0\0,f\0\0"s, DecodeError::truncated, false},
        {"three argument bytes", "/ch/01/mix/fader\0\0\0\0,f\0\0\x3F\x80\0"s,
         DecodeError::truncated, false},
        {"one byte after the argument", "/x\0\0,f\0\0\x3F\x80\0\0\0"s, DecodeError::trailing_bytes,
         false},
        {"a second message appended", "/x\0\0,f\0\0\x3F\x80\0\0/x\0\0,f\0\0\x3F\x80\0\0"s,
         DecodeError::trailing_bytes, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Bytes datagram = bytes(row.datagram);
        const DecodeResult result = decode(datagram);
        EXPECT_EQ(result.error, row.error)
            << error_name(result.error) << " instead of " << error_name(row.error);
        EXPECT_FALSE(result.ok());
        EXPECT_EQ(lo_decode(datagram).has_value(), row.liblo_accepts);
    }
}

TEST(DecodeMalformed, NullPointerWithZeroSizeIsEmpty) {
    EXPECT_EQ(decode_float_message(nullptr, 0).error, DecodeError::empty);
}

// Accepts exactly what liblo accepts as a one-float message with a visible-ASCII address.
void expect_agrees_with_liblo(const Bytes& datagram) {
    const DecodeResult ours = decode(datagram);
    const auto lo = lo_decode(datagram);
    const bool lo_accepts = lo.has_value() && lo->types == "f" && visible_address(lo->path);
    ASSERT_EQ(ours.ok(), lo_accepts) << "ours: " << error_name(ours.error);
    if (ours.ok()) {
        EXPECT_EQ(ours.message.address, lo->path);
        EXPECT_EQ(ours.message.bits, lo->first_float_bits);
    }
}

TEST(DecodeDifferential, EveryCutExtensionAndByteChangeOfKestravaMessagesAgreesWithLiblo) {
    const std::uint8_t replacements[] = {0x00, 0x01, 0x20, '/', ',', 'f', 'i', 0x7F, 0x80, 0xFF};
    for (const auto& sent : kestrava_messages()) {
        const Bytes original = encode(sent.address, 0.25f);
        for (std::size_t length = 0; length <= original.size() + 8; ++length) {
            Bytes changed = original;
            changed.resize(length, 0);
            SCOPED_TRACE(sent.address + " resized to " + std::to_string(length));
            expect_agrees_with_liblo(changed);
        }
        for (std::size_t at = 0; at < original.size(); ++at) {
            for (const std::uint8_t byte : replacements) {
                Bytes changed = original;
                changed[at] = byte;
                SCOPED_TRACE(sent.address + " byte " + std::to_string(at) + " = " +
                             std::to_string(byte));
                expect_agrees_with_liblo(changed);
            }
        }
    }
}

TEST(DecodeDifferential, RandomDatagramsAgreeWithLiblo) {
    // Random datagrams built mostly from bytes that matter to the format, each in a
    // buffer of exactly its size so that a sanitizer build sees any over-read.
    std::mt19937 random(20240611u);
    const std::uint8_t alphabet[] = {0x00, '/', ',', 'f', 'i', 'a', 0x01, 0x7F, 0x3F, 0x80};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof alphabet - 1);
    std::uniform_int_distribution<std::size_t> length_of(0, 40);
    for (int round = 0; round < 20000; ++round) {
        Bytes datagram(length_of(random));
        for (auto& byte : datagram) {
            byte = alphabet[pick(random)];
        }
        if (!datagram.empty() && round % 2 == 0) {
            datagram[0] = '/';
        }
        SCOPED_TRACE("round " + std::to_string(round));
        expect_agrees_with_liblo(datagram);
        if (HasFatalFailure()) {
            return;
        }
    }
}

}  // namespace
}  // namespace kestrava::vmixer
