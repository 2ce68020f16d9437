#include "DisplayLimit.h"

#include "LumetraWindow.h"
#include "Stopwatch.h"

#include <commctrl.h>

#include <vector>

namespace {

INT_PTR CALLBACK PassiveDialogProc(HWND, UINT uMsg, WPARAM, LPARAM)
{
    return uMsg == WM_INITDIALOG ? TRUE : FALSE;
}

void PumpPendingMessages()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// The stream cut into chunks and converted as the program converts received bytes (ANSI code
// page), ahead of the timing.
std::vector<std::wstring> WideChunks(const std::string& stream, DWORD chunkBytes)
{
    std::vector<std::wstring> chunks;
    for (size_t offset = 0; offset < stream.size(); offset += chunkBytes) {
        const int nBytes = static_cast<int>(stream.size() - offset < chunkBytes ? stream.size() - offset : chunkBytes);
        std::wstring chunk(static_cast<size_t>(nBytes), L'\0');
        const int nChars = ::MultiByteToWideChar(CP_ACP, 0, stream.data() + offset, nBytes, &chunk[0], nBytes);
        chunk.resize(static_cast<size_t>(nChars > 0 ? nChars : 0));
        chunks.push_back(chunk);
    }
    return chunks;
}

}  // namespace

DisplayLimitFigures MeasureDisplayLimit(const std::wstring& lumetraExe, const std::string& stream, DWORD chunkBytes)
{
    DisplayLimitFigures figures = {};
    // As Lumetra does at start-up: the version 6 controls that the manifest asks for.
    INITCOMMONCONTROLSEX init = { sizeof(init), ICC_STANDARD_CLASSES };
    ::InitCommonControlsEx(&init);
    HMODULE hImage = ::LoadLibraryExW(lumetraExe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (hImage == nullptr)
        return figures;
    HWND hDlg = ::CreateDialogParamW(hImage, MAKEINTRESOURCEW(LumetraWindow::kMainDialogTemplate), nullptr, PassiveDialogProc, 0);
    if (hDlg == nullptr) {
        ::FreeLibrary(hImage);
        return figures;
    }
    figures.bMade = true;
    ::ShowWindow(hDlg, SW_SHOWNOACTIVATE);
    ::UpdateWindow(hDlg);
    PumpPendingMessages();

    HWND hEdit = ::GetDlgItem(hDlg, LumetraWindow::kReceive);
    ::SendMessageW(hEdit, EM_SETLIMITTEXT, 0, 0);   // 0 lifts the limit that EM_REPLACESEL obeys
    const std::vector<std::wstring> chunks = WideChunks(stream, chunkBytes);

    const size_t nTenth = chunks.size() / 10;
    double lastTenthStartMs = 0;
    const Stopwatch clock;
    for (size_t i = 0; i < chunks.size(); ++i) {
        if (i == nTenth)
            figures.firstTenthMs = clock.ElapsedMs();
        if (i == chunks.size() - nTenth)
            lastTenthStartMs = clock.ElapsedMs();
        const LRESULT length = ::SendMessageW(hEdit, WM_GETTEXTLENGTH, 0, 0);
        ::SendMessageW(hEdit, EM_SETSEL, static_cast<WPARAM>(length), length);
        ::SendMessageW(hEdit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(chunks[i].c_str()));
    }
    figures.elapsedMs = clock.ElapsedMs();
    figures.lastTenthMs = figures.elapsedMs - lastTenthStartMs;
    figures.nLength = static_cast<long>(::SendMessageW(hEdit, WM_GETTEXTLENGTH, 0, 0));

    ::DestroyWindow(hDlg);
    PumpPendingMessages();
    ::FreeLibrary(hImage);
    return figures;
}
