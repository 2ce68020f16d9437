// Lumetra.exe as a process: it shows its main window, the About box is owned by that window, and
// closing the window ends the process, with no second window and no message loop left running.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/MainCaption.h"
#include "resources/resource.h"
#include "tests/ui/support/DialogHost.h"

#ifndef LUMETRA_EXE_PATH
#error "LUMETRA_EXE_PATH must name Lumetra.exe"
#endif

namespace {

const wchar_t kMainCaption[] = L"" LUMETRA_MAIN_CAPTION;
const DWORD kStartLimitMs = 30000;   // a cold Wine start of a GUI program can be slow

// The build names the program by its host path; Wine shows the host's root as drive Z:.
std::wstring ProgramPath()
{
    const std::string path = LUMETRA_EXE_PATH;
    std::wstring windowsPath = path.rfind('/', 0) == 0 ? L"Z:" : L"";
    for (char ch : path)
        windowsPath += ch == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(ch));
    return windowsPath;
}

struct WindowsOf {
    DWORD nProcessId;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectVisibleWindow(HWND hWnd, LPARAM lParam)
{
    WindowsOf* pWindows = reinterpret_cast<WindowsOf*>(lParam);
    DWORD nProcessId = 0;
    ::GetWindowThreadProcessId(hWnd, &nProcessId);
    if (nProcessId == pWindows->nProcessId && ::IsWindowVisible(hWnd))
        pWindows->windows.push_back(hWnd);
    return TRUE;
}

std::vector<HWND> VisibleTopLevelWindows(DWORD nProcessId)
{
    WindowsOf windows = { nProcessId, {} };
    ::EnumWindows(&CollectVisibleWindow, reinterpret_cast<LPARAM>(&windows));
    return windows.windows;
}

// One run of Lumetra.exe; a run still alive at the end of a test is stopped by force.
class LumetraProcess {
public:
    LumetraProcess()
    {
        std::wstring commandLine = L"\"" + ProgramPath() + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        m_bStarted = ::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                      nullptr, &startup, &m_info) != FALSE;
    }
    ~LumetraProcess()
    {
        if (!m_bStarted)
            return;
        if (!HasEnded(0)) {
            ::TerminateProcess(m_info.hProcess, 1);
            ::WaitForSingleObject(m_info.hProcess, 5000);
        }
        ::CloseHandle(m_info.hThread);
        ::CloseHandle(m_info.hProcess);
    }
    LumetraProcess(const LumetraProcess&) = delete;
    LumetraProcess& operator=(const LumetraProcess&) = delete;

    bool Started() const { return m_bStarted; }
    DWORD Id() const { return m_info.dwProcessId; }
    bool HasEnded(DWORD nTimeLimitMs) const { return ::WaitForSingleObject(m_info.hProcess, nTimeLimitMs) == WAIT_OBJECT_0; }
    DWORD ExitCode() const
    {
        DWORD nCode = STILL_ACTIVE;
        ::GetExitCodeProcess(m_info.hProcess, &nCode);
        return nCode;
    }

    // The main window, once this process shows it; null if it does not in time.
    HWND WaitForMainWindow() const
    {
        HWND hWnd = nullptr;
        dialog_host::WaitUntil([&] {
            hWnd = ::FindWindowW(L"#32770", kMainCaption);
            DWORD nProcessId = 0;
            if (hWnd != nullptr)
                ::GetWindowThreadProcessId(hWnd, &nProcessId);
            return nProcessId == Id() && ::IsWindowVisible(hWnd);
        }, kStartLimitMs);
        return hWnd;
    }

private:
    bool m_bStarted = false;
    PROCESS_INFORMATION m_info = {};
};

struct CloseCase {
    const char* pszName;
    UINT message;
    WPARAM wParam;
};

TEST(LumetraProgram, ClosingTheMainWindowEndsTheProcess)
{
    const CloseCase cases[] = {
        { "WM_CLOSE", WM_CLOSE, 0 },
        { "IDCANCEL", WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED) },
        { "system menu Close", WM_SYSCOMMAND, SC_CLOSE },
    };
    for (const CloseCase& closeCase : cases) {
        SCOPED_TRACE(closeCase.pszName);
        LumetraProcess program;
        ASSERT_TRUE(program.Started()) << "cannot start " << LUMETRA_EXE_PATH;
        HWND hWndMain = program.WaitForMainWindow();
        ASSERT_NE(nullptr, hWndMain) << "no main window";
        EXPECT_EQ(std::vector<HWND>{ hWndMain }, VisibleTopLevelWindows(program.Id()));

        ::PostMessageW(hWndMain, closeCase.message, closeCase.wParam, 0);
        ASSERT_TRUE(program.HasEnded(kStartLimitMs)) << "the process kept running";
        EXPECT_EQ(0u, program.ExitCode());
        EXPECT_FALSE(::IsWindow(hWndMain));
    }
}

TEST(LumetraProgram, AboutBoxIsOwnedByTheMainWindow)
{
    LumetraProcess program;
    ASSERT_TRUE(program.Started()) << "cannot start " << LUMETRA_EXE_PATH;
    HWND hWndMain = program.WaitForMainWindow();
    ASSERT_NE(nullptr, hWndMain) << "no main window";

    ::PostMessageW(hWndMain, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    HWND hWndAbout = nullptr;
    EXPECT_TRUE(dialog_host::WaitUntil([&] {
        hWndAbout = ::FindWindowW(L"#32770", L"关于 Lumetra");
        return hWndAbout != nullptr && ::IsWindowVisible(hWndAbout);
    }));
    ASSERT_NE(nullptr, hWndAbout);
    EXPECT_EQ(hWndMain, ::GetWindow(hWndAbout, GW_OWNER));
    EXPECT_TRUE(DialogHostBase::PressOk(hWndAbout));

    ::PostMessageW(hWndMain, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.HasEnded(kStartLimitMs)) << "the process kept running";
}

}  // namespace
