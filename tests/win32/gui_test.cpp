// Drives kestrava.exe from outside, as an operator would: it starts the program in a
// directory of its own with a stored address, looks at the window through the
// system's window calls, clicks buttons, answers the message box, asks the window to
// close, and reads what arrived at the loopback address that the stored address names.
//
// Usage: gui_test KESTRAVA_EXE ARTEFACT_DIR CAPTURE_ADDRESS CAPTURE_FILE. Screenshots go to
// ARTEFACT_DIR; CAPTURE_FILE is where a native capture on CAPTURE_ADDRESS:10023 writes
// what it receives (see udp-capture.py).
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <winsock2.h>
// winsock2.h first: windows.h would otherwise bring in the old winsock.h.
#include <commctrl.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "support/fakes.h"
#include "support/udp_receiver.h"  // Datagram

namespace kestrava::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

constexpr wchar_t kTitle[] = L"Kestrava - Behringer X32 Compact replaced fader test";
constexpr auto kStartTimeout = 60s;  // a first start in a fresh Wine prefix is slow

fs::path g_exe;
fs::path g_artefacts;
std::string g_capture_address;  // where the native capture listens, port 10023
fs::path g_capture_file;

std::wstring widen(const std::string& text) {
    return std::wstring(text.begin(), text.end());  // ASCII only: paths and test texts
}

// A path as this process's file calls take it; under Wine a Unix path gets its drive.
fs::path native_path(const char* path) {
    using ToDos = WCHAR*(CDECL*)(LPCSTR);
    const FARPROC found =
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name");
    if (found != nullptr && path[0] == '/') {
        const auto to_dos = reinterpret_cast<ToDos>(reinterpret_cast<void (*)()>(found));
        WCHAR* dos = to_dos(path);
        if (dos != nullptr) {
            fs::path result(dos);
            ::HeapFree(::GetProcessHeap(), 0, dos);
            return result;
        }
    }
    return fs::path(widen(path));
}

bool wait_until(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

std::wstring text_of(HWND window) {
    std::array<wchar_t, 512> buffer{};
    DWORD_PTR length = 0;
    if (::SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(),
                              reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG, 5000,
                              &length) == 0) {
        return L"<no answer>";
    }
    return std::wstring(buffer.data(), std::min<std::size_t>(length, buffer.size()));
}

std::wstring class_of(HWND window) {
    std::array<wchar_t, 128> buffer{};
    const int length = ::GetClassNameW(window, buffer.data(), static_cast<int>(buffer.size()));
    return std::wstring(buffer.data(), static_cast<std::size_t>(std::max(length, 0)));
}

LONG_PTR style_of(HWND window) {
    return ::GetWindowLongPtrW(window, GWL_STYLE);
}

std::vector<HWND> children_of(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

// A window's box in the client coordinates of `parent`.
RECT box_in(HWND parent, HWND child) {
    RECT box{};
    ::GetWindowRect(child, &box);
    ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&box), 2);
    return box;
}

// Saves what the screen shows in `area` as a 24-bit BMP file.
void save_screenshot(const fs::path& file, RECT area) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, as BMP files store rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    ::GdiFlush();
    const auto row = static_cast<std::size_t>((width * 3 + 3) / 4 * 4);
    const auto pixels = row * static_cast<std::size_t>(height);
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;  // "BM"
    header.bfOffBits = sizeof header + sizeof info.bmiHeader;
    header.bfSize = static_cast<DWORD>(header.bfOffBits + pixels);
    info.bmiHeader.biSizeImage = static_cast<DWORD>(pixels);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), static_cast<std::streamsize>(pixels));
    ::SelectObject(memory, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
}

// "config.cfg" for an address: four signed 64-bit little-endian numbers.
Bytes settings_file(const std::array<std::int64_t, 4>& numbers) {
    Bytes bytes;
    for (const std::int64_t n : numbers) {
        for (int b = 0; b < 8; ++b) {
            bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint64_t>(n) >> (8 * b)));
        }
    }
    return bytes;
}

