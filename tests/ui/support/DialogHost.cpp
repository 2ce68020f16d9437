#include "tests/ui/support/DialogHost.h"

#include "framework/CWinApp.h"

// The test program's application object, so that AfxGetApp() and AfxGetMainWnd() answer as in the
// real program; the host makes the dialog it runs the main window.
CWinApp theTestApp;

namespace {

const wchar_t kHelperClass[] = L"LumetraTestDialogHostHelper";

void RegisterHelperClass(WNDPROC pfnProc)
{
    static std::once_flag registered;
    std::call_once(registered, [pfnProc] {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = pfnProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = kHelperClass;
        ::RegisterClassW(&wc);
    });
}

}  // namespace

namespace dialog_host {

bool WaitUntil(const std::function<bool()>& condition, DWORD nTimeLimitMs)
{
    const ULONGLONG nEnd = ::GetTickCount64() + nTimeLimitMs;
    while (!condition()) {
        if (::GetTickCount64() >= nEnd)
            return false;
        ::Sleep(5);   // polling interval, not a wait for the result
    }
    return true;
}

}  // namespace dialog_host

// ---- Lifetime and the dialog thread ----

void DialogHostBase::Start(DialogFactory makeDialog, DWORD nTimeLimitMs)
{
    m_hReady = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_hEnded = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_thread = std::thread([this, makeDialog] { ThreadMain(makeDialog); });
    ::WaitForSingleObject(m_hReady, nTimeLimitMs);
}

DialogHostBase::~DialogHostBase()
{
    if (m_thread.joinable())
        m_thread.join();
    m_pDialog.reset();
    if (m_hReady != nullptr)
        ::CloseHandle(m_hReady);
    if (m_hEnded != nullptr)
        ::CloseHandle(m_hEnded);
}

void DialogHostBase::ThreadMain(DialogFactory makeDialog)
{
    RegisterHelperClass(&DialogHostBase::HelperProc);
    m_hWndHelper = ::CreateWindowExW(0, kHelperClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     ::GetModuleHandleW(nullptr), nullptr);
    ::SetWindowLongPtrW(m_hWndHelper, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_pDialog = makeDialog();
    CWinApp* pApp = AfxGetApp();
    const bool bMainWindow = pApp != nullptr && pApp->m_pMainWnd == nullptr;
    if (bMainWindow)
        pApp->m_pMainWnd = m_pDialog.get();
    // The modal loop dispatches the helper's timer once it runs; the timer hands over the window.
    ::SetTimer(m_hWndHelper, kReadyTimer, 10, nullptr);
    m_nResult = m_pDialog->DoModal();
    if (bMainWindow)
        pApp->m_pMainWnd = nullptr;
    ::KillTimer(m_hWndHelper, kReadyTimer);
    ::SetEvent(m_hReady);   // also when the dialog never came up

    std::deque<std::function<void()>> remaining;
    {
        std::lock_guard<std::mutex> lock(m_queueMutex);
        m_bQueueClosed = true;
        remaining.swap(m_queue);
    }
    for (std::function<void()>& fn : remaining)
        fn();
    ::DestroyWindow(m_hWndHelper);
    ::SetEvent(m_hEnded);
}

LRESULT CALLBACK DialogHostBase::HelperProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    DialogHostBase* pHost = reinterpret_cast<DialogHostBase*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (pHost != nullptr && message == WM_TIMER && wParam == kReadyTimer) {
        pHost->CheckReady();
        return 0;
    }
    if (pHost != nullptr && message == kRunQueuedMessage) {
        pHost->RunQueued();
        return 0;
    }
    return ::DefWindowProcW(hWnd, message, wParam, lParam);
}

void DialogHostBase::CheckReady()
{
    HWND hWnd = m_pDialog->GetSafeHwnd();
    if (hWnd == nullptr || !::IsWindowVisible(hWnd))
        return;
    ::KillTimer(m_hWndHelper, kReadyTimer);
    m_hWnd = hWnd;
    ::SetEvent(m_hReady);
}

void DialogHostBase::Queue(std::function<void()> fn) const
{
    {
        std::lock_guard<std::mutex> lock(m_queueMutex);
        if (!m_bQueueClosed) {
            m_queue.push_back(std::move(fn));
            ::PostMessageW(m_hWndHelper, kRunQueuedMessage, 0, 0);
            return;
        }
    }
    // The dialog thread has finished with the dialog: run here.
    fn();
}

