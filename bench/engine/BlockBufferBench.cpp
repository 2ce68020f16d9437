// Prints the block buffer's append/consume throughput and that of a std::deque<char> doing the
// same work in the same run, and their ratio. Run: wine bench_blockbuffer.exe [MiB]
#include "engine/SerialLink.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <random>
#include <vector>

namespace
{
// The same stream of chunk sizes for both queues: appends of 1..1024 bytes, and consumes of up
// to 1023 bytes (one Read) whenever more than a few blocks are queued.
struct Workload
{
    std::vector<DWORD> appendSizes;
    std::vector<DWORD> consumeSizes;
    unsigned long long totalBytes;
};

constexpr DWORD kBacklog = 8192;

Workload MakeWorkload(unsigned long long totalBytes)
{
    std::mt19937 random(2024);
    Workload workload{{}, {}, 0};
    while (workload.totalBytes < totalBytes)
    {
        const DWORD n = 1 + random() % 1024;
        workload.appendSizes.push_back(n);
        workload.totalBytes += n;
    }
    for (size_t i = 0; i < 4096; ++i)
        workload.consumeSizes.push_back(1 + random() % 1023);
    return workload;
}

double Seconds(LARGE_INTEGER start, LARGE_INTEGER end)
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
}

// Runs the workload through a queue given as append/consume/size callables; returns seconds.
// The checksum keeps the compiler from dropping the copies.
template <class Append, class Consume, class Size>
double Run(const Workload& workload, Append append, Consume consume, Size size, unsigned& checksum)
{
    std::vector<char> source(1024), sink(1024);
    for (size_t i = 0; i < source.size(); ++i)
        source[i] = static_cast<char>(i * 7);
    size_t next = 0;
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    for (DWORD n : workload.appendSizes)
    {
        append(source.data(), n);
        while (size() > kBacklog)
        {
            const DWORD taken = consume(sink.data(), workload.consumeSizes[next++ % 4096]);
            checksum += static_cast<unsigned char>(sink[taken - 1]);
        }
    }
    while (size() > 0)
    {
        const DWORD taken = consume(sink.data(), 1023);
        checksum += static_cast<unsigned char>(sink[taken - 1]);
    }
    ::QueryPerformanceCounter(&end);
    return Seconds(start, end);
}

double BlockBufferSeconds(const Workload& workload, unsigned& checksum)
{
    CSerialLink::BlockBuffer buffer;
    // Each step locks as the port object's callers do.
    return Run(
        workload,
        [&](const char* p, DWORD n) {
            CSerialLink::BlockBuffer::Guard guard(buffer);
            buffer.Append(p, n);
        },
        [&](char* p, DWORD n) {
            CSerialLink::BlockBuffer::Guard guard(buffer);
            return buffer.Consume(p, n);
        },
        [&] { return buffer.Size(); }, checksum);
}

double DequeSeconds(const Workload& workload, unsigned& checksum)
{
    std::deque<char> queue;
    CRITICAL_SECTION lock;
    ::InitializeCriticalSection(&lock);
    const double seconds = Run(
        workload,
        [&](const char* p, DWORD n) {
            ::EnterCriticalSection(&lock);
            queue.insert(queue.end(), p, p + n);
            ::LeaveCriticalSection(&lock);
        },
        [&](char* p, DWORD n) {
            ::EnterCriticalSection(&lock);
            const DWORD taken = static_cast<DWORD>(std::min<size_t>(n, queue.size()));
            std::copy(queue.begin(), queue.begin() + taken, p);
            queue.erase(queue.begin(), queue.begin() + taken);
            ::LeaveCriticalSection(&lock);
            return taken;
        },
        [&] {
            ::EnterCriticalSection(&lock);
            const DWORD n = static_cast<DWORD>(queue.size());
            ::LeaveCriticalSection(&lock);
            return n;
        },
        checksum);
    ::DeleteCriticalSection(&lock);
    return seconds;
}
} // namespace

int main(int argc, char** argv)
{
    const unsigned long long mebibytes = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 256;
    const Workload workload = MakeWorkload(mebibytes << 20);
    double bestBuffer = 1e30, bestDeque = 1e30;
    unsigned bufferSum = 0, dequeSum = 0;
    for (int round = 0; round < 3; ++round) // best of three, alternating
    {
        bestBuffer = std::min(bestBuffer, BlockBufferSeconds(workload, bufferSum));
        bestDeque = std::min(bestDeque, DequeSeconds(workload, dequeSum));
    }
    const double mib = double(workload.totalBytes) / (1 << 20);
    std::printf("block buffer append/consume: %.1f MiB in %.3f s = %.1f MiB/s\n", mib, bestBuffer,
                mib / bestBuffer);
    std::printf("std::deque<char> baseline:   %.1f MiB in %.3f s = %.1f MiB/s\n", mib, bestDeque,
                mib / bestDeque);
    std::printf("ratio (block buffer / deque): %.2f\n", bestDeque / bestBuffer);
    return bufferSum == dequeSum ? 0 : 1; // both queues must have delivered the same bytes
}
