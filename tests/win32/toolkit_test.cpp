// The Win32 front end with a real window in this process: what becomes an event and
// what does not, and what the control operations leave in the controls.
#include "ui/win32/win32_toolkit.h"
// win32_toolkit.h brings in windows.h, which commctrl.h builds on.
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "ui/layout.h"

namespace kestrava {
namespace {

// Dispatches every waiting message of this thread; events stay in the queue.
void dispatch_pending() {
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

std::vector<Event> take_all(EventQueue& queue) {
    std::vector<Event> events;
    while (auto event = queue.take()) {
        events.push_back(*event);
    }
    return events;
}

std::wstring text_of(HWND window) {
    std::array<wchar_t, 256> buffer{};
    const int length = ::GetWindowTextW(window, buffer.data(), static_cast<int>(buffer.size()));
    return std::wstring(buffer.data(), static_cast<std::size_t>(length));
}

class Win32Window : public ::testing::Test {
  protected:
    void SetUp() override {
        ui_.load_status_font();
        ui_.build_main_window({"credits", "web"});
        main_ = ::FindWindowW(nullptr, L"Kestrava - Behringer X32 Compact replaced fader test");
        ASSERT_NE(main_, nullptr);
        dispatch_pending();
        take_all(ui_.queue());
    }

    HWND control(ControlId id) const { return ::GetDlgItem(main_, static_cast<int>(id)); }
    // The IP field's number parts from left to right.
    std::vector<HWND> ip_part_windows() const {
        std::vector<std::pair<LONG, HWND>> placed;
        for (HWND part = ::GetWindow(control(ControlId::IpField), GW_CHILD); part != nullptr;
             part = ::GetWindow(part, GW_HWNDNEXT)) {
            RECT box{};
            ::GetWindowRect(part, &box);
            placed.emplace_back(box.left, part);
        }
        std::sort(placed.begin(), placed.end());
        std::vector<HWND> parts;
        for (const auto& p : placed) {
            parts.push_back(p.second);
        }
        return parts;
    }
    std::vector<std::wstring> ip_parts() const {
        std::vector<std::wstring> texts;
        for (const HWND part : ip_part_windows()) {
            texts.push_back(text_of(part));
        }
        return texts;
    }
    HWND first_ip_part() const { return ip_part_windows().at(0); }

    Win32Toolkit ui_{::GetModuleHandleW(nullptr)};
    HWND main_ = nullptr;
};

TEST_F(Win32Window, TheIpFieldShowsAndReadsItsValuePartOneFromTheLeastSignificantByte) {
    struct Case {
        const char* name;
        std::uint32_t value;
        std::vector<std::wstring> shown;
        std::string read;
    };
    const Case cases[] = {
        {"bytes 192 168 1 10", 0x0A01A8C0, {L"192", L"168", L"1", L"10"}, "192.168.1.10"},
        {"zero shows four zeros", 0, {L"0", L"0", L"0", L"0"}, "0.0.0.0"},
        {"all ones", 0xFFFFFFFF, {L"255", L"255", L"255", L"255"}, "255.255.255.255"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui_.set_ip_address(c.value);
        EXPECT_EQ(ip_parts(), c.shown);
        EXPECT_EQ(ui_.ip_text(), c.read);
        EXPECT_EQ(::SendMessageW(control(ControlId::IpField), IPM_ISBLANK, 0, 0), 0);
    }
}

TEST_F(Win32Window, BlankPartsOfTheIpFieldReadAsZero) {
    ::SendMessageW(control(ControlId::IpField), IPM_CLEARADDRESS, 0, 0);
    EXPECT_EQ(ui_.ip_text(), "0.0.0.0");
    ::SetWindowTextW(first_ip_part(), L"10");
    EXPECT_EQ(ui_.ip_text(), "10.0.0.0");
}

TEST_F(Win32Window, ControlOperationsRaiseNoEventsWhileTheOperatorsActivityDoes) {
    ::SetFocus(first_ip_part());
    dispatch_pending();
    EXPECT_EQ(take_all(ui_.queue()), std::vector<Event>{control_event(ControlId::IpField)});

    // Disabling the focused field takes the focus from it; still no event.
    ui_.set_ip_address(0x0A01A8C0);
    ui_.set_enabled(ControlId::IpField, false);
    ui_.set_enabled(ControlId::IpField, true);
    for (const ControlSpec& entry : kControls) {
        if (entry.id != ControlId::None) {
            ui_.set_enabled(entry.id, false);
            ui_.set_enabled(entry.id, true);
        }
    }
    ui_.set_progress(50);
    ui_.show_status_text("text");
    dispatch_pending();
    EXPECT_TRUE(take_all(ui_.queue()).empty());

    // Typing into the field is activity.
    ::SetFocus(first_ip_part());
    dispatch_pending();
    take_all(ui_.queue());
    ::SendMessageW(first_ip_part(), EM_SETSEL, 0, -1);
    ::SendMessageW(first_ip_part(), WM_CHAR, L'7', 0);
    dispatch_pending();
    EXPECT_EQ(take_all(ui_.queue()), std::vector<Event>{control_event(ControlId::IpField)});
}

TEST_F(Win32Window, ClicksQueueTheirButtonAndStopRunsItsHandlerInsideThePump) {
    int stops = 0;
    ui_.bind_stop_handler([&] { ++stops; });
    ::PostMessageW(control(ControlId::Stop), BM_CLICK, 0, 0);
    ui_.pump_events();
    EXPECT_EQ(stops, 1);
    EXPECT_TRUE(ui_.queue().empty()) << "what a pump fetches is dropped";

    ::PostMessageW(control(ControlId::Start), BM_CLICK, 0, 0);
    EXPECT_EQ(ui_.wait_event(), control_event(ControlId::Start));

    // A disabled button takes no click.
    ui_.set_enabled(ControlId::ResetAll, false);
    ::PostMessageW(control(ControlId::ResetAll), BM_CLICK, 0, 0);
    dispatch_pending();
    EXPECT_TRUE(ui_.queue().empty());
}

TEST_F(Win32Window, ACloseRequestIsAnEventAndTheWindowStays) {
    ::SendMessageW(main_, WM_CLOSE, 0, 0);
    EXPECT_TRUE(::IsWindow(main_));
    EXPECT_TRUE(::IsWindowVisible(main_));
    EXPECT_EQ(take_all(ui_.queue()), std::vector<Event>{close_event()});
}

TEST_F(Win32Window, TimerNineNineNineTicksAreEvents) {
    ui_.start_status_timer();
    EXPECT_EQ(ui_.wait_event(), tick_event());
    EXPECT_EQ(ui_.wait_event(), tick_event());
}

TEST_F(Win32Window, TheProgressBarShowsValuesOutsideItsRangeAsItsEnds) {
    const HWND bar = control(ControlId::ProgressBar);
    for (const auto& [value, shown] : std::vector<std::pair<std::int64_t, LRESULT>>{
             {95, 94}, {94, 94}, {0, 0}, {-1, 0}, {47, 47}, {1000, 94}, {93, 93}}) {
        ui_.set_progress(value);
        EXPECT_EQ(::SendMessageW(bar, PBM_GETPOS, 0, 0), shown) << "value " << value;
        EXPECT_EQ(::SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 94);
    }
}

TEST_F(Win32Window, TheStatusBarShowsItsTextCentredInOnePartInTahoma) {
    const HWND bar = control(ControlId::StatusBar);
    std::array<wchar_t, 64> text{};
    ::SendMessageW(bar, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text.data()));
    EXPECT_EQ(std::wstring(text.data()), L"\tcredits");
    ui_.show_status_text("web");
    ::SendMessageW(bar, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text.data()));
    EXPECT_EQ(std::wstring(text.data()), L"\tweb");
    std::array<int, 4> edges{};
    EXPECT_EQ(
        ::SendMessageW(bar, SB_GETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data())), 1);
    EXPECT_EQ(edges[0], -1);  // one part reaching the right edge

