// The key/value list and id list text forms, malformed texts included.
#include <string>
#include <utility>
#include <vector>

#include "DeviceFixture.h"
#include "ISensorController.h"
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

class TextToKeyValTest : public ::testing::TestWithParam<std::pair<std::string, Pairs>> {};

TEST_P(TextToKeyValTest, ParsesTheCompleteItems) {
    KeyVal arrRecords[8];
    u32 nCount = 99;
    EXPECT_TRUE(keyval_str2st(GetParam().first, arrRecords, &nCount, 8));
    EXPECT_EQ(GetParam().second, pairs(arrRecords, nCount)) << GetParam().first;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TextToKeyValTest,
    ::testing::Values(std::make_pair("(34,50)(2337,128)", Pairs{{34, 50}, {2337, 128}}), std::make_pair("", Pairs{}),
                      std::make_pair("abc(34,50)xyz", Pairs{{34, 50}}), std::make_pair("(34,50)(", Pairs{{34, 50}}),
                      std::make_pair("(34,50)(2337", Pairs{{34, 50}}),
                      // Fields that do not convert repeat the record before.
                      std::make_pair("(34,50)(x,7)", Pairs{{34, 50}, {34, 50}}),
                      std::make_pair("(34,50)(35,x)", Pairs{{34, 50}, {35, 50}}),
                      std::make_pair("(a,b)", Pairs{{0, 0}}),
                      std::make_pair("( -5, +7)(144,-1)", Pairs{{-5, 7}, {144, -1}})));

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

// The second member is the number of items, -1 for a refused text.
class IdListTest : public DeviceFixture, public ::testing::WithParamInterface<std::pair<std::string, int>> {};

TEST_P(IdListTest, AcceptsOnePairOfParenthesesAroundTheWholeText) {
    ISensorController objController;
    std::vector<std::string> vecItems;
    const bool bAccepted = objController.parseSensorParameter(GetParam().first, vecItems);
    EXPECT_EQ(GetParam().second, bAccepted ? static_cast<int>(vecItems.size()) : -1);
}

INSTANTIATE_TEST_SUITE_P(Texts, IdListTest,
                         ::testing::Values(std::make_pair("(5)", 1), std::make_pair("(34,2337,144)", 3),
                                           std::make_pair("", -1), std::make_pair("()", -1),
                                           std::make_pair("5,6", -1), std::make_pair("(5)(6)", -1),
                                           std::make_pair(" (5)", -1), std::make_pair("(5) ", -1),
                                           std::make_pair("(5", -1)));

}  // namespace
