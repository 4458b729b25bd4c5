#include "support/fakes.h"

#include <cstdio>

namespace kestrava::test {

void Trace::add(Op op, std::int64_t value, std::string text, std::vector<std::uint8_t> bytes) {
    entries.push_back({op, now_ms, value, std::move(text), std::move(bytes)});
}

std::vector<const TraceEntry*> Trace::of(Op op) const {
    std::vector<const TraceEntry*> found;
    for (const auto& e : entries) {
        if (e.op == op) {
            found.push_back(&e);
        }
    }
    return found;
}

std::size_t Trace::count(Op op) const {
    std::size_t n = 0;
    for (const auto& e : entries) {
        n += e.op == op ? 1 : 0;
    }
    return n;
}

std::vector<std::string> Trace::lines(std::size_t from) const {
    std::vector<std::string> out;
    for (std::size_t i = from; i < entries.size(); ++i) {
        out.push_back(describe(entries[i]));
    }
    return out;
}

std::string datagram_address(const std::vector<std::uint8_t>& bytes) {
    std::string address;
    for (const auto b : bytes) {
        if (b == 0) {
            break;
        }
        address += static_cast<char>(b);
    }
    return address;
}

std::uint32_t datagram_bits(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() < 4) {
        return 0;
    }
    const std::size_t n = bytes.size();
    return static_cast<std::uint32_t>(bytes[n - 4]) << 24 |
           static_cast<std::uint32_t>(bytes[n - 3]) << 16 |
           static_cast<std::uint32_t>(bytes[n - 2]) << 8 | static_cast<std::uint32_t>(bytes[n - 1]);
}

std::string describe(const TraceEntry& e) {
    auto with = [&](const char* name) { return std::string(name) + " " + std::to_string(e.value); };
    switch (e.op) {
        case Op::LoadFont:
            return "font";
        case Op::BuildWindow:
            return "window";
        case Op::Enable:
            return with("enable");
        case Op::Disable:
            return with("disable");
        case Op::Progress:
            return with("progress");
        case Op::SetIp:
            return "ip " + e.text;
        case Op::Status:
            return "status " + e.text;
        case Op::Box:
            return "box " + e.text;
        case Op::OpenWeb:
            return "web " + e.text;
        case Op::StartTimer:
            return "timer";
        case Op::Pump:
            return "pump";
        case Op::StartNetwork:
            return with("start-network");
        case Op::OpenLink:
            return "open " + e.text + " " + std::to_string(e.value);
        case Op::CloseLink:
            return with("close");
        case Op::Send: {
            char bits[16];
            std::snprintf(bits, sizeof bits, "%08X", static_cast<unsigned>(datagram_bits(e.bytes)));
            if (e.bytes.empty()) {
                return "send empty";
            }
            return "send " + datagram_address(e.bytes) + " " + bits;
        }
        case Op::Pause:
            return with("pause");
        case Op::ShutdownNetwork:
            return "shutdown";
    }
    return "?";
}

FakeToolkit::FakeToolkit(Trace& trace) : trace_(trace) {}

void FakeToolkit::load_status_font() {
    trace_.add(Op::LoadFont);
}

void FakeToolkit::build_main_window(const WindowTexts& texts) {
    trace_.add(Op::BuildWindow);
    status_text = texts.credits_line;
    for (ControlId id :
         {ControlId::IpField, ControlId::ConfirmIp, ControlId::ProgressBar, ControlId::Start,
          ControlId::ResetAll, ControlId::Stop, ControlId::Updates}) {
        enabled_[id] = true;
    }
}

void FakeToolkit::set_enabled(ControlId id, bool enabled) {
    trace_.add(enabled ? Op::Enable : Op::Disable, static_cast<int>(id));
    enabled_[id] = enabled;
}

void FakeToolkit::set_progress(std::int64_t value) {
    trace_.add(Op::Progress, value);
    progress = value;
}

std::string FakeToolkit::ip_text() {
    return ipv4_field_text(ip);
}

void FakeToolkit::set_ip_address(std::uint32_t value) {
    const auto parts = ipv4_field_parts(value);
    for (std::size_t i = 0; i < 4; ++i) {
        ip[i] = parts[i];
    }
    trace_.add(Op::SetIp, value, ipv4_field_text(ip));
}

void FakeToolkit::show_status_text(std::string_view text) {
    status_text = text;
    trace_.add(Op::Status, 0, std::string(text));
}

void FakeToolkit::message_box(std::string_view title, std::string_view text) {
    ++boxes;
    trace_.add(Op::Box, boxes, std::string(title) + "|" + std::string(text));
    const auto [first, last] = during_box.equal_range(boxes);
    for (auto it = first; it != last; ++it) {
        perform(it->second);
    }
}

