#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kestrava::test {

struct Datagram {
    std::vector<std::uint8_t> bytes;
    // When the datagram was queued at the receiver: the kernel's stamp where the platform
    // gives one (any clock; compare only differences), else the steady clock at receipt.
    std::int64_t received_ns = 0;
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

// Collects every datagram that reaches a UdpReceiver on a thread of its own.
class UdpCollector {
  public:
    UdpCollector(const std::string& address, std::uint16_t port);
    ~UdpCollector();
    UdpCollector(const UdpCollector&) = delete;
    UdpCollector& operator=(const UdpCollector&) = delete;

    [[nodiscard]] bool ok() const { return receiver_.ok(); }
    [[nodiscard]] std::uint16_t port() const { return receiver_.port(); }
    [[nodiscard]] std::size_t count() const;
    // Stops once nothing has arrived for `quiet_ms`, and returns everything received.
    std::vector<Datagram> finish(int quiet_ms = 500);

  private:
    UdpReceiver receiver_;
    mutable std::mutex mutex_;
    std::vector<Datagram> received_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace kestrava::test
