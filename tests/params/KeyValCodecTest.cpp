// The key/value list and id list text forms, malformed texts included.
#include <climits>
#include <string>
#include <vector>

#include "DeviceFixture.h"
#include "ISensorController.h"
#include "SensorKeyVal.h"

// Found by the standard algorithms only at the record's own (global) scope.
static bool operator==(const KeyVal& a, const KeyVal& b) {
    return a.key == b.key && a.value == b.value;
}

namespace {

KeyVal kv(int p_nKey, int p_nValue) {
    return KeyVal{static_cast<u32>(p_nKey), static_cast<u32>(p_nValue)};
}

TEST(KeyValToTextTest, AppendsOneSignedItemPerRecord) {
    const KeyVal arrRecords[] = {kv(34, 50), kv(144, -1), kv(INT_MIN, INT_MIN)};
    std::string strText = "(1,2)";
    keyval_st2str(strText, arrRecords, 3);
    EXPECT_EQ("(1,2)(34,50)(144,-1)(-2147483648,-2147483648)", strText);
    keyval_st2str(strText, arrRecords, 0);
    EXPECT_EQ("(1,2)(34,50)(144,-1)(-2147483648,-2147483648)", strText);
}

struct ParseCase {
    std::string text;
    std::vector<KeyVal> expected;
};

void PrintTo(const ParseCase& p_stCase, std::ostream* p_pOut) {
    *p_pOut << '"' << p_stCase.text << '"';
}

class TextToKeyValTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(TextToKeyValTest, ParsesTheCompleteItems) {
    KeyVal arrRecords[8];
    u32 nCount = 99;
    EXPECT_TRUE(keyval_str2st(GetParam().text, arrRecords, &nCount, 8));
    EXPECT_EQ(std::vector<KeyVal>(arrRecords, arrRecords + nCount), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TextToKeyValTest,
    ::testing::Values(ParseCase{"(34,50)(2337,128)", {kv(34, 50), kv(2337, 128)}}, ParseCase{"", {}},
                      ParseCase{"abc(34,50)xyz", {kv(34, 50)}}, ParseCase{"(34,50)(", {kv(34, 50)}},
                      ParseCase{"(34,50)(2337", {kv(34, 50)}},
                      // Fields that do not convert repeat the record before.
                      ParseCase{"(34,50)(x,7)", {kv(34, 50), kv(34, 50)}},
                      ParseCase{"(34,50)(35,x)", {kv(34, 50), kv(35, 50)}}, ParseCase{"(a,b)", {kv(0, 0)}},
                      ParseCase{"( -5, +7)(144,-1)", {kv(-5, 7), kv(144, -1)}}));

TEST(TextToKeyValTest, StopsAtTheCapacityAndReportsTheSurplus) {
    KeyVal arrRecords[3] = {kv(0, 0), kv(0, 0), kv(9, 9)};
    u32 nCount = 0;
    EXPECT_FALSE(keyval_str2st("(1,2)(3,4)(5,6)", arrRecords, &nCount, 2));
    EXPECT_EQ(2u, nCount);
    EXPECT_TRUE(arrRecords[1] == kv(3, 4));
    EXPECT_TRUE(arrRecords[2] == kv(9, 9));
    EXPECT_TRUE(keyval_str2st("(1,2)(3,4)(", arrRecords, &nCount, 2));
    EXPECT_TRUE(keyval_str2st("", nullptr, &nCount, 0));
    EXPECT_FALSE(keyval_str2st("(1,2)", nullptr, &nCount, 4));
}

class IdListTest : public DeviceFixture, public ::testing::WithParamInterface<std::pair<std::string, int>> {};

// The second member is the number of items, -1 for a refused text.
TEST_P(IdListTest, AcceptsOnePairOfParenthesesAroundTheWholeText) {
    ISensorController objController;
    std::vector<std::string> vecItems;
    const bool bAccepted = objController.parseSensorParameter(GetParam().first, vecItems);
    EXPECT_EQ(GetParam().second >= 0, bAccepted);
    if (bAccepted) {
        EXPECT_EQ(static_cast<size_t>(GetParam().second), vecItems.size());
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, IdListTest,
                         ::testing::Values(std::make_pair("(5)", 1), std::make_pair("(34,2337,144)", 3),
                                           std::make_pair("", -1), std::make_pair("()", -1),
                                           std::make_pair("5,6", -1), std::make_pair("(5)(6)", -1),
                                           std::make_pair(" (5)", -1), std::make_pair("(5) ", -1),
                                           std::make_pair("(5", -1)));

}  // namespace
