// The version record as Windows reads it from the executable's file.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr DWORD kVersion2_0 = 0x00020000; // major 2, minor 0 in the high version word

class VersionRecord : public testing::Test {
protected:
    void SetUp() override
    {
        wchar_t path[MAX_PATH] = {};
        ASSERT_NE(0u, GetModuleFileNameW(nullptr, path, MAX_PATH));
        SetLastError(0xdeadbeef);
        DWORD handle = 0;
        DWORD size = GetFileVersionInfoSizeW(path, &handle);
        ASSERT_NE(0u, size) << "error " << GetLastError();
        m_record.assign(size, 0xFF);
        SetLastError(0xdeadbeef);
        ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, m_record.data())) << "error " << GetLastError();
    }

    // The value under `subBlock`, or null when the record has none.
    const void* Query(const std::wstring& subBlock, UINT* length)
    {
        void* value = nullptr;
        *length = 0;
        if (!VerQueryValueW(m_record.data(), subBlock.c_str(), &value, length)) {
            return nullptr;
        }
        return value;
    }

    std::vector<BYTE> m_record;
};

TEST_F(VersionRecord, FixedPartIsVersion2_0SpecialBuildApplication)
{
    UINT length = 0;
    auto fixed = static_cast<const VS_FIXEDFILEINFO*>(Query(L"\\", &length));
    ASSERT_NE(nullptr, fixed);
    ASSERT_EQ(sizeof(VS_FIXEDFILEINFO), length);
    EXPECT_EQ(0xFEEF04BDu, fixed->dwSignature);
    EXPECT_EQ(kVersion2_0, fixed->dwFileVersionMS);
    EXPECT_EQ(0u, fixed->dwFileVersionLS);
    EXPECT_EQ(kVersion2_0, fixed->dwProductVersionMS);
    EXPECT_EQ(0u, fixed->dwProductVersionLS);
    EXPECT_EQ(static_cast<DWORD>(VS_FF_SPECIALBUILD), fixed->dwFileFlags & fixed->dwFileFlagsMask);
    EXPECT_EQ(static_cast<DWORD>(VOS_NT_WINDOWS32), fixed->dwFileOS);
    EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);
}

TEST_F(VersionRecord, TranslationIsChinesePrcWithCodePage936)
{
    UINT length = 0;
    auto translation = static_cast<const WORD*>(Query(L"\\VarFileInfo\\Translation", &length));
    ASSERT_NE(nullptr, translation);
    ASSERT_EQ(2 * sizeof(WORD), length);
    EXPECT_EQ(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), translation[0]);
    EXPECT_EQ(936, translation[1]);
}

TEST_F(VersionRecord, StringFieldsInTheChineseBlock)
{
    struct Field {
        const wchar_t* name;
        const wchar_t* value;
    };
    const Field fields[] = {
        {L"CompanyName", L"Varnholt"},
        {L"FileDescription", L"Lumetra 2.0"},
        {L"FileVersion", L"2.0.0.0"},
        {L"InternalName", L"Lumetra.exe"},
        {L"LegalCopyright", L"版权所有 (C) 2010 Varnholt"},
        {L"OriginalFilename", L"Lumetra.exe"},
        {L"ProductName", L"Lumetra"},
        {L"ProductVersion", L"2.0.0.0"},
        {L"SpecialBuild", L"2010-01-29"},
    };
    for (const Field& field : fields) {
        SCOPED_TRACE(testing::Message() << "field " << testing::PrintToString(std::wstring(field.name)));
        UINT length = 0;
        std::wstring subBlock = std::wstring(L"\\StringFileInfo\\080403a8\\") + field.name;
        auto value = static_cast<const wchar_t*>(Query(subBlock, &length));
        ASSERT_NE(nullptr, value);
        EXPECT_EQ(std::wstring(field.value), value);
    }
}

} // namespace
