#pragma once

#include <windows.h>

#include <vector>

// Collects the messages posted to the creating thread: to its message-only window (Window())
// and to the thread itself. Private messages still queued when it is made are discarded. Use it
// on one thread only.
class NotificationRecorder
{
public:
    struct Message
    {
        HWND hWnd; // null for a thread message
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };

    NotificationRecorder();
    ~NotificationRecorder();
    NotificationRecorder(const NotificationRecorder&) = delete;
    NotificationRecorder& operator=(const NotificationRecorder&) = delete;

    HWND Window() const { return m_hWnd; }
    void DestroyWindow();

    // Takes every message already queued in [first, last].
    std::vector<Message> Drain(UINT first, UINT last);
    // Waits until a message in [first, last] arrives; returns all collected so far (empty when
    // none came within dwTimeoutMs).
    std::vector<Message> WaitFor(UINT first, UINT last, DWORD dwTimeoutMs);

private:
    HWND m_hWnd;
};
