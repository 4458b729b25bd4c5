#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace kestrava {

inline constexpr int kSlotCount = 31;
inline constexpr int kFaderSlotCount = 17;  // slots 0..16
inline constexpr int kFirstStatusSlot = 19;
inline constexpr int kLastStatusSlot = 22;
inline constexpr std::size_t kFaderBufferSize = 2048;
inline constexpr std::size_t kStatusBufferSize = 2048;
inline constexpr std::size_t kResetStatusBufferSize = 1024;

// A message buffer owned by a slot; an empty one is "absent".
struct MessageBuffer {
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t capacity = 0;

    [[nodiscard]] bool present() const { return bytes != nullptr; }
};

// One index across the three parallel arrays of the table.
struct MessageSlot {
    std::string_view address;
    const MessageBuffer& buffer;
    std::int64_t length;
};

// The 31 message slots: addresses, buffers and the length of each slot's last encoding.
// Buffers come from `allocate`, zero-filled; an allocation that fails leaves the slot
// without a buffer (tests can refuse allocations through `refuse_allocation`).
struct SlotTable {
    std::array<std::string, kSlotCount> address{};
    std::array<MessageBuffer, kSlotCount> buffer{};
    std::array<std::int64_t, kSlotCount> length{};

    // When set and returning true, the next allocation fails.
    std::function<bool(std::size_t size)> refuse_allocation;

    // Releases any buffer the slot holds, then gives it a fresh zero-filled one.
    void allocate(int slot, std::size_t size);
    void release(int slot);
    [[nodiscard]] MessageSlot at(int slot) const {
        return {address[slot], buffer[slot], length[slot]};
    }
    [[nodiscard]] int buffers_present() const;
};

// Empties the table: no buffers, empty addresses, lengths 0.
void create_slot_table(SlotTable& table);
// Assigns the 21 console addresses (fader slots 0..16, status slots 19..22).
void fill_slot_addresses(SlotTable& table);

}  // namespace kestrava
