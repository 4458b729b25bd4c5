#include "ui/win32/win32_toolkit.h"
// win32_toolkit.h brings in windows.h, which the headers below build on.
#include <commctrl.h>
#include <objbase.h>

#include "app/build_config.h"
#include "app/program.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX classes{};
    classes.dwSize = sizeof classes;
    classes.dwICC =
        ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS | ICC_INTERNET_CLASSES;
    ::InitCommonControlsEx(&classes);
    // The shell request of the Updates button wants COM on this thread.
    const HRESULT com =
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

    int exit_code = 0;
    {
        kestrava::Win32Toolkit toolkit(instance);
        const auto net = kestrava::make_system_net();
        const auto files = kestrava::make_system_files();
        kestrava::ProgramConfig config;
        config.web_host = KESTRAVA_WEB_HOST;
        config.updates_address = KESTRAVA_UPDATES_ADDRESS;
        kestrava::Program program(toolkit, *net, *files, config);
        exit_code = kestrava::run_program(program);
    }

    if (SUCCEEDED(com)) {
        ::CoUninitialize();
    }
    return exit_code;
}
