#include "ui/receive/HeldReceiveText.h"

void CHeldReceiveText::Add(std::wstring text, DWORD nBytes, bool bHex)
{
    if (text.empty() && nBytes == 0)
        return;
    Hold({ std::move(text), nBytes, false }, bHex);
}

void CHeldReceiveText::AddSent(std::wstring text, bool bHex)
{
    Hold({ std::move(text), 0, true }, bHex);
}

void CHeldReceiveText::Hold(Piece piece, bool bHex)
{
    m_nHeldCharacters += piece.text.size();
    m_nHeldBytes += piece.nBytes;
    m_nHeldSends += piece.bSent ? 1 : 0;
    m_pieces.push_back(std::move(piece));
    m_bHasHex = m_bHasHex || bHex;
    // The newest piece always stays, however large: the area ends with the line's latest bytes.
    while (m_nHeldCharacters > m_nMostHeldCharacters && m_pieces.size() > 1) {
        const Piece& oldest = m_pieces.front();
        m_nLeftOut += oldest.nBytes;
        m_nSendsLeftOut += oldest.bSent ? 1 : 0;
        m_nHeldCharacters -= oldest.text.size();
        m_nHeldBytes -= oldest.nBytes;
        m_nHeldSends -= oldest.bSent ? 1 : 0;
        m_pieces.pop_front();
    }
}

void CHeldReceiveText::Lost(ULONGLONG nBytes)
{
    if (nBytes == 0)
        return;
    const ULONGLONG nLeftOut = m_nLeftOut + m_nHeldBytes;
    const ULONGLONG nSendsLeftOut = m_nSendsLeftOut + m_nHeldSends;
    const ULONGLONG nLost = m_nLost + nBytes;
    Clear();
    m_nLeftOut = nLeftOut;
    m_nSendsLeftOut = nSendsLeftOut;
    m_nLost = nLost;
}

std::wstring CHeldReceiveText::Take(bool bAreaEndsInsideLine)
{
    std::wstring text;
    if (m_nLeftOut != 0 || m_nSendsLeftOut != 0 || m_nLost != 0) {
        if (bAreaEndsInsideLine)
            text += L"\r\n";
        std::wstring leftOut;
        if (m_nLeftOut != 0)
            leftOut = std::to_wstring(m_nLeftOut) + L" 字节";
        if (m_nSendsLeftOut != 0)
            leftOut += (leftOut.empty() ? L"" : L"和 ") + std::to_wstring(m_nSendsLeftOut) + L" 次发送";
        text += L"[";
        if (!leftOut.empty())
            text += L"显示跟不上，略去 " + leftOut;
        if (!leftOut.empty() && m_nLost != 0)
            text += L"；";
        if (m_nLost != 0)
            text += L"接收缓冲已满，丢失 " + std::to_wstring(m_nLost) + L" 字节";
        text += L"]";
        // A piece that begins a line of its own (a stamp after CR LF) ends the marker's row.
        if (m_pieces.empty() || m_pieces.front().text.compare(0, 2, L"\r\n") != 0)
            text += L"\r\n";
    }
    for (const Piece& piece : m_pieces)
        text += piece.text;
    Clear();
    return text;
}

void CHeldReceiveText::DropText()
{
    const ULONGLONG nLost = m_nLost;
    Clear();
    m_nLost = nLost;
}

void CHeldReceiveText::Clear()
{
    m_pieces.clear();
    m_nHeldCharacters = 0;
    m_nHeldBytes = 0;
    m_nHeldSends = 0;
    m_nLeftOut = 0;
    m_nSendsLeftOut = 0;
    m_nLost = 0;
    m_bHasHex = false;
}
