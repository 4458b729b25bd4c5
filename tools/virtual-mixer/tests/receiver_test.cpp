#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QSlider>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "mixer_view.h"
#include "mixer_window.h"
#include "net/net_layer.h"
#include "osc/encode.h"
#include "osc/slot_table.h"
#include "receiver.h"
#include "session_log.h"

namespace kestrava::vmixer {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

// Runs the event loop until `done` holds or `timeout` has passed; returns `done()`.
bool wait_until(const std::function<bool()>& done,
                std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto give_up = Clock::now() + timeout;
    while (!done()) {
        if (Clock::now() > give_up) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

Bytes message(std::string_view address, float value) {
    Bytes buffer(kFaderBufferSize, 0);
    const auto length = encode_float_message(buffer.data(), buffer.size(), address, ",f", value);
    buffer.resize(static_cast<std::size_t>(length));
    return buffer;
}

// Kestrava's own socket layer, aimed at the receiver under test.
class Sender {
  public:
    Sender(const Endpoint& to) : net_(make_system_net()) {
        if (net_->start_network()) {
            link_ = net_->open_link(to.address_text(), to.port);
        }
    }
    ~Sender() {
        if (link_) {
            net_->close_link(*link_);
        }
        net_->shutdown_network();
    }
    [[nodiscard]] bool ok() const { return link_.has_value(); }
    void send(const Bytes& datagram) {
        const auto sent = send_datagram(*net_, link_, datagram.data(),
                                        static_cast<std::int64_t>(datagram.size()));
        EXPECT_EQ(sent, static_cast<std::int64_t>(datagram.size()));
    }

  private:
    std::unique_ptr<NetLayer> net_;
    std::optional<MixerLink> link_;
};

// A receiver listening on a free port of `address`, with the last frame it published.
struct Listening {
    explicit Listening(std::array<std::uint8_t, 4> address) {
        endpoint.address = address;
        endpoint.port = 0;
        QObject::connect(&receiver, &Receiver::frame,
                         [this](const MixerView& view) { last_frame = view; });
        QString error;
        listening = receiver.listen(endpoint, &error);
        EXPECT_TRUE(listening) << error.toStdString();
        endpoint.port = receiver.port();
    }

    Receiver receiver;
    Endpoint endpoint;
    std::optional<MixerView> last_frame;
    bool listening = false;
};

TEST(ReceiverLoopback, AppliesEveryDatagramAndTheWindowShowsTheFinalState) {
    Listening mixer({127, 77, 23, 1});
    ASSERT_TRUE(mixer.listening);
    MixerWindow window;
    QObject::connect(&mixer.receiver, &Receiver::frame, &window, &MixerWindow::show_view);

    SlotTable table;
    create_slot_table(table);
    fill_slot_addresses(table);
    Sender sender(mixer.endpoint);
    ASSERT_TRUE(sender.ok());
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const auto& address = table.address[static_cast<std::size_t>(slot)];
        if (!address.empty()) {
            sender.send(message(address, static_cast<float>(slot) / 64.0f));
        }
    }
    sender.send(message("/ch/17/mix/fader", 1.0f));
    sender.send(Bytes{'/', 'x', 0, 0, ',', 'i', 0, 0, 0, 0, 0, 1});
    sender.send(Bytes{});  // what Kestrava sends from a slot without a buffer
    sender.send(message("/ch/01/mix/fader", 1.0f));

    const MixerState& state = mixer.receiver.state();
    ASSERT_TRUE(wait_until([&] { return state.datagrams() == 25; }))
        << "received " << state.datagrams();
    EXPECT_EQ(state.messages(), 23u);
    EXPECT_EQ(state.malformed(), 2u);
    EXPECT_EQ(state.unknown_addresses(), 1u);
    EXPECT_EQ(state.faders()[0], 1.0f);
    for (int i = 1; i < kFaderCount; ++i) {
        EXPECT_EQ(state.faders()[static_cast<std::size_t>(i)], static_cast<float>(i) / 64.0f);
    }
    for (int i = 0; i < kStatusCount; ++i) {
        EXPECT_EQ(state.status()[static_cast<std::size_t>(i)],
                  static_cast<float>(kFirstStatusSlot + i) / 64.0f);
    }

    ASSERT_TRUE(wait_until([&] { return mixer.last_frame && mixer.last_frame->messages == "23"; }));
    EXPECT_EQ(window.findChild<QSlider*>(QStringLiteral("fader0"))->value(), kFaderSteps);
    EXPECT_EQ(window.findChild<QSlider*>(QStringLiteral("fader16"))->value(), 250);
    EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("value16"))->text(), "0.2500");
    EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("status1"))->text(), "0.3125");
    EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("malformed"))->text(), "2");
    EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("unknown"))->text(), "1");
}

