// The bytes that one send puts on the port: the send text through its encoder (ANSI text, or
// hex with "十六进制发送"), the check value of those bytes with "校验", then the line ending with
// "发送新行". A function of values.
#pragma once

#include <windows.h>

#include <string>

#include "ui/send/SendCheckValue.h"
#include "ui/send/SendHexParser.h"

// What "发送新行" appends, in text and hex mode alike.
constexpr char kSendLineEnding[] = "\r\n";

struct SendOptions {
    bool bHex = false;                   // the text is hex (ParseSendHex), not text of the code page
    SendCheck check = SendCheck::None;   // its value goes after the text's bytes
    bool bLineEnding = false;            // kSendLineEnding goes last, after the check value
};

// True with the bytes to write: an empty text gives the check value of nothing, then the line
// ending (just CR LF with neither, FF FF with Modbus CRC16). False with `error` set when hex text
// is not valid: then nothing is to be sent.
bool ComposeSendBytes(LPCWSTR pszText, const SendOptions& options, std::string& bytes,
                      SendHexError& error, UINT nCodePage = CP_THREAD_ACP);
