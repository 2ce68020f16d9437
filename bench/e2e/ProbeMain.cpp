// lumetra-probe: drives and measures a running Lumetra.exe from another process, for the
// end-to-end benchmark (bench/e2e/run). Prints its figures as "name=value" lines.
//   lumetra-probe pattern <file> <bytes> [<offset>]
//                                                 writes devsim's stream pattern (printable lines)
//                                                 from byte <offset> (default 0) on
//   lumetra-probe connect [<baud>]                waits for the window, checks COM1, types the
//                                                 rate when given, clicks 连接
//   lumetra-probe click-clear <wait s>            posts a click on 清空接受区 and times until the area
//                                                 is empty: how long a click waits (none: not within
//                                                 the wait)
//   lumetra-probe receive <stream file> <offset> <go file> <poll ms> [<file> <copy at a quarter> <copy at the end>]
//                                                 creates the go file (the feeder starts) and times
//                                                 the stream, the pattern from byte <offset> on,
//                                                 into the receive area (polled every <poll ms>),
//                                                 which must show the pattern before it; copies
//                                                 <file> when a quarter and when all of it is
//                                                 shown; see MeasureReceive
//   lumetra-probe receive-hex <stream file> <offset> <go file> <poll ms> [<file> <copy at a quarter> <copy at the end>]
//                                                 the same with 十六进制显示 ticked: progress from the
//                                                 receive counter, the final text compared as hex
//   lumetra-probe display-limit <Lumetra.exe> <stream file>
//                                                 the receive area's own ceiling; see DisplayLimit.h
//   lumetra-probe tick <control id> <0|1>         unticks or ticks a check box of the options group
//                                                 as a click does, and waits until it is handled
//   lumetra-probe log-to-file <file>              ticks 记录到文件 and answers the save dialog with
//                                                 the file; waits until the box shows logging
//   lumetra-probe cyclic-send <bytes> <interval ms>
//                                                 types a text of <bytes> letters and the interval,
//                                                 and ticks 指令循环发送
//   lumetra-probe untick                          unticks 指令循环发送
//   lumetra-probe send-file <file> <wait s>       clicks 发送文件, answers the open dialog with the
//                                                 file and times until the button reads 发送文件
//                                                 again (at most <wait s>), sending WM_NULL every
//                                                 50 ms meanwhile; 0 s: returns once it is sending
//   lumetra-probe stop-send-file                  clicks 停止发送 and times until the button reads
//                                                 发送文件; prints 发送's count
#include "DisplayLimit.h"
#include "FileBytes.h"
#include "LumetraWindow.h"
#include "ReceiveMeasurement.h"
#include "ShownBytes.h"
#include "Stopwatch.h"
#include "UnbrokenReceive.h"
#include "framework/DecimalDigits.h"
#include "tests/support/ResponsivenessProbe.h"
#include "tools/devsim/StreamPattern.h"

#include <windows.h>

#include <climits>
#include <cstdio>
#include <string>

namespace {

const DWORD kChunkBytes = 1023;          // what one receive notification reads at most
const DWORD kWindowWaitMs = 60000;
const DWORD kConnectWaitMs = 10000;
const DWORD kAnswerMs = 10000;
const DWORD kStallMs = 20000;            // a stream not shown further for this long has ended

int Fail(const char* pszWhat)
{
    std::fprintf(stderr, "lumetra-probe: %s\n", pszWhat);
    return 1;
}

bool FindWindowOrSay(HWND& hDlg)
{
    hDlg = LumetraWindow::Find(kWindowWaitMs);
    if (hDlg == nullptr)
        std::fprintf(stderr, "lumetra-probe: no Lumetra main window within %lu s\n", kWindowWaitMs / 1000);
    return hDlg != nullptr;
}

std::string Narrow(const std::wstring& text)
{
    const int nBytes = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(nBytes > 0 ? nBytes : 1), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &bytes[0], nBytes, nullptr, nullptr);
    bytes.resize(bytes.size() - 1);
    return bytes;
}

int Pattern(const std::wstring& file, unsigned long nBytes, unsigned long long offset)
{
    return WriteFileBytes(file, devsim::StreamPattern(offset, nBytes)) ? 0 : Fail("cannot write the stream file");
}

