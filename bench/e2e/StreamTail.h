// The stream as the receive area shows it once the program keeps only its most recent text: the
// area then holds a tail of the stream that starts at a line start, and each line of the stream
// (devsim's pattern) starts with the decimal offset of its first byte, followed by a space.
#pragma once

#include <string>

// Enough characters of a line's start to read the offset it names.
constexpr size_t kLineStartChars = 24;

// The stream offset that `lineStart` (the first characters of a line, at least the offset and
// its space) names; false when it does not start like a line of the stream.
bool LineStartOffset(const std::wstring& lineStart, unsigned long long& offset);

// The receive area's final text against the bytes sent: the pattern up to `streamOffset` (what
// earlier runs into the same program sent), then `stream`.
struct ShownTail {
    bool bAtLineStart;         // the text starts like a line of the stream (offset is set)
    unsigned long long offset; // the stream offset of the text's first character
    long nFirstDifference;     // -1 when the text is exactly the bytes sent from offset on
};
ShownTail CompareShownTail(const std::wstring& text, const std::string& stream, unsigned long long streamOffset);

// Index of the first character of `shown` that is not the byte at the same place of `sent`
// (the stream is ASCII, so one byte is one character), or of the first place where one of them
// has ended and the other has not; -1 when both are equal.
long FirstDifference(const std::wstring& shown, const std::string& sent);

// The same for hex display: the text is "XX " per byte, with line breaks that the window may
// have put in; it must end with the last byte sent. A byte whose text the trim cut in two is
// left out; `bAtLineStart` is then whether the rest lines up with whole bytes.
ShownTail CompareShownHexTail(const std::wstring& text, const std::string& stream, unsigned long long streamOffset);
