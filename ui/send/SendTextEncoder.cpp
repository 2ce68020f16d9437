#include "ui/send/SendTextEncoder.h"

std::string EncodeSendText(LPCWSTR pszText, UINT nCodePage)
{
    // With length -1 the conversion counts and writes the terminator too.
    const int nBytes = ::WideCharToMultiByte(nCodePage, 0, pszText, -1, nullptr, 0, nullptr, nullptr);
    if (nBytes <= 1)
        return std::string();
    std::string bytes(static_cast<size_t>(nBytes), '\0');
    if (::WideCharToMultiByte(nCodePage, 0, pszText, -1, &bytes[0], nBytes, nullptr, nullptr) != nBytes)
        return std::string();
    bytes.resize(static_cast<size_t>(nBytes - 1));
    return bytes;
}
