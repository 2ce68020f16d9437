#include "framework/ExchangedEditTexts.h"

#include <mutex>

namespace {
// Every control subclassed to be watched: the procedure it had and the texts object to tell. Kept
// here rather than in window properties, which the watch procedure would have to look up for
// every message the control gets (under Wine each lookup is a round trip to its server).
struct WatchedEdit {
    HWND hWnd;
    WNDPROC pfnOriginal;
    CExchangedEditTexts* pOwner;
};
std::mutex g_watchedLock;   // windows of different threads may be watched
std::vector<WatchedEdit> g_watched;

WatchedEdit* FindWatched(HWND hWnd)
{
    for (WatchedEdit& watched : g_watched) {
        if (watched.hWnd == hWnd)
            return &watched;
    }
    return nullptr;
}
}  // namespace

const CString* CExchangedEditTexts::Unchanged(HWND hWndEdit) const
{
    for (const auto& entry : m_texts) {
        if (entry.first != hWndEdit)
            continue;
        const bool bUnchanged = ::SendMessageW(hWndEdit, EM_GETMODIFY, 0, 0) == 0
            && ::GetWindowTextLengthW(hWndEdit) == entry.second.GetLength();
        return bUnchanged ? &entry.second : nullptr;
    }
    return nullptr;
}

void CExchangedEditTexts::Remember(HWND hWndEdit, const CString& text)
{
    if (CString* pText = Find(hWndEdit)) {
        *pText = text;
        return;
    }
    m_texts.emplace_back(hWndEdit, text);
    std::lock_guard<std::mutex> lock(g_watchedLock);
    if (WatchedEdit* pWatched = FindWatched(hWndEdit)) {
        pWatched->pOwner = this;
        return;
    }
    // Subclassed once for the control's life; it forwards everything to the procedure it had.
    // Listed before the procedure is swapped, so its first message finds it.
    g_watched.push_back({ hWndEdit, reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hWndEdit, GWLP_WNDPROC)), this });
    ::SetWindowLongPtrW(hWndEdit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WatchProc));
}

void CExchangedEditTexts::Append(HWND hWndEdit, LPCWSTR pszTail)
{
    if (CString* pText = Find(hWndEdit))
        *pText += pszTail;
}

void CExchangedEditTexts::Forget(HWND hWndEdit)
{
    for (auto it = m_texts.begin(); it != m_texts.end(); ++it) {
        if (it->first == hWndEdit) {
            m_texts.erase(it);
            return;
        }
    }
}

void CExchangedEditTexts::Clear()
{
    {
        std::lock_guard<std::mutex> lock(g_watchedLock);
        for (WatchedEdit& watched : g_watched) {
            if (watched.pOwner == this)
                watched.pOwner = nullptr;
        }
    }
    m_texts.clear();
}

CString* CExchangedEditTexts::Find(HWND hWndEdit)
{
    for (auto& entry : m_texts) {
        if (entry.first == hWndEdit)
            return &entry.second;
    }
    return nullptr;
}

// A text replaced by anyone, the exchange included (it remembers its own text again right after),
// is fetched by the next exchange.
LRESULT CALLBACK CExchangedEditTexts::WatchProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC pfnOriginal = nullptr;
    CExchangedEditTexts* pOwner = nullptr;
    {
        std::lock_guard<std::mutex> lock(g_watchedLock);
        if (WatchedEdit* pWatched = FindWatched(hWnd)) {
            pfnOriginal = pWatched->pfnOriginal;
            pOwner = pWatched->pOwner;
        }
    }
    if (pfnOriginal == nullptr)   // only listed controls are subclassed; this keeps a stray call safe
        return ::DefWindowProcW(hWnd, message, wParam, lParam);
    if (pOwner != nullptr && (message == WM_SETTEXT || message == EM_SETHANDLE || message == WM_NCDESTROY))
        pOwner->Forget(hWnd);
    const LRESULT result = ::CallWindowProcW(pfnOriginal, hWnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        std::lock_guard<std::mutex> lock(g_watchedLock);
        for (auto it = g_watched.begin(); it != g_watched.end(); ++it) {
            if (it->hWnd == hWnd) {
                g_watched.erase(it);
                break;
            }
        }
    }
    return result;
}
