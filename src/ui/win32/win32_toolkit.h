#pragma once

#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "ui/toolkit.h"

namespace kestrava {

// The native Win32 front end: the main window, its controls and the message loop.
// Window messages become events on the queue: button clicks, timer 999's ticks,
// WM_CLOSE (the window is not closed) and the IP field's focus and edit
// notifications. Control operations made by the program raise no events.
class Win32Toolkit final : public Toolkit {
  public:
    explicit Win32Toolkit(HINSTANCE instance);
    ~Win32Toolkit() override;
    Win32Toolkit(const Win32Toolkit&) = delete;
    Win32Toolkit& operator=(const Win32Toolkit&) = delete;

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

  protected:
    void wait_native() override;
    void process_pending_native() override;

  private:
    static LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    void on_command(int id, int code, HWND control);
    void process(MSG& message);
    HWND control(ControlId id) const;

    HINSTANCE instance_;
    HWND main_ = nullptr;
    HWND status_bar_ = nullptr;
    HFONT status_font_ = nullptr;
    HWND focus_before_deactivation_ = nullptr;
    // Set while the program changes a control, whose own notifications are no events.
    bool changing_controls_ = false;
};

}  // namespace kestrava
