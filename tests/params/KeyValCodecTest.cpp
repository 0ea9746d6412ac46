// The key/value list text form, malformed texts included.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "SensorKeyVal.h"

namespace {

using Pairs = std::vector<std::pair<int, int>>;

Pairs pairs(const KeyVal* p_pRecords, u32 p_nCount) {
    Pairs vecPairs;
    for (u32 i = 0; i < p_nCount; ++i)
        vecPairs.emplace_back(static_cast<int>(p_pRecords[i].key), static_cast<int>(p_pRecords[i].value));
    return vecPairs;
}

TEST(KeyValToTextTest, AppendsOneSignedItemPerRecord) {
    const KeyVal arrRecords[] = {{34, 50}, {144, static_cast<u32>(-1)}, {0x80000000u, 0x80000000u}};
    std::string strText = "(1,2)";
    keyval_st2str(strText, arrRecords, 3);
    keyval_st2str(strText, arrRecords, 0);
    EXPECT_EQ("(1,2)(34,50)(144,-1)(-2147483648,-2147483648)", strText);
}

// Numbers read as atoi does; a field that does not convert repeats the
// record before, an incomplete item is dropped.
TEST(TextToKeyValTest, ParsesTheCompleteItems) {
    const std::pair<const char*, Pairs> astCases[] = {
        {"(34,50)(2337,128)", {{34, 50}, {2337, 128}}}, {"", {}}, {"abc(34,50)xyz", {{34, 50}}},
        {"(34,50)(", {{34, 50}}}, {"(34,50)(2337", {{34, 50}}}, {"(34,50)(x,7)", {{34, 50}, {34, 50}}},
        {"(34,50)(35,x)", {{34, 50}, {35, 50}}}, {"(a,b)", {{0, 0}}}, {"( -5, +7)(144,-1)", {{-5, 7}, {144, -1}}}};
    for (const auto& stCase : astCases) {
        KeyVal arrRecords[8];
        u32 nCount = 99;
        EXPECT_TRUE(keyval_str2st(stCase.first, arrRecords, &nCount, 8)) << stCase.first;
        EXPECT_EQ(stCase.second, pairs(arrRecords, nCount)) << stCase.first;
    }
}

TEST(TextToKeyValTest, StopsAtTheCapacityAndReportsTheSurplus) {
    KeyVal arrRecords[3] = {{0, 0}, {0, 0}, {9, 9}};
    u32 nCount = 0;
    EXPECT_FALSE(keyval_str2st("(1,2)(3,4)(5,6)", arrRecords, &nCount, 2));
    EXPECT_EQ((Pairs{{1, 2}, {3, 4}, {9, 9}}), pairs(arrRecords, 3));
    EXPECT_EQ(2u, nCount);
    EXPECT_TRUE(keyval_str2st("(1,2)(3,4)(", arrRecords, &nCount, 2));
    EXPECT_TRUE(keyval_str2st("", nullptr, &nCount, 0));
    EXPECT_FALSE(keyval_str2st("(1,2)", nullptr, &nCount, 4));
}

}  // namespace
