// Prints the throughput of CSerialLink through a pseudo-terminal pair under Wine, receiving and
// sending a stream on several roads of the mode word, each as a ratio to the raw pair measured
// in the same run (plain ReadFile/WriteFile on the same COM end).
// Run: LUMETRA_TEST_NEEDS=pty scripts/wine-run --build build build/bench/engine/bench_serial_pty.exe [MiB]
#include "engine/SerialLink.h"
#include "tests/support/NotificationRecorder.h"
#include "tests/support/NullModem.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

namespace
{
constexpr DWORD kPiece = 1024;          // bytes per Write / WriteFile on every send road
constexpr DWORD kRawReadSize = 4096;    // the baseline's ReadFile size (one driver queue)
constexpr DWORD kStreamLimit = 300000;  // a road that has not finished by then is reported as such

using testsupport::PeerPort;

double Now()
{
    LARGE_INTEGER counter, frequency;
    ::QueryPerformanceCounter(&counter);
    ::QueryPerformanceFrequency(&frequency);
    return double(counter.QuadPart) / double(frequency.QuadPart);
}

std::string Stream(size_t n)
{
    std::string bytes(n, '\0');
    for (size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<char>((i + 53 * (i >> 8)) & 0xFF);
    return bytes;
}

struct Figure
{
    double seconds;
    bool intact; // every byte arrived, in order
};

// The peer sends the stream while `receive` collects it on the COM side.
Figure MeasureReceive(PeerPort& peer, const std::string& stream,
                      const std::function<std::string(size_t)>& receive)
{
    peer.Drain();
    const double start = Now();
    std::thread sender([&] { peer.Send(stream); });
    const std::string received = receive(stream.size());
    const double seconds = Now() - start;
    sender.join();
    return {seconds, received == stream};
}

// `send` gives the stream to the COM side while the peer collects it; the time ends when the
// peer has everything.
Figure MeasureSend(PeerPort& peer, const std::string& stream,
                   const std::function<void(const std::string&)>& send)
{
    peer.Drain();
    std::string received;
    double end = 0;
    const double start = Now();
    std::thread receiver([&] {
        received = peer.Receive(stream.size(), kStreamLimit);
        end = Now();
    });
    send(stream);
    receiver.join();
    return {end - start, received == stream};
}

std::wstring ComName(int port)
{
    wchar_t name[32];
    ::wsprintfW(name, L"\\\\.\\COM%d", port);
    return name;
}

// Reads with Read until everything came. One Read per CNM_RECEIVE when `perNotification` (the
// terminal window's handler); until a Read finds nothing when notifications come but the
// buffer must be emptied; in a plain loop when `recorder` is null.
std::string ReceiveThroughLink(CSerialLink& link, NotificationRecorder* recorder, size_t total,
                               bool perNotification)
{
    std::string received;
    char chunk[CSerialLink::READ_CHUNK + 1];
    const DWORD start = ::GetTickCount();
    while (received.size() < total && ::GetTickCount() - start < kStreamLimit)
    {
        if (!recorder)
        {
            received.append(chunk, link.Read(chunk));
            continue;
        }
        const auto notes = recorder->WaitFor(CSerialLink::CNM_RECEIVE, CSerialLink::CNM_RECEIVE, 1000);
        if (perNotification)
        {
            for (size_t i = 0; i < notes.size() && received.size() < total; ++i)
                received.append(chunk, link.Read(chunk));
        }
        else if (!notes.empty())
        {
            while (const DWORD n = link.Read(chunk))
                received.append(chunk, n);
        }
    }
    return received;
}

void WriteThroughLink(CSerialLink& link, const std::string& stream)
{
    const bool direct = !(link.Mode() & CSerialLink::MODE_TX_BUFFER);
    const bool blocking = !(link.Mode() & CSerialLink::MODE_OVERLAPPED);
    for (size_t offset = 0; offset < stream.size(); offset += kPiece)
    {
        DWORD n = static_cast<DWORD>(std::min<size_t>(kPiece, stream.size() - offset));
        const char* p = stream.data() + offset;
        // Only the blocking direct road reports a short write; the others take the whole piece.
        while (direct && blocking && n > 0)
        {
            const DWORD written = link.Write(p, n);
            p += written;
            n -= written;
        }
        if (!(direct && blocking))
            link.Write(p, n);
    }
}

struct Row
{
    const char* direction;
    const char* road;
    Figure figure;
};

void Print(const Row& row, double baselineSeconds, size_t bytes)
{
    std::printf("%-8s %-58s %12.0f %8.4f  %s\n", row.direction, row.road,
                double(bytes) / row.figure.seconds, baselineSeconds / row.figure.seconds,
                row.figure.intact ? "intact" : "INCOMPLETE OR CORRUPT");
}
} // namespace

int main(int argc, char** argv)
{
    const testsupport::NullModem modem = testsupport::FirstNullModem();
    if (modem.comNumber == 0)
    {
        std::fprintf(stderr, "needs a null-modem pair: run with LUMETRA_TEST_NEEDS=pty scripts/wine-run\n");
        return 2;
    }
    const unsigned long long mebibytes = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 4;
    const std::string stream = Stream(static_cast<size_t>(mebibytes << 20));
    PeerPort peer(modem.peerPath);
    NotificationRecorder recorder;

    auto viaLink = [&](DWORD mode, const std::function<Figure(CSerialLink&)>& measure) {
        CSerialLink link;
        link.SetMode(mode);
        link.SetNotifyThread(::GetCurrentThreadId());
        if (!link.Open(modem.comNumber))
            return Figure{1e30, false};
        const Figure figure = measure(link);
        link.Close(CSerialLink::STOP_WAIT);
        recorder.Drain(WM_USER, 0x7FFF);
        return figure;
    };
    auto receiveVia = [&](DWORD mode, bool notified, bool perNotification) {
        return viaLink(mode, [&](CSerialLink& link) {
            return MeasureReceive(peer, stream, [&](size_t total) {
                return ReceiveThroughLink(link, notified ? &recorder : nullptr, total, perNotification);
            });
        });
    };
    auto sendVia = [&](DWORD mode) {
        return viaLink(mode, [&](CSerialLink& link) {
            return MeasureSend(peer, stream, [&](const std::string& s) { WriteThroughLink(link, s); });
        });
    };

    const Row rawReceive = {"receive", "baseline: ReadFile of 4096 B on the COM end",
                            MeasureReceive(peer, stream, [&](size_t total) {
                                PeerPort comEnd(ComName(modem.comNumber));
                                return comEnd.Receive(total, kStreamLimit);
                            })};
    const Row receives[] = {
        {"receive", "0x003 (window mode): Read in a loop", receiveVia(0x003, false, false)},
        {"receive", "0x003 (window mode): one Read per CNM_RECEIVE", receiveVia(0x003, true, true)},
        {"receive", "0x014 RX_BUFFER|RX_THREAD: Read to empty per CNM_RECEIVE", receiveVia(0x014, true, false)},
        {"receive", "0x016 RX_BUFFER|RX_THREAD|OVERLAPPED: same", receiveVia(0x016, true, false)},
    };
    const Row rawSend = {"send", "baseline: WriteFile of 1024 B on the COM end",
                         MeasureSend(peer, stream, [&](const std::string& s) {
                             PeerPort comEnd(ComName(modem.comNumber));
                             for (size_t offset = 0; offset < s.size(); offset += kPiece)
                                 comEnd.Send(s.substr(offset, kPiece));
                         })};
    const Row sends[] = {
        {"send", "0x003 (window mode): Write of 1024 B", sendVia(0x003)},
        {"send", "0x028 TX_BUFFER|TX_THREAD: Write of 1024 B", sendVia(0x028)},
        {"send", "0x02A TX_BUFFER|TX_THREAD|OVERLAPPED: Write of 1024 B", sendVia(0x02A)},
    };

    std::printf("CSerialLink through a pseudo-terminal pair (COM%d), %llu MiB each way;\n"
                "ratio = road's bytes/s over the baseline's in this run\n\n",
                modem.comNumber, mebibytes);
    std::printf("%-8s %-58s %12s %8s  %s\n", "", "road", "bytes/s", "ratio", "data");
    Print(rawReceive, rawReceive.figure.seconds, stream.size());
    for (const Row& row : receives)
        Print(row, rawReceive.figure.seconds, stream.size());
    Print(rawSend, rawSend.figure.seconds, stream.size());
    for (const Row& row : sends)
        Print(row, rawSend.figure.seconds, stream.size());
    return 0;
}
