// CReceiveTextDecoder: turns the byte chunks read from the port into UTF-16 text of an ANSI code
// page, as a stream rather than chunk by chunk.
// - A character whose bytes are split across two chunks (the lead byte of a double-byte code page
//   such as 936, or an incomplete UTF-8 sequence where the code page is 65001) is held back and
//   converted together with the next chunk, so it is shown once and whole.
// - Zero bytes are left out of the text (an edit control cannot show them); every other byte is
//   converted, also those after a zero byte.
// - Reset() forgets a held-back partial character (the stream was interrupted).
// Pure: no window, no port; the code page is given explicitly or taken from the calling thread.
#pragma once

#include <windows.h>

#include <string>

class CReceiveTextDecoder {
public:
    // CP_THREAD_ACP (the default) follows the ANSI code page of the thread that calls Decode.
    explicit CReceiveTextDecoder(UINT nCodePage = CP_THREAD_ACP);

    // The text of the bytes received so far that form whole characters, without zero bytes.
    std::wstring Decode(const BYTE* pBytes, DWORD nCount);
    void Reset() { m_pending.clear(); }
    // Bytes of an incomplete character waiting for the next chunk.
    const std::string& Pending() const { return m_pending; }

private:
    UINT ResolveCodePage() const;

    UINT m_nCodePage;
    std::string m_pending;
};
