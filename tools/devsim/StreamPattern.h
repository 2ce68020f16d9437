// The bytes that devsim's STREAM command sends: lines of 64 bytes, each the 8-digit decimal offset
// of its first byte, a space, 53 characters of a rotating alphabet and CR LF. A reader can see
// at a glance where bytes went missing, and the pattern is a pure function of the offset, so any
// stretch of it can be reproduced for comparison.
#pragma once

#include <string>

namespace devsim {

constexpr unsigned long long kPatternLineLength = 64;

// Appends `count` pattern bytes starting at byte `offset` of the stream.
void AppendStreamPattern(std::string& out, unsigned long long offset, size_t count);

inline std::string StreamPattern(unsigned long long offset, size_t count)
{
    std::string bytes;
    AppendStreamPattern(bytes, offset, count);
    return bytes;
}

} // namespace devsim
