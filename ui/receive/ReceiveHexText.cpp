#include "ui/receive/ReceiveHexText.h"

void AppendHexText(std::wstring& text, const BYTE* pBytes, DWORD nCount)
{
    static const wchar_t kDigits[] = L"0123456789ABCDEF";
    const size_t nStart = text.size();
    text.resize(nStart + 3 * static_cast<size_t>(nCount));
    wchar_t* pOut = &text[0] + nStart;
    for (DWORD i = 0; i < nCount; ++i) {
        *pOut++ = kDigits[pBytes[i] >> 4];
        *pOut++ = kDigits[pBytes[i] & 0x0F];
        *pOut++ = L' ';
    }
}
