#include "tools/devsim/StreamPattern.h"

namespace devsim {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr unsigned long long kAlphabetSize = sizeof kAlphabet - 1;
constexpr unsigned long long kOffsetDigits = 8;
constexpr unsigned long long kTextStart = kOffsetDigits + 1; // after the offset and a space
constexpr unsigned long long kTextEnd = kPatternLineLength - 2; // CR LF close the line

char PatternByte(unsigned long long index)
{
    const unsigned long long line = index / kPatternLineLength;
    const unsigned long long column = index % kPatternLineLength;
    if (column < kOffsetDigits) {
        unsigned long long value = line * kPatternLineLength;
        for (unsigned long long digit = column + 1; digit < kOffsetDigits; ++digit)
            value /= 10;
        return static_cast<char>('0' + value % 10);
    }
    if (column < kTextStart)
        return ' ';
    if (column < kTextEnd)
        return kAlphabet[(line + column - kTextStart) % kAlphabetSize];
    return column == kTextEnd ? '\r' : '\n';
}

} // namespace

void AppendStreamPattern(std::string& out, unsigned long long offset, size_t count)
{
    out.reserve(out.size() + count);
    for (size_t i = 0; i < count; ++i)
        out.push_back(PatternByte(offset + i));
}

} // namespace devsim
