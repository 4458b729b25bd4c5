#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>

#include "qt_main.h"
#include "qt_script.h"
#include "settings/settings.h"
#include "support/fakes.h"
#include "support/udp_receiver.h"
#include "ui/qt/ipv4_field.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_toolkit.h"

namespace kestrava::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// The whole program on the Qt window with the real socket layer, clock and settings
// file. Each scripted step runs when the event loop next waits; message boxes are
// recorded and dismissed.
class QtProgram {
  public:
    explicit QtProgram(const std::string& name, const Bytes& stored_settings) {
        dir_ = fs::temp_directory_path() / ("kestrava-qt-" + name);
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        std::ofstream(dir_ / "config.cfg", std::ios::binary)
            .write(reinterpret_cast<const char*>(stored_settings.data()),
                   static_cast<std::streamsize>(stored_settings.size()));
    }
    ~QtProgram() { fs::remove_all(dir_); }

    void then(std::function<void()> step) { script_.then(std::move(step)); }
    void click(ControlId id) {
        then([this, id] { window()->button(id)->click(); });
    }
    int run() {
        Program program(toolkit_, *net_, *files_, {"", "", dir_ / "config.cfg"});
        program_ = &program;
        const int code = run_program(program);
        link_left_open = program.current_link.has_value();
        program_ = nullptr;
        return code;
    }
    MainWindow* window() const { return toolkit_.window(); }
    QtToolkit& toolkit() { return toolkit_; }
    std::string field_text() { return toolkit_.ip_text(); }

    [[nodiscard]] const std::vector<std::string>& boxes() const { return script_.boxes; }
    bool link_left_open = true;

  private:
    fs::path dir_;
    QtToolkit toolkit_;
    std::unique_ptr<NetLayer> net_ = make_system_net();
    std::unique_ptr<SettingsFiles> files_ = make_system_files();
    Program* program_ = nullptr;
    QtScript script_{toolkit_};
};

Bytes stored(std::initializer_list<std::int64_t> numbers) {
    Bytes bytes;
    for (const auto n : numbers) {
        for (int i = 0; i < 8; ++i) {
            bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint64_t>(n) >> (8 * i)));
        }
    }
    return bytes;
}

// The datagrams that the same clicks give in virtual time with the fakes.
std::vector<Bytes> expected_datagrams(const Ipv4Parts& address, std::deque<Action> clicks) {
    FakeSystem sys;
    sys.ui.ip = address;
    sys.run(std::move(clicks));
    std::vector<Bytes> datagrams;
    for (const auto* send : sys.trace.of(Op::Send)) {
        datagrams.push_back(send->bytes);
    }
    return datagrams;
}

std::vector<Bytes> bytes_of(const std::vector<Datagram>& received) {
    std::vector<Bytes> out;
    for (const auto& d : received) {
        out.push_back(d.bytes);
    }
    return out;
}

TEST(QtProgram, ShowsTheStoredAddressConfirmsResetsAndClosesWithExitCodeZero) {
    UdpCollector mixer("127.43.0.9", kMixerPort);
    ASSERT_TRUE(mixer.ok());
    QtProgram app("confirm-reset", stored({127, 43, 0, 9}));
    std::string shown_at_start;
    app.then([&] {
        shown_at_start = app.field_text();
        EXPECT_EQ(app.window()->windowTitle().toStdString(),
                  "Kestrava - Behringer X32 Compact replaced fader test");
        EXPECT_FALSE(app.window()->button(ControlId::Start)->isEnabled());
        app.window()->button(ControlId::ConfirmIp)->click();
    });
    app.then([&] {
        EXPECT_FALSE(app.window()->ip_field()->isEnabled());
        EXPECT_TRUE(app.window()->button(ControlId::ResetAll)->isEnabled());
        app.window()->button(ControlId::ResetAll)->click();
    });
    app.then([&] {
        EXPECT_TRUE(app.window()->ip_field()->isEnabled());
        EXPECT_FALSE(app.window()->button(ControlId::ResetAll)->isEnabled());
        app.window()->close();
    });
    EXPECT_EQ(app.run(), 0);
    EXPECT_EQ(shown_at_start, "127.43.0.9");
    EXPECT_EQ(app.boxes(), std::vector<std::string>{"Kestrava|Kestrava V2.3 - Reset Ok"});
    EXPECT_FALSE(app.link_left_open);

    const auto received = mixer.finish();
    EXPECT_EQ(bytes_of(received),
              expected_datagrams({127, 43, 0, 9}, {Action::click(ControlId::ConfirmIp),
                                                   Action::click(ControlId::ResetAll)}));
    for (std::size_t i = 1; i < received.size(); ++i) {
        EXPECT_GE(received[i].received_ns - received[i - 1].received_ns, 300'000'000) << i;
    }
}

