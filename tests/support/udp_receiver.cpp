#include "support/udp_receiver.h"

#include <chrono>

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
    int size = 64 * 1024 * 1024;
    ::setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&size), sizeof size);
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
    datagram.bytes.resize(65536);
    const auto n = ::recv(s, reinterpret_cast<char*>(datagram.bytes.data()),
                          static_cast<int>(datagram.bytes.size()), 0);
    datagram.received_ns = steady_now_ns();
    if (n < 0) {
        return std::nullopt;
    }
    datagram.bytes.resize(static_cast<std::size_t>(n));
    return datagram;
}

}  // namespace kestrava::test
