#include "tests/faults/FaultFixture.h"

#include <cstdarg>
#include <cstdio>

void FaultTest::SetUp()
{
    ASSERT_TRUE(m_control.IsAvailable()) << "the runner must serve pair control (NEEDS pty-control)";
    TerminalTest::SetUp();
}

DWORD FaultTest::TimedClick(int nID)
{
    const ULONGLONG nStart = ::GetTickCount64();
    std::future<void> click = Host().ClickAsync(nID);
    if (!DialogHostBase::Wait(click, kHandlerTimeLimitMs))
        ADD_FAILURE() << "the click on control " << nID << " was not handled within " << kHandlerTimeLimitMs << " ms";
    return static_cast<DWORD>(::GetTickCount64() - nStart);
}

std::wstring FaultTest::PeerPath(int nCom)
{
    for (const testsupport::NullModem& modem : testsupport::AvailableNullModems()) {
        if (modem.comNumber == nCom)
            return modem.peerPath;
    }
    return std::wstring();
}

bool FaultTest::WaitForReceiveTextContaining(const std::wstring& part, DWORD nTimeLimitMs)
{
    return dialog_host::WaitUntil([&] { return ReceiveText().find(part) != std::wstring::npos; }, nTimeLimitMs);
}

void FaultTest::Figure(const char* pszFormat, ...)
{
    std::va_list args;
    va_start(args, pszFormat);
    std::printf("[ figure   ] ");
    std::vprintf(pszFormat, args);
    std::printf("\n");
    std::fflush(stdout);
    va_end(args);
}
