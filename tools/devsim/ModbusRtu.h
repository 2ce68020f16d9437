// The one binary request devsim answers, as a Modbus RTU device with unit address 1: "read
// holding registers" (function 3). Register n holds the value n, so a reply can be checked at a
// glance. Pure: frame in, frame out.
#pragma once

#include <cstddef>
#include <string>

namespace devsim {

constexpr unsigned char kModbusUnit = 1;
// Unit, function, start address and count (two bytes each, high byte first), CRC.
constexpr size_t kModbusRequestLength = 8;
// The frame HELP names: registers 0 and 1 of unit 1.
constexpr char kModbusExampleRequest[] = "01 03 00 00 00 02 C4 0B";

// CRC-16 of Modbus RTU (reflected polynomial 0xA001, start 0xFFFF); a frame carries it low byte
// first.
unsigned short ModbusCrc(const std::string& bytes);

// The reply to a request of kModbusRequestLength bytes, CRC included, or "" for none: a frame with
// a bad CRC or for another unit gets none, as on a real bus. For this unit: function 3 with 1 to
// 125 registers inside the address space gets the registers; a bad count gets exception 3, a range
// past address FFFF exception 2, another function exception 1.
std::string AnswerModbusRequest(const std::string& request);

} // namespace devsim
