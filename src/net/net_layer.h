#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

namespace kestrava {

inline constexpr std::uint16_t kMixerPort = 10023;

// One opened UDP link to the console. `socket` is the platform's handle.
struct MixerLink {
    std::intptr_t socket = -1;
    std::uint32_t remote_address = 0;  // network byte order
    std::uint16_t remote_port = 0;
};

// The socket layer and the clock: the only way the program reaches the network and
// time. The system implementation is POSIX or Winsock; tests use a fake with a
// virtual clock.
class NetLayer {
  public:
    virtual ~NetLayer() = default;

    // Starts the socket layer once; later calls return true without starting again.
    virtual bool start_network() = 0;
    // A non-blocking IPv4 UDP socket, neither bound nor connected, aimed at `host`
    // (dotted address first, else a name lookup). No link for 255.255.255.255 or on
    // any failure; no socket is left open then.
    virtual std::optional<MixerLink> open_link(std::string_view host, std::uint16_t port) = 0;
    // Hands exactly `length` bytes to the socket layer as one datagram (0 sends an
    // empty one). Returns the accepted byte count, or a negative value on failure.
    virtual std::int64_t send_on(const MixerLink& link, const std::uint8_t* buffer,
                                 std::int64_t length) = 0;
    virtual void close_link(MixerLink& link) = 0;
    virtual void shutdown_network() = 0;
    // Blocks the thread for `ms` milliseconds; processes no events. The first call
    // raises the timer resolution to 1 ms for the rest of the process.
    virtual void pause_ms(std::int64_t ms) = 0;
};

// Sends on `link` when present; an absent link sends nothing and gives -1.
std::int64_t send_datagram(NetLayer& net, const std::optional<MixerLink>& link,
                           const std::uint8_t* buffer, std::int64_t length);

// The system's socket layer for the platform this was built for.
std::unique_ptr<NetLayer> make_system_net();

}  // namespace kestrava
