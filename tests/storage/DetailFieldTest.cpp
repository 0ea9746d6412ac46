// Module detail fields "(name=value)": the plain substring search and the
// bounded copies of the value.
#include <gtest/gtest.h>

#include <string.h>

#include <ostream>
#include <string>

#include "SensorFile.h"

namespace {

struct NumberCase {
    const char* szDetail;
    int nResult;
    u32 nValue;  // expected when found
};

void PrintTo(const NumberCase& p_stCase, std::ostream* p_pStream) {
    *p_pStream << '"' << p_stCase.szDetail << '"';
}

class DetailNumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(DetailNumberTest, ReadsMaxScheme) {
    const NumberCase& c = GetParam();
    u32 nValue = 0xA5A5A5A5u;
    EXPECT_EQ(c.nResult, getDetailFieldTou32(c.szDetail, "max_scheme", &nValue));
    EXPECT_EQ(c.nResult == 0 ? c.nValue : 0xA5A5A5A5u, nValue);
}

INSTANTIATE_TEST_SUITE_P(
    Details, DetailNumberTest,
    ::testing::Values(NumberCase{"(max_scheme=4)", 0, 4}, NumberCase{"(max_scheme=)", 0, 0},
                      NumberCase{"(max_scheme 4)", -1, 0}, NumberCase{"(xmax_scheme=9)(max_scheme=4)", 0, 9},
                      NumberCase{"(max_scheme=4", -1, 0}, NumberCase{"(other=4)", -1, 0}, NumberCase{"", -1, 0},
                      // The "=" is searched from the name on, across field borders.
                      NumberCase{"(max_scheme 4)(b=5)", 0, 5},
                      // Only the first 9 characters of a longer value are read.
                      NumberCase{"(max_scheme=12345678901234)", 0, 123456789u},
                      NumberCase{"(a=1)(max_scheme=3)(c=2)", 0, 3}));

class DetailTextTest : public ::testing::Test {
protected:
    // A buffer with guard bytes after the part handed to the parser.
    char m_szBuffer[32];
    void SetUp() override { memset(m_szBuffer, 'x', sizeof(m_szBuffer)); }
};

TEST_F(DetailTextTest, CopiesAndTerminatesTheValue) {
    EXPECT_EQ(0, getDetailFieldToStr("(lens=zoom)(ir=2)", "lens", m_szBuffer, 16));
    EXPECT_STREQ("zoom", m_szBuffer);
}

TEST_F(DetailTextTest, EmptyValueGivesEmptyText) {
    EXPECT_EQ(0, getDetailFieldToStr("(lens=)", "lens", m_szBuffer, 16));
    EXPECT_STREQ("", m_szBuffer);
}

TEST_F(DetailTextTest, LongValueIsCutToTheBuffer) {
    EXPECT_EQ(0, getDetailFieldToStr("(lens=abcdefgh)", "lens", m_szBuffer, 4));
    EXPECT_EQ(std::string("abc\0xxxx", 8), std::string(m_szBuffer, 8));
}

TEST_F(DetailTextTest, OneByteBufferOnlyTerminates) {
    EXPECT_EQ(0, getDetailFieldToStr("(lens=abc)", "lens", m_szBuffer, 1));
    EXPECT_EQ(std::string("\0xx", 3), std::string(m_szBuffer, 3));
}

TEST_F(DetailTextTest, MissingFieldWritesNothing) {
    EXPECT_EQ(-1, getDetailFieldToStr("(lens abc)", "lens", m_szBuffer, 16));
    EXPECT_EQ(-1, getDetailFieldToStr("(lens=abc", "lens", m_szBuffer, 16));
    EXPECT_EQ(-1, getDetailFieldToStr("(ir=1)", "lens", m_szBuffer, 16));
    EXPECT_EQ(std::string(sizeof(m_szBuffer), 'x'), std::string(m_szBuffer, sizeof(m_szBuffer)));
}

}  // namespace
