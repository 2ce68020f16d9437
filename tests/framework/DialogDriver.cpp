#include "tests/framework/DialogDriver.h"

#include <gtest/gtest.h>

#include <map>

namespace {

struct ModalRun {
    CDialog* pDlg;
    std::function<void(HWND)> scenario;
    UINT_PTR nStartTimer;
    UINT_PTR nWatchdogTimer;
    bool bScenarioRan;
};

std::map<UINT_PTR, ModalRun*>& RunsByTimer()
{
    static std::map<UINT_PTR, ModalRun*> runs;
    return runs;
}

void CALLBACK OnRunTimer(HWND, UINT, UINT_PTR nIDEvent, DWORD)
{
    auto it = RunsByTimer().find(nIDEvent);
    if (it == RunsByTimer().end())
        return;
    ModalRun* pRun = it->second;
    ::KillTimer(nullptr, nIDEvent);
    RunsByTimer().erase(it);
    if (nIDEvent == pRun->nWatchdogTimer) {
        ::EndDialog(pRun->pDlg->GetSafeHwnd(), kTimedOut);
        return;
    }
    pRun->bScenarioRan = true;
    pRun->scenario(pRun->pDlg->GetSafeHwnd());
}

}  // namespace

INT_PTR RunModal(CDialog& dlg, std::function<void(HWND)> scenario, DWORD nTimeLimitMs)
{
    ModalRun run = { &dlg, std::move(scenario), 0, 0, false };
    run.nStartTimer = ::SetTimer(nullptr, 0, 1, &OnRunTimer);
    run.nWatchdogTimer = ::SetTimer(nullptr, 0, nTimeLimitMs, &OnRunTimer);
    RunsByTimer()[run.nStartTimer] = &run;
    RunsByTimer()[run.nWatchdogTimer] = &run;
    const INT_PTR nResult = dlg.DoModal();
    for (UINT_PTR nTimer : { run.nStartTimer, run.nWatchdogTimer }) {
        if (RunsByTimer().erase(nTimer) != 0)
            ::KillTimer(nullptr, nTimer);
    }
    if (!run.bScenarioRan)
        ADD_FAILURE() << "the dialog ended before its scenario ran; DoModal returned " << nResult;
    if (nResult == kTimedOut)
        ADD_FAILURE() << "the scenario did not end the dialog within " << nTimeLimitMs << " ms";
    return nResult;
}

bool PumpUntil(const std::function<bool()>& condition, DWORD nTimeLimitMs, HWND hDlg)
{
    const ULONGLONG nEnd = ::GetTickCount64() + nTimeLimitMs;
    while (!condition()) {
        if (::GetTickCount64() >= nEnd)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (hDlg != nullptr && ::IsDialogMessageW(hDlg, &msg))
                continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return true;
}

MessageBoxWatcher::MessageBoxWatcher(HWND hWndOwner) : m_hWndOwner(hWndOwner), m_thread([this] { Watch(); })
{
}

MessageBoxWatcher::~MessageBoxWatcher()
{
    m_bStop = true;
    m_thread.join();
}

std::vector<ShownMessageBox> MessageBoxWatcher::Shown() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_shown;
}

bool MessageBoxWatcher::WaitForClosed(size_t nCount, DWORD nTimeLimitMs, HWND hDlg)
{
    return PumpUntil([&] { return m_nClosed >= nCount; }, nTimeLimitMs, hDlg);
}

void MessageBoxWatcher::Watch()
{
    while (!m_bStop) {
        HWND hWndBox = testsupport::FindOwnedBox(m_hWndOwner);
        if (hWndBox == nullptr) {
            ::Sleep(5);   // polling interval of the watcher thread, not a wait for a result
            continue;
        }
        const ShownMessageBox shown = testsupport::ReadBox(hWndBox);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_shown.push_back(shown);
        }
        ::SendMessageW(::GetDlgItem(hWndBox, IDOK), BM_CLICK, 0, 0);
        while (::IsWindow(hWndBox) && !m_bStop)
            ::Sleep(5);
        ++m_nClosed;
    }
}
