#include "CountedBytes.h"

#include "framework/DecimalDigits.h"

#include <climits>
#include <string>

namespace {
const DWORD kAnswerMs = 60000;
const wchar_t kLabel[] = L"接收：";
}

CountedBytes::CountedBytes(const LumetraWindow& window, unsigned long long emptyOffset)
    : m_window(window), m_startOffset(emptyOffset)
{
    ReadCount(m_startCount);
    m_count = m_startCount;
}

unsigned long long CountedBytes::Poll()
{
    unsigned long long count = 0;
    if (ReadCount(count))
        m_count = count;
    return m_startOffset + (m_count - m_startCount);
}

bool CountedBytes::ReadCount(unsigned long long& count) const
{
    const std::wstring text = m_window.ControlText(LumetraWindow::kReceiveCount, kAnswerMs);
    const size_t nLabel = std::wstring(kLabel).size();
    if (text.compare(0, nLabel, kLabel) != 0)
        return false;
    const wchar_t* first = text.c_str() + nLabel;
    const wchar_t* last = text.c_str() + text.size();
    return ReadDecimalDigits(first, last, ULLONG_MAX, count) == last;
}
