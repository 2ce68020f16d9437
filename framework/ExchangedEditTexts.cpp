#include "framework/ExchangedEditTexts.h"

namespace {
// Window properties of a watched control: the texts object to tell, and the procedure it had.
const wchar_t kOwnerProp[] = L"Framework.ExchangedEditTexts";
const wchar_t kProcProp[] = L"Framework.ExchangedEditTexts.Proc";
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
    ::SetPropW(hWndEdit, kOwnerProp, this);
    // Subclassed once for the control's life; it forwards everything to the procedure it had.
    if (::GetPropW(hWndEdit, kProcProp) == nullptr) {
        const LONG_PTR pfnOriginal = ::SetWindowLongPtrW(hWndEdit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WatchProc));
        ::SetPropW(hWndEdit, kProcProp, reinterpret_cast<HANDLE>(pfnOriginal));
    }
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
    for (const auto& entry : m_texts) {
        if (::IsWindow(entry.first) && ::GetPropW(entry.first, kOwnerProp) == this)
            ::RemovePropW(entry.first, kOwnerProp);
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
    const WNDPROC pfnOriginal = reinterpret_cast<WNDPROC>(::GetPropW(hWnd, kProcProp));
    if (message == WM_SETTEXT || message == EM_SETHANDLE) {
        if (CExchangedEditTexts* pOwner = static_cast<CExchangedEditTexts*>(::GetPropW(hWnd, kOwnerProp)))
            pOwner->Forget(hWnd);
    }
    const LRESULT result = ::CallWindowProcW(pfnOriginal, hWnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        if (CExchangedEditTexts* pOwner = static_cast<CExchangedEditTexts*>(::GetPropW(hWnd, kOwnerProp)))
            pOwner->Forget(hWnd);
        ::RemovePropW(hWnd, kOwnerProp);
        ::RemovePropW(hWnd, kProcProp);
    }
    return result;
}
