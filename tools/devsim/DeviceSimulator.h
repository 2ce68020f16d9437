// What devsim's simulated device says: a greeting, echo, line commands, a paced test-pattern
// stream, a periodic status line and replies to Modbus RTU requests (ModbusRtu.h). Pure logic: bytes in, bytes out, with the time (in
// milliseconds on any steady clock) given by the caller, so every behaviour is testable without a
// port or a clock.
#pragma once

#include <string>
#include <vector>

namespace devsim {

// The commands the device understands, one line each (HELP sends them; --help prints them).
const std::vector<std::string>& CommandHelp();

struct DeviceBehaviour {
    std::string greeting;                 // bytes of the greeting line; empty for none
    bool echo = true;                     // send received bytes back as they arrive
    bool statusOn = true;                 // periodic status line on at start
    unsigned long long statusIntervalMs = 5000;
};

class CDeviceSimulator {
public:
    static constexpr size_t kMaxLineLength = 256; // longer lines are answered with an error
    static constexpr unsigned long long kNothingDue = ~0ull;

    explicit CDeviceSimulator(const DeviceBehaviour& behaviour);

    // The device comes on line at `now`: returns the greeting line. Call once, first.
    std::string Start(unsigned long long now);
    // Returns the answer to bytes from the line: their echo, then the replies to the lines and
    // frames they complete. A line ends with CR, LF or CR LF; an LF right after a CR ends nothing.
    // A control byte (not a blank or line end) at the start of a line begins a binary frame of
    // kModbusRequestLength bytes, line ends included; one left incomplete for 100 ms is dropped.
    std::string Receive(const std::string& bytes, unsigned long long now);
    // Returns what is due by `now`: a status line, or else up to `maxStreamBytes` of a running
    // stream.
    std::string Poll(unsigned long long now, size_t maxStreamBytes);
    // Milliseconds from `now` until Poll has something to send (0: at once), or kNothingDue.
    unsigned long long TimeToNextOutput(unsigned long long now) const;
    bool IsStreaming() const { return m_streamSent < m_streamLength; }

private:
    std::string Execute(const std::string& line, unsigned long long now);
    // Each takes the command's words (the command first).
    std::string StartStream(const std::vector<std::string>& words, unsigned long long now);
    std::string SetStatus(const std::vector<std::string>& words, unsigned long long now);
    std::string StatusLine(unsigned long long now) const;
    // Stream bytes the schedule allows to have been sent by `now`.
    unsigned long long StreamDue(unsigned long long now) const;
    // Counts what leaves the device.
    std::string Sent(std::string bytes);

    DeviceBehaviour m_behaviour;
    unsigned long long m_startTime = 0;
    unsigned long long m_nextStatus = 0;
    unsigned long long m_bytesIn = 0;
    unsigned long long m_bytesOut = 0;

    std::string m_line;             // the line being received, without its end
    bool m_bLineTooLong = false;    // bytes of the current line were dropped
    bool m_bAfterCr = false;        // the last byte was a CR (a following LF belongs to it)
    std::string m_frame;            // the binary frame being received
    unsigned long long m_frameTime = 0; // when its last byte came

    unsigned long long m_streamLength = 0;
    unsigned long long m_streamSent = 0;
    unsigned long long m_streamRate = 0; // bytes per second; 0 for as fast as taken
    unsigned long long m_streamStart = 0;
};

} // namespace devsim