int Connect(const std::wstring& baud)
{
    HWND hDlg = nullptr;
    if (!FindWindowOrSay(hDlg))
        return 1;
    const LumetraWindow window(hDlg);
    if (!baud.empty() && !window.SetControlText(LumetraWindow::kBaudList, baud, kAnswerMs))
        return Fail("the baud-rate box did not take the rate");
    const std::wstring port = window.ControlText(LumetraWindow::kPortList, kAnswerMs);
    if (port != L"COM1") {
        std::fprintf(stderr, "lumetra-probe: the port list shows \"%s\", not COM1\n", Narrow(port).c_str());
        return 1;
    }
    window.Click(LumetraWindow::kConnect);
    const Stopwatch clock;
    while (clock.ElapsedMs() < kConnectWaitMs) {
        if (window.ControlText(LumetraWindow::kConnect, kAnswerMs) == L"断开") {
            std::printf("connect_ms=%.0f\n", clock.ElapsedMs());
            return 0;
        }
        const std::wstring error = window.ErrorBoxText();
        if (!error.empty()) {
            std::fprintf(stderr, "lumetra-probe: Lumetra says \"%s\"\n", Narrow(error).c_str());
            return 1;
        }
        ::Sleep(20);
    }
    return Fail("the Connect button did not turn into 断开 within 10 s");
}

int ClickClear(DWORD waitMs)
{
    HWND hDlg = nullptr;
    if (!FindWindowOrSay(hDlg))
        return 1;
    const LumetraWindow window(hDlg);
    window.Click(LumetraWindow::kClearReceive);
    const Stopwatch clock;
    while (clock.ElapsedMs() < waitMs) {
        if (window.ReceiveLength(waitMs) == 0) {
            std::printf("clear_ms=%.0f\n", clock.ElapsedMs());
            return 0;
        }
        ::Sleep(20);
    }
    std::printf("clear_ms=none\n");
    return 0;
}

int Receive(const std::wstring& streamFile, unsigned long long offset, const std::wstring& goFile,
            DWORD pollMs, const FileSnapshots& snapshots, ShownForm form)
{
    StreamRun run = { std::string(), offset };
    if (!ReadFileBytes(streamFile, run.bytes))
        return Fail("cannot read the stream file");
    HWND hDlg = nullptr;
    if (!FindWindowOrSay(hDlg))
        return 1;
    const LumetraWindow window(hDlg);
    if (form == ShownForm::kText && ShownBytes(window, offset).Poll() != offset)
        return Fail("the receive area does not end where the stream starts");
    const ReceiveFigures figures = MeasureReceive(window, run, goFile, pollMs, kStallMs, snapshots, form);
    if (!figures.bStarted)
        return Fail("cannot create the go file");
    std::printf("bytes=%lu\ncomplete=%d\nelapsed_ms=%.1f\nfirst_tenth_ms=%.1f\nlast_tenth_ms=%.1f\n"
                "shown=%lld\nunread_line_starts=%d\n"
                "text_length=%ld\ntext_at_line_start=%d\ntext_offset=%llu\nfirst_difference=%ld\n"
                "ping_worst_ms=%.1f\nping_mean_ms=%.1f\npings=%d\npings_over_100ms=%d\n"
                "typing_worst_ms=%.0f\ntyped=%u\ntyping_pending=%d\n",
                static_cast<unsigned long>(run.bytes.size()), figures.bComplete ? 1 : 0, figures.elapsedMs,
                figures.firstTenthMs, figures.lastTenthMs, figures.nShown, figures.nUnreadLineStarts,
                figures.nTextLength, figures.tail.bAtLineStart ? 1 : 0, figures.tail.offset,
                figures.tail.nFirstDifference, figures.pingWorstMs, figures.pingMeanMs, figures.nPings,
                figures.nSlowPings, figures.typingWorstMs, figures.nTyped, figures.bTypingPending ? 1 : 0);
    // One line a stretch: the bytes of the stream shown at its end, and when.
    for (const ReceiveStretch& stretch : figures.stretches)
        std::printf("stretch=%lld %.1f\n", stretch.nShown, stretch.endMs);
    return 0;
}

int DisplayLimit(const std::wstring& lumetraExe, const std::wstring& streamFile)
{
    std::string stream;
    if (!ReadFileBytes(streamFile, stream))
        return Fail("cannot read the stream file");
    const DisplayLimitFigures figures = MeasureDisplayLimit(lumetraExe, stream, kChunkBytes);
    if (!figures.bMade)
        return Fail("cannot make the main dialog from Lumetra.exe's template");
    std::printf("bytes=%lu\nelapsed_ms=%.1f\nfirst_tenth_ms=%.1f\nlast_tenth_ms=%.1f\nshown=%ld\n",
                static_cast<unsigned long>(stream.size()), figures.elapsedMs, figures.firstTenthMs,
                figures.lastTenthMs, figures.nLength);
    return 0;
}