// The datagrams that the native capture wrote so far: one line each, the kernel's
// receive stamp in nanoseconds and the bytes in hex.
class Capture {
  public:
    explicit Capture(fs::path file) : file_(std::move(file)) {}

    // Waits until `n` more datagrams have come (or the timeout passed) and takes all
    // that came.
    std::vector<Datagram> take(std::size_t n, std::chrono::milliseconds timeout) {
        std::vector<Datagram> got;
        wait_until(
            [&] {
                got = unread();
                return got.size() >= n;
            },
            timeout);
        taken_ += got.size();
        return got;
    }

  private:
    std::vector<Datagram> unread() const {
        std::ifstream in(file_);
        std::string text((std::istreambuf_iterator<char>(in)), {});
        std::vector<Datagram> all;
        std::size_t start = 0;
        for (std::size_t end; (end = text.find('\n', start)) != std::string::npos;
             start = end + 1) {
            const std::string line = text.substr(start, end - start);
            const std::size_t space = line.find(' ');
            Datagram d;
            d.received_ns = std::stoll(line.substr(0, space));
            for (std::size_t i = space + 1; i + 1 < line.size(); i += 2) {
                d.bytes.push_back(
                    static_cast<std::uint8_t>(std::stoul(line.substr(i, 2), nullptr, 16)));
            }
            all.push_back(std::move(d));
        }
        all.erase(all.begin(),
                  all.begin() + static_cast<std::ptrdiff_t>(std::min(taken_, all.size())));
        return all;
    }

    fs::path file_;
    std::size_t taken_ = 0;
};

