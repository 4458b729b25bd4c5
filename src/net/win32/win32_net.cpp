#include <winsock2.h>
// winsock2.h before windows.h, which would otherwise bring in the old winsock.h.
#include <mmsystem.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "net/net_layer.h"
#include "net/precise_pause.h"

namespace kestrava {

namespace {

// Windows Sockets 1.1: the socket layer that the program was written against. Every
// call is one the 1.1 layer has.
class Win32Net final : public NetLayer {
  public:
    bool start_network() override {
        if (network_started_) {
            return true;
        }
        WSADATA data{};
        network_started_ = ::WSAStartup(MAKEWORD(1, 1), &data) == 0;
        return network_started_;
    }

    std::optional<MixerLink> open_link(std::string_view host, std::uint16_t port) override {
        // No text is no host; the socket layer would take "" for the local machine.
        if (host.empty()) {
            return std::nullopt;
        }
        const SOCKET s = ::socket(AF_INET, SOCK_DGRAM, 0);
        if (s == INVALID_SOCKET) {
            return std::nullopt;
        }
        // The text is UTF-8 already; the socket layer wants it NUL-terminated.
        const std::string text(host);
        unsigned long address = ::inet_addr(text.c_str());
        if (address == INADDR_NONE) {
            address = lookup(text);
        }
        // INADDR_NONE is both "not an address" and 255.255.255.255: no link either way.
        if (address == INADDR_NONE) {
            ::closesocket(s);
            return std::nullopt;
        }
        u_long non_blocking = 1;
        if (::ioctlsocket(s, static_cast<long>(FIONBIO), &non_blocking) != 0) {
            ::closesocket(s);
            return std::nullopt;
        }
        return MixerLink{static_cast<std::intptr_t>(s), static_cast<std::uint32_t>(address), port};
    }

    std::int64_t send_on(const MixerLink& link, const std::uint8_t* buffer,
                         std::int64_t length) override {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = ::htons(link.remote_port);
        to.sin_addr.s_addr = link.remote_address;
        return ::sendto(static_cast<SOCKET>(link.socket), reinterpret_cast<const char*>(buffer),
                        static_cast<int>(length), 0, reinterpret_cast<const sockaddr*>(&to),
                        static_cast<int>(sizeof to));
    }

    void close_link(MixerLink& link) override {
        if (static_cast<SOCKET>(link.socket) != INVALID_SOCKET) {
            ::closesocket(static_cast<SOCKET>(link.socket));
            link.socket = static_cast<std::intptr_t>(INVALID_SOCKET);
        }
    }

    void shutdown_network() override {
        if (network_started_) {
            ::WSACleanup();
            network_started_ = false;
        }
    }

    void pause_ms(std::int64_t ms) override {
        if (!timer_raised_) {
            // Never lowered again: 1 ms timer resolution for the rest of the process.
            ::timeBeginPeriod(1);
            timer_raised_ = true;
        }
        precise_pause(ms);
    }

  private:
    static unsigned long lookup(const std::string& name) {
        const hostent* found = ::gethostbyname(name.c_str());
        if (found == nullptr || found->h_addrtype != AF_INET || found->h_addr_list[0] == nullptr) {
            return INADDR_NONE;
        }
        in_addr first{};
        std::memcpy(&first, found->h_addr_list[0], sizeof first);
        return first.s_addr;
    }

    bool network_started_ = false;
    bool timer_raised_ = false;
};

}  // namespace

std::unique_ptr<NetLayer> make_system_net() {
    return std::make_unique<Win32Net>();
}

}  // namespace kestrava
