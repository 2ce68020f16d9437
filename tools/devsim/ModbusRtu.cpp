#include "tools/devsim/ModbusRtu.h"

namespace devsim {

namespace {

constexpr unsigned char kReadHoldingRegisters = 3;
constexpr unsigned kMaxRegisters = 125;   // what fits the reply's one-byte count
constexpr unsigned char kIllegalFunction = 1;
constexpr unsigned char kIllegalAddress = 2;
constexpr unsigned char kIllegalValue = 3;

unsigned Word(const std::string& bytes, size_t at)
{
    return static_cast<unsigned char>(bytes[at]) << 8 | static_cast<unsigned char>(bytes[at + 1]);
}

void AppendWord(std::string& bytes, unsigned value)
{
    bytes.push_back(static_cast<char>(value >> 8 & 0xFF));
    bytes.push_back(static_cast<char>(value & 0xFF));
}

std::string WithCrc(std::string frame)
{
    const unsigned short crc = ModbusCrc(frame);
    frame.push_back(static_cast<char>(crc & 0xFF));
    frame.push_back(static_cast<char>(crc >> 8));
    return frame;
}

std::string Exception(unsigned char function, unsigned char code)
{
    return WithCrc(std::string{static_cast<char>(kModbusUnit), static_cast<char>(function | 0x80),
                               static_cast<char>(code)});
}

} // namespace

unsigned short ModbusCrc(const std::string& bytes)
{
    unsigned short crc = 0xFFFF;
    for (char c : bytes) {
        crc ^= static_cast<unsigned char>(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) != 0 ? static_cast<unsigned short>(crc >> 1 ^ 0xA001)
                                 : static_cast<unsigned short>(crc >> 1);
    }
    return crc;
}

std::string AnswerModbusRequest(const std::string& request)
{
    if (request.size() != kModbusRequestLength ||
        static_cast<unsigned char>(request[0]) != kModbusUnit ||
        WithCrc(request.substr(0, kModbusRequestLength - 2)) != request)
        return std::string();
    const unsigned char function = static_cast<unsigned char>(request[1]);
    if (function != kReadHoldingRegisters)
        return Exception(function, kIllegalFunction);
    const unsigned start = Word(request, 2);
    const unsigned count = Word(request, 4);
    if (count == 0 || count > kMaxRegisters)
        return Exception(function, kIllegalValue);
    if (start + count > 0x10000)
        return Exception(function, kIllegalAddress);
    std::string reply{static_cast<char>(kModbusUnit), static_cast<char>(function),
                      static_cast<char>(count * 2)};
    for (unsigned n = start; n < start + count; ++n)
        AppendWord(reply, n);
    return WithCrc(reply);
}

} // namespace devsim
