#include "StreamTail.h"

#include "framework/DecimalDigits.h"
#include "tools/devsim/StreamPattern.h"

#include <climits>

namespace {

// The bytes sent from `from` on: the pattern up to streamOffset, then the stream.
std::string SentFrom(unsigned long long from, const std::string& stream, unsigned long long streamOffset)
{
    if (from < streamOffset)
        return devsim::StreamPattern(from, static_cast<size_t>(streamOffset - from)) + stream;
    if (from - streamOffset <= stream.size())
        return stream.substr(static_cast<size_t>(from - streamOffset));
    return std::string();
}

}  // namespace

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
    tail.nFirstDifference = FirstDifference(text, SentFrom(tail.offset, stream, streamOffset));
    return tail;
}


ShownTail CompareShownHexTail(const std::wstring& text, const std::string& stream, unsigned long long streamOffset)
{
    ShownTail tail = {};
    std::wstring hex;
    for (wchar_t ch : text)
        if (ch != L'\r' && ch != L'\n')
            hex += ch;
    hex.erase(0, hex.size() % 3);
    const unsigned long long nBytes = hex.size() / 3;
    const unsigned long long nEnd = streamOffset + stream.size();
    tail.bAtLineStart = nBytes <= nEnd && (hex.empty() || hex[2] == L' ');
    if (!tail.bAtLineStart)
        return tail;
    tail.offset = nEnd - nBytes;
    static const char kDigits[] = "0123456789ABCDEF";
    std::string expected;
    for (unsigned char byte : SentFrom(tail.offset, stream, streamOffset)) {
        expected += kDigits[byte >> 4];
        expected += kDigits[byte & 15];
        expected += ' ';
    }
    tail.nFirstDifference = FirstDifference(hex, expected);
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
