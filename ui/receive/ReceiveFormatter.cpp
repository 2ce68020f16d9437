#include "ui/receive/ReceiveFormatter.h"

#include "ui/receive/ReceiveHexText.h"
#include "ui/receive/ReceiveTimestamp.h"

CReceiveFormatter::CReceiveFormatter(UINT nCodePage) : m_decoder(nCodePage)
{
}

void CReceiveFormatter::SetHex(bool bHex)
{
    if (bHex != m_bHex)
        m_bLineBegins = true;
    m_bHex = bHex;
}

void CReceiveFormatter::SetTimestamps(bool bTimestamps)
{
    if (bTimestamps && !m_bTimestamps)
        m_bLineBegins = true;
    m_bTimestamps = bTimestamps;
}

void CReceiveFormatter::Interrupt(bool bAreaEndsInsideLine)
{
    m_decoder.Reset();
    m_bLineBegins = true;
    m_bLineOpen = bAreaEndsInsideLine;
}

void CReceiveFormatter::Format(const BYTE* pBytes, DWORD nCount, ULONGLONG nReadTime, ULONGLONG nQuietBefore,
                               std::wstring& text)
{
    if (m_bHex) {
        // Bytes of a part character left by text mode have not been shown yet: they go first,
        // at the time they were read, a packet of their own when the chunk is.
        const std::string held = m_decoder.Pending();
        m_decoder.Reset();
        const bool bQuiet = nQuietBefore >= m_nPacketGap;
        FormatHex(reinterpret_cast<const BYTE*>(held.data()), static_cast<DWORD>(held.size()), m_nPendingRead,
                  bQuiet, text);
        FormatHex(pBytes, nCount, nReadTime, bQuiet, text);
    } else {
        FormatText(pBytes, nCount, nReadTime, text);
    }
}

void CReceiveFormatter::FormatSent(const std::string& bytes, ULONGLONG nSendTime, std::wstring& text)
{
    // A received character still waiting for its last bytes stays waiting: it completes, whole,
    // at the start of the next received line.
    if (m_bLineOpen)
        text += L"\r\n";
    if (m_bTimestamps)
        AppendTimestamp(text, nSendTime);
    text += L"[发] ";
    const BYTE* pBytes = reinterpret_cast<const BYTE*>(bytes.data());
    if (m_bHex) {
        AppendHexText(text, pBytes, static_cast<DWORD>(bytes.size()));
    } else {
        // A decoder of the same code page with nothing pending: the send's characters are its own.
        CReceiveTextDecoder decoder = m_decoder;
        decoder.Reset();
        text += decoder.Decode(pBytes, static_cast<DWORD>(bytes.size()));
        AppendHexText(text, reinterpret_cast<const BYTE*>(decoder.Pending().data()),
                      static_cast<DWORD>(decoder.Pending().size()));
    }
    if (text.back() != L'\n')
        text += L"\r\n";
    m_bLineOpen = false;
    m_bLineBegins = true;
}

void CReceiveFormatter::FormatText(const BYTE* pBytes, DWORD nCount, ULONGLONG nReadTime,
                                   std::wstring& text)
{
    // A character held back from an earlier chunk comes first in the decoded text.
    const bool bHadPending = !m_decoder.Pending().empty();
    const ULONGLONG nFirstTime = bHadPending ? m_nPendingRead : nReadTime;
    const std::wstring decoded = m_decoder.Decode(pBytes, nCount);
    if (!m_decoder.Pending().empty() && !(bHadPending && decoded.empty()))
        m_nPendingRead = nReadTime;
    if (decoded.empty())
        return;

    if (!m_bTimestamps) {
        text += decoded;
        m_bLineOpen = decoded.back() != L'\n';
        return;
    }
    size_t nStart = 0;
    while (nStart < decoded.size()) {
        if (m_bLineBegins)
            BeginLine(nStart == 0 ? nFirstTime : nReadTime, text);
        const size_t nLineFeed = decoded.find(L'\n', nStart);
        const size_t nEnd = nLineFeed == std::wstring::npos ? decoded.size() : nLineFeed + 1;
        text.append(decoded, nStart, nEnd - nStart);
        m_bLineBegins = nLineFeed != std::wstring::npos;
        m_bLineOpen = !m_bLineBegins;
        nStart = nEnd;
    }
}

void CReceiveFormatter::FormatHex(const BYTE* pBytes, DWORD nCount, ULONGLONG nReadTime, bool bQuietBefore,
                                  std::wstring& text)
{
    if (nCount == 0)
        return;
    if (m_bTimestamps && (m_bLineBegins || bQuietBefore))
        BeginLine(nReadTime, text);
    AppendHexText(text, pBytes, nCount);
    m_bLineOpen = true;
}

void CReceiveFormatter::BeginLine(ULONGLONG nTime, std::wstring& text)
{
    if (m_bLineOpen)
        text += L"\r\n";
    AppendTimestamp(text, nTime);
    m_bLineBegins = false;
    m_bLineOpen = true;
}
