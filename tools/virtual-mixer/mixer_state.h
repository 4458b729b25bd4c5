#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "osc_decode.h"

namespace kestrava::vmixer {

inline constexpr int kFaderCount = 17;  // channels 1 to 16, then the main fader
inline constexpr int kStatusCount = 4;

// The addresses this mixer answers to, in display order.
inline constexpr std::array<std::string_view, kFaderCount> kFaderAddresses = {
    "/ch/01/mix/fader",  "/ch/02/mix/fader", "/ch/03/mix/fader", "/ch/04/mix/fader",
    "/ch/05/mix/fader",  "/ch/06/mix/fader", "/ch/07/mix/fader", "/ch/08/mix/fader",
    "/ch/09/mix/fader",  "/ch/10/mix/fader", "/ch/11/mix/fader", "/ch/12/mix/fader",
    "/ch/13/mix/fader",  "/ch/14/mix/fader", "/ch/15/mix/fader", "/ch/16/mix/fader",
    "/main/st/mix/fader"};
inline constexpr std::array<std::string_view, kStatusCount> kStatusAddresses = {
    "/-action/initall", "/-stat/selidx", "/-stat/chfaderbank", "/-stat/grpfaderbank"};

struct Target {
    enum class Kind : std::uint8_t { fader, status };
    Kind kind = Kind::fader;
    int index = 0;  // into kFaderAddresses or kStatusAddresses

    friend bool operator==(const Target&, const Target&) = default;
};

// The fader or status value an address sets; nothing for any other address.
[[nodiscard]] std::optional<Target> find_target(std::string_view address) noexcept;

// What one datagram was, after decoding.
struct Reception {
    DecodeResult decoded;
    std::optional<Target> target;  // set for a well-formed message to a known address
};

// The mixer as the datagrams have set it, and the counts of what arrived.
// Every datagram is exactly one of: a message (well-formed, known address or not) or
// malformed. Unknown addresses are counted among the messages as well.
class MixerState {
  public:
    // Decodes one datagram and applies it. The result's address points into `data`.
    Reception receive(const std::uint8_t* data, std::size_t size);

    // The last value sent to each fader and status address; nothing until one arrives.
    [[nodiscard]] const std::array<std::optional<float>, kFaderCount>& faders() const {
        return faders_;
    }
    [[nodiscard]] const std::array<std::optional<float>, kStatusCount>& status() const {
        return status_;
    }
    [[nodiscard]] std::uint64_t messages() const { return messages_; }
    [[nodiscard]] std::uint64_t malformed() const { return malformed_; }
    [[nodiscard]] std::uint64_t unknown_addresses() const { return unknown_addresses_; }
    [[nodiscard]] std::uint64_t datagrams() const { return messages_ + malformed_; }

  private:
    std::array<std::optional<float>, kFaderCount> faders_{};
    std::array<std::optional<float>, kStatusCount> status_{};
    std::uint64_t messages_ = 0;
    std::uint64_t malformed_ = 0;
    std::uint64_t unknown_addresses_ = 0;
};

// Datagrams per second over about the last `window_ns`, from samples of a running
// total. Meant to be sampled at a steady pace, several times per window.
class RateMeter {
  public:
    static constexpr std::int64_t kDefaultWindowNs = 1'000'000'000;

    explicit RateMeter(std::int64_t window_ns = kDefaultWindowNs) : window_ns_(window_ns) {}

    void sample(std::int64_t now_ns, std::uint64_t total);
    // The rate between the newest sample and the newest one at least a window older
    // (the oldest kept, when none is that old); 0 with fewer than two samples.
    [[nodiscard]] double per_second() const;

  private:
    struct Sample {
        std::int64_t time_ns = 0;
        std::uint64_t total = 0;
    };
    static constexpr std::size_t kKept = 16;

    std::int64_t window_ns_;
    std::array<Sample, kKept> ring_{};
    std::size_t count_ = 0;
    std::size_t newest_ = 0;
};

}  // namespace kestrava::vmixer