    LOGFONTW font{};
    ASSERT_NE(::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(bar, WM_GETFONT, 0, 0)),
                           sizeof font, &font),
              0);
    EXPECT_EQ(std::wstring(font.lfFaceName), L"Tahoma");
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    EXPECT_EQ(font.lfHeight, -((10 * dpi + 36) / 72));
    EXPECT_EQ(font.lfWeight, FW_NORMAL);
    EXPECT_FALSE(font.lfItalic);
}

TEST_F(Win32Window, ReactivationGivesTheFocusBackToTheControlThatHadIt) {
    ::SetFocus(control(ControlId::Updates));
    const HWND other = ::CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                         0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    ::SetActiveWindow(other);
    dispatch_pending();
    EXPECT_NE(::GetFocus(), control(ControlId::Updates));
    ::SetActiveWindow(main_);
    dispatch_pending();
    EXPECT_EQ(::GetFocus(), control(ControlId::Updates));
    ::DestroyWindow(other);
}

}  // namespace
}  // namespace kestrava

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    INITCOMMONCONTROLSEX classes{};
    classes.dwSize = sizeof classes;
    classes.dwICC =
        ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS | ICC_INTERNET_CLASSES;
    ::InitCommonControlsEx(&classes);
    return RUN_ALL_TESTS();
}
