#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <string>

#if defined(__linux__)
#include <sys/prctl.h>
#endif

#include "net/net_layer.h"
#include "net/posix/posix_net.h"
#include "net/precise_pause.h"

namespace kestrava {

namespace {

int open_udp_socket() {
    return ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
}

int set_nonblocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL, 0);
    return flags < 0 ? -1 : ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
}

class PosixNet final : public NetLayer {
  public:
    explicit PosixNet(const PosixSocketCalls& calls) : calls_(calls) {}

    bool start_network() override {
        if (network_started_) {
            return true;
        }
        const int probe = calls_.open_socket();
        if (probe >= 0) {
            calls_.close_socket(probe);
        }
        network_started_ = probe >= 0;
        return network_started_;
    }

    std::optional<MixerLink> open_link(std::string_view host, std::uint16_t port) override {
        const int fd = calls_.open_socket();
        if (fd < 0) {
            return std::nullopt;
        }
        const std::string text(host);
        in_addr_t address = ::inet_addr(text.c_str());
        if (address == INADDR_NONE) {
            address = lookup(text);
        }
        if (address == INADDR_NONE || calls_.set_nonblocking(fd) < 0) {
            calls_.close_socket(fd);
            return std::nullopt;
        }
        return MixerLink{fd, address, port};
    }

    std::int64_t send_on(const MixerLink& link, const std::uint8_t* buffer,
                         std::int64_t length) override {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(link.remote_port);
        to.sin_addr.s_addr = link.remote_address;
        return ::sendto(static_cast<int>(link.socket), buffer, static_cast<std::size_t>(length), 0,
                        reinterpret_cast<const sockaddr*>(&to), sizeof to);
    }

    void close_link(MixerLink& link) override {
        if (link.socket >= 0) {
            calls_.close_socket(static_cast<int>(link.socket));
            link.socket = -1;
        }
    }

    void shutdown_network() override { network_started_ = false; }

    void pause_ms(std::int64_t ms) override {
        if (!timer_raised_) {
#if defined(PR_SET_TIMERSLACK)
            ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
            timer_raised_ = true;
        }
        precise_pause(ms);
    }

  private:
    static in_addr_t lookup(const std::string& name) {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_DGRAM;
        addrinfo* found = nullptr;
        if (::getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
            return INADDR_NONE;
        }
        const auto address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
        ::freeaddrinfo(found);
        return address;
    }

    PosixSocketCalls calls_;
    bool network_started_ = false;
    bool timer_raised_ = false;
};

}  // namespace

PosixSocketCalls system_socket_calls() {
    return {open_udp_socket, set_nonblocking, ::close};
}

std::unique_ptr<NetLayer> make_posix_net(const PosixSocketCalls& calls) {
    return std::make_unique<PosixNet>(calls);
}

std::unique_ptr<NetLayer> make_system_net() {
    return make_posix_net(system_socket_calls());
}

}  // namespace kestrava
