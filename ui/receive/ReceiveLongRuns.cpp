#include "ui/receive/ReceiveLongRuns.h"

namespace {

bool IsHighSurrogate(wchar_t ch) { return ch >= 0xD800 && ch <= 0xDBFF; }
bool IsLowSurrogate(wchar_t ch) { return ch >= 0xDC00 && ch <= 0xDFFF; }

constexpr size_t kNoBlank = std::wstring::npos;

}  // namespace

std::wstring BreakReceiveLongRuns(LPCWSTR pszShown, size_t nShown, const std::wstring& text,
                                  RunBreak rule, size_t nLongest)
{
    // Only whether the run has reached nLongest matters, so the look back stops there.
    size_t nRun = 0;
    while (nRun < nLongest && nRun < nShown && pszShown[nShown - 1 - nRun] != L'\n')
        ++nRun;
    wchar_t chBefore = nShown > 0 ? pszShown[nShown - 1] : L'\0';
    // Where in `result` a break after the run's last blank would go: an area ending with a blank
    // can take one right at the start of the appended text.
    size_t nAfterBlank = (nRun > 0 && chBefore == L' ') ? 0 : kNoBlank;

    std::wstring result;
    result.reserve(text.size() + 2 * (text.size() / nLongest + 1));
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t ch = text[i];
        if (ch == L'\n') {
            nRun = 0;
            nAfterBlank = kNoBlank;
        } else {
            // Pairs that belong together: a surrogate pair, and CR LF when both are at hand.
            const bool bInsidePair = (IsLowSurrogate(ch) && IsHighSurrogate(chBefore))
                || (ch == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n');
            if (nRun >= nLongest && rule == RunBreak::AfterBlank && nAfterBlank != kNoBlank) {
                // The blank is at most the run's length back: the row before it stays in bounds.
                result.insert(nAfterBlank, L"\r\n");
                nRun = result.size() - (nAfterBlank + 2);
                nAfterBlank = kNoBlank;
            } else if (nRun >= nLongest && !bInsidePair) {
                result += L"\r\n";
                nRun = 0;
                nAfterBlank = kNoBlank;
            }
            ++nRun;
        }
        result += ch;
        if (ch == L' ')
            nAfterBlank = result.size();
        chBefore = ch;
    }
    return result;
}
