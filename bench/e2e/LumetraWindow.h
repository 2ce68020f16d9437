// Lumetra's main window seen from another process. Commands are posted (a handler that shows a
// message box cannot block the probe) and every read is a message with a time-out, so a busy or
// hung window delays the probe but cannot hang it.
#pragma once

#include <windows.h>

#include <string>

#include "resources/resource.h"

class LumetraWindow {
public:
    static constexpr int kPortList = IDC_PORT_LIST;
    static constexpr int kBaudList = IDC_BAUD_LIST;
    static constexpr int kConnect = IDC_CONNECT;
    static constexpr int kReceive = IDC_RECEIVE_EDIT;
    static constexpr int kSend = IDC_SEND_EDIT;
    static constexpr int kClearReceive = IDC_CLEAR_RECEIVE;
    static constexpr int kHexDisplay = IDC_HEX_DISPLAY;
    static constexpr int kReceiveCount = IDC_RECEIVE_COUNT;
    static constexpr int kLogToFile = IDC_LOG_TO_FILE;
    static constexpr int kCyclicSend = IDC_CYCLIC_SEND;
    static constexpr int kInterval = IDC_INTERVAL_EDIT;
    static constexpr int kSendFile = IDC_SEND_FILE;
    static constexpr int kSendCount = IDC_SEND_COUNT;
    static constexpr int kSendFileProgress = IDC_SEND_FILE_PROGRESS;
    static constexpr int kMainDialogTemplate = IDD_LUMETRA_DIALOG;

    // The main window once it is shown, waiting up to timeoutMs; null when it did not appear.
    static HWND Find(DWORD timeoutMs);

    explicit LumetraWindow(HWND hDlg);

    HWND Dialog() const { return m_hDlg; }
    HWND Control(int nID) const { return ::GetDlgItem(m_hDlg, nID); }
    DWORD ProcessId() const;

    // A control's text (WM_GETTEXT); empty when the window did not answer within timeoutMs.
    std::wstring ControlText(int nID, DWORD timeoutMs) const;
    // The receive area's length in characters, or -1 when it did not answer within timeoutMs.
    long ReceiveLength(DWORD timeoutMs) const;
    // Up to nMaxChars characters from the start of the receive area's text, which is the start of
    // its first line; empty when it did not answer within timeoutMs.
    std::wstring ReceiveStart(size_t nMaxChars, DWORD timeoutMs) const;
    // Replaces a control's text (WM_SETTEXT); false when the window did not answer within timeoutMs.
    bool SetControlText(int nID, const std::wstring& text, DWORD timeoutMs) const;
    // Posts BN_CLICKED of button nID to the dialog, as a click does.
    void Click(int nID) const;
    // Sets check box nID to bChecked and posts its BN_CLICKED, as a click that leaves it so does.
    void ClickCheckBox(int nID, bool bChecked) const;
    // The same click sent instead of posted: returns once the dialog has handled it (true), or
    // after timeoutMs (false). Not for a click whose handler shows a box.
    bool SetCheck(int nID, bool bChecked, DWORD timeoutMs) const;
    bool IsChecked(int nID, DWORD timeoutMs) const;
    // The text of an error message box the program shows, or empty when there is none.
    std::wstring ErrorBoxText() const;
    // A file dialog (open or save) the program shows, or null when there is none.
    HWND FileDialog() const;
    // Types the path into a file dialog's name box and presses its OK button (posted).
    static void AnswerFileDialog(HWND hFileDialog, const std::wstring& path, DWORD timeoutMs);

private:
    HWND m_hDlg;
};
