// Received bytes shown as hex: every byte, zero bytes and control bytes included, as two
// upper-case hex digits and a space ("00 41 FF 0D 0A "), so nothing that arrived is invisible.
// A function of values.
#pragma once

#include <windows.h>

#include <string>

// Appends three characters per byte to `text`.
void AppendHexText(std::wstring& text, const BYTE* pBytes, DWORD nCount);
