#include "ui/receive/ReceiveWordBreak.h"

namespace {

bool IsBlank(wchar_t ch)
{
    return ch <= L' ';
}

}  // namespace

int CALLBACK ReceiveWordBreakProc(LPWSTR pszText, int nCurrent, int nLength, int nAction)
{
    switch (nAction) {
    case WB_ISDELIMITER:
        return nCurrent >= 0 && nCurrent < nLength && IsBlank(pszText[nCurrent]);
    case WB_LEFT: {
        int i = nCurrent > nLength ? nLength : nCurrent;
        if (i > 0)
            --i;
        while (i > 0 && !(IsBlank(pszText[i - 1]) && !IsBlank(pszText[i])))
            --i;
        return i;
    }
    case WB_RIGHT: {
        int i = nCurrent < 0 ? 0 : nCurrent;
        while (i < nLength && !IsBlank(pszText[i]))
            ++i;
        while (i < nLength && IsBlank(pszText[i]))
            ++i;
        return i;
    }
    default:
        return 0;
    }
}
