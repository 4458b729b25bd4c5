#include "osc/slot_table.h"

#include <new>

namespace kestrava {

void SlotTable::allocate(int slot, std::size_t size) {
    release(slot);
    if (refuse_allocation && refuse_allocation(size)) {
        return;
    }
    std::unique_ptr<std::uint8_t[]> bytes(new (std::nothrow) std::uint8_t[size]());
    if (bytes) {
        buffer[slot] = MessageBuffer{std::move(bytes), size};
    }
}

void SlotTable::release(int slot) {
    buffer[slot] = MessageBuffer{};
}

int SlotTable::buffers_present() const {
    int count = 0;
    for (const auto& b : buffer) {
        count += b.present() ? 1 : 0;
    }
    return count;
}

void create_slot_table(SlotTable& table) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        table.address[slot].clear();
        table.release(slot);
        table.length[slot] = 0;
    }
}

void fill_slot_addresses(SlotTable& table) {
    for (int slot = 0; slot < 16; ++slot) {
        const int channel = slot + 1;
        std::string address = "/ch/00/mix/fader";
        address[4] = static_cast<char>('0' + channel / 10);
        address[5] = static_cast<char>('0' + channel % 10);
        table.address[slot] = address;
    }
    table.address[16] = "/main/st/mix/fader";
    table.address[19] = "/-action/initall";
    table.address[20] = "/-stat/selidx";
    table.address[21] = "/-stat/chfaderbank";
    table.address[22] = "/-stat/grpfaderbank";
}

}  // namespace kestrava