void DialogHostBase::RunQueued()
{
    for (;;) {
        std::function<void()> fn;
        {
            std::lock_guard<std::mutex> lock(m_queueMutex);
            if (m_queue.empty())
                return;
            fn = std::move(m_queue.front());
            m_queue.pop_front();
        }
        fn();
    }
}

bool DialogHostBase::IsRunning() const
{
    return m_hWnd != nullptr && ::WaitForSingleObject(m_hEnded, 0) == WAIT_TIMEOUT;
}

bool DialogHostBase::WaitForEnd(DWORD nTimeLimitMs)
{
    return ::WaitForSingleObject(m_hEnded, nTimeLimitMs) == WAIT_OBJECT_0;
}

void DialogHostBase::End(INT_PTR nResult)
{
    if (!IsRunning())
        return;
    // A box the dialog shows would keep its modal loop, and so the dialog, alive.
    for (HWND hWndBox = FindOwnedBox(); hWndBox != nullptr; hWndBox = FindOwnedBox()) {
        if (!PressOk(hWndBox))
            ::PostMessageW(hWndBox, WM_CLOSE, 0, 0);
    }
    HWND hWnd = m_hWnd;
    RunOnDialogThreadAsync([hWnd, nResult] { ::EndDialog(hWnd, nResult); });
    WaitForEnd();
}

// ---- Acting as the user ----

void DialogHostBase::Click(int nID)
{
    ClickAsync(nID).get();
}

std::future<void> DialogHostBase::ClickAsync(int nID)
{
    HWND hWnd = m_hWnd;
    return RunOnDialogThreadAsync([hWnd, nID] {
        HWND hWndControl = ::GetDlgItem(hWnd, nID);
        if (hWndControl != nullptr && testsupport::ClassName(hWndControl) == L"Button") {
            const LONG nType = ::GetWindowLongW(hWndControl, GWL_STYLE) & BS_TYPEMASK;
            const LRESULT nState = ::SendMessageW(hWndControl, BM_GETCHECK, 0, 0);
            if (nType == BS_AUTOCHECKBOX)
                ::SendMessageW(hWndControl, BM_SETCHECK, nState == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
            else if (nType == BS_AUTO3STATE)
                ::SendMessageW(hWndControl, BM_SETCHECK, (nState + 1) % 3, 0);
            else if (nType == BS_AUTORADIOBUTTON)
                ::SendMessageW(hWndControl, BM_SETCHECK, BST_CHECKED, 0);
        }
        ::SendMessageW(hWnd, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED), reinterpret_cast<LPARAM>(hWndControl));
    });
}

void DialogHostBase::SetText(int nID, const std::wstring& text)
{
    HWND hWnd = m_hWnd;
    RunOnDialogThread([hWnd, nID, text] { ::SetDlgItemTextW(hWnd, nID, text.c_str()); });
}

void DialogHostBase::Type(int nID, const std::wstring& chars)
{
    HWND hWnd = m_hWnd;
    RunOnDialogThread([hWnd, nID, chars] {
        HWND hWndControl = ::GetDlgItem(hWnd, nID);
        for (wchar_t ch : chars)
            ::SendMessageW(hWndControl, WM_CHAR, ch, 1);
    });
}

void DialogHostBase::SelectComboItem(int nID, int nIndex, bool bNotify)
{
    HWND hWnd = m_hWnd;
    RunOnDialogThread([hWnd, nID, nIndex, bNotify] {
        HWND hWndControl = ::GetDlgItem(hWnd, nID);
        ::SendMessageW(hWndControl, CB_SETCURSEL, static_cast<WPARAM>(nIndex), 0);
        if (bNotify)
            ::SendMessageW(hWnd, WM_COMMAND, MAKEWPARAM(nID, CBN_SELCHANGE), reinterpret_cast<LPARAM>(hWndControl));
    });
}

void DialogHostBase::SetCheck(int nID, UINT nState)
{
    HWND hWnd = m_hWnd;
    RunOnDialogThread([hWnd, nID, nState] { ::CheckDlgButton(hWnd, nID, nState); });
}

void DialogHostBase::SysCommand(UINT nCommand, LPARAM lParam)
{
    SysCommandAsync(nCommand, lParam).get();
}

