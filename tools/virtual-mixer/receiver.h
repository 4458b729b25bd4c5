#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>

#include "endpoint.h"
#include "mixer_state.h"
#include "mixer_view.h"

class QTimer;
class QUdpSocket;

namespace kestrava::vmixer {

class SessionLog;

// Receives datagrams on one UDP socket and applies each to the mixer state as soon as
// it is read. Views are published through frame(), at most one per kFrameIntervalMs:
// a datagram starts the frame timer when it is idle, and the timer publishes the state
// as it is then, however many datagrams arrived in between.
class Receiver : public QObject {
    Q_OBJECT

  public:
    static constexpr int kFrameIntervalMs = 16;
    static constexpr int kRateIntervalMs = 250;

    explicit Receiver(QObject* parent = nullptr);
    ~Receiver() override;

    // Binds the socket, not shared with any other socket. On failure returns false and
    // sets `error` to the reason.
    bool listen(const Endpoint& endpoint, QString* error);
    // The bound port (the chosen one when listening on port 0); 0 before listen().
    [[nodiscard]] std::uint16_t port() const;

    // Every datagram read from now on is written to `log` (not owned; may be null).
    void set_log(SessionLog* log) { log_ = log; }

    [[nodiscard]] const MixerState& state() const { return state_; }
    [[nodiscard]] double rate() const { return rate_.per_second(); }
    [[nodiscard]] int frames_published() const { return frames_published_; }

  signals:
    void frame(const kestrava::vmixer::MixerView& view);

  private:
    void read_pending();
    void publish_frame();
    void sample_rate();

    QUdpSocket* socket_ = nullptr;
    QTimer* frame_timer_ = nullptr;
    QTimer* rate_timer_ = nullptr;
    std::unique_ptr<std::uint8_t[]> buffer_;
    MixerState state_;
    RateMeter rate_;
    std::string shown_rate_;
    SessionLog* log_ = nullptr;
    int frames_published_ = 0;
};

}  // namespace kestrava::vmixer
