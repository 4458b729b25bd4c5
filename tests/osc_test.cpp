#include <gtest/gtest.h>

#include <bit>
#include <vector>

#include "osc/encode.h"
#include "osc/slot_table.h"

namespace kestrava {
namespace {

std::vector<std::uint8_t> encode(std::string_view address, float value, std::size_t capacity = 64,
                                 std::uint8_t fill = 0xAA) {
    std::vector<std::uint8_t> buffer(capacity, fill);
    const auto length = encode_float_message(buffer.data(), buffer.size(), address, ",f", value);
    buffer.resize(static_cast<std::size_t>(length));
    return buffer;
}

std::vector<std::uint8_t> bytes_of(std::string_view address, std::size_t zeros,
                                   std::vector<std::uint8_t> value) {
    std::vector<std::uint8_t> bytes(address.begin(), address.end());
    bytes.insert(bytes.end(), zeros, 0);
    bytes.insert(bytes.end(), {0x2C, 0x66, 0x00, 0x00});
    bytes.insert(bytes.end(), value.begin(), value.end());
    return bytes;
}

TEST(SlotTable, HoldsTheTwentyOneAddressesAndNothingElse) {
    SlotTable table;
    create_slot_table(table);
    fill_slot_addresses(table);
    EXPECT_EQ(table.address[0], "/ch/01/mix/fader");
    EXPECT_EQ(table.address[9], "/ch/10/mix/fader");
    EXPECT_EQ(table.address[15], "/ch/16/mix/fader");
    EXPECT_EQ(table.address[16], "/main/st/mix/fader");
    EXPECT_EQ(table.address[19], "/-action/initall");
    EXPECT_EQ(table.address[20], "/-stat/selidx");
    EXPECT_EQ(table.address[21], "/-stat/chfaderbank");
    EXPECT_EQ(table.address[22], "/-stat/grpfaderbank");
    int assigned = 0;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        assigned += table.address[slot].empty() ? 0 : 1;
        EXPECT_FALSE(table.buffer[slot].present());
        EXPECT_EQ(table.length[slot], 0);
    }
    EXPECT_EQ(assigned, 21);
}

TEST(SlotTable, AllocatesZeroFilledBuffersAndCanBeRefused) {
    SlotTable table;
    table.allocate(3, 2048);
    ASSERT_TRUE(table.buffer[3].present());
    EXPECT_EQ(table.buffer[3].capacity, 2048U);
    for (std::size_t i = 0; i < 2048; ++i) {
        ASSERT_EQ(table.buffer[3].bytes[i], 0);
    }
    table.refuse_allocation = [](std::size_t) { return true; };
    table.allocate(3, 2048);
    EXPECT_FALSE(table.buffer[3].present());
    EXPECT_EQ(table.buffers_present(), 0);
}

TEST(Encoder, WorkedExampleIsByteExact) {
    EXPECT_EQ(encode("/ch/01/mix/fader", 1.0F),
              bytes_of("/ch/01/mix/fader", 4, {0x3F, 0x80, 0x00, 0x00}));
}

TEST(Encoder, EveryAddressOfTheTableHasItsLengthAndPadding) {
    SlotTable table;
    fill_slot_addresses(table);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const std::string& address = table.address[slot];
        if (address.empty()) {
            continue;
        }
        const std::size_t zeros = 4 - address.size() % 4;
        const auto expected = bytes_of(address, zeros, {0x3C, 0x23, 0xD7, 0x0A});
        EXPECT_EQ(encode(address, 0.01F), expected) << address;
        EXPECT_EQ(expected.size(), address == "/-stat/selidx" ? 24U : 28U) << address;
    }
}

struct ValueCase {
    const char* name;
    float value;
    std::vector<std::uint8_t> bytes;
};

TEST(Encoder, ValuesAreWrittenBitForBitBigEndian) {
    const ValueCase cases[] = {
        {"zero", 0.0F, {0x00, 0x00, 0x00, 0x00}},
        {"negative", -0.001F, {0xBA, 0x83, 0x12, 0x6F}},
        {"above one", 1.0002F, {0x3F, 0x80, 0x06, 0x8E}},
        {"down-ramp start", 1.002F, {0x3F, 0x80, 0x41, 0x89}},
        {"grpfaderbank", 0.6F, {0x3F, 0x19, 0x99, 0x9A}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(encode("/-stat/grpfaderbank", c.value),
                  bytes_of("/-stat/grpfaderbank", 1, c.bytes))
            << c.name;
    }
}

TEST(Encoder, SelidxHasThreeZerosAndTwentyFourBytes) {
    const auto bytes = encode("/-stat/selidx", 0.0F);
    ASSERT_EQ(bytes.size(), 24U);
    EXPECT_EQ(bytes[13], 0);
    EXPECT_EQ(bytes[15], 0);
    EXPECT_EQ(bytes[16], 0x2C);  // type tag at 16, value at 20
}

TEST(Encoder, ReencodingChangesOnlyTheValueBytes) {
    std::vector<std::uint8_t> buffer(2048, 0);
    const auto first =
        encode_float_message(buffer.data(), buffer.size(), "/ch/05/mix/fader", ",f", 1.0F);
    const auto before = buffer;
    const auto second =
        encode_float_message(buffer.data(), buffer.size(), "/ch/05/mix/fader", ",f", 0.25F);
    EXPECT_EQ(first, second);
    for (std::size_t i = 0; i < buffer.size(); ++i) {
        if (i < 24 || i >= 28) {
            EXPECT_EQ(buffer[i], before[i]) << i;
        }
    }
    EXPECT_EQ(std::vector<std::uint8_t>(buffer.begin() + 24, buffer.begin() + 28),
              (std::vector<std::uint8_t>{0x3E, 0x80, 0x00, 0x00}));
}

TEST(Encoder, AbsentOrShortBufferGivesZeroAndWritesNothing) {
    EXPECT_EQ(encode_float_message(nullptr, 2048, "/ch/01/mix/fader", ",f", 1.0F), 0);

    std::vector<std::uint8_t> exact(28, 0xAA);
    EXPECT_EQ(encode_float_message(exact.data(), 28, "/ch/01/mix/fader", ",f", 1.0F), 28);

    std::vector<std::uint8_t> guarded(28, 0xAA);  // one byte short, last byte is a guard
    EXPECT_EQ(encode_float_message(guarded.data(), 27, "/ch/01/mix/fader", ",f", 1.0F), 0);
    EXPECT_EQ(guarded, std::vector<std::uint8_t>(28, 0xAA));
}

}  // namespace
}  // namespace kestrava