// kestrava.exe started in a fresh working directory that holds `stored` as its
// "config.cfg". Ends the process if a test leaves it running.
class Kestrava {
  public:
    Kestrava(const std::string& name, const std::array<std::int64_t, 4>& stored) {
        dir_ = fs::temp_directory_path() / ("kestrava-gui-" + name);
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
        fs::create_directories(dir_);
        const Bytes file = settings_file(stored);
        std::ofstream(dir_ / "config.cfg", std::ios::binary)
            .write(reinterpret_cast<const char*>(file.data()),
                   static_cast<std::streamsize>(file.size()));

        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        std::wstring command_line = L"\"" + g_exe.wstring() + L"\"";
        started_ = ::CreateProcessW(g_exe.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0,
                                    nullptr, dir_.c_str(), &startup, &process_) != 0;
        if (started_) {
            ::WaitForInputIdle(process_.hProcess, 30000);
            wait_until([this] { return (main_ = find_top_level(kTitle, nullptr)) != nullptr; },
                       kStartTimeout);
        }
    }
    ~Kestrava() {
        if (started_) {
            if (::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
                ::TerminateProcess(process_.hProcess, 99);
                ::WaitForSingleObject(process_.hProcess, 10000);
            }
            ::CloseHandle(process_.hThread);
            ::CloseHandle(process_.hProcess);
        }
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    Kestrava(const Kestrava&) = delete;
    Kestrava& operator=(const Kestrava&) = delete;

    [[nodiscard]] HWND main() const { return main_; }
    [[nodiscard]] HWND control(ControlId id) const {
        return ::GetDlgItem(main_, static_cast<int>(id));
    }
    [[nodiscard]] const fs::path& dir() const { return dir_; }
    [[nodiscard]] DWORD thread_id() const { return process_.dwThreadId; }

    // A visible top-level window of this process with that class (null: any) and title.
    HWND find_top_level(const wchar_t* title, const wchar_t* window_class) const {
        struct Search {
            DWORD pid;
            const wchar_t* title;
            const wchar_t* window_class;
            HWND found;
        } search{process_.dwProcessId, title, window_class, nullptr};
        ::EnumWindows(
            [](HWND window, LPARAM param) -> BOOL {
                auto& s = *reinterpret_cast<Search*>(param);
                DWORD pid = 0;
                ::GetWindowThreadProcessId(window, &pid);
                if (pid != s.pid || ::IsWindowVisible(window) == 0 ||
                    (s.window_class != nullptr && class_of(window) != s.window_class) ||
                    (s.title != nullptr && text_of(window) != s.title)) {
                    return TRUE;
                }
                s.found = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    // Clicks a button of the main window the way the button itself reports a click.
    void click(ControlId id) const { click_button(control(id)); }
    static void click_button(HWND button) {
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 10000, &ignored);
    }

    // Asks the main window to close, as its close box does, and waits for the process
    // to end. Returns the exit code, or STILL_ACTIVE when it did not end.
    DWORD close_and_wait() {
        ::PostMessageW(main_, WM_CLOSE, 0, 0);
        return wait_exit(15s);
    }
    DWORD wait_exit(std::chrono::milliseconds timeout) {
        if (::WaitForSingleObject(process_.hProcess, static_cast<DWORD>(timeout.count())) !=
            WAIT_OBJECT_0) {
            return STILL_ACTIVE;
        }
        DWORD code = STILL_ACTIVE;
        ::GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }

    // Which controls are enabled, in the order IP field, Confirm IP, START, Reset All,
    // Updates, Stop.
    [[nodiscard]] std::array<bool, 6> enabled() const {
        std::array<bool, 6> state{};
        const ControlId ids[] = {ControlId::IpField,  ControlId::ConfirmIp, ControlId::Start,
                                 ControlId::ResetAll, ControlId::Updates,   ControlId::Stop};
        for (std::size_t i = 0; i < state.size(); ++i) {
            state[i] = ::IsWindowEnabled(control(ids[i])) != 0;
        }
        return state;
    }

  private:
    fs::path dir_;
    PROCESS_INFORMATION process_{};
    bool started_ = false;
    HWND main_ = nullptr;
};

using Enabled = std::array<bool, 6>;
constexpr Enabled kAddressEntry{true, true, false, false, true, false};  // after start-up
constexpr Enabled kConfirmed{false, false, true, true, true, false};
constexpr Enabled kAfterReset{true, true, false, false, false, false};

struct Expected {
    const char* address;
    std::uint32_t bits;
};

void expect_datagrams(const std::vector<Datagram>& got, const std::vector<Expected>& expected) {
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE("datagram " + std::to_string(i));
        EXPECT_EQ(datagram_address(got[i].bytes), expected[i].address);
        EXPECT_EQ(datagram_bits(got[i].bytes), expected[i].bits);
        EXPECT_EQ(got[i].bytes.size(),
                  std::string_view(expected[i].address) == "/-stat/selidx" ? 24U : 28U);
    }
}

// The smallest time between two datagrams, in milliseconds.
double smallest_gap_ms(const std::vector<Datagram>& got) {
    double smallest = 1e9;
    for (std::size_t i = 1; i < got.size(); ++i) {
        smallest = std::min(smallest,
                            static_cast<double>(got[i].received_ns - got[i - 1].received_ns) / 1e6);
    }
    return smallest;
}

TEST(KestravaExe, ShowsItsWindowWithTheStoredAddressAndEndsWithCodeZeroOnClose) {
    Kestrava program("window", {127, 41, 9, 201});
    const HWND main = program.main();
    ASSERT_NE(main, nullptr) << "no window titled as expected";

    RECT client{};
    ::GetClientRect(main, &client);
    EXPECT_EQ(client.right - client.left, 432);
    EXPECT_EQ(client.bottom - client.top, 240);
    const LONG_PTR style = style_of(main);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU), WS_CAPTION | WS_SYSMENU);
    EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);

    RECT outer{};
    ::GetWindowRect(main, &outer);
    EXPECT_EQ(outer.left,
              std::max(0L, (::GetSystemMetrics(SM_CXSCREEN) - (outer.right - outer.left)) / 2));
    EXPECT_EQ(outer.top,
              std::max(0L, (::GetSystemMetrics(SM_CYSCREEN) - (outer.bottom - outer.top)) / 2));

    struct Row {
        int id;  // -1: the label, which has none of the program's ids
        const wchar_t* window_class;
        RECT box;  // left, top, right, bottom in the client area
        const wchar_t* text;
        LONG_PTR style;  // bits that must be set
        bool tab_stop;
    };
    // Creation order, which is also the order of the window's children.
    const Row rows[] = {
        {-1, L"Static", {20, 15, 150, 37}, L"Enter your mixer IP", SS_CENTER | SS_NOPREFIX, false},
        {44, L"Button", {20, 65, 150, 89}, L"Confirm IP", BS_PUSHBUTTON, true},
        {77, L"Button", {160, 29, 240, 89}, L"Reset All", BS_PUSHBUTTON, true},
        {88, L"Button", {245, 29, 325, 89}, L"Stop", BS_PUSHBUTTON, true},
        {99, L"Button", {330, 29, 410, 89}, L"Updates...", BS_PUSHBUTTON, true},
        {62, L"Button", {20, 112, 410, 142}, L"START", BS_PUSHBUTTON, true},
        {50, L"msctls_progress32", {20, 158, 410, 188}, L"", PBS_SMOOTH, false},
        {3, L"SysIPAddress32", {20, 30, 150, 52}, nullptr, 0, true},
    };
    const std::vector<HWND> children = children_of(main);
    ASSERT_EQ(children.size(), std::size(rows) + 1);  // and the status bar
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Row& row = rows[i];
        const HWND child = children[i];
        SCOPED_TRACE("child " + std::to_string(i));
        if (row.id > 0) {
            EXPECT_EQ(::GetDlgCtrlID(child), row.id);
        }
        EXPECT_EQ(class_of(child), row.window_class);
        const RECT box = box_in(main, child);
        EXPECT_EQ(box.left, row.box.left);
        EXPECT_EQ(box.top, row.box.top);
        EXPECT_EQ(box.right, row.box.right);
        EXPECT_EQ(box.bottom, row.box.bottom);
        if (row.text != nullptr) {
            EXPECT_EQ(text_of(child), row.text);
        }
        EXPECT_EQ(style_of(child) & row.style, row.style);
        EXPECT_EQ((style_of(child) & WS_TABSTOP) != 0, row.tab_stop);
    }
    EXPECT_EQ(program.enabled(), kAddressEntry);

    const HWND progress = program.control(ControlId::ProgressBar);
    EXPECT_EQ(::SendMessageW(progress, PBM_GETRANGE, TRUE, 0), 0);
    EXPECT_EQ(::SendMessageW(progress, PBM_GETRANGE, FALSE, 0), 94);
    EXPECT_EQ(::SendMessageW(progress, PBM_GETPOS, 0, 0), 0);

    const HWND status = children.back();
    EXPECT_EQ(::GetDlgCtrlID(status), 888);
    EXPECT_EQ(class_of(status), L"msctls_statusbar32");
    EXPECT_EQ(style_of(status) & SBARS_SIZEGRIP, 0);
    const RECT status_box = box_in(main, status);
    EXPECT_EQ(status_box.left, 0);
    EXPECT_EQ(status_box.right, 432);
    EXPECT_EQ(status_box.bottom, 240);
    EXPECT_GE(status_box.bottom - status_box.top, 30);
    EXPECT_EQ(::SendMessageW(status, SB_GETPARTS, 0, 0), 1);
    EXPECT_EQ(text_of(status), L"\tOrlenza (Developer) - Bastimo (Beta Test)");

    // The stored address, part 1 first, in the field's four number parts.
    std::vector<HWND> parts = children_of(program.control(ControlId::IpField));
    std::sort(parts.begin(), parts.end(),
              [&](HWND a, HWND b) { return box_in(main, a).left < box_in(main, b).left; });
    std::vector<std::wstring> numbers;
    for (const HWND part : parts) {
        numbers.push_back(text_of(part));
    }
    EXPECT_EQ(numbers, (std::vector<std::wstring>{L"127", L"41", L"9", L"201"}));

    RECT screen_box{};
    ::GetWindowRect(main, &screen_box);
    save_screenshot(g_artefacts / "window.bmp", screen_box);

    EXPECT_EQ(program.close_and_wait(), 0U);
}

