#include "ui/send/SendHexParser.h"

namespace {

bool IsSeparator(wchar_t ch)
{
    return ch == L' ' || ch == L'\t' || ch == L',' || ch == L'\r' || ch == L'\n';
}

int HexValue(wchar_t ch)
{
    if (ch >= L'0' && ch <= L'9')
        return ch - L'0';
    if (ch >= L'a' && ch <= L'f')
        return ch - L'a' + 10;
    if (ch >= L'A' && ch <= L'F')
        return ch - L'A' + 10;
    return -1;
}

bool IsHighSurrogate(wchar_t ch) { return ch >= 0xD800 && ch <= 0xDBFF; }
bool IsLowSurrogate(wchar_t ch) { return ch >= 0xDC00 && ch <= 0xDFFF; }

// The character at nIndex as the user sees it, and its 1-based position.
SendHexError ErrorAt(LPCWSTR pszText, size_t nIndex, bool bUnpaired)
{
    SendHexError error;
    error.bUnpaired = bUnpaired;
    error.nIndex = nIndex;
    for (size_t i = 0; i < nIndex; ++i) {
        const bool bSecondHalf = (pszText[i] == L'\n' && i > 0 && pszText[i - 1] == L'\r') ||
                                 (IsLowSurrogate(pszText[i]) && i > 0 && IsHighSurrogate(pszText[i - 1]));
        if (!bSecondHalf)
            ++error.nPosition;
    }
    ++error.nPosition;
    const bool bPair = IsHighSurrogate(pszText[nIndex]) && IsLowSurrogate(pszText[nIndex + 1]);
    error.strCharacter.assign(pszText + nIndex, bPair ? 2 : 1);
    return error;
}

}  // namespace

bool ParseSendHex(LPCWSTR pszText, std::string& bytes, SendHexError& error)
{
    std::string parsed;
    // The text ends with a zero, which is neither a digit nor a separator, so a look at the
    // character after a non-zero one never reads past the end.
    size_t i = 0;
    while (pszText[i] != L'\0') {
        if (IsSeparator(pszText[i])) {
            ++i;
            continue;
        }
        if (pszText[i] == L'0' && (pszText[i + 1] == L'x' || pszText[i + 1] == L'X') && HexValue(pszText[i + 2]) >= 0)
            i += 2;
        const int nHigh = HexValue(pszText[i]);
        if (nHigh < 0) {
            error = ErrorAt(pszText, i, false);
            return false;
        }
        const int nLow = HexValue(pszText[i + 1]);
        if (nLow < 0) {
            const bool bUnpaired = pszText[i + 1] == L'\0' || IsSeparator(pszText[i + 1]);
            error = bUnpaired ? ErrorAt(pszText, i, true) : ErrorAt(pszText, i + 1, false);
            return false;
        }
        parsed.push_back(static_cast<char>(nHigh * 16 + nLow));
        i += 2;
    }
    bytes.swap(parsed);
    return true;
}
