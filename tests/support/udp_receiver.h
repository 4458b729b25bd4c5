#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrava::test {

struct Datagram {
    std::vector<std::uint8_t> bytes;
    std::int64_t received_ns = 0;  // steady clock
};

// A UDP socket bound to a loopback address for tests, with a large receive buffer.
class UdpReceiver {
  public:
    // Binds `address` (a 127.x.y.z address) and `port` (0: any free port).
    UdpReceiver(const std::string& address, std::uint16_t port);
    ~UdpReceiver();
    UdpReceiver(const UdpReceiver&) = delete;
    UdpReceiver& operator=(const UdpReceiver&) = delete;

    [[nodiscard]] bool ok() const { return socket_ >= 0; }
    [[nodiscard]] std::uint16_t port() const { return port_; }
    // The next datagram, or nothing after `timeout_ms` without one.
    std::optional<Datagram> receive(int timeout_ms);

  private:
    std::intptr_t socket_ = -1;
    std::uint16_t port_ = 0;
};

std::int64_t steady_now_ns();

}  // namespace kestrava::test
