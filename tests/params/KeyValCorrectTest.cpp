// Correction of stored values by the ISP's dynamic-parameter ranges.
#include <string>
#include <vector>

#include "DeviceFixture.h"
#include "IspSimulation.h"
#include "SensorKeyVal.h"

namespace {

class KeyValCorrectTest : public DeviceFixture {
protected:
    // Channel 0 lists 49 (items), 82 (plain range) and 56 (items).
    void SetUp() override {
        DeviceFixture::SetUp();
        ispsim::SensorProfile stProfile;
        stProfile.name = "test";
        stProfile.ranges.push_back({49, 0, 100, 50, 250, {50, 100, 250}});
        stProfile.ranges.push_back({82, 1, 700, 400, 2800, {}});
        stProfile.ranges.push_back({56, 0, 6, 1, 9, {1, 6, 9}});
        ispsim::setProfile(0, stProfile);
    }
    static std::vector<ispsim::Call> corrections() {
        std::vector<ispsim::Call> vecCorrections;
        for (const ispsim::Call& stCall : ispsim::calls())
            if (stCall.option == IA_CMD_OPT_CORRECT_PARAM) vecCorrections.push_back(stCall);
        return vecCorrections;
    }
};

TEST_F(KeyValCorrectTest, ANullArrayIsRefusedWithoutAskingTheIsp) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(-1, keyval_correct(0, nullptr, 4));
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStdout().find("NULL != p_pKeyval"));
    EXPECT_TRUE(ispsim::calls().empty());
}

TEST_F(KeyValCorrectTest, ListedValuesAreReplacedByTheNearestAcceptedOne) {
    std::vector<KeyVal> vecRecords = {{34, 7}, {49, 300}, {82, 5000}, {56, 4}};
    EXPECT_EQ(0, keyval_correct(0, vecRecords.data(), static_cast<u32>(vecRecords.size())));
    EXPECT_EQ(7u, vecRecords[0].value);
    EXPECT_EQ(250u, vecRecords[1].value);
    EXPECT_EQ(2800u, vecRecords[2].value);
    EXPECT_EQ(6u, vecRecords[3].value);
    ASSERT_EQ(3u, corrections().size());
    EXPECT_EQ(0, corrections()[0].channel);
}

TEST_F(KeyValCorrectTest, OnlyTheFirstRecordOfAKeyIsCorrected) {
    std::vector<KeyVal> vecRecords = {{49, 300}, {49, 300}};
    EXPECT_EQ(0, keyval_correct(0, vecRecords.data(), 2));
    EXPECT_EQ(250u, vecRecords[0].value);
    EXPECT_EQ(300u, vecRecords[1].value);
}

TEST_F(KeyValCorrectTest, AListedCommandWithoutARecordIsReportedAtAnyLevel) {
    setDebugControl("0\n");
    std::vector<KeyVal> vecRecords = {{49, 100}, {56, 9}};
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, keyval_correct(0, vecRecords.data(), 2));
    const std::string strOut = testing::internal::GetCapturedStdout();
    EXPECT_NE(std::string::npos, strOut.find("cmd_list[1]=82\n"));
    EXPECT_EQ(std::string::npos, strOut.find("cmd_list[0]"));
    for (const ispsim::Call& stCall : corrections()) EXPECT_NE(82, stCall.cmd);
    EXPECT_EQ(2u, corrections().size());
}

TEST_F(KeyValCorrectTest, NoListedCommandsLeaveTheArrayUntouched) {
    ispsim::setProfile(0, ispsim::SensorProfile());
    std::vector<KeyVal> vecRecords = {{49, 300}};
    EXPECT_EQ(0, keyval_correct(0, vecRecords.data(), 1));
    EXPECT_EQ(300u, vecRecords[0].value);
    EXPECT_EQ(1u, ispsim::calls().size());
}

TEST_F(KeyValCorrectTest, AnUnreadListCorrectsNothing) {
    ispsim::failCommand(0, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, -3);
    std::vector<KeyVal> vecRecords = {{49, 300}};
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, keyval_correct(0, vecRecords.data(), 1));
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStdout().find("IA_CMD_DYNAMIC_PARAMS_CMDS_GET"));
    EXPECT_EQ(300u, vecRecords[0].value);
    EXPECT_TRUE(corrections().empty());
}

TEST_F(KeyValCorrectTest, ARefusedCorrectionKeepsTheValueAndTheRunGoesOn) {
    ispsim::failCommand(0, 49, -1);
    std::vector<KeyVal> vecRecords = {{49, 300}, {56, 4}};
    testing::internal::CaptureStdout();
    EXPECT_EQ(0, keyval_correct(0, vecRecords.data(), 2));
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStdout().find("IA_CMD_OPT_CORRECT_PARAM"));
    EXPECT_EQ(300u, vecRecords[0].value);
    EXPECT_EQ(6u, vecRecords[1].value);
}

TEST_F(KeyValCorrectTest, TheCorrectionUsesTheGivenChannel) {
    std::vector<KeyVal> vecRecords = {{49, 300}};
    EXPECT_EQ(0, keyval_correct(1, vecRecords.data(), 1));
    EXPECT_EQ(300u, vecRecords[0].value);
    ASSERT_FALSE(ispsim::calls().empty());
    EXPECT_EQ(1, ispsim::calls()[0].channel);
}

}  // namespace
