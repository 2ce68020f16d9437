// Runs a real modal dialog under test on a user-interface thread of its own and lets the test
// thread drive it through window messages, as a user's actions would arrive.
//
//     DialogHost<LumetraDlgProbe> host;               // constructs the dialog and runs DoModal
//     ASSERT_TRUE(host.IsRunning());
//     host.Click(IDC_CONNECT);                          // WM_COMMAND BN_CLICKED, handled on return
//     EXPECT_EQ(L"断开", host.Text(IDC_CONNECT));
//     CString baud = host.Invoke([](LumetraDlgProbe& dlg) { dlg.UpdateData(TRUE); return dlg.m_strBaud; });
//     auto pending = host.ClickAsync(IDC_CONNECT);      // a handler that will show a message box
//     auto box = host.DismissMessageBox();              // caption and text, then OK pressed
//     host.Wait(pending);
//     testsupport::PostKey(host.Item(IDC_RECEIVE_EDIT), VK_ESCAPE);
//     ASSERT_TRUE(host.WaitForEnd());                   // DoModal has returned
//     EXPECT_EQ(IDCANCEL, host.Result());
//
// Threads: the dialog object is constructed and run on the host's thread, where all its handlers
// run. Every action and reading of the host is queued to that thread and runs, in order, when it
// dispatches messages: in the dialog's modal loop, or in the loop of a box the dialog shows (so a
// reading works while a message box is up). Touch the dialog object from the test only inside
// Invoke()/InvokeAsync(), or after WaitForEnd(); the object lives until the host is destroyed,
// which ends a dialog still running (closing its boxes) and waits for the host's thread.
//
// The host brings the test program's application object (a plain CWinApp; a test must not define
// another) and makes the dialog the application's main window while it runs, as the program does.
//
// All waits take a time limit and report failure by their result, never by sleeping a fixed time.
// The host does not depend on GoogleTest.
#pragma once

#include <windows.h>

#include <chrono>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

#include "framework/CDialog.h"
#include "tests/support/WindowReading.h"

namespace dialog_host {

constexpr DWORD kDefaultTimeLimitMs = 10000;

// Waits on the calling thread, polling the condition, until it holds or the time runs out.
// The calling thread must not own windows that need pumping (the test thread owns none).
bool WaitUntil(const std::function<bool()>& condition, DWORD nTimeLimitMs = kDefaultTimeLimitMs);

using testsupport::ShownBox;
using testsupport::WindowText;

}  // namespace dialog_host

// The part of the host that knows only windows; DialogHost<TDialog> adds the typed dialog object.
class DialogHostBase {
public:
    DialogHostBase(const DialogHostBase&) = delete;
    DialogHostBase& operator=(const DialogHostBase&) = delete;

    // The dialog's window, null when it could not be created.
    HWND Window() const { return m_hWnd; }
    bool IsRunning() const;
    HWND Item(int nID) const { return ::GetDlgItem(m_hWnd, nID); }

    // ---- Acting as the user ----
    // A click on a button or check box: an automatic check box (or radio button) first changes its
    // state as a mouse click would, then the dialog gets WM_COMMAND with BN_CLICKED. Returns when
    // the handler has returned.
    void Click(int nID);
    // The same click, carried out by the dialog's thread; use it when the handler shows a message
    // box (which would keep Click() waiting). Wait for the future after dismissing the box.
    std::future<void> ClickAsync(int nID);
    // Replaces a control's text (WM_SETTEXT, no filtering by the control).
    void SetText(int nID, const std::wstring& text);
    // Types characters into a control one WM_CHAR at a time, so the control's own filters apply
    // (e.g. ES_NUMBER refuses letters).
    void Type(int nID, const std::wstring& chars);
    // Selects an entry of a combo box, optionally telling the dialog as a user's choice would
    // (CBN_SELCHANGE).
    void SelectComboItem(int nID, int nIndex, bool bNotify = false);
    void SetCheck(int nID, UINT nState);
    // Keys: testsupport::PostKey(host.Item(nID), VK_RETURN).
    // Sends a system command as the system menu would (WM_SYSCOMMAND); returns when handled.
    void SysCommand(UINT nCommand, LPARAM lParam = 0);
    std::future<void> SysCommandAsync(UINT nCommand, LPARAM lParam = 0);

    // ---- Reading what the user sees ----
    std::wstring Text(int nID) const;
    std::vector<std::wstring> ComboItems(int nID) const;
    int ComboSelection(int nID) const;                 // CB_ERR (-1) with no selection
    std::wstring ComboSelectedText(int nID) const;     // empty with no selection
    UINT CheckState(int nID) const;                    // BST_UNCHECKED, BST_CHECKED, ...
    HWND Focus() const;                                // the control that has the keyboard focus, the dialog in front

    // ---- Boxes the dialog opens (message boxes, About box: visible #32770 owned by it) ----
    HWND FindOwnedBox() const;
    HWND WaitForOwnedBox(DWORD nTimeLimitMs = dialog_host::kDefaultTimeLimitMs) const;
    // What a box shows: testsupport::ReadBox(hWndBox).
    // Closes a box with its OK button (a BN_CLICKED from IDOK) and waits until it is gone.
    static bool PressOk(HWND hWndBox, DWORD nTimeLimitMs = dialog_host::kDefaultTimeLimitMs);
    // Waits for a box, records what it shows, presses OK and waits until it has gone.
    std::optional<dialog_host::ShownBox> DismissMessageBox(DWORD nTimeLimitMs = dialog_host::kDefaultTimeLimitMs) const;

