#include "ui/send/SendCheckValue.h"

#include <cstdint>

namespace {

uint16_t ModbusCrc16(const std::string& bytes)
{
    uint16_t crc = 0xFFFF;
    for (const char ch : bytes) {
        crc ^= static_cast<uint8_t>(ch);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<uint16_t>((crc & 1) != 0 ? (crc >> 1) ^ 0xA001 : crc >> 1);
    }
    return crc;
}

uint16_t CcittCrc16(const std::string& bytes)
{
    uint16_t crc = 0xFFFF;
    for (const char ch : bytes) {
        crc ^= static_cast<uint16_t>(static_cast<uint8_t>(ch) << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<uint16_t>((crc & 0x8000) != 0 ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return crc;
}

char LowByte(unsigned value) { return static_cast<char>(value & 0xFF); }
char HighByte(unsigned value) { return static_cast<char>((value >> 8) & 0xFF); }

}  // namespace

std::string SendCheckValue(SendCheck check, const std::string& bytes)
{
    switch (check) {
    case SendCheck::None:
        break;
    case SendCheck::ModbusCrc16: {
        const uint16_t crc = ModbusCrc16(bytes);
        return { LowByte(crc), HighByte(crc) };
    }
    case SendCheck::CcittCrc16: {
        const uint16_t crc = CcittCrc16(bytes);
        return { HighByte(crc), LowByte(crc) };
    }
    case SendCheck::Sum8: {
        unsigned sum = 0;
        for (const char ch : bytes)
            sum += static_cast<uint8_t>(ch);
        return { LowByte(sum) };
    }
    case SendCheck::Xor8: {
        unsigned x = 0;
        for (const char ch : bytes)
            x ^= static_cast<uint8_t>(ch);
        return { LowByte(x) };
    }
    }
    return std::string();
}
