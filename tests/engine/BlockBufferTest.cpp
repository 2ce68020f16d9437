#include "engine/SerialLink.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <random>
#include <string>
#include <vector>

namespace
{
using BlockBuffer = CSerialLink::BlockBuffer;

struct BlockShape
{
    DWORD capacity;
    DWORD read;
    DWORD write;
    bool operator==(const BlockShape& other) const
    {
        return capacity == other.capacity && read == other.read && write == other.write;
    }
};

std::ostream& operator<<(std::ostream& out, const BlockShape& shape)
{
    return out << "{cap " << shape.capacity << ", read " << shape.read << ", write "
               << shape.write << "}";
}

std::vector<BlockShape> Shape(BlockBuffer& buffer)
{
    BlockBuffer::Guard guard(buffer);
    std::vector<BlockShape> shape;
    for (const BlockBuffer::Block* block = buffer.Head(); block; block = block->pNext)
        shape.push_back({block->dwCapacity, block->dwRead, block->dwWrite});
    return shape;
}

std::string Bytes(size_t n, char first = 'a')
{
    std::string bytes(n, '\0');
    for (size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<char>(first + i % 26);
    return bytes;
}

void Append(BlockBuffer& buffer, const std::string& bytes)
{
    ASSERT_EQ(bytes.size(), buffer.Append(bytes.data(), static_cast<DWORD>(bytes.size())));
}

std::string ConsumeAll(BlockBuffer& buffer)
{
    std::string out(buffer.Size(), '\0');
    EXPECT_EQ(out.size(), buffer.Consume(&out[0], static_cast<DWORD>(out.size())));
    return out;
}
} // namespace

TEST(BlockBuffer, StartsWithoutBlocks)
{
    BlockBuffer buffer;
    EXPECT_EQ(1024u, buffer.m_dwMinBlock);
    EXPECT_EQ(0u, buffer.Size());
    EXPECT_EQ(nullptr, buffer.Head());
    EXPECT_EQ(nullptr, buffer.Tail());
}

struct AppendCase
{
    const char* name;
    std::vector<DWORD> appends;
    std::vector<BlockShape> expected;
};

class BlockBufferAppend : public testing::TestWithParam<AppendCase>
{
};

TEST_P(BlockBufferAppend, BuildsTheExpectedChain)
{
    BlockBuffer buffer;
    DWORD total = 0;
    for (DWORD n : GetParam().appends)
    {
        Append(buffer, Bytes(n));
        total += n;
    }
    EXPECT_EQ(GetParam().expected, Shape(buffer));
    EXPECT_EQ(total, buffer.Size());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BlockBufferAppend,
    testing::Values(AppendCase{"Nothing", {0}, {}},
                    AppendCase{"SmallGetsMinimumBlock", {10}, {{1024, 0, 10}}},
                    AppendCase{"LargeGetsItsOwnSize", {5000}, {{5000, 0, 5000}}},
                    AppendCase{"SmallAppendsShareABlock", {10, 20, 30}, {{1024, 0, 60}}},
                    AppendCase{"ExactFillStaysInOneBlock", {924, 100}, {{1024, 0, 1024}}},
                    // The new block is sized for the whole request, not for the rest.
                    AppendCase{"SpillSizedForWholeRequest", {924, 1500},
                               {{1024, 0, 1024}, {1500, 0, 1400}}},
                    AppendCase{"FullTailStartsNewBlock", {1024, 1}, {{1024, 0, 1024}, {1024, 0, 1}}}),
    [](const testing::TestParamInfo<AppendCase>& info) { return info.param.name; });

TEST(BlockBuffer, AppendedBytesComeOutInOrderAcrossBlocks)
{
    BlockBuffer buffer;
    const std::string first = Bytes(924, 'a'), second = Bytes(1500, 'k'), third = Bytes(3, 'x');
    Append(buffer, first);
    Append(buffer, second);
    Append(buffer, third);
    EXPECT_EQ(first + second + third, ConsumeAll(buffer));
}

TEST(BlockBuffer, ReserveNeedsMoreFreeSpaceThanAsked)
{
    BlockBuffer buffer;
    Append(buffer, Bytes(924)); // 100 bytes free in the tail

    BYTE* exact = buffer.Reserve(100);
    ASSERT_NE(nullptr, exact);
    EXPECT_EQ((std::vector<BlockShape>{{1024, 0, 924}, {1024, 0, 0}}), Shape(buffer));
    EXPECT_EQ(buffer.Tail()->Data(), exact);
}

TEST(BlockBuffer, ReserveWithRoomToSpareUsesTheTail)
{
    BlockBuffer buffer;
    Append(buffer, Bytes(923)); // 101 bytes free
    BYTE* space = buffer.Reserve(100);
    EXPECT_EQ(buffer.Tail()->Data() + 923, space);
    EXPECT_EQ((std::vector<BlockShape>{{1024, 0, 923}}), Shape(buffer));
    EXPECT_EQ(923u, buffer.Size()); // reserving commits nothing
}

TEST(BlockBuffer, ReserveOfZero)
{
    BlockBuffer buffer;
    EXPECT_EQ(nullptr, buffer.Reserve(0));
    EXPECT_EQ(nullptr, buffer.Head());

    Append(buffer, Bytes(10));
    EXPECT_EQ(buffer.Tail()->Data() + 10, buffer.Reserve(0));
    EXPECT_EQ(1u, Shape(buffer).size());
}

TEST(BlockBuffer, ReserveThenCommitMakesBytesReadable)
{
    BlockBuffer buffer;
    Append(buffer, "ab");
    BYTE* space = buffer.Reserve(2000);
    std::memcpy(space, "cde", 3);
    buffer.Commit(3);
    EXPECT_EQ((std::vector<BlockShape>{{1024, 0, 2}, {2000, 0, 3}}), Shape(buffer));
    EXPECT_EQ("abcde", ConsumeAll(buffer));
}

TEST(BlockBuffer, ReservedButUncommittedBlockIsDroppedWhenPassed)
{
    BlockBuffer buffer;
    Append(buffer, Bytes(1020));
    buffer.Reserve(10);  // a new, empty tail
    Append(buffer, "z"); // lands in the new tail
    EXPECT_EQ(Bytes(1020) + "z", ConsumeAll(buffer));
    EXPECT_EQ((std::vector<BlockShape>{{1024, 0, 0}}), Shape(buffer));
}

struct RetentionCase
{
    DWORD minBlock;
    DWORD capacity;
    bool kept;
};

class BlockBufferRetention : public testing::TestWithParam<RetentionCase>
{
};

TEST_P(BlockBufferRetention, EmptiedLastBlockIsKeptUpToFourTimesTheMinimum)
{
    BlockBuffer buffer;
    buffer.m_dwMinBlock = GetParam().minBlock;
    Append(buffer, Bytes(GetParam().capacity));
    ConsumeAll(buffer);
    if (GetParam().kept)
        EXPECT_EQ((std::vector<BlockShape>{{GetParam().capacity, 0, 0}}), Shape(buffer));
    else
        EXPECT_TRUE(Shape(buffer).empty());
    EXPECT_EQ(0u, buffer.Size());
}

INSTANTIATE_TEST_SUITE_P(Cases, BlockBufferRetention,
                         testing::Values(RetentionCase{1024, 1024, true},
                                         RetentionCase{1024, 4096, true},
                                         RetentionCase{1024, 4097, false},
                                         RetentionCase{4096, 16384, true},
                                         RetentionCase{4096, 16385, false}));

TEST(BlockBuffer, RetainedBlockIsReusedWithoutAllocating)
{
    BlockBuffer buffer;
    Append(buffer, Bytes(700));
    ConsumeAll(buffer);
    const BlockBuffer::Block* kept = buffer.Head();
    Append(buffer, Bytes(1024));
    EXPECT_EQ(kept, buffer.Head());
    EXPECT_EQ((std::vector<BlockShape>{{1024, 0, 1024}}), Shape(buffer));
}

TEST(BlockBuffer, ConsumeAcrossBlocksFreesEveryEmptiedBlockWithASuccessor)
{
    BlockBuffer buffer;
    Append(buffer, Bytes(1024));
    Append(buffer, Bytes(1024)); // second block, capacity 1024 (small, but has a successor)
    Append(buffer, Bytes(3000));
    std::string out(1024 + 1024 + 10, '\0');
    EXPECT_EQ(out.size(), buffer.Consume(&out[0], static_cast<DWORD>(out.size())));
    EXPECT_EQ((std::vector<BlockShape>{{3000, 10, 3000}}), Shape(buffer));
    EXPECT_EQ(2990u, buffer.Size());
}

TEST(BlockBuffer, ConsumeMoreThanHeldReturnsWhatThereIs)
{
    BlockBuffer buffer;
    EXPECT_EQ(0u, buffer.Consume(nullptr, 10));
    Append(buffer, Bytes(30));
    char out[100];
    EXPECT_EQ(30u, buffer.Consume(out, sizeof(out)));
    EXPECT_EQ(0u, buffer.Size());
}

TEST(BlockBuffer, DroppingConsumeRemovesTheSameBytesAsCopying)
{
    BlockBuffer copying, dropping;
    for (BlockBuffer* buffer : {&copying, &dropping})
    {
        Append(*buffer, Bytes(900));
        Append(*buffer, Bytes(900));
    }
    std::string out(1000, '\0');
    EXPECT_EQ(1000u, copying.Consume(&out[0], 1000));
    EXPECT_EQ(1000u, dropping.Consume(nullptr, 1000));
    EXPECT_EQ(Shape(copying), Shape(dropping));
    EXPECT_EQ(ConsumeAll(copying), ConsumeAll(dropping));
}

TEST(BlockBuffer, ConsumeOfZeroLeavesEvenAnEmptyHeadBlock)
{
    BlockBuffer buffer;
    Append(buffer, Bytes(1020));
    buffer.Reserve(10);
    ConsumeAll(buffer); // frees the first block, keeps the empty reserved one as the last
    ASSERT_EQ(1u, Shape(buffer).size());
    EXPECT_EQ(0u, buffer.Consume(nullptr, 0));
    EXPECT_EQ(1u, Shape(buffer).size());
}

TEST(BlockBuffer, EmptyReservedHeadWithSuccessorIsFreedByConsume)
{
    BlockBuffer buffer;
    Append(buffer, Bytes(1020));
    buffer.Reserve(10);  // new empty tail
    buffer.Reserve(2000); // another: the first reserved block never gets a byte
    buffer.Commit(5);
    char out[2000];
    EXPECT_EQ(1025u, buffer.Consume(out, sizeof(out)));
    EXPECT_EQ((std::vector<BlockShape>{{2000, 0, 0}}), Shape(buffer));
}

TEST(BlockBuffer, ClearFreesEverything)
{
    BlockBuffer buffer;
    Append(buffer, Bytes(5000));
    Append(buffer, Bytes(10));
    buffer.Clear();
    EXPECT_EQ(nullptr, buffer.Head());
    EXPECT_EQ(nullptr, buffer.Tail());
    EXPECT_EQ(0u, buffer.Size());
}

TEST(BlockBuffer, RequestTooLargeForOneAllocationChangesNothing)
{
    BlockBuffer buffer;
    Append(buffer, Bytes(1000));
    const auto before = Shape(buffer);
    EXPECT_EQ(nullptr, buffer.Reserve(0xFFFFFFFF));
    static const char source[1] = {0};
    // The source is never read: the block is refused before any byte is copied.
    EXPECT_EQ(0u, buffer.Append(source, 0xFFFFFFF0));
    EXPECT_EQ(before, Shape(buffer));
    EXPECT_EQ(1000u, buffer.Size());
}

DWORD WINAPI SizeOnThisThread(void* param)
{
    return static_cast<BlockBuffer*>(param)->Size();
}

TEST(BlockBuffer, GuardReleasesTheLockWhenAnExceptionPasses)
{
    BlockBuffer buffer;
    try
    {
        BlockBuffer::Guard guard(buffer);
        throw 1;
    }
    catch (int)
    {
    }
    DWORD size = 1;
    HANDLE thread = CreateThread(nullptr, 0, SizeOnThisThread, &buffer, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 5000)) << "lock left held";
    GetExitCodeThread(thread, &size);
    CloseHandle(thread);
    EXPECT_EQ(0u, size);
}

