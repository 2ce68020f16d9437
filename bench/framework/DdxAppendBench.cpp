// Measures what one received 1 KB chunk costs the receive area as its text grows: a full rewrite
// (WM_SETTEXT of the whole text, what a plain exchange does) against DDX_Text's append of the
// new tail. Prints milliseconds per chunk for both and their ratio at growing text sizes.
#include <windows.h>

#include <cstdio>
#include <string>

#include "framework/DataExchange.h"
#include "tests/framework/EditHost.h"

namespace {

const int kEditId = 1;
const int kChunkChars = 1024;
const int kRepetitions = 5;
const int kCheckpointsKb[] = { 1, 10, 50, 100, 200, 300 };

// Terminal-like output: lines of 78 characters ended by CR LF.
std::wstring MakeChunk(int nSerial)
{
    std::wstring chunk;
    while (static_cast<int>(chunk.size()) < kChunkChars) {
        wchar_t szLine[96];
        swprintf(szLine, 96, L"%06d ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz 0123456789 +-*/=\r\n",
                 nSerial++);
        chunk += szLine;
    }
    chunk.resize(kChunkChars);
    return chunk;
}

double Milliseconds(LARGE_INTEGER start, LARGE_INTEGER end)
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void ExchangeIntoEdit(CWnd& host, const std::wstring& text)
{
    CString value(text.c_str());
    CDataExchange dx(&host, FALSE);
    DDX_Text(&dx, kEditId, value);
}

// Removes the last kChunkChars characters again (cheap: the end of the text), undoing one step.
void DropLastChunk(HWND hWndEdit, int nLength)
{
    ::SendMessageW(hWndEdit, EM_SETSEL, static_cast<WPARAM>(nLength - kChunkChars), nLength);
    ::SendMessageW(hWndEdit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
    ::UpdateWindow(hWndEdit);
}

template <class Step>
double TimePerChunk(HWND hWndEdit, int nLength, Step step)
{
    double total = 0;
    for (int i = 0; i < kRepetitions; ++i) {
        LARGE_INTEGER start;
        LARGE_INTEGER end;
        ::QueryPerformanceCounter(&start);
        step();
        ::UpdateWindow(hWndEdit);
        ::QueryPerformanceCounter(&end);
        total += Milliseconds(start, end);
        DropLastChunk(hWndEdit, nLength);
    }
    return total / kRepetitions;
}

}  // namespace

int main()
{
    EditHost host(1);
    HWND hWndEdit = host.Edit(kEditId);
    std::wstring text;
    int nSerial = 0;

    std::printf("DDX_Text into a word-wrapping multi-line edit, cost per %d-character chunk (mean of %d)\n",
                kChunkChars, kRepetitions);
    std::printf("%8s %12s %12s %16s\n", "text KB", "rewrite ms", "append ms", "rewrite/append");
    for (int nKb : kCheckpointsKb) {
        while (static_cast<int>(text.size()) < nKb * 1024 - kChunkChars) {
            text += MakeChunk(nSerial);
            nSerial += 13;
            ExchangeIntoEdit(host.Window(), text);
        }
        const std::wstring grown = text + MakeChunk(nSerial);
        const int nGrown = static_cast<int>(grown.size());
        const double rewrite = TimePerChunk(hWndEdit, nGrown, [&] { ::SetWindowTextW(hWndEdit, grown.c_str()); });
        const double append = TimePerChunk(hWndEdit, nGrown, [&] { ExchangeIntoEdit(host.Window(), grown); });
        std::printf("%8d %12.2f %12.2f %16.1f\n", nKb, rewrite, append, append > 0 ? rewrite / append : 0.0);
        std::fflush(stdout);
    }
    return ::GetWindowTextLengthW(hWndEdit) == static_cast<int>(text.size()) ? 0 : 1;
}
