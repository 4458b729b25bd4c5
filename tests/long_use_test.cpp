// Long use: fifty runs and resets in a row, in virtual time, keep memory flat.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "app/program.h"
#include "support/headless_toolkit.h"

namespace {

// Bytes that operator new handed out and delete has not taken back yet.
std::atomic<std::int64_t> g_live_bytes{0};
constexpr std::size_t kHeader = 16;  // keeps the fundamental alignment

}  // namespace

void* operator new(std::size_t size) {
    auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    *reinterpret_cast<std::size_t*>(block) = size;
    g_live_bytes += static_cast<std::int64_t>(size);
    return block + kHeader;
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return operator new(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void operator delete(void* p) noexcept {
    if (p != nullptr) {
        auto* block = static_cast<unsigned char*>(p) - kHeader;
        g_live_bytes -= static_cast<std::int64_t>(*reinterpret_cast<std::size_t*>(block));
        std::free(block);
    }
}
void operator delete[](void* p) noexcept {
    operator delete(p);
}
void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    operator delete(p);
}

namespace kestrava {
namespace {

class NullNet final : public NetLayer {
  public:
    std::int64_t sends = 0;
    bool start_network() override { return true; }
    std::optional<MixerLink> open_link(std::string_view, std::uint16_t port) override {
        return MixerLink{1, 0x0500000A, port};
    }
    std::int64_t send_on(const MixerLink&, const std::uint8_t*, std::int64_t length) override {
        ++sends;
        return length;
    }
    void close_link(MixerLink&) override {}
    void shutdown_network() override {}
    void pause_ms(std::int64_t) override {}
};

class NullFiles final : public SettingsFiles {
  public:
    std::optional<std::vector<std::uint8_t>> read_prefix(const std::filesystem::path&,
                                                         std::size_t) override {
        return std::nullopt;
    }
    bool replace(const std::filesystem::path&, std::span<const std::uint8_t>) override {
        return true;
    }
};

TEST(LongUse, FiftyRunsAndResetsKeepMemoryFlat) {
    // Confirm IP, START, Confirm IP and Reset All, again and again.
    static constexpr ControlId kCycle[] = {ControlId::ConfirmIp, ControlId::Start,
                                           ControlId::ConfirmIp, ControlId::ResetAll};
    test::HeadlessToolkit toolkit;
    toolkit.ip = "10.0.0.5";
    NullNet net;
    NullFiles files;
    Program program(toolkit, net, files);
    int clicks = 0;
    std::int64_t at_10 = -1;
    std::int64_t at_50 = -1;
    toolkit.next_event = [&]() -> std::optional<Event> {
        if (clicks == 10 * 4) {
            at_10 = g_live_bytes;
        }
        if (clicks == 50 * 4) {
            at_50 = g_live_bytes;
            return std::nullopt;
        }
        return control_event(kCycle[clicks++ % 4]);
    };
    EXPECT_EQ(run_program(program), 0);
    EXPECT_EQ(net.sends, 50 * (4 + 37999 + 4 + 21));
    ASSERT_GE(at_10, 0);
    EXPECT_EQ(at_50, at_10);
    std::printf("live heap bytes after run 10: %lld, after run 50: %lld\n",
                static_cast<long long>(at_10), static_cast<long long>(at_50));
}

}  // namespace
}  // namespace kestrava