// Random appends, reserves with partial commits and consumes against a plain deque: the bytes,
// the count and the chain's invariants must agree after every step.
TEST(BlockBuffer, MatchesASimpleModelUnderRandomOperations)
{
    std::mt19937 random(12345);
    BlockBuffer buffer;
    buffer.m_dwMinBlock = 64;
    std::deque<char> model;
    char next = 0;
    for (int step = 0; step < 20000; ++step)
    {
        const int op = random() % 3;
        const DWORD n = random() % 300;
        if (op == 0)
        {
            std::string bytes(n, '\0');
            for (char& c : bytes)
                c = next++;
            ASSERT_EQ(n, buffer.Append(bytes.data(), n));
            model.insert(model.end(), bytes.begin(), bytes.end());
        }
        else if (op == 1)
        {
            BYTE* space = buffer.Reserve(n);
            if (n == 0 && !space)
                continue;
            ASSERT_NE(nullptr, space);
            const DWORD k = n ? random() % (n + 1) : 0;
            for (DWORD i = 0; i < k; ++i)
            {
                space[i] = static_cast<BYTE>(next);
                model.push_back(next++);
            }
            buffer.Commit(k);
        }
        else
        {
            std::string out(n, '\0');
            const bool copy = random() % 2 != 0;
            const DWORD removed = buffer.Consume(copy ? &out[0] : nullptr, n);
            ASSERT_EQ(std::min<size_t>(n, model.size()), removed);
            if (copy)
            {
                ASSERT_EQ(std::string(model.begin(), model.begin() + removed),
                          out.substr(0, removed));
            }
            model.erase(model.begin(), model.begin() + removed);
        }
        BlockBuffer::Guard guard(buffer);
        DWORD sum = 0;
        const BlockBuffer::Block* last = nullptr;
        for (const BlockBuffer::Block* block = buffer.Head(); block; block = block->pNext)
        {
            ASSERT_LE(block->dwRead, block->dwWrite);
            ASSERT_LE(block->dwWrite, block->dwCapacity);
            sum += block->dwWrite - block->dwRead;
            last = block;
        }
        ASSERT_EQ(last, buffer.Tail());
        ASSERT_EQ(model.size(), sum);
    }
    EXPECT_EQ(model.size(), buffer.Size());
    EXPECT_EQ(std::string(model.begin(), model.end()), ConsumeAll(buffer));
}
