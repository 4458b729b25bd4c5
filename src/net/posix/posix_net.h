#pragma once

#include <memory>

#include "net/net_layer.h"

namespace kestrava {

// The system calls behind the POSIX socket layer's links; tests replace them to make
// a step fail.
struct PosixSocketCalls {
    int (*open_socket)() = nullptr;            // an IPv4 UDP socket, or -1
    int (*set_nonblocking)(int fd) = nullptr;  // 0, or -1 when refused
    int (*close_socket)(int fd) = nullptr;
};

PosixSocketCalls system_socket_calls();
std::unique_ptr<NetLayer> make_posix_net(const PosixSocketCalls& calls);

}  // namespace kestrava
