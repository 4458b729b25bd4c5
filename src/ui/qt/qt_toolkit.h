#pragma once

#include <QFont>
#include <QTimer>
#include <functional>
#include <memory>

#include "ui/toolkit.h"

class QMessageBox;

namespace kestrava {

class MainWindow;

// The Qt front end of the toolkit seam. Needs a QApplication.
class QtToolkit final : public Toolkit {
  public:
    QtToolkit();
    ~QtToolkit() override;

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

    [[nodiscard]] MainWindow* window() const { return window_.get(); }
    // Called with each message box just before it is shown (tests dismiss it from here).
    std::function<void(QMessageBox&)> on_message_box;
    // Called each time the event loop starts waiting for the next event.
    std::function<void()> on_idle;

  protected:
    void wait_native() override;
    void process_pending_native() override;

  private:
    std::unique_ptr<MainWindow> window_;
    QFont status_font_;
    bool status_font_loaded_ = false;
    QTimer status_timer_;
};

}  // namespace kestrava
