// A short session of the whole Qt program, small enough to run under a memory checker:
// start, Confirm IP, Reset All, Confirm IP, a run stopped at once, close.
#include <gtest/gtest.h>

#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <deque>
#include <filesystem>
#include <functional>

#include "app/program.h"
#include "qt_main.h"
#include "qt_script.h"
#include "support/udp_receiver.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_toolkit.h"

namespace kestrava::test {
namespace {

TEST(QtSession, StartConfirmResetStoppedRunAndClose) {
    UdpCollector mixer("127.43.0.20", kMixerPort);
    ASSERT_TRUE(mixer.ok());
    const auto dir = std::filesystem::temp_directory_path() / "kestrava-qt-session";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);

    QtToolkit toolkit;
    const auto net = make_system_net();
    const auto files = make_system_files();
    Program program(toolkit, *net, *files, {"", "", dir / "config.cfg"});

    QtScript script(toolkit);
    auto click = [&](ControlId id) { toolkit.window()->button(id)->click(); };
    bool stopped = false;
    script.then([&] {
        toolkit.set_ip_address(0x14002B7F);  // 127.43.0.20
        click(ControlId::ConfirmIp);
    });
    script.then([&] { click(ControlId::ResetAll); });
    script.then([&] { click(ControlId::ConfirmIp); });
    script.then([&] {
        // Stop at the run's first pump.
        QTimer::singleShot(0, [&] {
            stopped = toolkit.window()->button(ControlId::Stop)->isEnabled();
            click(ControlId::Stop);
        });
        click(ControlId::Start);
    });
    script.then([&] { toolkit.window()->close(); });
    EXPECT_EQ(run_program(program), 0);
    EXPECT_TRUE(stopped);
    EXPECT_EQ(script.boxes, (std::vector<std::string>{"Kestrava|Kestrava V2.3 - Reset Ok",
                                                      "Kestrava V2.3|Finished."}));
    // Confirm, reset, confirm, the stopped pass (34 sweeps, one iteration per ramp), reset.
    EXPECT_EQ(mixer.finish().size(), 4U + 21U + 4U + 34U + 17U + 17U + 21U);
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kestrava::test

KESTRAVA_QT_TEST_MAIN
