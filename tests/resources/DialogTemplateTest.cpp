// The main dialog and the About box as compiled into the executable: header, font and every
// control in template (tab) order with its kind, exact style, position and text.
#include "resources/resource.h"
#include "tests/resources/DialogTemplate.h"
#include "tests/resources/ModuleResource.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <vector>

namespace {

using resourcetest::DialogTemplate;
using resourcetest::NameOrOrdinal;

// Predefined window classes as the template stores them.
constexpr WORD kButton = 0x0080;
constexpr WORD kEdit = 0x0081;
constexpr WORD kStatic = 0x0082;
constexpr WORD kComboBox = 0x0085;

constexpr LONG kNoId = -1;
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

constexpr DWORD kList = kChild | CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL | WS_TABSTOP;
// The baud rate can be typed too.
constexpr DWORD kTypableList = kChild | CBS_DROPDOWN | CBS_AUTOHSCROLL | CBS_SORT | WS_VSCROLL | WS_TABSTOP;
constexpr DWORD kPushButton = kChild | BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kCheckBox = kChild | BS_AUTOCHECKBOX | WS_TABSTOP;
constexpr DWORD kGroupBox = kChild | BS_GROUPBOX;
constexpr DWORD kLabel = kChild | SS_LEFT | WS_GROUP;
// Receive area: no ES_AUTOHSCROLL and no WS_HSCROLL, so long lines wrap; not read-only.
constexpr DWORD kReceiveEdit =
    kChild | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_BORDER | WS_TABSTOP;
// Send area: scrolls sideways instead of wrapping.
constexpr DWORD kSendEdit = kReceiveEdit | ES_AUTOHSCROLL;
constexpr DWORD kIntervalEdit = kChild | ES_NUMBER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;

struct ExpectedControl {
    LONG id;
    WORD windowClass;
    DWORD style;
    short x, y, cx, cy;
    NameOrOrdinal title;
    const wchar_t* className = nullptr;   // a class stored by name (windowClass then unused)
};

NameOrOrdinal Text(const wchar_t* text)
{
    return NameOrOrdinal::Name(text);
}

const NameOrOrdinal kNoText = Text(L"");

const std::vector<ExpectedControl> kMainDialogControls = {
    {IDC_PORT_LIST, kComboBox, kList, 52, 14, 48, 75, kNoText},
    {IDC_BAUD_LIST, kComboBox, kTypableList, 52, 32, 48, 77, kNoText},
    {IDC_PARITY_LIST, kComboBox, kList, 52, 50, 48, 87, kNoText},
    {IDC_DATABITS_LIST, kComboBox, kList, 52, 68, 48, 73, kNoText},
    {IDC_STOPBITS_LIST, kComboBox, kList, 52, 86, 48, 77, kNoText},
    {IDC_CONNECT, kButton, kPushButton, 25, 102, 50, 14, Text(L"连接")},
    {IDC_PAUSE_DISPLAY, kButton, kCheckBox, 14, 140, 84, 10, Text(L"暂停接收显示")},
    {IDC_CLEAR_RECEIVE, kButton, kPushButton, 25, 156, 50, 14, Text(L"清空接受区")},
    {IDC_CLEAR_AFTER_SEND, kButton, kCheckBox, 13, 193, 84, 10, Text(L"发送完自动清空")},
    {IDC_CYCLIC_SEND, kButton, kCheckBox, 13, 205, 82, 10, Text(L"指令循环发送")},
    {kNoId, kStatic, kLabel, 13, 218, 32, 8, Text(L"指令间隔")},
    {IDC_RECEIVE_EDIT, kEdit, kReceiveEdit, 115, 7, 234, 169, kNoText},
    {kNoId, kStatic, kLabel, 115, 227, 220, 13, Text(L"Varnholt出品  www.varnholt.example")},
    {IDC_SEND_EDIT, kEdit, kSendEdit, 113, 184, 184, 41, kNoText},
    {IDC_SEND, kButton, kPushButton, 306, 191, 39, 31, Text(L"发 送")},
    {kNoId, kButton, kGroupBox, 6, 2, 101, 119, Text(L"通信设置")},
    {kNoId, kStatic, kLabel, 13, 16, 35, 8, Text(L"串口号\uFF1A")},
    {kNoId, kStatic, kLabel, 13, 34, 34, 8, Text(L"波特率\uFF1A")},
    {kNoId, kStatic, kLabel, 13, 52, 36, 8, Text(L"校验位\uFF1A")},
    {kNoId, kStatic, kLabel, 13, 70, 36, 8, Text(L"数据位\uFF1A")},
    {kNoId, kStatic, kLabel, 13, 88, 38, 8, Text(L"停止位\uFF1A")},
    {kNoId, kButton, kGroupBox, 6, 124, 101, 55, Text(L"接收区设置")},
    {kNoId, kButton, kGroupBox, 5, 182, 101, 55, Text(L"发送区设置")},
    {kNoId, kStatic, kLabel, 81, 219, 17, 8, Text(L"毫秒")},
    {IDC_INTERVAL_EDIT, kEdit, kIntervalEdit, 47, 215, 29, 14, kNoText},
    // The options group, after every original control.
    {IDC_HEX_DISPLAY, kButton, kCheckBox, 363, 16, 90, 10, Text(L"十六进制显示")},
    {IDC_TIMESTAMPS, kButton, kCheckBox, 363, 30, 90, 10, Text(L"显示时间戳")},
    {kNoId, kStatic, kLabel, 363, 47, 32, 8, Text(L"分包间隔")},
    {IDC_PACKET_GAP_EDIT, kEdit, kIntervalEdit, 397, 44, 29, 14, kNoText},
    {kNoId, kStatic, kLabel, 430, 47, 17, 8, Text(L"毫秒")},
    {IDC_HEX_SEND, kButton, kCheckBox, 363, 72, 90, 10, Text(L"十六进制发送")},
    {IDC_SEND_NEW_LINE, kButton, kCheckBox, 363, 86, 90, 10, Text(L"发送新行")},
    {IDC_LOG_TO_FILE, kButton, kCheckBox, 363, 110, 90, 10, Text(L"记录到文件")},
    {IDC_RECEIVE_COUNT, kStatic, kLabel, 363, 134, 90, 8, Text(L"接收\uFF1A0")},
    {IDC_SEND_COUNT, kStatic, kLabel, 363, 148, 90, 8, Text(L"发送\uFF1A0")},
    {IDC_CLEAR_COUNTS, kButton, kPushButton, 383, 164, 50, 14, Text(L"计数清零")},
    // The sending side's options, below the counters in the same group.
    {kNoId, kStatic, kLabel, 363, 184, 18, 8, Text(L"校验")},
    {IDC_CHECK_LIST, kComboBox, kChild | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 383, 182, 70, 80, kNoText},
    {IDC_SHOW_SENT, kButton, kCheckBox, 363, 198, 90, 10, Text(L"显示发送")},
    {IDC_SEND_FILE, kButton, kPushButton, 362, 210, 45, 14, Text(L"发送文件")},
    {IDC_SAVE_RECEIVE, kButton, kPushButton, 410, 210, 46, 14, Text(L"保存接收区")},
    {IDC_SEND_FILE_PROGRESS, kStatic, kLabel, 363, 226, 95, 8, kNoText},
    {kNoId, kButton, kGroupBox, 356, 2, 104, 235, Text(L"扩展功能")},
    // The line's signals, right of the options group.
    {IDC_DTR, kButton, kCheckBox, 473, 16, 36, 10, Text(L"DTR")},
    {IDC_RTS, kButton, kCheckBox, 512, 16, 34, 10, Text(L"RTS")},
    {kNoId, kStatic, kLabel, 473, 35, 18, 8, Text(L"流控")},
    {IDC_FLOW_CONTROL, kComboBox, kChild | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 493, 32, 52, 64, kNoText},
    {IDC_CTS_STATE, kStatic, kLabel, 473, 56, 36, 8, Text(L"CTS \uFF1F")},
    {IDC_DSR_STATE, kStatic, kLabel, 512, 56, 34, 8, Text(L"DSR \uFF1F")},
    {IDC_RI_STATE, kStatic, kLabel, 473, 70, 36, 8, Text(L"RI \uFF1F")},
    {IDC_DCD_STATE, kStatic, kLabel, 512, 70, 34, 8, Text(L"DCD \uFF1F")},
    {IDC_FRAME_ERRORS, kStatic, kLabel, 473, 134, 72, 8, Text(L"帧错误\uFF1A0")},
    {IDC_PARITY_ERRORS, kStatic, kLabel, 473, 148, 72, 8, Text(L"校验错误\uFF1A0")},
    {IDC_OVERRUN_ERRORS, kStatic, kLabel, 473, 162, 72, 8, Text(L"溢出\uFF1A0")},
    {kNoId, kButton, kGroupBox, 466, 2, 84, 235, Text(L"线路信号")},
    // The line of ports present, below everything else: a SysLink, whose ports are links.
    {IDC_PRESENT_PORTS, 0, kChild | WS_TABSTOP, 7, 243, 542, 16, Text(L"可用：无"), L"SysLink"},
};

const std::vector<ExpectedControl> kAboutBoxControls = {
    {kNoId, kStatic, kChild | SS_ICON, 11, 17, 20, 20, NameOrOrdinal::Ordinal(IDR_MAINFRAME)},
    {kNoId, kStatic, kLabel | SS_NOPREFIX, 40, 10, 119, 8, Text(L"Lumetra 2.0 版")},
    {kNoId, kStatic, kLabel, 40, 25, 119, 8, Text(L"版权所有 (C) 2010 Varnholt")},
    {IDOK, kButton, kChild | BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 178, 7, 50, 16, Text(L"确定")},
};

DialogTemplate LoadDialogTemplate(int id)
{
    resourcetest::ResourceBytes bytes = resourcetest::FindModuleResource(RT_DIALOG, MAKEINTRESOURCEW(id));
    std::optional<DialogTemplate> dialog = resourcetest::ParseDialogTemplateEx(bytes.data, bytes.size);
    EXPECT_TRUE(dialog.has_value()) << "dialog " << id << " missing or not an extended template";
    return dialog.value_or(DialogTemplate{});
}

void ExpectControls(const std::vector<ExpectedControl>& expected, const DialogTemplate& dialog)
{
    ASSERT_EQ(expected.size(), dialog.items.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "control " << i << ", id " << expected[i].id);
        const resourcetest::DialogItem& item = dialog.items[i];
        EXPECT_EQ(expected[i].id, item.id);
        if (expected[i].className != nullptr) {
            // Window class names are case-insensitive; resource compilers may store them upper-case.
            EXPECT_FALSE(item.windowClass.isOrdinal);
            EXPECT_EQ(0, _wcsicmp(expected[i].className, item.windowClass.name.c_str())) << item.windowClass;
        } else {
            EXPECT_EQ(NameOrOrdinal::Ordinal(expected[i].windowClass), item.windowClass);
        }
        EXPECT_EQ(expected[i].style, item.style) << std::hex << "differing bits 0x"
                                                 << (expected[i].style ^ item.style);
        EXPECT_EQ(0u, item.exStyle);
        EXPECT_EQ(expected[i].x, item.x);
        EXPECT_EQ(expected[i].y, item.y);
        EXPECT_EQ(expected[i].cx, item.cx);
        EXPECT_EQ(expected[i].cy, item.cy);
        EXPECT_EQ(expected[i].title, item.title);
        EXPECT_EQ(0, item.extraCount);
    }
}

