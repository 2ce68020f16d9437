// Decimal numbers in text that people type or pass on a command line: ASCII digits only, no sign,
// no blanks, no base prefix, with an upper limit; for narrow and wide text alike. Callers that
// allow more (a sign, surrounding blanks) handle it around these.
#pragma once

#include <string>

// Reads the run of ASCII digits that starts at `first` (up to `last` or the first other
// character) into `value`. Returns the position after the digits, or nullptr when there is no
// digit or the number is greater than `maximum` (`value` is then left alone).
template <typename Char>
const Char* ReadDecimalDigits(const Char* first, const Char* last, unsigned long long maximum,
                              unsigned long long& value)
{
    const Char* p = first;
    unsigned long long parsed = 0;
    for (; p != last && *p >= Char('0') && *p <= Char('9'); ++p) {
        const unsigned long long digit = static_cast<unsigned long long>(*p - Char('0'));
        // parsed * 10 + digit > maximum, written so that nothing can overflow
        if (digit > maximum || parsed > (maximum - digit) / 10)
            return nullptr;
        parsed = parsed * 10 + digit;
    }
    if (p == first)
        return nullptr;
    value = parsed;
    return p;
}

// A whole zero-terminated text of digits, nothing else, no greater than `maximum`.
template <typename Char>
bool ParseDecimalDigits(const Char* text, unsigned long long maximum, unsigned long long& value)
{
    const Char* last = text + std::char_traits<Char>::length(text);
    return ReadDecimalDigits(text, last, maximum, value) == last;
}
