// Module detail fields "(name=value)": the plain substring search and the
// bounded copies of the value.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "SensorFile.h"

namespace {

TEST(DetailNumberTest, ReadsMaxScheme) {
    const struct {
        const char* szDetail;
        int nResult;
        u32 nValue;
    } aCases[] = {{"(max_scheme=4)", 0, 4},
                  {"(max_scheme=)", 0, 0},
                  {"(max_scheme 4)", -1, 0},
                  {"(xmax_scheme=9)(max_scheme=4)", 0, 9},
                  {"(max_scheme=4", -1, 0},
                  {"(other=4)", -1, 0},
                  {"", -1, 0},
                  {"(a=1)(max_scheme=3)(c=2)", 0, 3},
                  // The "=" is searched from the name on, across field borders.
                  {"(max_scheme 4)(b=5)", 0, 5},
                  // Only the first 9 characters of a longer value are read.
                  {"(max_scheme=12345678901234)", 0, 123456789u}};
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.szDetail);
        u32 nValue = 0xA5A5A5A5u;
        EXPECT_EQ(c.nResult, getDetailFieldTou32(c.szDetail, "max_scheme", &nValue));
        EXPECT_EQ(c.nResult == 0 ? c.nValue : 0xA5A5A5A5u, nValue);
    }
}

// The copy goes into a buffer with guard bytes after the part handed over;
// expected: the first 8 bytes of the buffer afterwards.
TEST(DetailTextTest, CopiesAtMostTheBufferAndTerminates) {
    const struct {
        const char* szDetail;
        size_t nSize;
        int nResult;
        std::string strBytes;
    } aCases[] = {{"(lens=zoom)(ir=2)", 16, 0, std::string("zoom\0xxx", 8)},
                  {"(lens=)", 16, 0, std::string("\0xxxxxxx", 8)},
                  {"(lens=abcdefgh)", 4, 0, std::string("abc\0xxxx", 8)},
                  {"(lens=abc)", 1, 0, std::string("\0xxxxxxx", 8)},
                  {"(lens abc)", 16, -1, "xxxxxxxx"},
                  {"(lens=abc", 16, -1, "xxxxxxxx"},
                  {"(ir=1)", 16, -1, "xxxxxxxx"}};
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.szDetail);
        char szBuffer[32];
        memset(szBuffer, 'x', sizeof(szBuffer));
        EXPECT_EQ(c.nResult, getDetailFieldToStr(c.szDetail, "lens", szBuffer, c.nSize));
        EXPECT_EQ(c.strBytes, std::string(szBuffer, 8));
        EXPECT_EQ(std::string(24, 'x'), std::string(szBuffer + 8, 24));
    }
}

}  // namespace
