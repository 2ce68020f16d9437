// Reads an extended dialog template (DLGTEMPLATEEX and its DLGITEMTEMPLATEEX items), the form
// in which the resource compiler stores a DIALOGEX, into plain values that tests can compare.
#pragma once

#include <windows.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace resourcetest {

// A template field that holds either nothing, a 16-bit ordinal or a string.
struct NameOrOrdinal {
    bool isOrdinal = false;
    WORD ordinal = 0;
    std::wstring name; // empty for "nothing"

    static NameOrOrdinal Ordinal(WORD value) { return {true, value, {}}; }
    static NameOrOrdinal Name(const std::wstring& value) { return {false, 0, value}; }
};

bool operator==(const NameOrOrdinal& left, const NameOrOrdinal& right);
std::ostream& operator<<(std::ostream& out, const NameOrOrdinal& value);

struct DialogItem {
    DWORD helpId = 0;
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    LONG id = 0; // stored as 32 bits; -1 for a control without an id
    NameOrOrdinal windowClass;
    NameOrOrdinal title;
    WORD extraCount = 0;
};

struct DialogTemplate {
    DWORD helpId = 0;
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    NameOrOrdinal menu;
    NameOrOrdinal windowClass;
    std::wstring title;
    // Present when the style has DS_SETFONT.
    WORD pointSize = 0;
    WORD weight = 0;
    BYTE italic = 0;
    BYTE charset = 0;
    std::wstring typeface;
    std::vector<DialogItem> items;
};

// Empty when the bytes are not an extended template or end before the template does.
std::optional<DialogTemplate> ParseDialogTemplateEx(const BYTE* data, DWORD size);

} // namespace resourcetest
