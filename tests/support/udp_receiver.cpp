#include "support/udp_receiver.h"

#include <chrono>
#include <cstring>

#if defined(_WIN32)
#include <winsock2.h>
#include <ws2tcpip.h>
using socklen_type = int;
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
using socklen_type = socklen_t;
#endif

namespace kestrava::test {

namespace {

void close_socket(std::intptr_t s) {
#if defined(_WIN32)
    ::closesocket(static_cast<SOCKET>(s));
#else
    ::close(static_cast<int>(s));
#endif
}

}  // namespace

std::int64_t steady_now_ns() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

UdpReceiver::UdpReceiver(const std::string& address, std::uint16_t port) {
#if defined(_WIN32)
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
    const SOCKET s = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (s == INVALID_SOCKET) {
        return;
    }
    const auto handle = static_cast<std::intptr_t>(s);
#else
    const int s = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (s < 0) {
        return;
    }
    const auto handle = static_cast<std::intptr_t>(s);
#endif
#if defined(SO_TIMESTAMPNS)
    // The kernel stamps each datagram as it is queued, which on loopback is during the
    // sender's call: gaps between stamps are the sender's gaps.
    const int on = 1;
    ::setsockopt(s, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on);
#endif
    int size = 64 * 1024 * 1024;
#if defined(SO_RCVBUFFORCE)
    // Beyond the system's limit where allowed; otherwise as much as the limit permits.
    if (::setsockopt(s, SOL_SOCKET, SO_RCVBUFFORCE, &size, sizeof size) != 0)
#endif
    {
        ::setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&size), sizeof size);
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    ::inet_pton(AF_INET, address.c_str(), &local.sin_addr);
    if (::bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        close_socket(handle);
        return;
    }
    socklen_type length = sizeof local;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&local), &length);
    port_ = ntohs(local.sin_port);
    socket_ = handle;
}

UdpReceiver::~UdpReceiver() {
    if (socket_ >= 0) {
        close_socket(socket_);
    }
}

std::optional<Datagram> UdpReceiver::receive(int timeout_ms) {
    if (socket_ < 0) {
        return std::nullopt;
    }
#if defined(_WIN32)
    const auto s = static_cast<SOCKET>(socket_);
    WSAPOLLFD waiting{};
    waiting.fd = s;
    waiting.events = POLLRDNORM;
    if (::WSAPoll(&waiting, 1, timeout_ms) <= 0) {
        return std::nullopt;
    }
#else
    const int s = static_cast<int>(socket_);
    pollfd waiting{s, POLLIN, 0};
    if (::poll(&waiting, 1, timeout_ms) <= 0) {
        return std::nullopt;
    }
#endif
    Datagram datagram;
    std::uint8_t buffer[65536];
    datagram.received_ns = steady_now_ns();
#if defined(SO_TIMESTAMPNS)
    iovec data{buffer, sizeof buffer};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(timespec))];
    msghdr message{};
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const auto n = ::recvmsg(s, &message, 0);
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_TIMESTAMPNS) {
            timespec stamp{};
            std::memcpy(&stamp, CMSG_DATA(c), sizeof stamp);
            datagram.received_ns =
                static_cast<std::int64_t>(stamp.tv_sec) * 1'000'000'000 + stamp.tv_nsec;
        }
    }
#else
    const auto n = ::recv(s, reinterpret_cast<char*>(buffer), static_cast<int>(sizeof buffer), 0);
#endif
    if (n < 0) {
        return std::nullopt;
    }
    datagram.bytes.assign(buffer, buffer + n);
    return datagram;
}

UdpCollector::UdpCollector(const std::string& address, std::uint16_t port)
    : receiver_(address, port) {
    thread_ = std::thread([this] {
        while (!stopping_) {
            if (auto datagram = receiver_.receive(50)) {
                const std::lock_guard lock(mutex_);
                received_.push_back(std::move(*datagram));
            }
        }
    });
}

UdpCollector::~UdpCollector() {
    stopping_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
}

std::size_t UdpCollector::count() const {
    const std::lock_guard lock(mutex_);
    return received_.size();
}

std::vector<Datagram> UdpCollector::finish(int quiet_ms) {
    std::size_t seen = count();
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(quiet_ms));
        const std::size_t now = count();
        if (now == seen) {
            break;
        }
        seen = now;
    }
    stopping_ = true;
    thread_.join();
    const std::lock_guard lock(mutex_);
    return std::move(received_);
}

}  // namespace kestrava::test
