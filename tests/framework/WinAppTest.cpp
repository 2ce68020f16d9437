// The application object and the framework's start-up contract (AfxWinMain, as wWinMain runs it).
#include <gtest/gtest.h>

#include <string>

#include "framework/CWinApp.h"

namespace {

std::wstring ModuleBaseName()
{
    wchar_t szPath[MAX_PATH];
    ::GetModuleFileNameW(nullptr, szPath, MAX_PATH);
    std::wstring name(szPath);
    name = name.substr(name.find_last_of(L"\\/") + 1);
    return name.substr(0, name.rfind(L'.'));
}

class CRecordingApp : public CWinApp {
public:
    explicit CRecordingApp(BOOL bInitResult, int nQuitCode = 0) : m_bInitResult(bInitResult), m_nQuitCode(nQuitCode) {}

    BOOL InitInstance() override
    {
        ++m_nInitCalls;
        m_bSawInstance = m_hInstance == ::GetModuleHandleW(nullptr);
        if (m_bInitResult)
            ::PostQuitMessage(m_nQuitCode);
        return m_bInitResult;
    }
    int Run() override
    {
        ++m_nRunCalls;
        return CWinApp::Run();
    }

    int m_nInitCalls = 0;
    int m_nRunCalls = 0;
    bool m_bSawInstance = false;

private:
    BOOL m_bInitResult;
    int m_nQuitCode;
};

TEST(WinAppTest, OneApplicationObjectIsRegisteredWithTheModuleName)
{
    EXPECT_EQ(nullptr, AfxGetApp());
    EXPECT_EQ(nullptr, AfxGetMainWnd());
    EXPECT_EQ(ModuleBaseName(), AfxGetAppName());
    {
        CWinApp app;
        EXPECT_EQ(&app, AfxGetApp());
        EXPECT_EQ(ModuleBaseName(), app.m_pszAppName);
        EXPECT_EQ(::GetModuleHandleW(nullptr), AfxGetInstanceHandle());
        EXPECT_EQ(::GetModuleHandleW(nullptr), AfxGetResourceHandle());

        CWinApp second(L"Second");
        EXPECT_EQ(&app, AfxGetApp()) << "the first application object stays the application";

        CWnd mainWnd;
        app.m_pMainWnd = &mainWnd;
        EXPECT_EQ(&mainWnd, AfxGetMainWnd());
        AfxEnableControlContainer();
    }
    EXPECT_EQ(nullptr, AfxGetApp());

    CWinApp named(L"命名");
    EXPECT_STREQ(L"命名", AfxGetAppName());
}

TEST(WinAppTest, StartUpEndsWhenInitInstanceReturnsFalse)
{
    CRecordingApp app(FALSE);
    const int nExitCode = AfxWinMain(::GetModuleHandleW(nullptr), nullptr, const_cast<LPWSTR>(L""), SW_SHOWNORMAL);
    EXPECT_EQ(0, nExitCode);
    EXPECT_EQ(1, app.m_nInitCalls);
    EXPECT_TRUE(app.m_bSawInstance);
    EXPECT_EQ(0, app.m_nRunCalls) << "no message loop after InitInstance returned FALSE";
    EXPECT_EQ(SW_SHOWNORMAL, app.m_nCmdShow);
}

TEST(WinAppTest, StartUpRunsTheMessageLoopWhenInitInstanceReturnsTrue)
{
    CRecordingApp app(TRUE, 7);
    EXPECT_EQ(7, AfxWinMain(::GetModuleHandleW(nullptr), nullptr, const_cast<LPWSTR>(L""), SW_SHOWMINIMIZED));
    EXPECT_EQ(1, app.m_nRunCalls);
    EXPECT_EQ(SW_SHOWMINIMIZED, app.m_nCmdShow);
}

TEST(WinAppTest, StartUpWithoutApplicationFails)
{
    EXPECT_EQ(-1, AfxWinMain(::GetModuleHandleW(nullptr), nullptr, const_cast<LPWSTR>(L""), SW_SHOWNORMAL));
}

TEST(WinAppTest, SetRegistryKeyOnlyRecordsTheKey)
{
    const wchar_t kKey[] = L"应用程序向导生成的本地应用程序";
    const std::wstring path = std::wstring(L"Software\\") + kKey;
    HKEY hKey = nullptr;
    ASSERT_NE(ERROR_SUCCESS, ::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &hKey));

    CWinApp app(L"Profiled");
    EXPECT_EQ(nullptr, app.m_pszRegistryKey);
    app.SetRegistryKey(kKey);
    EXPECT_STREQ(kKey, app.m_pszRegistryKey);
    EXPECT_STREQ(L"Profiled", app.m_pszProfileName);
    EXPECT_NE(ERROR_SUCCESS, ::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &hKey))
        << "nothing is written to the registry";
}

}  // namespace