TEST(QtProgram, StopInTheWindowEndsTheRunEarlyWithTheResetAndFinished) {
    UdpCollector mixer("127.43.0.10", kMixerPort);
    ASSERT_TRUE(mixer.ok());
    QtProgram app("stop", stored({127, 43, 0, 10}));
    QTimer watcher;
    bool stop_was_enabled = false;
    // Clicks Stop once pass 1's up ramp is under way (4 status + 34 sweep + 17 ramp datagrams).
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (mixer.count() >= 4 + 34 + 17) {
            watcher.stop();
            QPushButton* stop = app.window()->button(ControlId::Stop);
            stop_was_enabled = stop->isEnabled();
            stop->click();
            EXPECT_FALSE(app.window()->button(ControlId::ConfirmIp)->isEnabled());
            EXPECT_FALSE(stop->isEnabled());
        }
    });
    app.click(ControlId::ConfirmIp);
    app.then([&] {
        watcher.start(5);
        app.window()->button(ControlId::Start)->click();
    });
    app.then([&] { app.window()->close(); });
    EXPECT_EQ(app.run(), 0);
    EXPECT_TRUE(stop_was_enabled);
    EXPECT_EQ(app.boxes(), std::vector<std::string>{"Kestrava V2.3|Finished."});

    const auto received = bytes_of(mixer.finish());
    ASSERT_GT(received.size(), 4U + 34U + 17U + 21U);
    EXPECT_LT(received.size(), 4U + 34U + 17U * 40U);  // the run did not go on
    // The last 21 are the reset: every fader and the status addresses to 0.0.
    for (std::size_t i = received.size() - 21; i < received.size(); ++i) {
        EXPECT_EQ(datagram_bits(received[i]), 0U);
    }
    // Just before them, the down ramp's single iteration sent 1.002 to every fader.
    EXPECT_EQ(datagram_bits(received[received.size() - 22]), 0x3F804189U);
}

TEST(QtProgram, ACompleteRunDeliversEveryDatagramInOrderBitExact) {
    UdpCollector mixer("127.43.0.11", kMixerPort);
    ASSERT_TRUE(mixer.ok());
    QtProgram app("complete", stored({127, 43, 0, 11}));
    app.click(ControlId::ConfirmIp);
    app.click(ControlId::Start);
    app.then([&] { app.window()->close(); });
    EXPECT_EQ(app.run(), 0);
    EXPECT_EQ(app.boxes(), std::vector<std::string>{"Kestrava V2.3|Finished."});

    const auto received = bytes_of(mixer.finish());
    const auto expected = expected_datagrams(
        {127, 43, 0, 11}, {Action::click(ControlId::ConfirmIp), Action::click(ControlId::Start)});
    ASSERT_EQ(expected.size(), 4U + 37999U);
    EXPECT_EQ(received.size(), expected.size());
    EXPECT_TRUE(received == expected);
}

}  // namespace
}  // namespace kestrava::test

KESTRAVA_QT_TEST_MAIN