TEST(ReceiverLoopback, WritesOneLogLinePerDatagramInArrivalOrder) {
    const auto path = std::filesystem::path(testing::TempDir()) / "vmixer-receiver.log";
    {
        SessionLog log(path.string());
        ASSERT_TRUE(log.ok());
        Listening mixer({127, 77, 23, 2});
        ASSERT_TRUE(mixer.listening);
        mixer.receiver.set_log(&log);
        Sender sender(mixer.endpoint);
        ASSERT_TRUE(sender.ok());
        sender.send(message("/-stat/selidx", 1.0f));
        sender.send(Bytes{'#'});
        sender.send(message("/main/st/mix/fader", 0.5f));
        ASSERT_TRUE(wait_until([&] { return mixer.receiver.state().datagrams() == 3; }));
    }
    std::ifstream in(path);
    std::vector<std::string> fields;
    for (std::string line; std::getline(in, line);) {
        ASSERT_GT(line.size(), 28u);
        EXPECT_EQ(line[27], ' ') << line;
        fields.push_back(line.substr(28));
    }
    EXPECT_EQ(fields,
              (std::vector<std::string>{"/-stat/selidx 3f800000 1", "malformed not_a_message 1 23",
                                        "/main/st/mix/fader 3f000000 0.5"}));
}

TEST(ReceiverLoopback, PublishesAtMostOneFramePerIntervalHoweverFastDatagramsArrive) {
    const auto started = Clock::now();
    Listening mixer({127, 77, 23, 3});
    ASSERT_TRUE(mixer.listening);
    Sender sender(mixer.endpoint);
    ASSERT_TRUE(sender.ok());

    // Batches small enough for the socket's receive buffer; each is read before the next.
    constexpr std::uint64_t kBatches = 30;
    constexpr std::uint64_t kBatch = 100;
    const Bytes datagram = message("/ch/03/mix/fader", 0.5f);
    for (std::uint64_t batch = 1; batch <= kBatches; ++batch) {
        for (std::uint64_t i = 0; i < kBatch; ++i) {
            sender.send(datagram);
        }
        ASSERT_TRUE(
            wait_until([&] { return mixer.receiver.state().datagrams() == batch * kBatch; }));
    }
    ASSERT_TRUE(
        wait_until([&] { return mixer.last_frame && mixer.last_frame->messages == "3000"; }));
    const auto elapsed_ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started).count();

    // The frame from listen(), then frames at least kFrameIntervalMs apart.
    const auto most = 2 + elapsed_ms / Receiver::kFrameIntervalMs;
    EXPECT_LE(mixer.receiver.frames_published(), most) << "in " << elapsed_ms << " ms";
    EXPECT_LT(mixer.receiver.frames_published(), static_cast<int>(kBatches * kBatch));
}

TEST(ReceiverLoopback, RateRisesWithTrafficAndFallsBackToZero) {
    Listening mixer({127, 77, 23, 4});
    ASSERT_TRUE(mixer.listening);
    Sender sender(mixer.endpoint);
    ASSERT_TRUE(sender.ok());
    for (int i = 0; i < 100; ++i) {
        sender.send(message("/ch/04/mix/fader", 0.5f));
    }
    ASSERT_TRUE(wait_until([&] { return mixer.receiver.state().datagrams() == 100; }));
    EXPECT_TRUE(
        wait_until([&] { return mixer.last_frame && mixer.last_frame->rate != "0 msg/s"; }));
    EXPECT_TRUE(
        wait_until([&] { return mixer.last_frame && mixer.last_frame->rate == "0 msg/s"; }));
}

TEST(ReceiverLoopback, RefusesAnEndpointAlreadyInUse) {
    Listening first({127, 77, 23, 5});
    ASSERT_TRUE(first.listening);
    Receiver second;
    QString error;
    EXPECT_FALSE(second.listen(first.endpoint, &error));
    EXPECT_FALSE(error.isEmpty());
}

}  // namespace
}  // namespace kestrava::vmixer
