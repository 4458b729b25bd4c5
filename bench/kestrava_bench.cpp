// Real-time measurements of a complete exercise run against a loopback receiver:
// pacing against the pauses, ramp-iteration periods, reset gaps, heap allocations
// while the ramps send, and the program's CPU use while idle.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <new>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/program.h"
#include "support/fakes.h"
#include "support/headless_toolkit.h"
#include "support/udp_receiver.h"

namespace {

// Allocations made by this thread (the program's); the receiver's thread is not counted.
thread_local std::int64_t g_allocations = 0;

}  // namespace

void* operator new(std::size_t size) {
    ++g_allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace kestrava::bench {
namespace {

using test::Action;

constexpr const char* kAddress = "127.44.0.12";
constexpr double kPausesSeconds = 54.264;

// The system's socket layer, noting the time and the allocation count at each send.
class TimedNet final : public NetLayer {
  public:
    explicit TimedNet(std::size_t capacity) { sends.reserve(capacity); }
    struct Send {
        std::int64_t ns;
        std::int64_t allocations;
    };
    std::vector<Send> sends;

    bool start_network() override { return net_->start_network(); }
    std::optional<MixerLink> open_link(std::string_view host, std::uint16_t port) override {
        return net_->open_link(host, port);
    }
    std::int64_t send_on(const MixerLink& link, const std::uint8_t* buffer,
                         std::int64_t length) override {
        sends.push_back({test::steady_now_ns(), g_allocations});
        return net_->send_on(link, buffer, length);
    }
    void close_link(MixerLink& link) override { net_->close_link(link); }
    void shutdown_network() override { net_->shutdown_network(); }
    void pause_ms(std::int64_t ms) override { net_->pause_ms(ms); }

  private:
    std::unique_ptr<NetLayer> net_ = make_system_net();
};

double percentile(std::vector<double> v, double p) {
    if (v.empty()) {
        return 0;
    }
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(p * static_cast<double>(v.size() - 1))];
}

// Where the ramps' iterations start and end, in the run's datagram order, taken from
// the same run in virtual time.
struct Layout {
    std::vector<std::size_t> ramp_iteration_starts;          // index of each iteration's first
    std::vector<std::pair<std::size_t, std::size_t>> ramps;  // first and last index
    std::size_t reset_first = 0;
    std::size_t total = 0;
};

Layout run_layout() {
    test::FakeSystem sys;
    sys.ui.ip = {127, 44, 0, 12};
    sys.run({Action::click(ControlId::ConfirmIp), Action::click(ControlId::Start)});
    Layout layout;
    std::size_t index = 0;
    bool in_ramp = false;
    std::size_t in_iteration = 0;
    const auto& entries = sys.trace.entries;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].op == test::Op::Pause && entries[i].value == 999) {
            in_ramp = false;  // the up ramp and the down ramp are apart
        }
        if (entries[i].op != test::Op::Send) {
            continue;
        }
        std::int64_t next_pause = 0;
        for (std::size_t j = i + 1; j < entries.size(); ++j) {
            if (entries[j].op == test::Op::Pause) {
                next_pause = entries[j].value;
                break;
            }
        }
        if (next_pause == 9) {
            if (!in_ramp) {
                layout.ramps.push_back({index, index});
                in_ramp = true;
                in_iteration = 0;
            }
            if (in_iteration % 17 == 0) {
                layout.ramp_iteration_starts.push_back(index);
            }
            ++in_iteration;
            layout.ramps.back().second = index;
        } else {
            in_ramp = false;
        }
        ++index;
    }
    layout.total = index;
    layout.reset_first = index - 21;
    return layout;
}

double idle_cpu_percent() {
#if defined(KESTRAVA_PROGRAM)
    const auto dir = std::filesystem::temp_directory_path() / "kestrava-bench-idle";
    std::filesystem::create_directories(dir);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::chdir(dir.c_str()) != 0) {
            _exit(1);
        }
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::execl(KESTRAVA_PROGRAM, KESTRAVA_PROGRAM, static_cast<char*>(nullptr));
        _exit(1);
    }
    // CPU time of all the program's threads, in nanoseconds.
    auto cpu_ns = [child] {
        long long total = 0;
        const auto tasks = std::filesystem::path("/proc") / std::to_string(child) / "task";
        for (const auto& task : std::filesystem::directory_iterator(tasks)) {
            std::ifstream in(task.path() / "schedstat");
            long long on_cpu = 0;
            in >> on_cpu;
            total += on_cpu;
        }
        return total;
    };
    std::this_thread::sleep_for(std::chrono::seconds(3));
    const long long before = cpu_ns();
    const int seconds = 30;
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const long long after = cpu_ns();
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    return 100.0 * static_cast<double>(after - before) / (1e9 * seconds);
#else
    return -1;
