#include "ui/win32/win32_toolkit.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "ui/ipv4.h"
#include "ui/layout.h"

namespace kestrava {

namespace {

constexpr wchar_t kWindowClass[] = L"KestravaMainWindow";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;

std::wstring widen(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int wide_size = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wide_size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), wide_size);
    return wide;
}

HMENU child_id(ControlId id) {
    return reinterpret_cast<HMENU>(static_cast<INT_PTR>(static_cast<int>(id)));
}

bool is_button(int id) {
    switch (static_cast<ControlId>(id)) {
        case ControlId::ConfirmIp:
        case ControlId::ResetAll:
        case ControlId::Stop:
        case ControlId::Updates:
        case ControlId::Start:
            return true;
        default:
            return false;
    }
}

struct ControlClass {
    const wchar_t* name;
    DWORD style;
};

ControlClass control_class(ControlKind kind) {
    switch (kind) {
        case ControlKind::Label:
            return {WC_STATICW, SS_CENTER | SS_NOPREFIX};
        case ControlKind::Button:
            return {WC_BUTTONW, WS_TABSTOP | BS_PUSHBUTTON};
        case ControlKind::ProgressBar:
            return {PROGRESS_CLASSW, PBS_SMOOTH};
        case ControlKind::IpField:
            return {WC_IPADDRESSW, WS_TABSTOP};
    }
    return {WC_STATICW, 0};
}

// Marks a stretch in which the program itself changes controls.
class ChangingControls {
  public:
    explicit ChangingControls(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
    ~ChangingControls() { flag_ = was_; }
    ChangingControls(const ChangingControls&) = delete;
    ChangingControls& operator=(const ChangingControls&) = delete;

  private:
    bool& flag_;
    bool was_;
};

}  // namespace

Win32Toolkit::Win32Toolkit(HINSTANCE instance) : instance_(instance) {}

Win32Toolkit::~Win32Toolkit() {
    if (main_ != nullptr) {
        ::DestroyWindow(main_);
    }
    if (status_font_ != nullptr) {
        ::DeleteObject(status_font_);
    }
}

void Win32Toolkit::load_status_font() {
    int dpi = 0;
    if (HDC screen = ::GetDC(nullptr); screen != nullptr) {
        dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
        ::ReleaseDC(nullptr, screen);
    }
    const std::wstring face = widen(kStatusFontFace);
    // A negative height asks for the character height rather than the cell height.
    status_font_ =
        ::CreateFontW(-font_pixel_height(kStatusFontPoints, dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                      FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                      DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str());
}

void Win32Toolkit::build_main_window(const WindowTexts& texts) {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = &Win32Toolkit::window_proc;
    window_class.hInstance = instance_;
    window_class.hIcon = ::LoadIconW(instance_, MAKEINTRESOURCEW(1));
    window_class.hIconSm = static_cast<HICON>(
        ::LoadImageW(instance_, MAKEINTRESOURCEW(1), IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                     ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    window_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    window_class.lpszClassName = kWindowClass;
    ::RegisterClassExW(&window_class);

    RECT frame{0, 0, kClientWidth, kClientHeight};
    ::AdjustWindowRect(&frame, kWindowStyle, FALSE);
    const int outer_width = frame.right - frame.left;
    const int outer_height = frame.bottom - frame.top;
    const int left = centred_origin(::GetSystemMetrics(SM_CXSCREEN), outer_width);
    const int top = centred_origin(::GetSystemMetrics(SM_CYSCREEN), outer_height);

    const std::wstring title = widen(kWindowTitle);
    main_ = ::CreateWindowExW(0, kWindowClass, title.c_str(), kWindowStyle, left, top, outer_width,
                              outer_height, nullptr, nullptr, instance_, this);
    ::ShowWindow(main_, SW_SHOWNORMAL);
    ::UpdateWindow(main_);

    const auto gui_font = reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT));
    for (const ControlSpec& entry : kControls) {
        const ControlClass kind = control_class(entry.kind);
        const std::wstring text = widen(entry.text);
        HWND created = ::CreateWindowExW(
            0, kind.name, text.c_str(), WS_CHILD | WS_VISIBLE | kind.style, entry.x, entry.y,
            entry.width, entry.height, main_, child_id(entry.id), instance_, nullptr);
        ::SendMessageW(created, WM_SETFONT, gui_font, FALSE);
        if (entry.kind == ControlKind::ProgressBar) {
            ::SendMessageW(created, PBM_SETRANGE32, 0, kProgressMax);
        }
    }

    status_bar_ = ::CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                                    main_, child_id(ControlId::StatusBar), instance_, nullptr);
    int automatic_width = -1;
    ::SendMessageW(status_bar_, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&automatic_width));
    show_status_text(texts.credits_line);
    ::SendMessageW(status_bar_, WM_SETFONT, reinterpret_cast<WPARAM>(status_font_), TRUE);
    ::SendMessageW(status_bar_, SB_SETMINHEIGHT, kStatusBarMinHeight, 0);
    ::SendMessageW(status_bar_, WM_SIZE, SIZE_RESTORED,
                   MAKELPARAM(kClientWidth, kStatusBarMinHeight));

    if (HWND first = ::GetNextDlgTabItem(main_, nullptr, FALSE); first != nullptr) {
        ::SetFocus(first);
    }
}

void Win32Toolkit::set_enabled(ControlId id, bool enabled) {
    const ChangingControls changing(changing_controls_);
    ::EnableWindow(control(id), enabled ? TRUE : FALSE);
}