TEST(KestravaExe, ConfirmIpAndResetAllSendTheirDatagramsPacedAndCloseEndsTheProgram) {
    Capture capture(g_capture_file);
    std::array<std::int64_t, 4> stored{};
    ASSERT_EQ(std::sscanf(g_capture_address.c_str(), "%lld.%lld.%lld.%lld", &stored[0], &stored[1],
                          &stored[2], &stored[3]),
              4);
    Kestrava program("sends", stored);
    ASSERT_NE(program.main(), nullptr);

    program.click(ControlId::ConfirmIp);
    const std::vector<Datagram> status = capture.take(4, 10s);
    expect_datagrams(status, {{"/-action/initall", 0},
                              {"/-stat/selidx", 0},
                              {"/-stat/chfaderbank", 0x3C23D70A},
                              {"/-stat/grpfaderbank", 0x3F19999A}});
    ASSERT_EQ(status.size(), 4U);
    EXPECT_EQ(status[0].bytes,
              (Bytes{'/', '-', 'a', 'c', 't', 'i', 'o', 'n', '/', 'i', 'n', 'i', 't', 'a',
                     'l', 'l', 0,   0,   0,   0,   ',', 'f', 0,   0,   0,   0,   0,   0}));
    const double confirm_gap = smallest_gap_ms(status);
    std::printf("Confirm IP: smallest gap between status datagrams %.3f ms\n", confirm_gap);
    EXPECT_GE(confirm_gap, 300.0);
    EXPECT_EQ(program.enabled(), kConfirmed);
    std::ifstream saved(program.dir() / "config.cfg", std::ios::binary);
    EXPECT_EQ(Bytes(std::istreambuf_iterator<char>(saved), {}), settings_file(stored));
    saved.close();

    // The handler ends with a 300 ms pause after its last datagram; a click during a
    // handler's own event processing would be dropped, as it is for the operator.
    std::this_thread::sleep_for(500ms);
    program.click(ControlId::ResetAll);
    const std::vector<Datagram> reset = capture.take(21, 15s);
    std::vector<Expected> expected;
    static const std::vector<std::string> faders = [] {
        std::vector<std::string> names;
        for (int channel = 1; channel <= 16; ++channel) {
            char name[32];
            std::snprintf(name, sizeof name, "/ch/%02d/mix/fader", channel);
            names.emplace_back(name);
        }
        names.emplace_back("/main/st/mix/fader");
        return names;
    }();
    for (const std::string& fader : faders) {
        expected.push_back({fader.c_str(), 0});
    }
    for (const char* status_address :
         {"/-action/initall", "/-stat/selidx", "/-stat/chfaderbank", "/-stat/grpfaderbank"}) {
        expected.push_back({status_address, 0});
    }
    expect_datagrams(reset, expected);
    const double reset_gap = smallest_gap_ms(reset);
    std::printf(
        "Reset All: smallest gap between datagrams %.3f ms, first to last %.1f ms\n", reset_gap,
        reset.empty()
            ? 0.0
            : static_cast<double>(reset.back().received_ns - reset.front().received_ns) / 1e6);
    EXPECT_GE(reset_gap, 300.0);

    HWND box = nullptr;
    ASSERT_TRUE(wait_until(
        [&] { return (box = program.find_top_level(nullptr, L"#32770")) != nullptr; }, 10s))
        << "no message box after Reset All";
    EXPECT_EQ(text_of(box), L"Kestrava");
    EXPECT_EQ(::IsWindowEnabled(program.main()), 0) << "the box is modal";
    std::vector<std::wstring> texts;
    std::vector<HWND> buttons;
    bool icon_shown = false;
    for (const HWND child : children_of(box)) {
        if (::IsWindowVisible(child) == 0) {
            continue;
        }
        if (class_of(child) == L"Button") {
            buttons.push_back(child);
        } else if (class_of(child) == L"Static") {
            if ((style_of(child) & SS_TYPEMASK) == SS_ICON) {
                icon_shown = icon_shown || ::SendMessageW(child, STM_GETICON, 0, 0) != 0;
            } else if (!text_of(child).empty()) {
                texts.push_back(text_of(child));
            }
        }
    }
    EXPECT_EQ(texts, (std::vector<std::wstring>{L"Kestrava V2.3 - Reset Ok"}));
    EXPECT_FALSE(icon_shown);
    ASSERT_EQ(buttons.size(), 1U);
    EXPECT_EQ(::GetDlgCtrlID(buttons[0]), IDOK);

    RECT main_box{};
    RECT box_box{};
    ::GetWindowRect(program.main(), &main_box);
    ::GetWindowRect(box, &box_box);
    RECT both{};
    ::UnionRect(&both, &main_box, &box_box);
    save_screenshot(g_artefacts / "reset-all-box.bmp", both);

    Kestrava::click_button(buttons[0]);
    EXPECT_TRUE(
        wait_until([&] { return ::IsWindow(box) == 0 || ::IsWindowVisible(box) == 0; }, 10s));
    EXPECT_TRUE(wait_until([&] { return program.enabled() == kAfterReset; }, 5s));
    EXPECT_EQ(program.close_and_wait(), 0U);
    EXPECT_EQ(capture.take(0, 0ms).size(), 0U) << "nothing is sent after the box";
}

