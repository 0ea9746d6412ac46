// Correction of stored values by the ISP's dynamic-parameter ranges.
#include <string>
#include <vector>

#include "DeviceFixture.h"
#include "IspSimulation.h"
#include "SensorKeyVal.h"

namespace {

class KeyValCorrectTest : public DeviceFixture {
protected:
    // Channel 0 lists 49 and 56 with item lists and 82 with a plain range.
    void SetUp() override {
        DeviceFixture::SetUp();
        ispsim::SensorProfile stProfile;
        stProfile.ranges = {{49, 0, 100, 50, 250, {50, 100, 250}}, {82, 1, 700, 400, 2800, {}},
                            {56, 0, 6, 1, 9, {1, 6, 9}}};
        ispsim::setProfile(0, stProfile);
    }
    // keyval_correct on channel 0; its result, the values after and the output.
    int correct(std::vector<KeyVal>& p_vecRecords) {
        testing::internal::CaptureStdout();
        const int nResult = keyval_correct(0, p_vecRecords.data(), static_cast<u32>(p_vecRecords.size()));
        m_strOut = testing::internal::GetCapturedStdout();
        for (const KeyVal& stRecord : p_vecRecords) m_vecValues.push_back(stRecord.value);
        return nResult;
    }
    static size_t corrections() {
        size_t nCount = 0;
        for (const ispsim::Call& stCall : ispsim::calls()) nCount += stCall.option == IA_CMD_OPT_CORRECT_PARAM;
        return nCount;
    }
    std::string m_strOut;
    std::vector<u32> m_vecValues;
};

TEST_F(KeyValCorrectTest, ANullArrayIsRefusedWithoutAskingTheIsp) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(-1, keyval_correct(0, nullptr, 4));
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStdout().find("NULL != p_pKeyval"));
    EXPECT_TRUE(ispsim::calls().empty());
}

// Only the first record of a key is corrected; unlisted keys stay.
TEST_F(KeyValCorrectTest, ListedValuesBecomeTheNearestAcceptedOne) {
    std::vector<KeyVal> vecRecords = {{34, 7}, {49, 300}, {82, 5000}, {56, 4}, {49, 300}};
    EXPECT_EQ(0, correct(vecRecords));
    EXPECT_EQ((std::vector<u32>{7, 250, 2800, 6, 300}), m_vecValues);
    EXPECT_EQ(3u, corrections());
}

TEST_F(KeyValCorrectTest, AListedCommandWithoutARecordIsReportedAtAnyLevel) {
    setDebugControl("0\n");
    std::vector<KeyVal> vecRecords = {{49, 100}, {56, 9}};
    EXPECT_EQ(0, correct(vecRecords));
    EXPECT_NE(std::string::npos, m_strOut.find("cmd_list[1]=82\n"));
    EXPECT_EQ(std::string::npos, m_strOut.find("cmd_list[0]"));
    EXPECT_EQ(2u, corrections());
}

TEST_F(KeyValCorrectTest, AnUnreadListCorrectsNothing) {
    ispsim::failCommand(0, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, -3);
    std::vector<KeyVal> vecRecords = {{49, 300}};
    EXPECT_EQ(0, correct(vecRecords));
    EXPECT_NE(std::string::npos, m_strOut.find("IA_CMD_DYNAMIC_PARAMS_CMDS_GET"));
    EXPECT_EQ(std::vector<u32>{300}, m_vecValues);
    EXPECT_EQ(0u, corrections());
}

}  // namespace