#endif
}

int run() {
    const Layout layout = run_layout();
    test::UdpCollector mixer(kAddress, kMixerPort);
    if (!mixer.ok()) {
        std::fprintf(stderr, "cannot listen on %s:%u\n", kAddress, kMixerPort);
        return 1;
    }
    test::HeadlessToolkit toolkit;
    toolkit.ip = kAddress;
    std::deque<Event> script{control_event(ControlId::ConfirmIp), control_event(ControlId::Start)};
    toolkit.next_event = [&script]() -> std::optional<Event> {
        if (script.empty()) {
            return std::nullopt;
        }
        const Event next = script.front();
        script.pop_front();
        return next;
    };
    TimedNet net(64 * 1024);
    auto files = make_system_files();
    const auto dir = std::filesystem::temp_directory_path() / "kestrava-bench";
    std::filesystem::create_directories(dir);
    Program program(toolkit, net, *files, {"", "", dir / "config.cfg"});
    std::printf("Running a complete exercise in real time (about 56 s)...\n");
    run_program(program);
    const auto received = mixer.finish();

    // The layout counts the four datagrams of Confirm IP too; the run's follow them.
    if (net.sends.size() != layout.total) {
        std::fprintf(stderr, "unexpected number of sends: %zu\n", net.sends.size());
        return 1;
    }
    const auto& s = net.sends;
    auto at = [&](std::size_t index) { return s[index]; };

    const double span = static_cast<double>(at(layout.total - 1).ns - at(4).ns) / 1e9;
    std::vector<double> periods;
    std::vector<double> bursts;  // the first to the 17th send of one iteration
    for (const std::size_t start : layout.ramp_iteration_starts) {
        bursts.push_back(static_cast<double>(at(start + 16).ns - at(start).ns) / 1e3);
    }
    for (std::size_t i = 1; i < layout.ramp_iteration_starts.size(); ++i) {
        const std::size_t a = layout.ramp_iteration_starts[i - 1];
        const std::size_t b = layout.ramp_iteration_starts[i];
        if (b - a == 17) {  // consecutive iterations of one ramp
            periods.push_back(static_cast<double>(at(b).ns - at(a).ns) / 1e6);
        }
    }
    std::vector<double> reset_errors;
    for (std::size_t i = layout.reset_first + 1; i < layout.total; ++i) {
        reset_errors.push_back(
            std::abs(static_cast<double>(at(i).ns - at(i - 1).ns) / 1e6 - 300.0));
    }
    std::int64_t ramp_allocations = 0;
    for (const auto& [first, last] : layout.ramps) {
        ramp_allocations += at(last).allocations - at(first).allocations;
    }

    std::printf("datagrams sent / received          : %zu / %zu\n", s.size(), received.size());
    std::printf("first to last datagram / 54.264 s  : %.5f (target <= 1.003; span %.3f s)\n",
                span / kPausesSeconds, span);
    std::printf("ramp-iteration period median / p99 : %.3f ms / %.3f ms (target median <= 9.05)\n",
                percentile(periods, 0.5), percentile(periods, 0.99));
    std::printf("  of which 17 sends, median         : %.1f us\n", percentile(bursts, 0.5));
    std::printf("reset gap error median             : %.4f ms (target < 0.1)\n",
                percentile(reset_errors, 0.5));
    std::printf("heap allocations during the ramps  : %lld (target 0)\n",
                static_cast<long long>(ramp_allocations));
    const double idle = idle_cpu_percent();
    if (idle >= 0) {
        std::printf("program CPU while idle (30 s)      : %.4f %% of a core (target < 0.1)\n",
                    idle);
    }
    return 0;
}

}  // namespace
}  // namespace kestrava::bench

int main() {
    return kestrava::bench::run();
}
