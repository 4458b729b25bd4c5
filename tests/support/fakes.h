#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/program.h"
#include "net/net_layer.h"
#include "settings/settings_files.h"
#include "ui/ipv4.h"
#include "ui/toolkit.h"

namespace kestrava::test {

enum class Op {
    LoadFont,
    BuildWindow,
    Enable,
    Disable,
    Progress,
    SetIp,
    Status,
    Box,
    OpenWeb,
    StartTimer,
    Pump,
    StartNetwork,
    OpenLink,
    CloseLink,
    Send,
    Pause,
    ShutdownNetwork,
};

struct TraceEntry {
    Op op;
    std::int64_t time_ms = 0;         // virtual time when it happened
    std::int64_t value = 0;           // control id, progress, pause, send result, ...
    std::string text;                 // box title|text, status text, host, address
    std::vector<std::uint8_t> bytes;  // datagram bytes
};

// One ordered record of everything the program did through its seams, with the
// virtual clock that the fake pauses advance.
struct Trace {
    std::vector<TraceEntry> entries;
    std::int64_t now_ms = 0;

    void add(Op op, std::int64_t value = 0, std::string text = {},
             std::vector<std::uint8_t> bytes = {});
    [[nodiscard]] std::vector<const TraceEntry*> of(Op op) const;
    [[nodiscard]] std::size_t count(Op op) const;
    // Readable lines ("disable 62", "pump", "pause 300", "send /ch/01/mix/fader 3F800000",
    // "box Kestrava|Kestrava V2.3 - Reset Ok") for the entries from `from` on.
    [[nodiscard]] std::vector<std::string> lines(std::size_t from = 0) const;
};

std::string describe(const TraceEntry& entry);
// The OSC address and the float bits of a 28- or 24-byte datagram.
std::string datagram_address(const std::vector<std::uint8_t>& bytes);
std::uint32_t datagram_bits(const std::vector<std::uint8_t>& bytes);

// Something the operator does: a click (only enabled controls produce one), a close
// request, a timer tick, typing into the IP field, or any other test step.
struct Action {
    enum class Kind { Click, Close, Tick, TypeIp, Custom } kind;
    ControlId control = ControlId::None;
    Ipv4Parts ip{};
    std::function<void()> custom;

    static Action click(ControlId id) { return {Kind::Click, id, {}, {}}; }
    static Action close() { return {Kind::Close, ControlId::None, {}, {}}; }
    static Action tick() { return {Kind::Tick, ControlId::None, {}, {}}; }
    static Action type_ip(Ipv4Parts parts) { return {Kind::TypeIp, ControlId::None, parts, {}}; }
    static Action run(std::function<void()> f) {
        return {Kind::Custom, ControlId::None, {}, std::move(f)};
    }
};

class FakeToolkit final : public Toolkit {
  public:
    explicit FakeToolkit(Trace& trace);

    void load_status_font() override;
    void build_main_window(const WindowTexts& texts) override;
    void set_enabled(ControlId id, bool enabled) override;
    void set_progress(std::int64_t value) override;
    std::string ip_text() override;
    void set_ip_address(std::uint32_t value) override;
    void show_status_text(std::string_view text) override;
    void message_box(std::string_view title, std::string_view text) override;
    void open_web_address(std::string_view address) override;
    void start_status_timer() override;

    // What the operator does next when the loop waits; when nothing is left the
    // window is closed so that the program ends.
    std::deque<Action> loop_inputs;
    // What happens during the pump with this index (1 = the first pump).
    std::multimap<std::int64_t, Action> at_pump;
    // What happens while the message box with this index (1 = the first) is open.
    std::multimap<int, Action> during_box;
    // Called at every pump with its index, before the scripted actions of that pump.
    std::function<void(std::int64_t)> each_pump;

    void perform(const Action& action);

    [[nodiscard]] bool enabled(ControlId id) const;
    std::int64_t pump_count = 0;
    std::int64_t progress = 0;
    Ipv4Parts ip{};
    std::string status_text;
    int boxes = 0;
    bool inputs_exhausted = false;

  protected:
    void wait_native() override;
    void process_pending_native() override;

  private:
    Trace& trace_;
    std::map<ControlId, bool> enabled_;
};

class FakeNet final : public NetLayer {
  public:
    explicit FakeNet(Trace& trace) : trace_(trace) {}

    bool start_network() override;
    std::optional<MixerLink> open_link(std::string_view host, std::uint16_t port) override;
    std::int64_t send_on(const MixerLink& link, const std::uint8_t* buffer,
                         std::int64_t length) override;
    void close_link(MixerLink& link) override;
    void shutdown_network() override;
    void pause_ms(std::int64_t ms) override;

    bool refuse_start = false;
    bool refuse_links = false;
    // When set, decides for the n-th send (0-based) whether the socket layer refuses it.
    std::function<bool(std::int64_t)> refuse_send;
    std::int64_t sends = 0;
    int open_sockets = 0;
    bool started = false;

  private:
    Trace& trace_;
    std::intptr_t next_socket_ = 100;
};

// Settings files in memory, with failures on demand.
class FakeFiles final : public SettingsFiles {
  public:
    std::optional<std::vector<std::uint8_t>> read_prefix(const std::filesystem::path& path,
                                                         std::size_t max_bytes) override;
    bool replace(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) override;

    std::map<std::filesystem::path, std::vector<std::uint8_t>> files;
    bool refuse_write = false;
    int writes = 0;
};

// A program wired to the fakes.
struct FakeSystem {
    Trace trace;
    FakeToolkit ui{trace};
    FakeNet net{trace};
    FakeFiles files;
    Program program{ui, net, files};

    // Runs start-up, the loop over `inputs`, and shutdown; returns the exit code.
    int run(std::deque<Action> inputs);
};

}  // namespace kestrava::test
