#include "framework/CString.h"

#include <cstdarg>
#include <cwchar>

#include "framework/CWinApp.h"

namespace {

// Appends a zero-terminated string in the thread's ANSI code page, converted to UTF-16.
void AppendAnsi(std::wstring& str, LPCSTR psz)
{
    if (psz == nullptr || *psz == '\0')
        return;
    const int nWide = ::MultiByteToWideChar(CP_THREAD_ACP, 0, psz, -1, nullptr, 0);
    if (nWide <= 1)
        return;
    const size_t nOld = str.size();
    str.resize(nOld + static_cast<size_t>(nWide));   // room for the converted terminator too
    ::MultiByteToWideChar(CP_THREAD_ACP, 0, psz, -1, &str[nOld], nWide);
    str.resize(nOld + static_cast<size_t>(nWide) - 1);
}

}  // namespace

CString::CString(LPCWSTR psz)
{
    if (psz != nullptr)
        m_str = psz;
}

CString::CString(LPCWSTR pch, int nLength)
{
    if (pch != nullptr && nLength > 0)
        m_str.assign(pch, static_cast<size_t>(nLength));
}

CString::CString(wchar_t ch, int nRepeat)
{
    if (nRepeat > 0)
        m_str.assign(static_cast<size_t>(nRepeat), ch);
}

CString::CString(LPCSTR psz)
{
    AppendAnsi(m_str, psz);
}

CString& CString::operator=(LPCWSTR psz)
{
    // psz may point into this string: build the new value before replacing.
    m_str = std::wstring(psz != nullptr ? psz : L"");
    return *this;
}

CString& CString::operator=(LPCSTR psz)
{
    std::wstring str;
    AppendAnsi(str, psz);
    m_str.swap(str);
    return *this;
}

CString& CString::operator=(wchar_t ch)
{
    m_str.assign(1, ch);
    return *this;
}

CString& CString::operator+=(const CString& str)
{
    m_str += str.m_str;
    return *this;
}

CString& CString::operator+=(LPCWSTR psz)
{
    if (psz != nullptr)
        m_str += std::wstring(psz);
    return *this;
}

CString& CString::operator+=(wchar_t ch)
{
    m_str += ch;
    return *this;
}

CString& CString::operator+=(LPCSTR psz)
{
    AppendAnsi(m_str, psz);
    return *this;
}

int CString::Delete(int nIndex, int nCount)
{
    const size_t nStart = static_cast<size_t>(nIndex < 0 ? 0 : nIndex);
    if (nCount > 0 && nStart < m_str.size())
        m_str.erase(nStart, static_cast<size_t>(nCount));
    return GetLength();
}

int CString::Compare(LPCWSTR psz) const
{
    return std::wcscmp(m_str.c_str(), psz != nullptr ? psz : L"");
}

int CString::CompareNoCase(LPCWSTR psz) const
{
    return ::lstrcmpiW(m_str.c_str(), psz != nullptr ? psz : L"");
}

void CString::Format(LPCWSTR pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

void CString::FormatV(LPCWSTR pszFormat, va_list args)
{
    // The run-time's underscored wide printf family follows the Microsoft conventions (%s wide).
    va_list argsForLength;
    va_copy(argsForLength, args);
    const int nLength = _vscwprintf(pszFormat, argsForLength);
    va_end(argsForLength);
    if (nLength < 0) {
        m_str.clear();
        return;
    }
    std::wstring str(static_cast<size_t>(nLength) + 1, L'\0');
    _vsnwprintf(&str[0], str.size(), pszFormat, args);
    str.resize(static_cast<size_t>(nLength));
    m_str.swap(str);   // the arguments may have pointed into this string
}

BOOL CString::LoadString(UINT nID)
{
    // With a zero buffer size LoadStringW hands out a read-only pointer to the resource text.
    LPCWSTR pText = nullptr;
    const int nLength = ::LoadStringW(AfxGetResourceHandle(), nID, reinterpret_cast<LPWSTR>(&pText), 0);
    if (nLength <= 0 || pText == nullptr)
        return FALSE;
    m_str.assign(pText, static_cast<size_t>(nLength));
    return TRUE;
}

LPWSTR CString::GetBuffer(int nMinBufferLength)
{
    if (nMinBufferLength > GetLength())
        m_str.resize(static_cast<size_t>(nMinBufferLength));
    return &m_str[0];
}

void CString::ReleaseBuffer(int nNewLength)
{
    if (nNewLength < 0)
        nNewLength = static_cast<int>(std::wcslen(m_str.c_str()));
    m_str.resize(static_cast<size_t>(nNewLength));
}

bool operator==(const CString& s1, const CString& s2)
{
    return s1.GetLength() == s2.GetLength()
        && std::wmemcmp(s1.GetString(), s2.GetString(), static_cast<size_t>(s1.GetLength())) == 0;
}
bool operator==(const CString& s1, LPCWSTR s2) { return s1.Compare(s2) == 0; }
bool operator==(LPCWSTR s1, const CString& s2) { return s2.Compare(s1) == 0; }
bool operator!=(const CString& s1, const CString& s2) { return !(s1 == s2); }
bool operator!=(const CString& s1, LPCWSTR s2) { return !(s1 == s2); }
bool operator!=(LPCWSTR s1, const CString& s2) { return !(s1 == s2); }
bool operator<(const CString& s1, const CString& s2) { return s1.Compare(s2) < 0; }

CString operator+(const CString& s1, const CString& s2) { CString s(s1); s += s2; return s; }
CString operator+(const CString& s1, LPCWSTR s2) { CString s(s1); s += s2; return s; }
CString operator+(LPCWSTR s1, const CString& s2) { CString s(s1); s += s2; return s; }
CString operator+(const CString& s1, wchar_t ch) { CString s(s1); s += ch; return s; }
