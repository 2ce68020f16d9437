#include "tests/support/NotificationRecorder.h"

namespace
{
const wchar_t kClassName[] = L"LumetraNotificationRecorder";

ATOM RegisterRecorderClass()
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    return ::RegisterClassW(&wc);
}
} // namespace

NotificationRecorder::NotificationRecorder()
{
    static const ATOM atom = RegisterRecorderClass();
    (void)atom;
    m_hWnd = ::CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               ::GetModuleHandleW(nullptr), nullptr);
    MSG msg;
    ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); // makes sure the thread has a queue
    Drain(WM_USER, 0x7FFF); // left over from earlier recorders on this thread
}

NotificationRecorder::~NotificationRecorder()
{
    DestroyWindow();
}

void NotificationRecorder::DestroyWindow()
{
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
}

std::vector<NotificationRecorder::Message> NotificationRecorder::Drain(UINT first, UINT last)
{
    std::vector<Message> messages;
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, first, last, PM_REMOVE))
        messages.push_back({msg.hwnd, msg.message, msg.wParam, msg.lParam});
    return messages;
}

std::vector<NotificationRecorder::Message> NotificationRecorder::WaitFor(UINT first, UINT last,
                                                                          DWORD dwTimeoutMs)
{
    const DWORD dwStart = ::GetTickCount();
    std::vector<Message> messages = Drain(first, last);
    while (messages.empty())
    {
        const DWORD dwElapsed = ::GetTickCount() - dwStart;
        if (dwElapsed >= dwTimeoutMs)
            break;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, dwTimeoutMs - dwElapsed, QS_POSTMESSAGE);
        messages = Drain(first, last);
    }
    return messages;
}
