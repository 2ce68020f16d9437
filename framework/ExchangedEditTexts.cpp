#include "framework/ExchangedEditTexts.h"

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
    if (CString* pText = Find(hWndEdit))
        *pText = text;
    else
        m_texts.emplace_back(hWndEdit, text);
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

CString* CExchangedEditTexts::Find(HWND hWndEdit)
{
    for (auto& entry : m_texts) {
        if (entry.first == hWndEdit)
            return &entry.second;
    }
    return nullptr;
}
