#include "StreamTail.h"

#include "framework/DecimalDigits.h"
#include "tools/devsim/StreamPattern.h"

#include <climits>

bool LineStartOffset(const std::wstring& lineStart, unsigned long long& offset)
{
    const wchar_t* first = lineStart.c_str();
    const wchar_t* last = first + lineStart.size();
    unsigned long long value = 0;
    const wchar_t* digitsEnd = ReadDecimalDigits(first, last, ULLONG_MAX, value);
    if (digitsEnd == nullptr || digitsEnd == last || *digitsEnd != L' ' || value % devsim::kPatternLineLength != 0)
        return false;
    offset = value;
    return true;
}

ShownTail CompareShownTail(const std::wstring& text, const std::string& stream, unsigned long long streamOffset)
{
    ShownTail tail = {};
    tail.bAtLineStart = LineStartOffset(text.substr(0, kLineStartChars), tail.offset);
    if (!tail.bAtLineStart)
        return tail;
    std::string sent;
    if (tail.offset < streamOffset)
        sent = devsim::StreamPattern(tail.offset, static_cast<size_t>(streamOffset - tail.offset)) + stream;
    else if (tail.offset - streamOffset <= stream.size())
        sent = stream.substr(static_cast<size_t>(tail.offset - streamOffset));
    tail.nFirstDifference = FirstDifference(text, sent);
    return tail;
}

long FirstDifference(const std::wstring& shown, const std::string& sent)
{
    const size_t nCommon = shown.size() < sent.size() ? shown.size() : sent.size();
    for (size_t i = 0; i < nCommon; ++i) {
        if (shown[i] != static_cast<wchar_t>(static_cast<unsigned char>(sent[i])))
            return static_cast<long>(i);
    }
    return shown.size() == sent.size() ? -1 : static_cast<long>(nCommon);
}
