// The factory set read out of a fitted style: pre-order records, the
// caller's capacity, and what the fitting contributes.
#include <string>
#include <utility>
#include <vector>

#include "DeviceFixture.h"
#include "StyleTestSupport.h"

using namespace styletest;

namespace {

typedef std::vector<std::pair<u32, u32>> Records;

const u32 kSentinel = 0xA5A5A5A5u;

class FactoryDefaultsTest : public DeviceFixture {
protected:
    void SetUp() override {
        DeviceFixture::SetUp();
        setRanges(0, {});
    }
    // getFctData on channel 1 into an array of p_nRoom records (and two guard
    // records past it), keeping what it printed; the records it reported.
    Records collect(const std::string& p_strStyle, u32 p_nRoom, bool p_bShowWdr = false) {
        m_vecArray.assign(p_nRoom + 2, KeyVal{kSentinel, kSentinel});
        std::vector<char> vecStyle(p_strStyle.begin(), p_strStyle.end());
        vecStyle.push_back('\0');
        m_nCount = kSentinel;
        m_strStdout = printedBy([&] {
            EXPECT_EQ(SNS_SUCCESS, getFctData(1, vecStyle.data(), m_vecArray.data(), &m_nCount, p_bShowWdr, p_nRoom));
        });
        Records vecRecords;
        for (u32 i = 0; i < m_nCount && i < m_vecArray.size(); ++i)
            vecRecords.emplace_back(m_vecArray[i].key, m_vecArray[i].value);
        return vecRecords;
    }
    std::vector<KeyVal> m_vecArray;
    u32 m_nCount = 0;
    std::string m_strStdout;
};

TEST_F(FactoryDefaultsTest, RecordsFollowDocumentOrderEachElementBeforeItsChildren) {
    EXPECT_EQ((Records{{1, 2}, {34, 50}, {3, 4}, {34, 60}, {5, 0xFFFFFFFFu}}),
              collect("<s><tab id=\"1\" value=\"2\"><p id=\"34\" value=\"50\"><o id=\"3\" value=\"4\"/></p>"
                      "<p id=\"35\"/><p value=\"9\"/><p id=\"34\" value=\"60\"/></tab><p id=\"5\" value=\"-1\"/></s>",
                      170));
    EXPECT_EQ(kSentinel, m_vecArray[5].key);
    EXPECT_TRUE(collect("<s><tab><p id=\"34\"/></tab></s>", 170).empty());
    EXPECT_EQ(0u, m_nCount);
    // An empty style gives an empty set, with a report.
    EXPECT_TRUE(collect("", 170).empty());
    EXPECT_EQ(0u, m_nCount);
    EXPECT_TRUE(reports(m_strStdout, "objDnaStyleDoc.LoadMem(strDnaStyle.c_str(), TIXML_ENCODING_UTF8)"));
}

TEST_F(FactoryDefaultsTest, TheFittedDefaultsAndTheFlagsShapeTheSet) {
    setRanges(0, {range(34, 70, {70}), range(50, 6, {4, 9}), range(49, 6, {1})});
    const std::string strStyle =
        "<s><p id=\"8000\" value=\"0\"/><p id=\"10\" value=\"0\"/><p id=\"34\" value=\"50\"/>"
        "<p id=\"50\" value=\"9\"/><p id=\"49\" value=\"205\"><o index=\"5\"/></p><p id=\"10\" value=\"1\"/></s>";
    EXPECT_EQ((Records{{8000, 0}, {10, 0}, {34, 70}, {50, 9}, {49, 5}, {10, 1}}), collect(strStyle, 170, false));
    EXPECT_EQ((Records{{8000, 0}, {10, 0}, {34, 70}, {50, 9}, {49, 5}}), collect(strStyle, 170, true));
}

TEST_F(FactoryDefaultsTest, TheSurplusOverTheCapacityIsDroppedWithAReport) {
    EXPECT_EQ((Records{{1, 1}, {2, 2}}),
              collect("<s><p id=\"1\" value=\"1\"/><tab><p id=\"2\" value=\"2\"/><p id=\"3\" value=\"3\"/></tab>"
                      "<p id=\"4\" value=\"4\"/></s>",
                      2));
    EXPECT_EQ(kSentinel, m_vecArray[2].key);
    EXPECT_EQ(kSentinel, m_vecArray[3].value);
    EXPECT_TRUE(reports(m_strStdout, "*p_pnKeyValNum < p_nCapacity"));
    EXPECT_TRUE(reports(m_strStdout, "SNS_SUCCESS == style2KeyVal(pRootNode, p_pKeyVal, p_pnKeyValNum)"));
    EXPECT_NE(std::string::npos, m_strStdout.find("p_pnKeyValNum(2)"));
    // Exactly filling the array is no failure.
    EXPECT_EQ((Records{{1, 1}, {2, 2}}), collect("<s><p id=\"1\" value=\"1\"/><p id=\"2\" value=\"2\"/></s>", 2));
    EXPECT_EQ(std::string::npos, m_strStdout.find("Assertion failed"));
}

}  // namespace
