#include "mixer_state.h"

namespace kestrava::vmixer {

std::optional<Target> find_target(std::string_view address) noexcept {
    for (int i = 0; i < kFaderCount; ++i) {
        if (address == kFaderAddresses[static_cast<std::size_t>(i)]) {
            return Target{Target::Kind::fader, i};
        }
    }
    for (int i = 0; i < kStatusCount; ++i) {
        if (address == kStatusAddresses[static_cast<std::size_t>(i)]) {
            return Target{Target::Kind::status, i};
        }
    }
    return std::nullopt;
}

Reception MixerState::receive(const std::uint8_t* data, std::size_t size) {
    Reception reception{decode_float_message(data, size), std::nullopt};
    if (!reception.decoded.ok()) {
        ++malformed_;
        return reception;
    }
    ++messages_;
    reception.target = find_target(reception.decoded.message.address);
    if (!reception.target) {
        ++unknown_addresses_;
        return reception;
    }
    const auto index = static_cast<std::size_t>(reception.target->index);
    const float value = reception.decoded.message.value();
    if (reception.target->kind == Target::Kind::fader) {
        faders_[index] = value;
    } else {
        status_[index] = value;
    }
    return reception;
}

void RateMeter::sample(std::int64_t now_ns, std::uint64_t total) {
    newest_ = count_ == 0 ? 0 : (newest_ + 1) % kKept;
    ring_[newest_] = Sample{now_ns, total};
    if (count_ < kKept) {
        ++count_;
    }
}

double RateMeter::per_second() const {
    if (count_ < 2) {
        return 0.0;
    }
    const Sample& newest = ring_[newest_];
    // Walk back from the newest; stop at the first sample a whole window old.
    Sample reference = newest;
    for (std::size_t back = 1; back < count_; ++back) {
        reference = ring_[(newest_ + kKept - back) % kKept];
        if (newest.time_ns - reference.time_ns >= window_ns_) {
            break;
        }
    }
    const std::int64_t span = newest.time_ns - reference.time_ns;
    if (span <= 0 || newest.total < reference.total) {
        return 0.0;
    }
    return static_cast<double>(newest.total - reference.total) * 1e9 / static_cast<double>(span);
}

}  // namespace kestrava::vmixer