void Win32Toolkit::set_progress(std::int64_t value) {
    const ChangingControls changing(changing_controls_);
    HWND bar = control(ControlId::ProgressBar);
    const int shown = progress_display_value(value);
    // A themed bar animates a move forwards but draws a move backwards at once, so
    // every new value is reached from one step above it.
    if (shown < kProgressMax) {
        ::SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(shown + 1), 0);
        ::SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(shown), 0);
    } else {
        ::SendMessageW(bar, PBM_SETRANGE32, 0, kProgressMax + 1);
        ::SendMessageW(bar, PBM_SETPOS, kProgressMax + 1, 0);
        ::SendMessageW(bar, PBM_SETPOS, kProgressMax, 0);
        ::SendMessageW(bar, PBM_SETRANGE32, 0, kProgressMax);
    }
}

std::string Win32Toolkit::ip_text() {
    // Blank parts come back as 0, which is how they read.
    DWORD address = 0;
    ::SendMessageW(control(ControlId::IpField), IPM_GETADDRESS, 0,
                   reinterpret_cast<LPARAM>(&address));
    return ipv4_field_text({FIRST_IPADDRESS(address), SECOND_IPADDRESS(address),
                            THIRD_IPADDRESS(address), FOURTH_IPADDRESS(address)});
}

void Win32Toolkit::set_ip_address(std::uint32_t value) {
    const ChangingControls changing(changing_controls_);
    const auto parts = ipv4_field_parts(value);
    const LPARAM address =
        static_cast<LPARAM>(MAKEIPADDRESS(parts[0], parts[1], parts[2], parts[3]));
    ::SendMessageW(control(ControlId::IpField), IPM_SETADDRESS, 0, address);
}

void Win32Toolkit::show_status_text(std::string_view text) {
    // A leading tab centres the text in its part.
    const std::wstring centred = L"\t" + widen(text);
    ::SendMessageW(status_bar_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(centred.c_str()));
}

void Win32Toolkit::message_box(std::string_view title, std::string_view text) {
    const std::wstring wide_title = widen(title);
    const std::wstring wide_text = widen(text);
    ::MessageBoxW(main_, wide_text.c_str(), wide_title.c_str(), MB_OK);
}

void Win32Toolkit::open_web_address(std::string_view address) {
    const std::wstring quoted = L"\"" + widen(address) + L"\"";
    ::ShellExecuteW(nullptr, nullptr, quoted.c_str(), nullptr, L"", SW_FORCEMINIMIZE);
}

void Win32Toolkit::start_status_timer() {
    ::SetTimer(main_, kStatusTimerId, kStatusTimerPeriodMs, nullptr);
}

void Win32Toolkit::wait_native() {
    MSG message{};
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
        // WM_QUIT: nobody in the program posts it; when the system does, it asks to close.
        queue().post(close_event());
        return;
    }
    if (got > 0) {
        process(message);
    }
}

void Win32Toolkit::process_pending_native() {
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != 0) {
        if (message.message == WM_QUIT) {
            queue().post(close_event());
            continue;
        }
        process(message);
    }
}

void Win32Toolkit::process(MSG& message) {
    // The dialog manager gives the window Tab and Shift+Tab through its controls.
    if (main_ != nullptr && ::IsDialogMessageW(main_, &message) != 0) {
        return;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
}

HWND Win32Toolkit::control(ControlId id) const {
    return ::GetDlgItem(main_, static_cast<int>(id));
}

LRESULT CALLBACK Win32Toolkit::window_proc(HWND window, UINT message, WPARAM wparam,
                                           LPARAM lparam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lparam);
        auto* self = static_cast<Win32Toolkit*>(creation->lpCreateParams);
        self->main_ = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Win32Toolkit*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return ::DefWindowProcW(window, message, wparam, lparam);
    }
    return self->handle(window, message, wparam, lparam);
}

LRESULT Win32Toolkit::handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_COMMAND:
            on_command(LOWORD(wparam), HIWORD(wparam), reinterpret_cast<HWND>(lparam));
            return 0;
        case WM_TIMER:
            if (wparam == kStatusTimerId) {
                queue().post(tick_event());
            }
            return 0;
        case WM_CLOSE:
            queue().post(close_event());
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wparam) == WA_INACTIVE) {
                focus_before_deactivation_ = ::GetFocus();
            }
            break;
        case WM_SETFOCUS:
            // Reactivation gives the focus back to the control that had it.
            if (focus_before_deactivation_ != nullptr && ::IsWindow(focus_before_deactivation_) &&
                ::IsWindowEnabled(focus_before_deactivation_)) {
                ::SetFocus(focus_before_deactivation_);
                return 0;
            }
            if (HWND first = ::GetNextDlgTabItem(window, nullptr, FALSE); first != nullptr) {
                ::SetFocus(first);
                return 0;
            }
            break;
        case WM_NCDESTROY:
            ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            main_ = nullptr;
            break;
        default:
            break;
    }
    return ::DefWindowProcW(window, message, wparam, lparam);
}

void Win32Toolkit::on_command(int id, int code, HWND control_window) {
    if (control_window == nullptr) {
        return;  // menu items and accelerators: the window has none
    }
    if (is_button(id) && code == BN_CLICKED) {
        if (::IsWindowEnabled(control_window) != 0) {
            queue().click(static_cast<ControlId>(id));
        }
        return;
    }
    if (id == static_cast<int>(ControlId::IpField) && !changing_controls_ &&
        (code == EN_SETFOCUS || code == EN_KILLFOCUS || code == EN_CHANGE)) {
        queue().post(control_event(ControlId::IpField));
    }
}

}  // namespace kestrava
