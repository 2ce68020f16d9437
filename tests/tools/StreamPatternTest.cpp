// The STREAM pattern: fixed text that a reader (and the benchmark) can rely on.
#include "tools/devsim/StreamPattern.h"

#include <gtest/gtest.h>

namespace {

using devsim::StreamPattern;

TEST(StreamPattern, LinesCarryTheirOffsetAndARotatingAlphabet)
{
    EXPECT_EQ("00000000 ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0\r\n"
              "00000064 BCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz01\r\n",
              StreamPattern(0, 128));
    // Line 62 has come round to the start of the alphabet again.
    EXPECT_EQ("00003968 ABC", StreamPattern(62 * 64, 12));
    // Offsets beyond eight digits keep their low eight.
    EXPECT_EQ("23456768 ", StreamPattern(123456768ull, 9));
}

TEST(StreamPattern, AnyStretchMatchesTheWholeStream)
{
    const std::string whole = StreamPattern(0, 1000);
    ASSERT_EQ(1000u, whole.size());
    for (size_t start : {0u, 1u, 63u, 64u, 500u, 999u})
        EXPECT_EQ(whole.substr(start, 37), StreamPattern(start, 37).substr(0, whole.size() - start))
            << "from " << start;
}

} // namespace
