// Module detail fields "(name=value)": the plain substring search and the
// bounded copies of the value.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "SensorFile.h"

namespace {

// Both readers find the same field: by plain substring search, the value
// running from the first "=" after the name, across field borders, to the
// next ")". The text goes into a buffer with guard bytes after the part
// handed over (expected: its first 8 bytes afterwards); the number is read
// from the first 9 characters. A field not found leaves both untouched.
TEST(DetailFieldTest, NumbersAndTextsAreFoundByNameAndCutToTheirBuffers) {
    const struct {
        const char* szDetail;
        size_t nSize;
        int nResult;
        std::string strBytes;
        u32 nNumber;
    } aCases[] = {
        {"(lens=4)(ir=2)", 16, 0, std::string("4\0xxxxxx", 8), 4},
        {"(lens=)", 16, 0, std::string("\0xxxxxxx", 8), 0},
        {"(lens=abcdefgh)", 4, 0, std::string("abc\0xxxx", 8), 0},
        {"(lens=12345678901234)", 1, 0, std::string("\0xxxxxxx", 8), 123456789u},
        {"(xlens=9)(lens=4)", 16, 0, std::string("9\0xxxxxx", 8), 9},
        {"(a=1)(lens=3)(c=2)", 16, 0, std::string("3\0xxxxxx", 8), 3},
        {"(lens 4)(b=5)", 16, 0, std::string("5\0xxxxxx", 8), 5},
        {"(lens 4)", 16, -1, "xxxxxxxx", 0},
        {"(lens=4", 16, -1, "xxxxxxxx", 0},
        {"(ir=1)", 16, -1, "xxxxxxxx", 0},
        {"", 16, -1, "xxxxxxxx", 0},
    };
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.szDetail);
        char szBuffer[32];
        memset(szBuffer, 'x', sizeof(szBuffer));
        EXPECT_EQ(c.nResult, getDetailFieldToStr(c.szDetail, "lens", szBuffer, c.nSize));
        EXPECT_EQ(c.strBytes, std::string(szBuffer, 8));
        EXPECT_EQ(std::string(24, 'x'), std::string(szBuffer + 8, 24));
        u32 nNumber = 0xA5A5A5A5u;
        EXPECT_EQ(c.nResult, getDetailFieldTou32(c.szDetail, "lens", &nNumber));
        EXPECT_EQ(c.nResult == 0 ? c.nNumber : 0xA5A5A5A5u, nNumber);
    }
}

}  // namespace
