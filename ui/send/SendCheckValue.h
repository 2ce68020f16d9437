// The check value that "校验" appends to a send's bytes, so the user need not work out a frame's
// CRC by hand. A function of values.
#pragma once

#include <string>

// In the order of the "校验" list.
enum class SendCheck {
    None,          // 无
    ModbusCrc16,   // CRC-16/MODBUS: reflected poly 0xA001, init 0xFFFF; low byte first
    CcittCrc16,    // CRC-16/CCITT-FALSE: poly 0x1021, init 0xFFFF, not reflected; high byte first
    Sum8,          // 累加和: the sum of the bytes modulo 256
    Xor8,          // 异或: the XOR of the bytes
};

// The check value's bytes as they go on the line after `bytes` (empty for SendCheck::None). Zero
// bytes give the value of nothing: the initial value of a CRC, 0 for a sum or an XOR.
std::string SendCheckValue(SendCheck check, const std::string& bytes);
