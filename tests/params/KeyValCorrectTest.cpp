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
    static size_t corrections() {
        size_t nCount = 0;
        for (const ispsim::Call& stCall : ispsim::calls()) nCount += stCall.option == IA_CMD_OPT_CORRECT_PARAM;
        return nCount;
    }
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
    EXPECT_EQ(0, keyval_correct(0, vecRecords.data(), static_cast<u32>(vecRecords.size())));
    const std::vector<u32> vecExpected = {7, 250, 2800, 6, 300};
    for (size_t i = 0; i < vecRecords.size(); ++i) EXPECT_EQ(vecExpected[i], vecRecords[i].value) << i;
    EXPECT_EQ(3u, corrections());
}

TEST_F(KeyValCorrectTest, AListedCommandWithoutARecordIsReportedAtAnyLevel) {
    setDebugControl("0\n");
    std::vector<KeyVal> vecRecords = {{49, 100}, {56, 9}};
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, keyval_correct(0, vecRecords.data(), 2));
    const std::string strOut = testing::internal::GetCapturedStdout();
    EXPECT_NE(std::string::npos, strOut.find("cmd_list[1]=82\n"));
    EXPECT_EQ(std::string::npos, strOut.find("cmd_list[0]"));
    EXPECT_EQ(2u, corrections());
}

TEST_F(KeyValCorrectTest, AnUnreadListCorrectsNothing) {
    ispsim::failCommand(0, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, -3);
    std::vector<KeyVal> vecRecords = {{49, 300}};
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, keyval_correct(0, vecRecords.data(), 1));
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStdout().find("IA_CMD_DYNAMIC_PARAMS_CMDS_GET"));
    EXPECT_EQ(300u, vecRecords[0].value);
    EXPECT_EQ(0u, corrections());
}

}  // namespace
