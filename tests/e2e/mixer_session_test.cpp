// Kestrava's Qt program and the virtual-mixer program, each as it ships, talking over
// loopback: the program is driven in this process through its window, the mixer runs
// as its own process and reports every datagram in its session log.
#include <gtest/gtest.h>

#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/program.h"
#include "osc_decode.h"
#include "qt/qt_main.h"
#include "qt/qt_script.h"
#include "support/fakes.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_toolkit.h"

namespace kestrava::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr const char* kMixerHost = "127.78.23.1";
const Ipv4Parts kMixerAddress{127, 78, 23, 1};

// One line of the mixer's session log.
struct LoggedDatagram {
    std::int64_t received_us = 0;  // microseconds since the epoch, UTC
    bool malformed = false;
    bool unknown_address = false;
    std::string address;
    std::uint32_t bits = 0;
    std::string line;
};

std::optional<LoggedDatagram> parse_log_line(const std::string& line) {
    int year = 0;
    unsigned month = 0, day = 0;
    int hour = 0, minute = 0, second = 0;
    long micro = 0;
    int consumed = 0;
    if (std::sscanf(line.c_str(), "%4d-%2u-%2uT%2d:%2d:%2d.%6ldZ %n", &year, &month, &day, &hour,
                    &minute, &second, &micro, &consumed) != 7 ||
        consumed == 0) {
        return std::nullopt;
    }
    using namespace std::chrono;
    const auto date =
        sys_days{std::chrono::year{year} / std::chrono::month{month} / std::chrono::day{day}};
    LoggedDatagram logged;
    logged.line = line;
    logged.received_us = duration_cast<microseconds>(date.time_since_epoch()).count() +
                         ((hour * 60LL + minute) * 60LL + second) * 1'000'000LL + micro;

    std::istringstream fields(line.substr(static_cast<std::size_t>(consumed)));
    std::string first, bits_hex, value, flag;
    fields >> first;
    if (first == "malformed") {
        logged.malformed = true;
        return logged;
    }
    fields >> bits_hex >> value;
    if (bits_hex.size() != 8) {
        return std::nullopt;
    }
    logged.address = first;
    logged.bits = static_cast<std::uint32_t>(std::stoul(bits_hex, nullptr, 16));
    if (fields >> flag) {
        logged.unknown_address = flag == "unknown_address";
    }
    return logged;
}

