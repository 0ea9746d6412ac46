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
    // keyval_correct on channel 0: its result, the values after, the output
    // and how many corrections the ISP was asked for.
    int correct(std::vector<KeyVal> p_vecRecords) {
        testing::internal::CaptureStdout();
        const int nResult = keyval_correct(0, p_vecRecords.data(), static_cast<u32>(p_vecRecords.size()));
        m_strOut = testing::internal::GetCapturedStdout();
        m_vecValues.clear();
        for (const KeyVal& stRecord : p_vecRecords) m_vecValues.push_back(stRecord.value);
        m_nCorrections = 0;
        for (const ispsim::Call& stCall : ispsim::calls()) m_nCorrections += stCall.option == IA_CMD_OPT_CORRECT_PARAM;
        ispsim::clearCalls();
        return nResult;
    }
    std::string m_strOut;
    std::vector<u32> m_vecValues;
    size_t m_nCorrections = 0;
};

// Only the first record of a key is corrected; unlisted keys stay; a listed
// command without a record is reported at any level.
TEST_F(KeyValCorrectTest, ListedValuesBecomeTheNearestAcceptedOne) {
    setDebugControl("0\n");
    EXPECT_EQ(0, correct({{34, 7}, {49, 300}, {82, 5000}, {56, 4}, {49, 300}}));
    EXPECT_EQ((std::vector<u32>{7, 250, 2800, 6, 300}), m_vecValues);
    EXPECT_EQ(3u, m_nCorrections);
    EXPECT_EQ(0, correct({{49, 100}, {56, 9}}));
    EXPECT_NE(std::string::npos, m_strOut.find("cmd_list[1]=82\n"));
    EXPECT_EQ(std::string::npos, m_strOut.find("cmd_list[0]"));
    EXPECT_EQ(2u, m_nCorrections);
}

TEST_F(KeyValCorrectTest, ANullArrayOrAnUnreadListCorrectsNothing) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(-1, keyval_correct(0, nullptr, 4));
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStdout().find("NULL != p_pKeyval"));
    EXPECT_TRUE(ispsim::calls().empty());
    ispsim::failCommand(0, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, -3);
    EXPECT_EQ(0, correct({{49, 300}}));
    EXPECT_NE(std::string::npos, m_strOut.find("IA_CMD_DYNAMIC_PARAMS_CMDS_GET"));
    EXPECT_EQ(std::vector<u32>{300}, m_vecValues);
    EXPECT_EQ(0u, m_nCorrections);
}

}  // namespace
