// String 101, the text of the About item on the system menu.
#include "resources/resource.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>

namespace {

TEST(StringTable, AboutItemText)
{
    wchar_t text[64];
    std::fill(std::begin(text), std::end(text), L'\xFFFF');
    SetLastError(0xdeadbeef);
    int length = LoadStringW(GetModuleHandleW(nullptr), IDS_ABOUTBOX, text, 64);
    ASSERT_LT(0, length) << "error " << GetLastError();
    EXPECT_EQ(std::wstring(L"关于 Lumetra(&A)..."), std::wstring(text, length));
    EXPECT_EQ(L'\0', text[length]);
}

} // namespace
