// The Winsock socket layer as the program uses it, on loopback addresses of its own.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <winsock2.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "net/net_layer.h"
#include "support/udp_receiver.h"

namespace kestrava::test {
namespace {

constexpr const char* kReceiverAddress = "127.41.9.1";

class Winsock : public ::testing::Test {
  protected:
    void SetUp() override {
        net_ = make_system_net();
        ASSERT_TRUE(net_->start_network());
    }
    void TearDown() override { net_->shutdown_network(); }

    std::unique_ptr<NetLayer> net_;
};

SOCKET socket_of(const MixerLink& link) {
    return static_cast<SOCKET>(link.socket);
}

// The local address of a socket, or the Winsock error that asking for it gives.
int local_port_or_error(SOCKET s) {
    sockaddr_in local{};
    int size = sizeof local;
    if (::getsockname(s, reinterpret_cast<sockaddr*>(&local), &size) != 0) {
        return -::WSAGetLastError();
    }
    return ::ntohs(local.sin_port);
}

TEST_F(Winsock, ALinkIsNeitherBoundNorConnectedUntilItsFirstSendPicksALocalPort) {
    UdpReceiver receiver(kReceiverAddress, 0);
    ASSERT_TRUE(receiver.ok());
    auto link = net_->open_link(kReceiverAddress, receiver.port());
    ASSERT_TRUE(link.has_value());
    EXPECT_EQ(link->remote_address, ::inet_addr(kReceiverAddress));
    EXPECT_EQ(link->remote_port, receiver.port());

    EXPECT_EQ(local_port_or_error(socket_of(*link)), -WSAEINVAL);  // not bound
    sockaddr_in peer{};
    int size = sizeof peer;
    EXPECT_NE(::getpeername(socket_of(*link), reinterpret_cast<sockaddr*>(&peer), &size), 0);
    EXPECT_EQ(::WSAGetLastError(), WSAENOTCONN);

    const std::uint8_t byte = 0x2F;
    EXPECT_EQ(send_datagram(*net_, link, &byte, 1), 1);
    EXPECT_GT(local_port_or_error(socket_of(*link)), 0);
    ASSERT_TRUE(receiver.receive(2000).has_value());
    net_->close_link(*link);
}

TEST_F(Winsock, ExactlyTheGivenLengthLeavesTheBufferAndEmptyDatagramsArrive) {
    UdpReceiver receiver(kReceiverAddress, 0);
    ASSERT_TRUE(receiver.ok());
    auto link = net_->open_link(kReceiverAddress, receiver.port());
    ASSERT_TRUE(link.has_value());

    // "/main/st/mix/fader" ,f 1.0 in a larger buffer whose tail is a sentinel.
    std::vector<std::uint8_t> buffer(2048, 0xA5);
    const std::array<std::uint8_t, 28> message{'/', 'm', 'a', 'i', 'n',  '/',  's', 't', '/', 'm',
                                               'i', 'x', '/', 'f', 'a',  'd',  'e', 'r', 0,   0,
                                               ',', 'f', 0,   0,   0x3F, 0x80, 0,   0};
    std::copy(message.begin(), message.end(), buffer.begin());

    struct Case {
        const char* name;
        std::int64_t length;
    };
    for (const Case c : {Case{"whole message", 28}, Case{"empty", 0}, Case{"first byte", 1}}) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(send_datagram(*net_, link, buffer.data(), c.length), c.length);
        const auto got = receiver.receive(2000);
        ASSERT_TRUE(got.has_value());
        EXPECT_EQ(got->bytes, std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + c.length));
    }
    net_->close_link(*link);
}

TEST_F(Winsock, ABurstOfSeventeenBackToBackArrivesWholeAndInOrder) {
    UdpReceiver receiver(kReceiverAddress, 0);
    ASSERT_TRUE(receiver.ok());
    auto link = net_->open_link(kReceiverAddress, receiver.port());
    ASSERT_TRUE(link.has_value());
    std::array<std::uint8_t, 28> datagram{};
    for (std::uint8_t i = 0; i < 17; ++i) {
        datagram[0] = i;
        ASSERT_EQ(send_datagram(*net_, link, datagram.data(), 28), 28);
    }
    for (std::uint8_t i = 0; i < 17; ++i) {
        const auto got = receiver.receive(2000);
        ASSERT_TRUE(got.has_value()) << "datagram " << int{i};
        ASSERT_EQ(got->bytes.size(), 28U);
        EXPECT_EQ(got->bytes[0], i);
    }
    net_->close_link(*link);
}

TEST_F(Winsock, NoLinkForTheAllOnesAddressOrForNoText) {
    // inet_addr gives all ones for text that is no address; gethostbyname would take
    // an empty name for this machine.
    for (const char* host : {"255.255.255.255", ""}) {
        SCOPED_TRACE(host);
        EXPECT_FALSE(net_->open_link(host, kMixerPort).has_value());
    }
    const std::uint8_t byte = 0;
    EXPECT_LT(send_datagram(*net_, std::nullopt, &byte, 1), 0);
}

TEST_F(Winsock, ClosingALinkClosesItsSocket) {
    auto link = net_->open_link(kReceiverAddress, kMixerPort);
    ASSERT_TRUE(link.has_value());
    const SOCKET s = socket_of(*link);
    net_->close_link(*link);
    EXPECT_EQ(local_port_or_error(s), -WSAENOTSOCK);
}

TEST_F(Winsock, TheSocketLayerCanBeReleasedAndStartedAgain) {
    EXPECT_TRUE(net_->start_network());  // already started: nothing more happens
    net_->shutdown_network();
    net_->shutdown_network();  // nothing left to release
    ASSERT_TRUE(net_->start_network());
    auto link = net_->open_link(kReceiverAddress, kMixerPort);
    ASSERT_TRUE(link.has_value());
    net_->close_link(*link);
}

}  // namespace
}  // namespace kestrava::test