int Tick(int nID, bool bChecked)
{
    HWND hDlg = nullptr;
    if (!FindWindowOrSay(hDlg))
        return 1;
    const LumetraWindow window(hDlg);
    if (!window.SetCheck(nID, bChecked, kAnswerMs) || window.IsChecked(nID, kAnswerMs) != bChecked)
        return Fail("the check box did not take the click");
    return 0;
}

int LogToFile(const std::wstring& file)
{
    HWND hDlg = nullptr;
    if (!FindWindowOrSay(hDlg))
        return 1;
    const LumetraWindow window(hDlg);
    const Stopwatch clock;
    window.ClickCheckBox(LumetraWindow::kLogToFile, true);
    HWND hFileDialog = nullptr;
    while (clock.ElapsedMs() < kAnswerMs && (hFileDialog = window.FileDialog()) == nullptr)
        ::Sleep(20);
    if (hFileDialog == nullptr)
        return Fail("no save dialog within 10 s of ticking 记录到文件");
    LumetraWindow::AnswerFileDialog(hFileDialog, file, kAnswerMs);
    while (clock.ElapsedMs() < 2 * kAnswerMs) {
        const std::wstring error = window.ErrorBoxText();
        if (!error.empty()) {
            std::fprintf(stderr, "lumetra-probe: Lumetra says \"%s\"\n", Narrow(error).c_str());
            return 1;
        }
        if (window.FileDialog() == nullptr && window.IsChecked(LumetraWindow::kLogToFile, kAnswerMs)) {
            std::printf("log_ms=%.0f\n", clock.ElapsedMs());
            return 0;
        }
        ::Sleep(20);
    }
    return Fail("记录到文件 did not stay ticked after the save dialog");
}

int CyclicSend(unsigned long nBytes, unsigned long nIntervalMs)
{
    HWND hDlg = nullptr;
    if (!FindWindowOrSay(hDlg))
        return 1;
    const LumetraWindow window(hDlg);
    std::wstring text;
    for (unsigned long i = 0; i < nBytes; ++i)
        text += static_cast<wchar_t>(L'a' + i % 26);
    if (!window.SetControlText(LumetraWindow::kSend, text, kAnswerMs)
        || !window.SetControlText(LumetraWindow::kInterval, std::to_wstring(nIntervalMs), kAnswerMs))
        return Fail("the window did not take the send text or the interval");
    window.ClickCheckBox(LumetraWindow::kCyclicSend, true);
    return 0;
}

int Untick()
{
    HWND hDlg = nullptr;
    if (!FindWindowOrSay(hDlg))
        return 1;
    LumetraWindow(hDlg).ClickCheckBox(LumetraWindow::kCyclicSend, false);
    return 0;
}

const wchar_t kSendFileCaption[] = L"发送文件";

// Waits until the button reads `caption`, at most waitMs; false on an error box or the time limit.
bool WaitForSendFileCaption(const LumetraWindow& window, const wchar_t* pszCaption, DWORD waitMs)
{
    const Stopwatch clock;
    while (clock.ElapsedMs() < waitMs) {
        const std::wstring error = window.ErrorBoxText();
        if (!error.empty()) {
            std::fprintf(stderr, "lumetra-probe: Lumetra says \"%s\"\n", Narrow(error).c_str());
            return false;
        }
        if (window.ControlText(LumetraWindow::kSendFile, kAnswerMs) == pszCaption)
            return true;
        ::Sleep(20);
    }
    return false;
}

void PrintSendFigures(const LumetraWindow& window)
{
    std::printf("sent_count=%s\nprogress=%s\n", Narrow(window.ControlText(LumetraWindow::kSendCount, kAnswerMs)).c_str(),
                Narrow(window.ControlText(LumetraWindow::kSendFileProgress, kAnswerMs)).c_str());
}