void FakeToolkit::open_web_address(std::string_view address) {
    trace_.add(Op::OpenWeb, 0, std::string(address));
}

void FakeToolkit::start_status_timer() {
    trace_.add(Op::StartTimer);
}

bool FakeToolkit::enabled(ControlId id) const {
    const auto it = enabled_.find(id);
    return it != enabled_.end() && it->second;
}

void FakeToolkit::perform(const Action& action) {
    switch (action.kind) {
        case Action::Kind::Click:
            if (enabled(action.control)) {
                queue().click(action.control);
            }
            break;
        case Action::Kind::Close:
            queue().post(close_event());
            break;
        case Action::Kind::Tick:
            queue().post(tick_event());
            break;
        case Action::Kind::TypeIp:
            if (enabled(ControlId::IpField)) {
                ip = action.ip;
                queue().post(control_event(ControlId::IpField));
            }
            break;
        case Action::Kind::Custom:
            action.custom();
            break;
    }
}

void FakeToolkit::wait_native() {
    if (loop_inputs.empty()) {
        inputs_exhausted = true;
        queue().post(close_event());
        return;
    }
    const Action next = std::move(loop_inputs.front());
    loop_inputs.pop_front();
    perform(next);
}

void FakeToolkit::process_pending_native() {
    ++pump_count;
    trace_.add(Op::Pump, pump_count);
    if (each_pump) {
        each_pump(pump_count);
    }
    const auto [first, last] = at_pump.equal_range(pump_count);
    for (auto it = first; it != last; ++it) {
        perform(it->second);
    }
}

bool FakeNet::start_network() {
    trace_.add(Op::StartNetwork, refuse_start ? 0 : 1);
    if (started) {
        return true;
    }
    started = !refuse_start;
    return started;
}

namespace {

std::optional<std::uint32_t> parse_dotted(std::string_view host) {
    std::uint32_t address = 0;  // network byte order: first number in the lowest byte
    int part = 0;
    std::size_t i = 0;
    while (part < 4) {
        if (i >= host.size() || host[i] < '0' || host[i] > '9') {
            return std::nullopt;
        }
        unsigned value = 0;
        while (i < host.size() && host[i] >= '0' && host[i] <= '9') {
            value = value * 10 + static_cast<unsigned>(host[i] - '0');
            if (value > 255) {
                return std::nullopt;
            }
            ++i;
        }
        address |= value << (8 * part);
        ++part;
        if (part < 4) {
            if (i >= host.size() || host[i] != '.') {
                return std::nullopt;
            }
            ++i;
        }
    }
    if (i != host.size()) {
        return std::nullopt;
    }
    return address;
}

}  // namespace

std::optional<MixerLink> FakeNet::open_link(std::string_view host, std::uint16_t port) {
    trace_.add(Op::OpenLink, port, std::string(host));
    std::optional<std::uint32_t> address = parse_dotted(host);
    if (!address && host == "localhost") {
        address = 0x0100007Fu;
    }
    if (refuse_links || !address || *address == 0xFFFFFFFFu) {
        return std::nullopt;
    }
    ++open_sockets;
    return MixerLink{next_socket_++, *address, port};
}

std::int64_t FakeNet::send_on(const MixerLink&, const std::uint8_t* buffer, std::int64_t length) {
    const bool refused = refuse_send && refuse_send(sends);
    ++sends;
    std::vector<std::uint8_t> bytes;
    if (length > 0) {
        bytes.assign(buffer, buffer + length);
    }
    const std::int64_t result = refused ? -1 : length;
    trace_.add(Op::Send, result, {}, std::move(bytes));
    return result;
}

void FakeNet::close_link(MixerLink& link) {
    trace_.add(Op::CloseLink, link.socket);
    --open_sockets;
}

void FakeNet::shutdown_network() {
    trace_.add(Op::ShutdownNetwork);
}

void FakeNet::pause_ms(std::int64_t ms) {
    trace_.add(Op::Pause, ms);
    trace_.now_ms += ms;
}

std::optional<std::vector<std::uint8_t>> FakeFiles::read_prefix(const std::filesystem::path& path,
                                                                std::size_t max_bytes) {
    const auto it = files.find(path);
    if (it == files.end()) {
        return std::nullopt;
    }
    auto bytes = it->second;
    if (bytes.size() > max_bytes) {
        bytes.resize(max_bytes);
    }
    return bytes;
}

bool FakeFiles::replace(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    if (refuse_write) {
        return false;
    }
    ++writes;
    files[path].assign(bytes.begin(), bytes.end());
    return true;
}

int FakeSystem::run(std::deque<Action> inputs) {
    ui.loop_inputs = std::move(inputs);
    return run_program(program);
}

}  // namespace kestrava::test
