// System commands of the main window: the About command (with any low four bits) opens the About
// box; every other command keeps the system's default behaviour.
#include <gtest/gtest.h>

#include <string>

#include "tests/ui/support/DialogHost.h"
#include "tests/ui/support/LumetraDlgProbe.h"

namespace {

struct ChildSearch {
    const wchar_t* pszText;
    HWND hWndFound;
};

BOOL CALLBACK FindChildWithText(HWND hWnd, LPARAM lParam)
{
    ChildSearch* pSearch = reinterpret_cast<ChildSearch*>(lParam);
    if (dialog_host::WindowText(hWnd) != pSearch->pszText)
        return TRUE;
    pSearch->hWndFound = hWnd;
    return FALSE;
}

HWND ChildWithText(HWND hWndParent, const wchar_t* pszText)
{
    ChildSearch search = { pszText, nullptr };
    ::EnumChildWindows(hWndParent, &FindChildWithText, reinterpret_cast<LPARAM>(&search));
    return search.hWndFound;
}

class SystemCommand : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(host.IsRunning()) << "the main window did not come up"; }

    DialogHost<LumetraDlgProbe> host;
};

enum class CloseBy { OkButton, EnterKey };

struct AboutCase {
    UINT nCommand;
    CloseBy closeBy;
};

TEST_F(SystemCommand, AboutCommandOpensTheModalAboutBoxThatClosesOnOk)
{
    const AboutCase cases[] = {
        { 0x0010, CloseBy::OkButton },
        { 0x001F, CloseBy::OkButton },
        { 0x0013, CloseBy::EnterKey },
    };
    for (const AboutCase& aboutCase : cases) {
        SCOPED_TRACE(testing::Message() << "command 0x" << std::hex << aboutCase.nCommand);
        std::future<void> command = host.SysCommandAsync(aboutCase.nCommand);

        HWND hWndAbout = host.WaitForOwnedBox();
        ASSERT_NE(nullptr, hWndAbout) << "no About box";
        EXPECT_EQ(L"关于 Lumetra", dialog_host::WindowText(hWndAbout));
        EXPECT_NE(nullptr, ChildWithText(hWndAbout, L"Lumetra 2.0 版"));
        HWND hWndOk = ::GetDlgItem(hWndAbout, IDOK);
        ASSERT_NE(nullptr, hWndOk);
        EXPECT_EQ(L"确定", dialog_host::WindowText(hWndOk));
        EXPECT_FALSE(::IsWindowEnabled(host.Window())) << "the About box should be modal";

        if (aboutCase.closeBy == CloseBy::OkButton) {
            EXPECT_TRUE(DialogHostBase::PressOk(hWndAbout));
        } else {
            testsupport::PostKey(hWndOk, VK_RETURN);
            EXPECT_TRUE(dialog_host::WaitUntil([hWndAbout] { return !::IsWindow(hWndAbout); }));
        }
        ASSERT_TRUE(DialogHostBase::Wait(command)) << "the command did not return after the About box closed";
        EXPECT_TRUE(host.IsRunning());
        EXPECT_TRUE(::IsWindowEnabled(host.Window()));
        EXPECT_EQ(nullptr, host.FindOwnedBox());
    }
}

TEST_F(SystemCommand, CommandsBesideAboutOpenNoBox)
{
    for (UINT nCommand : { 0x0000u, 0x0020u, 0x002Fu, 0x0110u }) {
        SCOPED_TRACE(testing::Message() << "command 0x" << std::hex << nCommand);
        std::future<void> command = host.SysCommandAsync(nCommand);
        ASSERT_TRUE(DialogHostBase::Wait(command)) << "the command opened something modal";
        EXPECT_EQ(nullptr, host.FindOwnedBox());
        EXPECT_TRUE(host.IsRunning());
    }
}

TEST_F(SystemCommand, MinimiseAndRestoreWorkAsUsual)
{
    host.SysCommand(SC_MINIMIZE);
    EXPECT_TRUE(dialog_host::WaitUntil([&] { return ::IsIconic(host.Window()) != FALSE; }));

    host.SysCommand(SC_RESTORE);
    EXPECT_TRUE(dialog_host::WaitUntil([&] { return !::IsIconic(host.Window()); }));
    EXPECT_TRUE(host.IsRunning());
}

TEST_F(SystemCommand, CloseEndsTheDialogAsCancel)
{
    host.SysCommandAsync(SC_CLOSE);
    ASSERT_TRUE(host.WaitForEnd());
    EXPECT_EQ(IDCANCEL, host.Result());
}

}  // namespace