void ExpectSongTiNinePoints(const DialogTemplate& dialog)
{
    EXPECT_EQ(L"宋体", dialog.typeface);
    EXPECT_EQ(9, dialog.pointSize);
    EXPECT_EQ(FW_NORMAL, dialog.weight);
    EXPECT_EQ(0, dialog.italic);
}

TEST(MainDialogTemplate, HasCaptionFontSizeAndFixedFrame)
{
    DialogTemplate dialog = LoadDialogTemplate(IDD_LUMETRA_DIALOG);
    // Two em dashes and an ideographic space, exactly as the product shows its name.
    EXPECT_EQ(L"Varnholt\u2014\u2014Lumetra\u30002.0版", dialog.title);
    ExpectSongTiNinePoints(dialog);
    EXPECT_EQ(556, dialog.cx);
    EXPECT_EQ(264, dialog.cy);
    EXPECT_EQ(static_cast<DWORD>(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX |
                                 DS_MODALFRAME | DS_SETFONT),
              dialog.style)
        << std::hex << "style 0x" << dialog.style;
    EXPECT_EQ(static_cast<DWORD>(WS_EX_APPWINDOW), dialog.exStyle);
    EXPECT_EQ(NameOrOrdinal{}, dialog.menu);
    EXPECT_EQ(NameOrOrdinal{}, dialog.windowClass);
}

TEST(MainDialogTemplate, ControlsInTabOrderWithKindStylePositionAndText)
{
    ExpectControls(kMainDialogControls, LoadDialogTemplate(IDD_LUMETRA_DIALOG));
}

TEST(AboutBoxTemplate, HasCaptionFontSizeAndModalFrame)
{
    DialogTemplate dialog = LoadDialogTemplate(IDD_ABOUTBOX);
    EXPECT_EQ(L"关于 Lumetra", dialog.title);
    ExpectSongTiNinePoints(dialog);
    EXPECT_EQ(235, dialog.cx);
    EXPECT_EQ(55, dialog.cy);
    EXPECT_EQ(static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT),
              dialog.style)
        << std::hex << "style 0x" << dialog.style;
    EXPECT_EQ(0u, dialog.exStyle);
}

TEST(AboutBoxTemplate, ControlsShowIconVersionNoticeAndOk)
{
    ExpectControls(kAboutBoxControls, LoadDialogTemplate(IDD_ABOUTBOX));
}

} // namespace