std::future<void> DialogHostBase::SysCommandAsync(UINT nCommand, LPARAM lParam)
{
    HWND hWnd = m_hWnd;
    return RunOnDialogThreadAsync([hWnd, nCommand, lParam] { ::SendMessageW(hWnd, WM_SYSCOMMAND, nCommand, lParam); });
}

// ---- Reading what the user sees ----

std::wstring DialogHostBase::Text(int nID) const
{
    HWND hWndControl = Item(nID);
    return RunOnDialogThread([hWndControl] { return dialog_host::WindowText(hWndControl); });
}

std::vector<std::wstring> DialogHostBase::ComboItems(int nID) const
{
    HWND hWndControl = Item(nID);
    return RunOnDialogThread([hWndControl] {
        std::vector<std::wstring> items;
        const int nCount = static_cast<int>(::SendMessageW(hWndControl, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < nCount; ++i) {
            const int nLength = static_cast<int>(::SendMessageW(hWndControl, CB_GETLBTEXTLEN, i, 0));
            std::wstring item(static_cast<size_t>(nLength > 0 ? nLength : 0) + 1, L'\0');
            const int nCopied = static_cast<int>(::SendMessageW(hWndControl, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&item[0])));
            item.resize(static_cast<size_t>(nCopied > 0 ? nCopied : 0));
            items.push_back(item);
        }
        return items;
    });
}

int DialogHostBase::ComboSelection(int nID) const
{
    HWND hWndControl = Item(nID);
    return RunOnDialogThread(
        [hWndControl] { return static_cast<int>(::SendMessageW(hWndControl, CB_GETCURSEL, 0, 0)); });
}

std::wstring DialogHostBase::ComboSelectedText(int nID) const
{
    const int nSelection = ComboSelection(nID);
    if (nSelection < 0)
        return std::wstring();
    const std::vector<std::wstring> items = ComboItems(nID);
    return static_cast<size_t>(nSelection) < items.size() ? items[static_cast<size_t>(nSelection)] : std::wstring();
}

UINT DialogHostBase::CheckState(int nID) const
{
    HWND hWnd = m_hWnd;
    return RunOnDialogThread([hWnd, nID] { return ::IsDlgButtonChecked(hWnd, nID); });
}

HWND DialogHostBase::Focus() const
{
    // With no window manager, X may hand its input focus to the root window when a box the dialog
    // owned closes; Wine then deactivates the dialog and its thread has no focus at all. Bringing
    // the dialog to the front again restores the control it recorded as its focus, as on Windows.
    HWND hWnd = m_hWnd;
    HWND hWndFocus = nullptr;
    dialog_host::WaitUntil([&] {
        hWndFocus = RunOnDialogThread([hWnd] {
            if (::GetForegroundWindow() != hWnd)
                ::SetForegroundWindow(hWnd);
            return ::GetFocus();
        });
        return hWndFocus != nullptr;
    });
    return hWndFocus;
}

// ---- Boxes ----

HWND DialogHostBase::FindOwnedBox() const
{
    return testsupport::FindOwnedBox(m_hWnd);
}

HWND DialogHostBase::WaitForOwnedBox(DWORD nTimeLimitMs) const
{
    HWND hWndBox = nullptr;
    dialog_host::WaitUntil([&] { return (hWndBox = FindOwnedBox()) != nullptr; }, nTimeLimitMs);
    return hWndBox;
}

bool DialogHostBase::PressOk(HWND hWndBox, DWORD nTimeLimitMs)
{
    HWND hWndOk = ::GetDlgItem(hWndBox, IDOK);
    if (hWndOk == nullptr)
        return false;
    ::PostMessageW(hWndBox, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(hWndOk));
    return dialog_host::WaitUntil([hWndBox] { return !::IsWindow(hWndBox); }, nTimeLimitMs);
}

std::optional<dialog_host::ShownBox> DialogHostBase::DismissMessageBox(DWORD nTimeLimitMs) const
{
    HWND hWndBox = WaitForOwnedBox(nTimeLimitMs);
    if (hWndBox == nullptr)
        return std::nullopt;
    dialog_host::ShownBox box = testsupport::ReadBox(hWndBox);
    if (!PressOk(hWndBox, nTimeLimitMs))
        return std::nullopt;
    return box;
}
