#include "receiver.h"

#include <QHostAddress>
#include <QTimer>
#include <QUdpSocket>
#include <QVariant>
#include <chrono>

#include "session_log.h"

namespace kestrava::vmixer {

namespace {

// Larger than any IPv4 UDP payload, so a datagram is never cut short.
constexpr std::size_t kBufferSize = 65536;
constexpr int kReceiveBufferBytes = 4 * 1024 * 1024;
// Datagrams read per readyRead before the event loop gets a turn (it calls again).
constexpr int kReadBatch = 1024;

std::int64_t steady_ns() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

Receiver::Receiver(QObject* parent)
    : QObject(parent),
      socket_(new QUdpSocket(this)),
      frame_timer_(new QTimer(this)),
      rate_timer_(new QTimer(this)),
      buffer_(new std::uint8_t[kBufferSize]) {
    frame_timer_->setSingleShot(true);
    frame_timer_->setTimerType(Qt::PreciseTimer);
    frame_timer_->setInterval(kFrameIntervalMs);
    rate_timer_->setInterval(kRateIntervalMs);
    connect(socket_, &QUdpSocket::readyRead, this, &Receiver::read_pending);
    connect(frame_timer_, &QTimer::timeout, this, &Receiver::publish_frame);
    connect(rate_timer_, &QTimer::timeout, this, &Receiver::sample_rate);
}

Receiver::~Receiver() {
    if (log_ != nullptr) {
        log_->flush();
    }
}

bool Receiver::listen(const Endpoint& endpoint, QString* error) {
    const QHostAddress address(QString::fromStdString(endpoint.address_text()));
    if (!socket_->bind(address, endpoint.port, QUdpSocket::DontShareAddress)) {
        if (error != nullptr) {
            *error = socket_->errorString();
        }
        return false;
    }
    socket_->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption,
                             QVariant(kReceiveBufferBytes));
    rate_.sample(steady_ns(), state_.datagrams());
    rate_timer_->start();
    publish_frame();
    return true;
}

std::uint16_t Receiver::port() const {
    return socket_->localPort();
}

void Receiver::read_pending() {
    bool received = false;
    for (int n = 0; n < kReadBatch && socket_->hasPendingDatagrams(); ++n) {
        const qint64 size =
            socket_->readDatagram(reinterpret_cast<char*>(buffer_.get()), kBufferSize);
        if (size < 0) {
            break;
        }
        const auto length = static_cast<std::size_t>(size);
        const Reception reception = state_.receive(buffer_.get(), length);
        if (log_ != nullptr) {
            log_->write(std::chrono::system_clock::now(), reception, buffer_.get(), length);
        }
        received = true;
    }
    if (received && !frame_timer_->isActive()) {
        frame_timer_->start();
    }
}

void Receiver::publish_frame() {
    ++frames_published_;
    if (log_ != nullptr) {
        log_->flush();
    }
    MixerView view = make_view(state_, rate_.per_second());
    shown_rate_ = view.rate;
    emit frame(view);
}

void Receiver::sample_rate() {
    rate_.sample(steady_ns(), state_.datagrams());
    if (format_rate(rate_.per_second()) != shown_rate_ && !frame_timer_->isActive()) {
        frame_timer_->start();
    }
}

}  // namespace kestrava::vmixer
