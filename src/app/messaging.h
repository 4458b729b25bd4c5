#pragma once

#include "app/program.h"

namespace kestrava {

enum class EmptyMessage { Send, Skip };

// Sends one message from `slot`: encodes `value` into the slot's buffer, pumps
// events, stores the length, then hands the buffer to the socket layer on
// `current_link` -- unless the length is 0 and `empty` is Skip. Counts the datagram in
// the program's tally. Allocates nothing.
void send_slot_message(Program& program, int slot, float value, EmptyMessage empty);

}  // namespace kestrava
