// Drives real modal dialogs from test code.
// - RunModal() runs a dialog and, once its modal loop is running, calls the scenario with the
//   dialog's window; the scenario ends the dialog itself (EndDialog, posted keys, ...). A watchdog
//   ends a dialog that is still open after the time limit; DoModal then returns kTimedOut.
// - MessageBoxWatcher, on a thread of its own, presses OK on every message box owned by a window
//   and records what each showed.
// - PostKey() (tests/support/WindowReading.h) posts a key press to a control.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "framework/CDialog.h"
#include "tests/support/WindowReading.h"

constexpr INT_PTR kTimedOut = -2;

INT_PTR RunModal(CDialog& dlg, std::function<void(HWND hDlg)> scenario, DWORD nTimeLimitMs = 20000);

using testsupport::PostKey;

// Pumps this thread's messages until the condition holds or the time runs out. With a dialog
// given, keyboard messages go through its dialog manager first, as in its modal loop.
bool PumpUntil(const std::function<bool()>& condition, DWORD nTimeLimitMs = 5000, HWND hDlg = nullptr);

using ShownMessageBox = testsupport::ShownBox;

class MessageBoxWatcher {
public:
    explicit MessageBoxWatcher(HWND hWndOwner);
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    std::vector<ShownMessageBox> Shown() const;
    // Waits (pumping messages) until at least nCount boxes were shown and closed again.
    bool WaitForClosed(size_t nCount, DWORD nTimeLimitMs = 10000, HWND hDlg = nullptr);

private:
    void Watch();

    HWND m_hWndOwner;
    std::atomic<bool> m_bStop{ false };
    mutable std::mutex m_mutex;
    std::vector<ShownMessageBox> m_shown;
    std::atomic<size_t> m_nClosed{ 0 };
    std::thread m_thread;
};
