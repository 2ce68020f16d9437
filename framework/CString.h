// CString: the framework's UTF-16 string with value semantics.
// - Converts implicitly to LPCTSTR, so it can be passed wherever the API wants a string pointer.
// - Format() uses the C run-time's Microsoft conventions: %s and %c take wide arguments, %S and %C
//   narrow ones. Pass a CString to Format() as (LPCTSTR)str or str.GetString(), never by value.
// - Narrow (char) strings given to the constructor, operator= or operator+= are zero-terminated
//   and converted from the calling thread's ANSI code page (CP_THREAD_ACP); bytes the code page
//   cannot map become its default character, conversion stops at the first zero byte.
// - LoadString() reads a string-table entry of the application's resource module.
#pragma once

#include <windows.h>
#include <string>

static_assert(sizeof(TCHAR) == sizeof(wchar_t), "the framework is Unicode-only: define UNICODE and _UNICODE");

class CString {
public:
    CString() = default;
    CString(LPCWSTR psz);                        // null reads as empty
    CString(LPCWSTR pch, int nLength);           // exactly nLength units, zeros included
    CString(wchar_t ch, int nRepeat = 1);
    CString(LPCSTR psz);                         // from the thread's ANSI code page

    CString& operator=(LPCWSTR psz);
    CString& operator=(LPCSTR psz);
    CString& operator=(wchar_t ch);

    int GetLength() const { return static_cast<int>(m_str.size()); }
    BOOL IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    // Removes nCount units from nIndex on (clamped to the text); returns the new length.
    int Delete(int nIndex, int nCount = 1);

    LPCWSTR GetString() const { return m_str.c_str(); }
    operator LPCWSTR() const { return m_str.c_str(); }
    wchar_t GetAt(int nIndex) const { return m_str[static_cast<size_t>(nIndex)]; }
    wchar_t operator[](int nIndex) const { return GetAt(nIndex); }

    CString& operator+=(const CString& str);
    CString& operator+=(LPCWSTR psz);
    CString& operator+=(wchar_t ch);
    CString& operator+=(LPCSTR psz);             // appends text converted from the thread's ANSI code page

    int Compare(LPCWSTR psz) const;              // <0, 0, >0 as wcscmp
    int CompareNoCase(LPCWSTR psz) const;

    void Format(LPCWSTR pszFormat, ...);
    void FormatV(LPCWSTR pszFormat, va_list args);

    // Replaces the text with string nID of the resource module; on FALSE (no such string) the
    // text is left unchanged.
    BOOL LoadString(UINT nID);

    // Direct access for API calls that write into a buffer: GetBuffer makes room for at least
    // nMinBufferLength units plus a terminator; ReleaseBuffer(-1) then takes the length up to the
    // first zero, ReleaseBuffer(n) exactly n units.
    LPWSTR GetBuffer(int nMinBufferLength);
    void ReleaseBuffer(int nNewLength = -1);

private:
    std::wstring m_str;
};

bool operator==(const CString& s1, const CString& s2);
bool operator==(const CString& s1, LPCWSTR s2);
bool operator==(LPCWSTR s1, const CString& s2);
bool operator!=(const CString& s1, const CString& s2);
bool operator!=(const CString& s1, LPCWSTR s2);
bool operator!=(LPCWSTR s1, const CString& s2);
bool operator<(const CString& s1, const CString& s2);

CString operator+(const CString& s1, const CString& s2);
CString operator+(const CString& s1, LPCWSTR s2);
CString operator+(LPCWSTR s1, const CString& s2);
CString operator+(const CString& s1, wchar_t ch);
