#include "ui/receive/ReceiveTextDecoder.h"

#include <algorithm>

namespace {

// Bytes at the end of a UTF-8 text that start a sequence without all of its continuation bytes
// (0 when the text ends on a character boundary or the tail is not valid UTF-8 anyway).
size_t IncompleteUtf8Tail(const std::string& bytes)
{
    const size_t nSize = bytes.size();
    for (size_t nBack = 1; nBack <= 3 && nBack <= nSize; ++nBack) {
        const unsigned char ch = static_cast<unsigned char>(bytes[nSize - nBack]);
        if ((ch & 0xC0) == 0x80)
            continue;   // a continuation byte: the sequence starts further back
        size_t nNeeded = 1;
        if (ch >= 0xC2 && ch <= 0xDF)
            nNeeded = 2;
        else if (ch >= 0xE0 && ch <= 0xEF)
            nNeeded = 3;
        else if (ch >= 0xF0 && ch <= 0xF4)
            nNeeded = 4;
        return nNeeded > nBack ? nBack : 0;
    }
    return 0;
}

// 1 when a double-byte text ends with a lead byte that has no trail byte yet, else 0. Trail bytes
// can look like lead bytes, so the text is walked character by character from its start.
size_t IncompleteDbcsTail(UINT nCodePage, const std::string& bytes)
{
    size_t i = 0;
    while (i < bytes.size()) {
        if (!::IsDBCSLeadByteEx(nCodePage, static_cast<BYTE>(bytes[i]))) {
            ++i;
            continue;
        }
        if (i + 1 == bytes.size())
            return 1;
        i += 2;
    }
    return 0;
}

size_t IncompleteTail(UINT nCodePage, const std::string& bytes)
{
    if (nCodePage == CP_UTF8)
        return IncompleteUtf8Tail(bytes);
    CPINFO info;
    if (::GetCPInfo(nCodePage, &info) && info.MaxCharSize == 2)
        return IncompleteDbcsTail(nCodePage, bytes);
    return 0;
}

}  // namespace

CReceiveTextDecoder::CReceiveTextDecoder(UINT nCodePage) : m_nCodePage(nCodePage)
{
}

// The thread's ANSI code page is the default ANSI code page of its locale; a locale without one
// falls back to the system's.
UINT CReceiveTextDecoder::ResolveCodePage() const
{
    if (m_nCodePage == CP_ACP)
        return ::GetACP();
    if (m_nCodePage != CP_THREAD_ACP)
        return m_nCodePage;
    UINT nCodePage = 0;
    if (::GetLocaleInfoW(::GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                         reinterpret_cast<LPWSTR>(&nCodePage), sizeof nCodePage / sizeof(WCHAR)) == 0
        || nCodePage == CP_ACP)
        return ::GetACP();
    return nCodePage;
}

std::wstring CReceiveTextDecoder::Decode(const BYTE* pBytes, DWORD nCount)
{
    std::string bytes;
    bytes.swap(m_pending);
    if (nCount > 0)
        bytes.append(reinterpret_cast<const char*>(pBytes), nCount);

    const UINT nCodePage = ResolveCodePage();
    const size_t nHeld = IncompleteTail(nCodePage, bytes);
    m_pending.assign(bytes, bytes.size() - nHeld, nHeld);
    bytes.resize(bytes.size() - nHeld);
    if (bytes.empty())
        return std::wstring();

    // The whole run is converted with its length, so a zero byte ends nothing: it becomes U+0000,
    // which is then taken out.
    const int nBytes = static_cast<int>(bytes.size());
    const int nWide = ::MultiByteToWideChar(nCodePage, 0, bytes.data(), nBytes, nullptr, 0);
    if (nWide <= 0)
        return std::wstring();
    std::wstring text(static_cast<size_t>(nWide), L'\0');
    ::MultiByteToWideChar(nCodePage, 0, bytes.data(), nBytes, &text[0], nWide);
    text.erase(std::remove(text.begin(), text.end(), L'\0'), text.end());
    return text;
}
