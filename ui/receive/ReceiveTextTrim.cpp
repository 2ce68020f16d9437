#include "ui/receive/ReceiveTextTrim.h"

size_t ReceiveTextTrimLength(LPCWSTR pszText, size_t nLength, size_t nKeep, size_t nBound)
{
    if (nLength <= nBound)
        return 0;
    // Cutting before position nMost keeps exactly nKeep characters; lines are looked for back to
    // nLeast, so a trim drops at least half of the text beyond the bound's worth.
    const size_t nMost = nLength - nKeep;
    const size_t nLeast = nMost - (nBound - nKeep) / 2;
    for (size_t nCut = nMost; nCut > nLeast; --nCut) {
        if (pszText[nCut - 1] == L'\n')
            return nCut;
    }
    return 0;
}
