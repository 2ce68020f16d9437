// devsim: a simulated serial device on a COM port, for trying Lumetra without hardware (see
// --help). Exit codes: 0 after Ctrl+C, 1 when the port cannot be opened, 2 for a bad command line.
#include "tools/devsim/DevicePort.h"
#include "tools/devsim/DevsimOptions.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// The thread that plays the device; the console control handler runs on a thread of its own.
DWORD g_dwDeviceThreadId = 0;

BOOL WINAPI OnConsoleControl(DWORD /*dwCtrlType*/)
{
    PostThreadMessageW(g_dwDeviceThreadId, WM_QUIT, 0, 0);
    return TRUE;
}

// The greeting goes out in the ANSI code page, the one the terminal decodes with.
std::string ToAnsi(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], size,
                        nullptr, nullptr);
    return bytes;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    devsim::DevsimOptions options;
    std::wstring error;
    switch (devsim::ParseOptions(argc, argv, options, error)) {
    case devsim::ParseOutcome::ShowHelp:
        fputws(devsim::UsageText().c_str(), stdout);
        return 0;
    case devsim::ParseOutcome::Invalid:
        fwprintf(stderr, L"devsim: %ls\n(devsim --help lists the options)\n", error.c_str());
        return 2;
    case devsim::ParseOutcome::Run:
        break;
    }

    devsim::DeviceBehaviour behaviour;
    behaviour.greeting = ToAnsi(options.greeting);
    behaviour.echo = options.echo;
    behaviour.statusOn = options.status;
    behaviour.statusIntervalMs = options.statusIntervalSeconds * 1000ull;
    devsim::CDeviceSimulator device(behaviour);

    g_dwDeviceThreadId = GetCurrentThreadId();
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    return devsim::RunDeviceOnPort(options.port, options.baud, device) ? 0 : 1;
}
