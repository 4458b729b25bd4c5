#include <gtest/gtest.h>

#include <bit>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "endpoint.h"
#include "mixer_state.h"
#include "mixer_view.h"
#include "osc/encode.h"
#include "session_log.h"

namespace kestrava::vmixer {
namespace {

using namespace std::string_literals;
using Bytes = std::vector<std::uint8_t>;

Bytes message(std::string_view address, float value) {
    Bytes buffer(64, 0);
    const auto length = encode_float_message(buffer.data(), buffer.size(), address, ",f", value);
    buffer.resize(static_cast<std::size_t>(length));
    return buffer;
}

Reception receive(MixerState& state, const Bytes& datagram) {
    return state.receive(datagram.data(), datagram.size());
}

TEST(MixerState, EachAddressSetsOnlyItsOwnValue) {
    MixerState state;
    for (int i = 0; i < kFaderCount; ++i) {
        const auto reception = receive(state, message(kFaderAddresses[static_cast<std::size_t>(i)],
                                                      static_cast<float>(i) / 32.0f));
        EXPECT_EQ(reception.target, (Target{Target::Kind::fader, i}));
    }
    for (int i = 0; i < kStatusCount; ++i) {
        receive(state,
                message(kStatusAddresses[static_cast<std::size_t>(i)], static_cast<float>(i + 1)));
    }
    for (int i = 0; i < kFaderCount; ++i) {
        EXPECT_EQ(state.faders()[static_cast<std::size_t>(i)], static_cast<float>(i) / 32.0f)
            << kFaderAddresses[static_cast<std::size_t>(i)];
    }
    for (int i = 0; i < kStatusCount; ++i) {
        EXPECT_EQ(state.status()[static_cast<std::size_t>(i)], static_cast<float>(i + 1))
            << kStatusAddresses[static_cast<std::size_t>(i)];
    }
    EXPECT_EQ(state.messages(), 21u);
    EXPECT_EQ(state.malformed(), 0u);
    EXPECT_EQ(state.unknown_addresses(), 0u);
}

TEST(MixerState, LastValueWinsAndValuesAreKeptBitForBit) {
    MixerState state;
    receive(state, message("/ch/05/mix/fader", 0.75f));
    receive(state, message("/ch/05/mix/fader", -0.0f));
    ASSERT_TRUE(state.faders()[4].has_value());
    EXPECT_EQ(std::bit_cast<std::uint32_t>(*state.faders()[4]), 0x80000000u);

    receive(state, message("/main/st/mix/fader", 1.002f));
    receive(state, message("/-stat/selidx", -0.001f));
    EXPECT_EQ(state.faders()[16], 1.002f);
    EXPECT_EQ(state.status()[1], -0.001f);
    EXPECT_FALSE(state.faders()[0].has_value());
    EXPECT_FALSE(state.status()[0].has_value());
}

TEST(MixerState, UnknownAndMalformedAreCountedAndChangeNoValue) {
    MixerState state;
    receive(state, message("/ch/01/mix/fader", 0.5f));
    const struct {
        const char* name;
        Bytes datagram;
        std::uint64_t messages, malformed, unknown;
    } steps[] = {
        {"unknown address", message("/ch/17/mix/fader", 0.9f), 2, 0, 1},
        {"prefix of a known address", message("/ch/01/mix", 0.9f), 3, 0, 2},
        {"known address, int argument",
         Bytes{'/', 'c', 'h', '/', '0', '1', '/', 'm', 'i', 'x', '/', 'f', 'a', 'd',
               'e', 'r', 0,   0,   0,   0,   ',', 'i', 0,   0,   0,   0,   0,   1},
         3, 1, 2},
        {"empty datagram", Bytes{}, 3, 2, 2},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        const auto reception = receive(state, step.datagram);
        EXPECT_FALSE(reception.target.has_value());
        EXPECT_EQ(state.messages(), step.messages);
        EXPECT_EQ(state.malformed(), step.malformed);
        EXPECT_EQ(state.unknown_addresses(), step.unknown);
        EXPECT_EQ(state.datagrams(), step.messages + step.malformed);
        EXPECT_EQ(state.faders()[0], 0.5f);
    }
}

constexpr std::int64_t kMs = 1'000'000;

TEST(RateMeter, MeasuresOverTheLastWindow) {
    RateMeter meter;
    EXPECT_EQ(meter.per_second(), 0.0);
    meter.sample(0, 0);
    EXPECT_EQ(meter.per_second(), 0.0) << "one sample gives no rate";

    // 1000 datagrams a second for two seconds, sampled every 250 ms.
    std::uint64_t total = 0;
    std::int64_t now = 0;
    for (int i = 0; i < 8; ++i) {
        now += 250 * kMs;
        total += 250;
        meter.sample(now, total);
    }
    EXPECT_DOUBLE_EQ(meter.per_second(), 1000.0);

    // Then 4000 a second: after one window the old pace no longer counts.
    for (int i = 0; i < 4; ++i) {
        now += 250 * kMs;
        total += 1000;
        meter.sample(now, total);
    }
    EXPECT_DOUBLE_EQ(meter.per_second(), 4000.0);

    // Silence: back to 0 once a whole window has passed without a datagram.
    for (int i = 0; i < 4; ++i) {
        now += 250 * kMs;
        meter.sample(now, total);
    }
    EXPECT_EQ(meter.per_second(), 0.0);
}

TEST(RateMeter, UsesWhatItHasBeforeAWindowHasPassedOrAfterAStall) {
    RateMeter meter;
    meter.sample(0, 0);
    meter.sample(250 * kMs, 50);
    EXPECT_DOUBLE_EQ(meter.per_second(), 200.0);
    // A five-second gap between samples averages over the gap.
    meter.sample(5250 * kMs, 1050);
    EXPECT_DOUBLE_EQ(meter.per_second(), 200.0);
}

TEST(FaderView, PositionsAndValueTexts) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        const char* name;
        std::optional<float> value;
        int position;
        std::string text;
    } rows[] = {
        {"nothing received", std::nullopt, 0, "\u2013"},
        {"bottom", 0.0f, 0, "0.0000"},
        {"top", 1.0f, kFaderSteps, "1.0000"},
        {"middle", 0.5f, 500, "0.5000"},
        {"rounds to the nearest step", 0.0004996f, 0, "0.0005"},
        {"below the bottom", -0.001f, 0, "-0.0010"},
        {"negative zero", -0.0f, 0, "-0.0000"},
        {"above the top", 1.0002f, kFaderSteps, "1.0002"},
        {"NaN", nan, 0, "nan"},
        {"infinity", inf, kFaderSteps, "inf"},
        {"minus infinity", -inf, 0, "-inf"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(fader_position(row.value), row.position);
        EXPECT_EQ(format_value(row.value), row.text);
    }
}

TEST(FaderView, NamesAndViewOfAState) {
    EXPECT_EQ(fader_name(0), "1");
    EXPECT_EQ(fader_name(15), "16");
    EXPECT_EQ(fader_name(16), "Main");

    MixerState state;
    receive(state, message("/ch/16/mix/fader", 0.25f));
    receive(state, message("/-stat/chfaderbank", 2.0f));
    receive(state, message("/nowhere", 1.0f));
    receive(state, Bytes{1, 2, 3});
    const MixerView view = make_view(state, 1234.4);
    EXPECT_EQ(view.faders[15].position, 250);
    EXPECT_EQ(view.faders[15].value, "0.2500");
    EXPECT_EQ(view.faders[16].value, "\u2013");
    EXPECT_EQ(view.status[2], "2.0000");
    EXPECT_EQ(view.status[3], "\u2013");
    EXPECT_EQ(view.messages, "3");
    EXPECT_EQ(view.malformed, "1");
    EXPECT_EQ(view.unknown_addresses, "1");
    EXPECT_EQ(view.rate, "1234 msg/s");
}

TEST(Endpoint, ParsesAddressAndPort) {
    const struct {
        const char* text;
        std::optional<Endpoint> expected;
    } rows[] = {
        {"127.0.0.1:10023", Endpoint{{127, 0, 0, 1}, 10023}},
        {"0.0.0.0:0", Endpoint{{0, 0, 0, 0}, 0}},
        {"255.255.255.255:65535", Endpoint{{255, 255, 255, 255}, 65535}},
        {"127.77.1.2:9", Endpoint{{127, 77, 1, 2}, 9}},
        {"127.0.0.1", std::nullopt},
        {"127.0.0.1:", std::nullopt},
        {":10023", std::nullopt},
        {"127.0.0.1:65536", std::nullopt},
        {"127.0.0.1:-1", std::nullopt},
        {"127.0.0.1:+5", std::nullopt},
        {"127.0.0.1:10023x", std::nullopt},
        {"127.0.0:10023", std::nullopt},
        {"127.0.0.1.5:10023", std::nullopt},
        {"256.0.0.1:10023", std::nullopt},
        {"127.0..1:10023", std::nullopt},
        {"127.0.0.01:10023", std::nullopt},
        {"127.0.0.1 :10023", std::nullopt},
        {"localhost:10023", std::nullopt},
        {"[::1]:10023", std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(parse_endpoint(row.text), row.expected);
    }
    EXPECT_EQ(Endpoint{}.text(), "127.0.0.1:10023");
}

std::chrono::system_clock::time_point utc(int y, unsigned mo, unsigned d, int h, int mi, int s,
                                          int us) {
    using namespace std::chrono;
    return sys_days{year{y} / month{mo} / day{d}} + hours{h} + minutes{mi} + seconds{s} +
           microseconds{us};
}

TEST(SessionLog, LineFormats) {
    const auto time = utc(2028, 2, 29, 23, 5, 9, 4017);
    const std::string stamp = "2028-02-29T23:05:09.004017Z ";
    Bytes long_garbage(100, 0xAB);
    long_garbage[0] = '#';
    std::string long_garbage_hex = "23";
    for (std::size_t i = 1; i < kLoggedMalformedBytes; ++i) {
        long_garbage_hex += "ab";
    }

    const struct {
        const char* name;
        Bytes datagram;
        std::string line;
    } rows[] = {
        {"known address", message("/ch/01/mix/fader", 1.0f), "/ch/01/mix/fader 3f800000 1"},
        {"unknown address", message("/x", -0.001f), "/x ba83126f -0.001 unknown_address"},
        {"malformed", Bytes{'/', 'x', 0, 0, ',', 'i', 0, 0, 0, 0, 0, 7},
         "malformed tag_not_float 12 2f7800002c69000000000007"},
        {"malformed, longer than shown", long_garbage,
         "malformed not_a_message 100 " + long_garbage_hex + "..."},
        {"empty", Bytes{}, "malformed empty 0"},
    };
    MixerState state;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Reception reception = receive(state, row.datagram);
        EXPECT_EQ(format_log_line(time, reception, row.datagram.data(), row.datagram.size()),
                  stamp + row.line + "\n");
    }
}

TEST(SessionLog, UtcTimes) {
    EXPECT_EQ(format_utc_time(std::chrono::system_clock::time_point{}),
              "1970-01-01T00:00:00.000000Z");
    EXPECT_EQ(format_utc_time(utc(1999, 12, 31, 23, 59, 59, 999999)),
              "1999-12-31T23:59:59.999999Z");
}

TEST(SessionLog, WritesTheFileAndReportsOneItCannotOpen) {
    const auto dir = std::filesystem::path(testing::TempDir()) / "vmixer-session-log";
    std::filesystem::create_directories(dir);
    const auto path = dir / "session.log";
    {
        SessionLog log(path.string());
        ASSERT_TRUE(log.ok());
        MixerState state;
        const auto time = utc(2030, 1, 2, 3, 4, 5, 6);
        for (const auto& datagram : {message("/ch/02/mix/fader", 0.5f), Bytes{0}}) {
            log.write(time, receive(state, datagram), datagram.data(), datagram.size());
        }
    }
    std::ifstream in(path);
    std::stringstream content;
    content << in.rdbuf();
    EXPECT_EQ(content.str(),
              "2030-01-02T03:04:05.000006Z /ch/02/mix/fader 3f000000 0.5\n"
              "2030-01-02T03:04:05.000006Z malformed not_a_message 1 00\n");

    EXPECT_FALSE(SessionLog((dir / "missing" / "session.log").string()).ok());
    EXPECT_FALSE(SessionLog(dir.string()).ok()) << "a directory is not a log file";
}

}  // namespace
}  // namespace kestrava::vmixer
