#include "tools/devsim/DevsimOptions.h"

#include "framework/DecimalDigits.h"
#include "tools/devsim/DeviceSimulator.h"

namespace devsim {

namespace {

// A whole decimal number within [low, high]; nothing else is accepted.
bool ParseNumber(const wchar_t* text, unsigned long low, unsigned long high, unsigned long& value)
{
    unsigned long long parsed = 0;
    if (text == nullptr || !ParseDecimalDigits(text, high, parsed) || parsed < low)
        return false;
    value = static_cast<unsigned long>(parsed);
    return true;
}

} // namespace

ParseOutcome ParseOptions(int argc, const wchar_t* const* argv, DevsimOptions& options,
                          std::wstring& error)
{
    for (int i = 1; i < argc; ++i) {
        const std::wstring name = argv[i];
        const wchar_t* value = i + 1 < argc ? argv[i + 1] : nullptr;
        unsigned long number = 0;
        if (name == L"--help" || name == L"-h" || name == L"/?")
            return ParseOutcome::ShowHelp;
        if (name == L"--no-echo") {
            options.echo = false;
        } else if (name == L"--no-status") {
            options.status = false;
        } else if (name == L"--greeting" && value != nullptr) {
            options.greeting = value;
            ++i;
        } else if (name == L"--port" && ParseNumber(value, 1, 1024, number)) {
            options.port = static_cast<int>(number);
            ++i;
        } else if (name == L"--baud" && ParseNumber(value, 1, 4000000, number)) {
            options.baud = number;
            ++i;
        } else if (name == L"--status-interval" && ParseNumber(value, 1, 3600, number)) {
            options.statusIntervalSeconds = static_cast<unsigned>(number);
            ++i;
        } else {
            error = L"unknown option, or missing or invalid value: " + name;
            return ParseOutcome::Invalid;
        }
    }
    return ParseOutcome::Run;
}

std::wstring UsageText()
{
    std::wstring text =
        L"devsim: a simulated serial device for trying Lumetra.\n"
        L"\n"
        L"usage: devsim [options]\n"
        L"  --port <n>               COM port number to open, 1-1024 (default 2)\n"
        L"  --baud <rate>            line speed, 8 data bits, no parity, 1 stop bit\n"
        L"                           (default 115200)\n"
        L"  --greeting <text>        line sent when the device starts (default\n"
        L"                           \"devsim 2.0 ready - type HELP for commands\");\n"
        L"                           \"\" sends none; encoded in the ANSI code page\n"
        L"  --no-echo                do not send received bytes back\n"
        L"  --status-interval <s>    seconds between status lines, 1-3600 (default 5)\n"
        L"  --no-status              start with the status line off (STATUS ON turns it on)\n"
        L"  --help                   this text\n"
        L"\n"
        L"Commands, one per line (ended by CR, LF or CR LF; any letter case):\n";
    for (const std::string& line : CommandHelp())
        text += L"  " + std::wstring(line.begin(), line.end()) + L"\n"; // the list is ASCII
    text += L"\n"
            L"Replies end with CR LF. The pattern is lines of 64 bytes: the offset of the line's\n"
            L"first byte (8 digits), a space, 53 letters and digits, CR LF. Status lines are\n"
            L"held back while a stream runs. Ctrl+C ends devsim.\n";
    return text;
}

} // namespace devsim
