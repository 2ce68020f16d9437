// devsim's command line: which port to open and how the simulated device behaves.
#pragma once

#include <string>

namespace devsim {

struct DevsimOptions {
    int port = 2;                       // COM number; Lumetra's end of the pair is usually COM1
    unsigned long baud = 115200;        // applied with 8 data bits, no parity, one stop bit
    std::wstring greeting = L"devsim 2.0 ready - type HELP for commands";
    bool echo = true;                   // send every received byte back
    bool status = true;                 // periodic status line on at start
    unsigned statusIntervalSeconds = 5;
};

enum class ParseOutcome { Run, ShowHelp, Invalid };

// Reads argv[1..argc-1] into `options` (which holds the defaults on entry). On Invalid, `error`
// says which argument was wrong.
ParseOutcome ParseOptions(int argc, const wchar_t* const* argv, DevsimOptions& options,
                          std::wstring& error);

// The text --help prints: the options and the device's commands.
std::wstring UsageText();

} // namespace devsim
