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

    std::deque<std::function<void()>> steps;
    auto click = [&](ControlId id) { toolkit.window()->button(id)->click(); };
    std::vector<std::string> boxes;
    bool stopped = false;
    steps.push_back([&] {
        toolkit.set_ip_address(0x14002B7F);  // 127.43.0.20
        click(ControlId::ConfirmIp);
    });
    steps.push_back([&] { click(ControlId::ResetAll); });
    steps.push_back([&] { click(ControlId::ConfirmIp); });
    steps.push_back([&] {
        // Stop at the run's first pump.
        QTimer::singleShot(0, [&] {
            stopped = toolkit.window()->button(ControlId::Stop)->isEnabled();
            click(ControlId::Stop);
        });
        click(ControlId::Start);
    });
    steps.push_back([&] { toolkit.window()->close(); });
    toolkit.on_idle = [&] {
        if (!steps.empty()) {
            auto step = std::move(steps.front());
            steps.pop_front();
            QTimer::singleShot(0, step);
        }
    };
    toolkit.on_message_box = [&](QMessageBox& box) {
        boxes.push_back(box.text().toStdString());
        QTimer::singleShot(0, &box, &QMessageBox::accept);
    };
    EXPECT_EQ(run_program(program), 0);
    EXPECT_TRUE(stopped);
    EXPECT_EQ(boxes, (std::vector<std::string>{"Kestrava V2.3 - Reset Ok", "Finished."}));
    // Confirm, reset, confirm, the stopped pass (34 sweeps, one iteration per ramp), reset.
    EXPECT_EQ(mixer.finish().size(), 4U + 21U + 4U + 34U + 17U + 17U + 21U);
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kestrava::test

KESTRAVA_QT_TEST_MAIN
