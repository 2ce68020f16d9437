// The manifest: what it asks for, and that Windows honours it for this process.
#include "tests/resources/ModuleResource.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::string LoadManifest()
{
    resourcetest::ResourceBytes bytes =
        resourcetest::FindModuleResource(RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID);
    if (bytes.data == nullptr) {
        return {};
    }
    return std::string(reinterpret_cast<const char*>(bytes.data), bytes.size);
}

// The whole XML start tag that contains `text`, or an empty string.
std::string ElementContaining(const std::string& xml, const std::string& text)
{
    size_t at = xml.find(text);
    if (at == std::string::npos) {
        return {};
    }
    size_t begin = xml.rfind('<', at);
    size_t end = xml.find('>', at);
    if (begin == std::string::npos || end == std::string::npos) {
        return {};
    }
    return xml.substr(begin, end + 1 - begin);
}

TEST(Manifest, DependsOnCommonControls6)
{
    std::string identity = ElementContaining(LoadManifest(), "name=\"Microsoft.Windows.Common-Controls\"");
    ASSERT_EQ(0u, identity.find("<assemblyIdentity")) << identity;
    EXPECT_NE(std::string::npos, identity.find("version=\"6.0.0.0\"")) << identity;
    EXPECT_NE(std::string::npos, identity.find("publicKeyToken=\"6595b64144ccf1df\"")) << identity;
    EXPECT_NE(std::string::npos, identity.find("type=\"win32\"")) << identity;
}

TEST(Manifest, RunsAsInvoker)
{
    std::string level = ElementContaining(LoadManifest(), "<requestedExecutionLevel");
    EXPECT_NE(std::string::npos, level.find("level=\"asInvoker\"")) << level;
}

// The loader activated the manifest: this process's comctl32.dll comes from the side-by-side
// common controls assembly, version 6.
TEST(Manifest, ProcessGetsCommonControls6)
{
    ACTCTX_SECTION_KEYED_DATA redirection;
    std::memset(&redirection, 0, sizeof redirection);
    redirection.cbSize = sizeof redirection;
    SetLastError(0xdeadbeef);
    ASSERT_TRUE(FindActCtxSectionStringW(FIND_ACTCTX_SECTION_KEY_RETURN_HACTCTX, nullptr,
                                         ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, L"comctl32.dll",
                                         &redirection))
        << "comctl32.dll is not redirected, error " << GetLastError();

    DWORD assembly = redirection.ulAssemblyRosterIndex;
    SIZE_T needed = 0;
    QueryActCtxW(0, redirection.hActCtx, &assembly, AssemblyDetailedInformationInActivationContext,
                 nullptr, 0, &needed);
    ASSERT_LT(0u, needed);
    std::vector<BYTE> buffer(needed, 0xFF);
    SetLastError(0xdeadbeef);
    ASSERT_TRUE(QueryActCtxW(0, redirection.hActCtx, &assembly, AssemblyDetailedInformationInActivationContext,
                             buffer.data(), buffer.size(), &needed))
        << "error " << GetLastError();
    auto info = reinterpret_cast<const ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION*>(buffer.data());
    std::wstring identity(info->lpAssemblyEncodedAssemblyIdentity,
                          info->ulEncodedAssemblyIdentityLength / sizeof(WCHAR));
    EXPECT_EQ(0u, identity.find(L"Microsoft.Windows.Common-Controls,")) << testing::PrintToString(identity);
    EXPECT_NE(std::wstring::npos, identity.find(L"version=\"6.")) << testing::PrintToString(identity);
    ReleaseActCtx(redirection.hActCtx);
}

} // namespace