// The focused control of the program's window, by id; the IP field's number parts
// count as the field.
int focused_id(const Kestrava& program) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (::GetGUIThreadInfo(program.thread_id(), &info) == 0 || info.hwndFocus == nullptr) {
        return 0;
    }
    HWND focus = info.hwndFocus;
    if (::GetParent(focus) != program.main()) {
        focus = ::GetParent(focus);
    }
    return ::GetDlgCtrlID(focus);
}

void press(std::initializer_list<WORD> keys) {
    std::vector<INPUT> inputs;
    for (const WORD key : keys) {
        INPUT down{};
        down.type = INPUT_KEYBOARD;
        down.ki.wVk = key;
        inputs.push_back(down);
    }
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) {
        INPUT up{};
        up.type = INPUT_KEYBOARD;
        up.ki.wVk = *key;
        up.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(up);
    }
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

TEST(KestravaExe, TabAndShiftTabVisitTheEnabledControlsInCreationOrder) {
    Kestrava program("tab", {127, 41, 9, 202});
    ASSERT_NE(program.main(), nullptr);
    ::SetForegroundWindow(program.main());
    ASSERT_TRUE(wait_until([&] { return focused_id(program) != 0; }, 5s))
        << "no control has the focus";

    // With START, Reset All and Stop disabled after start-up, the cycle is Confirm IP,
    // Updates..., IP field.
    const std::vector<int> cycle{44, 99, 3};
    auto visit = [&](std::initializer_list<WORD> keys) {
        std::vector<int> seen{focused_id(program)};
        for (std::size_t i = 0; i < cycle.size(); ++i) {
            const int before = seen.back();
            press(keys);
            wait_until([&] { return focused_id(program) != before; }, 3s);
            seen.push_back(focused_id(program));
        }
        return seen;
    };
    const std::vector<int> forward = visit({VK_TAB});
    const auto start = std::find(cycle.begin(), cycle.end(), forward.front());
    ASSERT_NE(start, cycle.end()) << "focus on " << forward.front();
    std::vector<int> expected;
    for (std::size_t i = 0; i <= cycle.size(); ++i) {
        expected.push_back(
            cycle[(static_cast<std::size_t>(start - cycle.begin()) + i) % cycle.size()]);
    }
    EXPECT_EQ(forward, expected);
    const std::vector<int> backward = visit({VK_SHIFT, VK_TAB});
    EXPECT_EQ(backward, std::vector<int>(expected.rbegin(), expected.rend()));

    EXPECT_EQ(program.close_and_wait(), 0U);
}

}  // namespace
}  // namespace kestrava::test

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s KESTRAVA_EXE ARTEFACT_DIR CAPTURE_ADDRESS CAPTURE_FILE\n",
                     argv[0]);
        return 2;
    }
    using namespace kestrava::test;
    g_exe = native_path(argv[1]);
    g_artefacts = native_path(argv[2]);
    g_capture_address = argv[3];
    g_capture_file = native_path(argv[4]);
    return RUN_ALL_TESTS();
}
