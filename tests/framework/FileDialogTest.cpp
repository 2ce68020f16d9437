// The record CFileDialog hands the system: the classic "|" filter as the system's list of pairs,
// the suggested name in the result buffer, the default extension and the flags.
#include <gtest/gtest.h>

#include <string>

#include "framework/CFileDialog.h"

namespace {

// The filter list up to its closing empty string, with "|" for each terminator.
std::wstring FilterAsWritten(LPCWSTR pszFilter)
{
    std::wstring written;
    for (LPCWSTR p = pszFilter; *p != L'\0'; p += std::wstring(p).size() + 1)
        written += std::wstring(p) + L"|";
    return written + L"|";
}

TEST(FileDialogTest, SaveDialogRecordHoldsTheFilterNameExtensionAndFlags)
{
    CFileDialog dlg(FALSE, L"log", L"Lumetra_20261208_114400.log", OFN_OVERWRITEPROMPT,
                    L"记录文件 (*.log)|*.log|所有文件 (*.*)|*.*||");
    EXPECT_EQ(sizeof(OPENFILENAMEW), dlg.m_ofn.lStructSize);
    ASSERT_NE(nullptr, dlg.m_ofn.lpstrFilter);
    EXPECT_EQ(L"记录文件 (*.log)|*.log|所有文件 (*.*)|*.*||", FilterAsWritten(dlg.m_ofn.lpstrFilter));
    EXPECT_STREQ(L"Lumetra_20261208_114400.log", dlg.m_ofn.lpstrFile);
    EXPECT_EQ(static_cast<DWORD>(MAX_PATH), dlg.m_ofn.nMaxFile);
    EXPECT_STREQ(L"log", dlg.m_ofn.lpstrDefExt);
    EXPECT_EQ(static_cast<DWORD>(OFN_OVERWRITEPROMPT | OFN_EXPLORER), dlg.m_ofn.Flags);
    EXPECT_EQ(nullptr, dlg.m_ofn.hwndOwner);
    EXPECT_EQ(L"Lumetra_20261208_114400.log", std::wstring(dlg.GetPathName()));
}

}  // namespace