std::vector<std::string> read_lines(const fs::path& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// The virtual-mixer executable, listening on one loopback address and logging to a file.
class MixerProcess {
  public:
    MixerProcess(const std::string& listen, const fs::path& log) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process_.setProcessEnvironment(environment);
        process_.start(QStringLiteral(KESTRAVA_VIRTUAL_MIXER_PATH),
                       {QStringLiteral("--listen"), QString::fromStdString(listen),
                        QStringLiteral("--log"), QString::fromStdString(log.string())});
        // It announces the bound socket on its first line of output.
        while (process_.waitForReadyRead(10'000)) {
            output_ += process_.readAllStandardOutput().toStdString();
            if (output_.find('\n') != std::string::npos) {
                break;
            }
        }
    }
    ~MixerProcess() {
        process_.terminate();
        if (!process_.waitForFinished(5'000)) {
            process_.kill();
            process_.waitForFinished(5'000);
        }
    }
    MixerProcess(const MixerProcess&) = delete;
    MixerProcess& operator=(const MixerProcess&) = delete;

    [[nodiscard]] const std::string& first_output() const { return output_; }
    [[nodiscard]] std::string errors() { return process_.readAllStandardError().toStdString(); }
    [[nodiscard]] bool running() const { return process_.state() == QProcess::Running; }

  private:
    QProcess process_;
    std::string output_;
};

// Waits until the log holds `expected` lines, or until it has not grown for `quiet`.
std::vector<std::string> wait_for_log(const fs::path& log, std::size_t expected,
                                      std::chrono::milliseconds quiet) {
    auto lines = read_lines(log);
    auto last_growth = std::chrono::steady_clock::now();
    while (lines.size() < expected && std::chrono::steady_clock::now() - last_growth < quiet) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        auto now = read_lines(log);
        if (now.size() > lines.size()) {
            last_growth = std::chrono::steady_clock::now();
        }
        lines = std::move(now);
    }
    return lines;
}

// The settings file: the address's four numbers as signed 64-bit little-endian integers.
Bytes settings_file(const Ipv4Parts& address) {
    Bytes bytes;
    for (const auto& part : address) {
        const auto number = static_cast<std::uint64_t>(part.value_or(0));
        for (int i = 0; i < 8; ++i) {
            bytes.push_back(static_cast<std::uint8_t>(number >> (8 * i)));
        }
    }
    return bytes;
}

TEST(VirtualMixerSession, ConfirmRunConfirmAndResetArriveWholeAndLeaveEveryFaderAtZero) {
    const fs::path dir = fs::temp_directory_path() / "kestrava-e2e-session";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path log = dir / "mixer.log";
    {
        const Bytes stored = settings_file(kMixerAddress);
        std::ofstream(dir / "config.cfg", std::ios::binary)
            .write(reinterpret_cast<const char*>(stored.data()),
                   static_cast<std::streamsize>(stored.size()));
    }

    MixerProcess mixer(std::string(kMixerHost) + ":10023", log);
    ASSERT_EQ(mixer.first_output(),
              std::string("virtual-mixer: listening on UDP ") + kMixerHost + ":10023\n")
        << mixer.errors();

    // The operator's session: Confirm IP, START (which ends with the reset), Confirm IP,
    // Reset All, close.
    const std::deque<ControlId> clicks = {ControlId::ConfirmIp, ControlId::Start,
                                          ControlId::ConfirmIp, ControlId::ResetAll};
    QtToolkit toolkit;
    const auto net = make_system_net();
    const auto files = make_system_files();
    Program program(toolkit, *net, *files, {"", "", dir / "config.cfg"});
    QtScript script(toolkit);
    std::string shown_address;
    script.then([&] { shown_address = toolkit.ip_text(); });
    for (const ControlId id : clicks) {
        script.then([&toolkit, id] { toolkit.window()->button(id)->click(); });
    }
    script.then([&] { toolkit.window()->close(); });
    ASSERT_EQ(run_program(program), 0);
    EXPECT_EQ(shown_address, kMixerHost);
    EXPECT_EQ(script.boxes, (std::vector<std::string>{"Kestrava V2.3|Finished.",
                                                      "Kestrava|Kestrava V2.3 - Reset Ok"}));

    // What the same clicks send, from the program wired to its fakes.
    FakeSystem reference;
    reference.ui.ip = kMixerAddress;
    std::deque<Action> actions;
    for (const ControlId id : clicks) {
        actions.push_back(Action::click(id));
    }
    reference.run(std::move(actions));
    const auto sends = reference.trace.of(Op::Send);
    ASSERT_EQ(sends.size(), 4U + 37999U + 4U + 21U);

    const auto lines = wait_for_log(log, sends.size(), std::chrono::seconds(10));
    EXPECT_TRUE(mixer.running()) << mixer.errors();
    ASSERT_EQ(lines.size(), sends.size());

    std::map<std::string, std::uint32_t> last_bits;
    std::size_t malformed = 0;
    std::size_t unknown = 0;
    std::size_t mismatches = 0;
    std::vector<LoggedDatagram> logged;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto entry = parse_log_line(lines[i]);
        ASSERT_TRUE(entry.has_value()) << "log line " << i << ": " << lines[i];
        malformed += entry->malformed ? 1 : 0;
        unknown += entry->unknown_address ? 1 : 0;
        const auto sent =
            vmixer::decode_float_message(sends[i]->bytes.data(), sends[i]->bytes.size());
        ASSERT_TRUE(sent.ok());
        if (entry->address != sent.message.address || entry->bits != sent.message.bits) {
            if (++mismatches <= 5) {
                ADD_FAILURE() << "datagram " << i << " sent " << sent.message.address << " "
                              << std::hex << sent.message.bits << ", logged " << lines[i];
            }
        }
        last_bits[entry->address] = entry->bits;
        logged.push_back(*entry);
    }
    EXPECT_EQ(malformed, 0U);
    EXPECT_EQ(unknown, 0U);
    EXPECT_EQ(mismatches, 0U);

    // Where the mixer's faders and status values were left: every one at 0.0.
    const std::vector<std::string> addresses = {
        "/ch/01/mix/fader",   "/ch/02/mix/fader", "/ch/03/mix/fader", "/ch/04/mix/fader",
        "/ch/05/mix/fader",   "/ch/06/mix/fader", "/ch/07/mix/fader", "/ch/08/mix/fader",
        "/ch/09/mix/fader",   "/ch/10/mix/fader", "/ch/11/mix/fader", "/ch/12/mix/fader",
        "/ch/13/mix/fader",   "/ch/14/mix/fader", "/ch/15/mix/fader", "/ch/16/mix/fader",
        "/main/st/mix/fader", "/-action/initall", "/-stat/selidx",    "/-stat/chfaderbank",
        "/-stat/grpfaderbank"};
    EXPECT_EQ(last_bits.size(), addresses.size());
    for (const auto& address : addresses) {
        const auto found = last_bits.find(address);
        ASSERT_NE(found, last_bits.end()) << address;
        EXPECT_EQ(found->second, 0U) << address;
    }

    // The pauses between the first and the last datagram set a floor under the time the
    // mixer saw them take (less a little for the first datagram's delivery).
    const std::int64_t paused_ms = sends.back()->time_ms - sends.front()->time_ms;
    const std::int64_t seen_us = logged.back().received_us - logged.front().received_us;
    EXPECT_GE(seen_us, (paused_ms - 250) * 1000);

    fs::remove_all(dir);
}

}  // namespace
}  // namespace kestrava::test

KESTRAVA_QT_TEST_MAIN