    // ---- The end ----
    // Waits until DoModal has returned (the dialog thread has finished with the window).
    bool WaitForEnd(DWORD nTimeLimitMs = dialog_host::kDefaultTimeLimitMs);
    INT_PTR Result() const { return m_nResult; }   // DoModal's result, once ended
    // Ends a running dialog with EndDialog(nResult), closing boxes it still shows first.
    void End(INT_PTR nResult = IDCANCEL);

    // Waits for an asynchronous action; false when it did not finish in time.
    template <class T>
    static bool Wait(std::future<T>& pending, DWORD nTimeLimitMs = dialog_host::kDefaultTimeLimitMs)
    {
        return pending.wait_for(std::chrono::milliseconds(nTimeLimitMs)) == std::future_status::ready;
    }

    // Runs a function on the dialog's thread and returns its result. Every action and reading of
    // the host goes this way, in order, after the messages posted before it (keys, for example):
    // the function runs when the dialog's thread dispatches it, in the dialog's modal loop or in
    // the loop of a box the dialog shows. Once the dialog has ended it runs on the caller's thread.
    template <class F>
    auto RunOnDialogThread(F fn) const -> decltype(fn())
    {
        return RunOnDialogThreadAsync(std::move(fn)).get();
    }
    // Queues a function for the dialog's thread and returns at once.
    template <class F>
    auto RunOnDialogThreadAsync(F fn) const -> std::future<decltype(fn())>
    {
        using R = decltype(fn());
        auto pTask = std::make_shared<std::packaged_task<R()>>(std::move(fn));
        std::future<R> result = pTask->get_future();
        Queue([pTask] { (*pTask)(); });
        return result;
    }

protected:
    using DialogFactory = std::function<std::unique_ptr<CDialog>()>;

    DialogHostBase() = default;
    ~DialogHostBase();

    // Starts the dialog thread, which constructs the dialog with the factory and runs DoModal;
    // returns once the dialog's modal loop is running (or the dialog failed to start).
    void Start(DialogFactory makeDialog, DWORD nTimeLimitMs);
    CDialog* DialogObject() const { return m_pDialog.get(); }

private:
    static constexpr UINT kRunQueuedMessage = WM_APP + 1;   // runs the queued functions
    static constexpr UINT_PTR kReadyTimer = 1;              // polls until the dialog is shown

    static LRESULT CALLBACK HelperProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    void ThreadMain(DialogFactory makeDialog);
    void CheckReady();
    void Queue(std::function<void()> fn) const;
    void RunQueued();

    std::unique_ptr<CDialog> m_pDialog;         // written by the dialog thread before "ready"
    HWND m_hWnd = nullptr;                      // written by the dialog thread before "ready"
    HWND m_hWndHelper = nullptr;                // message-only window of the dialog thread
    INT_PTR m_nResult = -1;                     // written by the dialog thread before "ended"
    HANDLE m_hReady = nullptr;                  // set once the modal loop runs or start failed
    HANDLE m_hEnded = nullptr;                  // set once the thread is done (DoModal returned)
    mutable std::mutex m_queueMutex;            // guards m_queue and m_bQueueClosed
    mutable std::deque<std::function<void()>> m_queue;   // functions for the dialog thread
    bool m_bQueueClosed = false;                // the dialog thread takes no more functions
    std::thread m_thread;
};

// Runs a TDialog (default-constructed, or made by the factory given) on its own thread.
template <class TDialog>
class DialogHost : public DialogHostBase {
public:
    explicit DialogHost(DWORD nStartTimeLimitMs = dialog_host::kDefaultTimeLimitMs)
        : DialogHost([] { return std::make_unique<TDialog>(); }, nStartTimeLimitMs)
    {
    }

    explicit DialogHost(std::function<std::unique_ptr<TDialog>()> makeDialog,
                        DWORD nStartTimeLimitMs = dialog_host::kDefaultTimeLimitMs)
    {
        Start([makeDialog] { return std::unique_ptr<CDialog>(makeDialog()); }, nStartTimeLimitMs);
    }

    ~DialogHost() { End(); }

    // Runs fn(dialog) on the dialog's thread and returns its result.
    template <class F>
    auto Invoke(F fn) -> decltype(fn(std::declval<TDialog&>()))
    {
        TDialog* pDialog = &Dialog();
        return RunOnDialogThread([pDialog, fn] { return fn(*pDialog); });
    }

    // Queues fn(dialog) for the dialog's thread (for calls that show a message box).
    template <class F>
    auto InvokeAsync(F fn) -> std::future<decltype(fn(std::declval<TDialog&>()))>
    {
        TDialog* pDialog = &Dialog();
        return RunOnDialogThreadAsync([pDialog, fn] { return fn(*pDialog); });
    }

    // The dialog object: touch it directly only after WaitForEnd().
    TDialog& Dialog() const { return *static_cast<TDialog*>(DialogObject()); }
};
