#include "app/messaging.h"

#include "osc/encode.h"

namespace kestrava {

void send_slot_message(Program& program, int slot, float value, EmptyMessage empty) {
    SlotTable& table = program.table;
    const MessageBuffer& buffer = table.buffer[slot];
    const std::int64_t length =
        encode_float_message(buffer.bytes.get(), buffer.capacity, table.address[slot], ",f", value);
    program.toolkit.pump_events();
    table.length[slot] = length;
    if (length == 0 && empty == EmptyMessage::Skip) {
        return;
    }
    ++program.tally.attempted;
    if (send_datagram(program.net, program.current_link, buffer.bytes.get(), length) < 0) {
        ++program.tally.failed;
    }
}

}  // namespace kestrava
