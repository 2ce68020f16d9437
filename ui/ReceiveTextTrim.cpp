#include "ui/ReceiveTextTrim.h"

namespace {

// Whether a line ends with pszText[i]; pszText[i + 1] exists.
bool EndsLine(LPCWSTR pszText, size_t i)
{
    return pszText[i] == L'\n' || (pszText[i] == L'\r' && pszText[i + 1] != L'\n');
}

bool IsHighSurrogate(wchar_t ch) { return ch >= 0xD800 && ch <= 0xDBFF; }
bool IsLowSurrogate(wchar_t ch) { return ch >= 0xDC00 && ch <= 0xDFFF; }

}  // namespace

size_t ReceiveTextTrimLength(LPCWSTR pszText, size_t nLength, size_t nKeep, size_t nBound)
{
    if (nLength <= nBound)
        return 0;
    // Cutting before position nMost keeps exactly nKeep characters; lines are looked for back to
    // nLeast, so a trim drops at least half of the text beyond the bound's worth.
    const size_t nMost = nLength - nKeep;
    const size_t nLeast = nMost - (nBound - nKeep) / 2;
    for (size_t nCut = nMost; nCut > nLeast; --nCut) {
        if (EndsLine(pszText, nCut - 1))
            return nCut;
    }
    const bool bSplitsPair = (IsHighSurrogate(pszText[nMost - 1]) && IsLowSurrogate(pszText[nMost]))
        || (pszText[nMost - 1] == L'\r' && pszText[nMost] == L'\n');
    return bSplitsPair ? nMost - 1 : nMost;
}
