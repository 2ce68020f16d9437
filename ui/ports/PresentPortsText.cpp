#include "ui/ports/PresentPortsText.h"

#include <string>

#include "framework/DecimalDigits.h"

namespace {

std::wstring ShownName(const std::wstring& name)
{
    std::wstring shown = name;
    for (wchar_t& ch : shown) {
        if (ch == L'<')
            ch = L'\uFF1C';   // fullwidth less-than sign
        else if (ch == L'>')
            ch = L'\uFF1E';   // fullwidth greater-than sign
        else if (ch < L' ' || ch == 0x7F)
            ch = L' ';
    }
    return shown;
}

}  // namespace

std::wstring PresentPortsMarkup(const std::vector<PresentPort>& ports)
{
    std::wstring text = L"可用：";
    if (ports.empty())
        return text + L"无";
    for (size_t i = 0; i < ports.size(); ++i) {
        const std::wstring number = std::to_wstring(ports[i].nNumber);
        if (i != 0)
            text += L", ";
        text += L"<a id=\"" + number + L"\">COM" + number + L"</a>";
        if (!ports[i].name.empty())
            text += L" " + ShownName(ports[i].name);
    }
    return text;
}

int LinkedPortNumber(const wchar_t* pszLinkId, int nHighest)
{
    unsigned long long nNumber = 0;
    if (pszLinkId == nullptr || nHighest < 1
        || !ParseDecimalDigits(pszLinkId, static_cast<unsigned long long>(nHighest), nNumber))
        return 0;
    return static_cast<int>(nNumber);
}
