// The send text read as bytes written in hex ("十六进制发送"): pairs of hex digits in either
// case, each pair optionally prefixed "0x" or "0X"; blanks, tabs, commas and line breaks may
// stand between bytes, and pairs may also follow each other directly ("4142"). A function of
// values.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

// The first thing in the text that is not a byte.
struct SendHexError {
    bool bUnpaired = false;      // a hex digit with no second digit; otherwise a character that
                                 // has no place in hex text
    std::wstring strCharacter;   // that character as typed (both halves of a surrogate pair)
    // 1-based, counted as the user sees the text: a line break (CR LF) and a character outside
    // the basic plane (a surrogate pair) count as one character each.
    size_t nPosition = 0;
    size_t nIndex = 0;           // 0-based UTF-16 index, for selecting it in the send area
};

// True with the bytes in `bytes` (empty for a text of separators only); false with `error` set
// and `bytes` left alone. A digit is unpaired when a separator or the end follows it; a prefix
// counts as one only when a hex digit follows it ("0x" alone is a 0 and a bad "x").
bool ParseSendHex(LPCWSTR pszText, std::string& bytes, SendHexError& error);
