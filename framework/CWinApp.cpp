#include "framework/CWinApp.h"

namespace {

CWinApp* g_pApp = nullptr;   // the one application object; set by its constructor

// The program module's file name without folder and extension.
CString ModuleBaseName()
{
    wchar_t szPath[MAX_PATH];
    const DWORD nLength = ::GetModuleFileNameW(nullptr, szPath, MAX_PATH);
    if (nLength == 0 || nLength >= MAX_PATH)
        return CString();
    LPCWSTR pszName = szPath;
    for (LPCWSTR p = szPath; *p != L'\0'; ++p) {
        if (*p == L'\\' || *p == L'/')
            pszName = p + 1;
    }
    CString name(pszName);
    for (int i = name.GetLength() - 1; i >= 0; --i) {
        if (name[i] == L'.')
            return CString(name.GetString(), i);
    }
    return name;
}

}  // namespace

CWinApp::CWinApp(LPCTSTR lpszAppName)
    : m_hInstance(::GetModuleHandleW(nullptr)),
      m_strAppName(lpszAppName != nullptr ? CString(lpszAppName) : ModuleBaseName())
{
    m_pszAppName = m_strAppName;
    if (g_pApp == nullptr)
        g_pApp = this;
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = nullptr;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::Run()
{
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    if (msg.message == WM_QUIT)
        m_nQuitCode = static_cast<int>(msg.wParam);
    return ExitInstance();
}

int CWinApp::ExitInstance()
{
    return m_nQuitCode;
}

void CWinApp::SetRegistryKey(LPCTSTR lpszRegistryKey)
{
    m_strRegistryKey = lpszRegistryKey;
    m_pszRegistryKey = m_strRegistryKey;
    m_pszProfileName = m_pszAppName;
}

void CWinApp::SetRegistryKey(UINT nIDRegistryKey)
{
    CString key;
    key.LoadString(nIDRegistryKey);
    SetRegistryKey(key);
}

HICON CWinApp::LoadIcon(UINT nIDResource) const
{
    return ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nIDResource));
}

HICON CWinApp::LoadIcon(LPCTSTR lpszResourceName) const
{
    return ::LoadIconW(AfxGetResourceHandle(), lpszResourceName);
}

void CWinApp::OnHelp()
{
}

CWinApp* AfxGetApp()
{
    return g_pApp;
}

CWnd* AfxGetMainWnd()
{
    return g_pApp != nullptr ? g_pApp->m_pMainWnd : nullptr;
}

HINSTANCE AfxGetInstanceHandle()
{
    return g_pApp != nullptr ? g_pApp->m_hInstance : ::GetModuleHandleW(nullptr);
}

HINSTANCE AfxGetResourceHandle()
{
    return AfxGetInstanceHandle();
}

LPCTSTR AfxGetAppName()
{
    if (g_pApp != nullptr)
        return g_pApp->m_pszAppName;
    static const CString moduleName = ModuleBaseName();
    return moduleName;
}

void AfxEnableControlContainer(COccManager*)
{
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPTSTR lpCmdLine, int nCmdShow)
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr)
        return -1;
    pApp->m_hInstance = hInstance;
    pApp->m_lpCmdLine = lpCmdLine;
    pApp->m_nCmdShow = nCmdShow;
    if (!pApp->InitInstance())
        return pApp->ExitInstance();
    return pApp->Run();
}

// The entry point of a Unicode Windows program. It lives here, beside the application object's
// constructor, so that a program pulls it from the static library together with CWinApp (the
// run-time's reference to wWinMain comes too late in the link to pull a file of its own).
int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow)
{
    return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