int SendFile(const std::wstring& file, DWORD waitMs)
{
    HWND hDlg = nullptr;
    if (!FindWindowOrSay(hDlg))
        return 1;
    const LumetraWindow window(hDlg);
    window.Click(LumetraWindow::kSendFile);
    const Stopwatch dialogClock;
    HWND hFileDialog = nullptr;
    while (dialogClock.ElapsedMs() < kAnswerMs && (hFileDialog = window.FileDialog()) == nullptr)
        ::Sleep(20);
    if (hFileDialog == nullptr)
        return Fail("no open dialog within 10 s of clicking 发送文件");
    LumetraWindow::AnswerFileDialog(hFileDialog, file, kAnswerMs);
    // The figure appears when the file is open (a fresh window shows none before).
    const Stopwatch clock;
    while (window.ControlText(LumetraWindow::kSendFileProgress, kAnswerMs).empty()) {
        if (clock.ElapsedMs() > kAnswerMs || !window.ErrorBoxText().empty())
            return Fail("the file did not start to go within 10 s");
        ::Sleep(5);
    }
    if (waitMs == 0)
        return 0;
    testsupport::ResponsivenessProbe pings(hDlg, 50, 10000);
    const bool bDone = WaitForSendFileCaption(window, kSendFileCaption, waitMs);
    const double elapsedMs = clock.ElapsedMs();
    pings.Stop();
    std::printf("done=%d\nsend_ms=%.0f\nping_worst_ms=%.1f\nping_mean_ms=%.1f\npings=%d\n", bDone ? 1 : 0,
                elapsedMs, pings.WorstMs(), pings.MeanMs(), pings.Samples());
    PrintSendFigures(window);
    return bDone ? 0 : 1;
}

int StopSendFile()
{
    HWND hDlg = nullptr;
    if (!FindWindowOrSay(hDlg))
        return 1;
    const LumetraWindow window(hDlg);
    window.Click(LumetraWindow::kSendFile);
    const Stopwatch clock;
    if (!WaitForSendFileCaption(window, kSendFileCaption, kAnswerMs))
        return Fail("停止发送 did not turn back into 发送文件 within 10 s");
    std::printf("stop_ms=%.0f\n", clock.ElapsedMs());
    PrintSendFigures(window);
    return 0;
}

// A byte count, a stream offset or a number of seconds from the command line; 0 when the text is
// not a whole decimal number.
unsigned long NumberArgument(const wchar_t* text)
{
    unsigned long long value = 0;
    return ParseDecimalDigits(text, ULONG_MAX, value) ? static_cast<unsigned long>(value) : 0;
}

int Usage()
{
    std::fprintf(stderr, "usage: lumetra-probe pattern <file> <bytes> [<offset>] | connect [<baud>] | click-clear <wait s>"
                         " | receive[-hex] <stream file> <offset> <go file> <poll ms> [<file> <copy at a quarter> <copy at the end>]"
                         " | display-limit <Lumetra.exe> <stream file> | tick <control id> <0|1> | log-to-file <file>"
                         " | cyclic-send <bytes> <interval ms> | untick | send-file <file> <wait s> | stop-send-file\n");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"pattern" && (argc == 4 || argc == 5))
        return Pattern(argv[2], NumberArgument(argv[3]), argc == 5 ? NumberArgument(argv[4]) : 0);
    if (command == L"connect" && (argc == 2 || argc == 3))
        return Connect(argc == 3 ? argv[2] : L"");
    if (command == L"click-clear" && argc == 3)
        return ClickClear(1000 * NumberArgument(argv[2]));
    if ((command == L"receive" || command == L"receive-hex") && (argc == 6 || argc == 9)
        && NumberArgument(argv[5]) > 0) {
        const FileSnapshots snapshots = argc == 9 ? FileSnapshots{ argv[6], argv[7], argv[8] } : FileSnapshots{};
        return Receive(argv[2], NumberArgument(argv[3]), argv[4], NumberArgument(argv[5]), snapshots,
                       command == L"receive" ? ShownForm::kText : ShownForm::kHex);
    }
    if (command == L"display-limit" && argc == 4)
        return DisplayLimit(argv[2], argv[3]);
    if (command == L"tick" && argc == 4)
        return Tick(static_cast<int>(NumberArgument(argv[2])), NumberArgument(argv[3]) != 0);
    if (command == L"log-to-file" && argc == 3)
        return LogToFile(argv[2]);
    if (command == L"cyclic-send" && argc == 4)
        return CyclicSend(NumberArgument(argv[2]), NumberArgument(argv[3]));
    if (command == L"watch-receive")
        return WatchReceive(argc, argv);
    if (command == L"untick" && argc == 2)
        return Untick();
    if (command == L"send-file" && argc == 4)
        return SendFile(argv[2], 1000 * NumberArgument(argv[3]));
    if (command == L"stop-send-file" && argc == 2)
        return StopSendFile();
    return Usage();
}
