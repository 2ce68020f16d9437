// The line of ports present as SysLink markup, and the port a clicked link names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/ports/PresentPortsText.h"

namespace {

TEST(PresentPortsTextTest, EachPortIsALinkNamedByItsNumberFollowedByItsName)
{
    struct Case {
        const wchar_t* name;
        std::vector<PresentPort> ports;
        std::wstring markup;
    };
    const Case cases[] = {
        { L"none", {}, L"可用：无" },
        { L"one without a name", { { 3, L"" } }, L"可用：<a id=\"3\">COM3</a>" },
        { L"several, named or not",
          { { 3, L"USB-SERIAL CH340" }, { 12, L"" }, { 255, L"Prolific USB-to-Serial" } },
          L"可用：<a id=\"3\">COM3</a> USB-SERIAL CH340, <a id=\"12\">COM12</a>, <a id=\"255\">COM255</a> "
          L"Prolific USB-to-Serial" },
        { L"a name that looks like markup or holds line breaks is shown, not obeyed",
          { { 5, L"x <a id=\"9\">COM9</a>\r\n\ty" } },
          L"可用：<a id=\"5\">COM5</a> x \uFF1Ca id=\"9\"\uFF1ECOM9\uFF1C/a\uFF1E   y" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.markup, PresentPortsMarkup(c.ports)) << c.name;
}

TEST(PresentPortsTextTest, ALinkIdNamesAPortOfTheListOrNone)
{
    struct Case {
        const wchar_t* id;
        int nPort;
    };
    const Case cases[] = {
        { L"1", 1 }, { L"12", 12 }, { L"255", 255 }, { L"256", 0 }, { L"0", 0 }, { L"", 0 },
        { L"3a", 0 }, { L"-1", 0 }, { L" 3", 0 }, { L"99999999999999999999999", 0 }, { nullptr, 0 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.nPort, LinkedPortNumber(c.id, 255)) << (c.id != nullptr ? c.id : L"(null)");
}

}  // namespace
