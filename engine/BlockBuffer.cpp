#include "engine/SerialLink.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

using BlockBuffer = CSerialLink::BlockBuffer;

BlockBuffer::BlockBuffer() : m_pHead(nullptr), m_pTail(nullptr), m_dwCount(0), m_dwMinBlock(1024)
{
    ::InitializeCriticalSection(&m_cs);
}

BlockBuffer::~BlockBuffer()
{
    Clear();
    ::DeleteCriticalSection(&m_cs);
}

// Null when the allocator refuses or the header plus capacity would not fit in a size_t.
BlockBuffer::Block* BlockBuffer::AllocateBlock(DWORD dwCapacity)
{
    if (dwCapacity > SIZE_MAX - sizeof(Block))
        return nullptr;
    void* pMemory = ::operator new(sizeof(Block) + dwCapacity, std::nothrow);
    if (!pMemory)
        return nullptr;
    Block* pBlock = static_cast<Block*>(pMemory);
    pBlock->dwRead = 0;
    pBlock->dwWrite = 0;
    pBlock->dwCapacity = dwCapacity;
    pBlock->pNext = nullptr;
    return pBlock;
}

void BlockBuffer::LinkAtTail(Block* pBlock)
{
    if (m_pTail)
        m_pTail->pNext = pBlock;
    else
        m_pHead = pBlock;
    m_pTail = pBlock;
}

DWORD BlockBuffer::Append(const void* pSource, DWORD n)
{
    const BYTE* pBytes = static_cast<const BYTE*>(pSource);
    DWORD dwFree = m_pTail ? m_pTail->dwCapacity - m_pTail->dwWrite : 0;
    DWORD dwFirst = std::min(n, dwFree);
    DWORD dwRest = n - dwFirst;

    // Allocate before copying anything, so a refused block leaves the buffer as it was.
    Block* pNew = nullptr;
    if (dwRest > 0)
    {
        pNew = AllocateBlock(std::max(n, m_dwMinBlock));
        if (!pNew)
            return 0;
    }
    if (dwFirst > 0)
    {
        std::memcpy(m_pTail->Data() + m_pTail->dwWrite, pBytes, dwFirst);
        m_pTail->dwWrite += dwFirst;
    }
    if (pNew)
    {
        std::memcpy(pNew->Data(), pBytes + dwFirst, dwRest);
        pNew->dwWrite = dwRest;
        LinkAtTail(pNew);
    }
    m_dwCount += n;
    return n;
}

BYTE* BlockBuffer::Reserve(DWORD n)
{
    if (n == 0)
        return m_pTail ? m_pTail->Data() + m_pTail->dwWrite : nullptr;
    // Free space equal to n is not enough: a fresh block is started instead.
    if (m_pTail && m_pTail->dwCapacity - m_pTail->dwWrite > n)
        return m_pTail->Data() + m_pTail->dwWrite;
    Block* pNew = AllocateBlock(std::max(n, m_dwMinBlock));
    if (!pNew)
        return nullptr;
    LinkAtTail(pNew);
    return pNew->Data();
}

void BlockBuffer::Commit(DWORD k)
{
    m_pTail->dwWrite += k;
    m_dwCount += k;
}

DWORD BlockBuffer::Consume(void* pDest, DWORD n)
{
    if (n == 0)
        return 0;
    BYTE* pOut = static_cast<BYTE*>(pDest);
    DWORD dwRemoved = 0;
    const unsigned long long cbRetainLimit = 4ULL * m_dwMinBlock;
    while (m_pHead)
    {
        Block* pBlock = m_pHead;
        DWORD dwAvailable = pBlock->dwWrite - pBlock->dwRead;
        DWORD dwTake = std::min(n - dwRemoved, dwAvailable);
        if (pOut)
            std::memcpy(pOut + dwRemoved, pBlock->Data() + pBlock->dwRead, dwTake);
        dwRemoved += dwTake;
        m_dwCount -= dwTake;
        if (dwTake < dwAvailable)
        {
            pBlock->dwRead += dwTake;
            break;
        }
        if (pBlock->pNext || pBlock->dwCapacity > cbRetainLimit)
        {
            m_pHead = pBlock->pNext;
            if (!m_pHead)
                m_pTail = nullptr;
            ::operator delete(pBlock);
        }
        else
        {
            // The emptied last block stays for reuse, so fill-and-empty does not allocate.
            pBlock->dwRead = 0;
            pBlock->dwWrite = 0;
            break;
        }
        if (dwRemoved == n)
            break;
    }
    return dwRemoved;
}

DWORD BlockBuffer::Size()
{
    Guard guard(*this);
    return m_dwCount;
}

void BlockBuffer::Clear()
{
    while (m_pHead)
    {
        Block* pNext = m_pHead->pNext;
        ::operator delete(m_pHead);
        m_pHead = pNext;
    }
    m_pTail = nullptr;
    m_dwCount = 0;
}

BlockBuffer::Block* BlockBuffer::DetachHead()
{
    Block* pBlock = m_pHead;
    m_pHead = pBlock->pNext;
    if (!m_pHead)
        m_pTail = nullptr;
    pBlock->pNext = nullptr;
    m_dwCount -= pBlock->dwWrite - pBlock->dwRead;
    return pBlock;
}
