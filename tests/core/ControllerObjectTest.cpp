// The controller object before init: construction and destruction with the
// channel assignment by device type, and the key-command map with its search.
#include <climits>
#include <string>
#include <vector>

#include "ControllerAccess.h"
#include "ISensorController.h"
#include "IspSimulation.h"
#include "StartedControllers.h"
#include "core/KeyTable.h"
#include "platform/CameraPaths.h"

namespace {

struct ChannelCase {
    int deviceType;
    std::vector<int> channels;  // passed to setChannelID in turn
    int expectedChannel;
    bool expectedThermal;
};

class SetChannelTest : public DeviceFixture, public ::testing::WithParamInterface<ChannelCase> {};

TEST_P(SetChannelTest, ChannelAndThermalFlagFollowTheDeviceType) {
    const ChannelCase& stCase = GetParam();
    writeFile(camerapath::MACHINE_INFO_FILE,
              "[machine]\ndeviceType=" + std::to_string(stCase.deviceType) + "\nhardwareModel=Hi3516EV300\n");
    {
        ISensorController objController;
        ISensorControllerTestAccess access(objController);
        for (int nChannel : stCase.channels) objController.setChannelID(nChannel);
        EXPECT_EQ(stCase.expectedChannel, access.cameraId());
        EXPECT_EQ(stCase.expectedThermal, access.thermalChannel());
        EXPECT_FALSE(objController.getSensorStatus());
    }
    // A controller never started is destroyed without touching the device.
    EXPECT_TRUE(ispsim::calls().empty() && m_objVideo.notifications().empty());
    // Channels below 1 are refused with a report; type 13 ignores the value.
    const bool bRefused = stCase.deviceType != 13 && stCase.channels.back() < 1;
    EXPECT_EQ(bRefused, readFile(camerapath::ERROR_LOG_FILE).find("p_nChannelID >= 1") != std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(DeviceTypes, SetChannelTest,
                         ::testing::Values(ChannelCase{13, {1}, 2, true}, ChannelCase{13, {3}, 2, true},
                                           ChannelCase{14, {1}, 1, false}, ChannelCase{14, {2}, 2, true},
                                           ChannelCase{14, {2, 1}, 1, true}, ChannelCase{17, {2}, 2, true},
                                           ChannelCase{19, {2}, 2, true}, ChannelCase{23, {2}, 2, true},
                                           ChannelCase{1, {2}, 2, false}, ChannelCase{8, {2}, 2, false},
                                           ChannelCase{1, {3, 0}, 3, false}, ChannelCase{14, {2, -1}, 2, true},
                                           ChannelCase{1, {INT_MIN}, 1, false}, ChannelCase{13, {0}, 2, true}));

class KeyCmdMapTest : public StartedControllers {
protected:
    void SetUp() override {
        StartedControllers::SetUp();
        ASSERT_TRUE(start(camera()));
    }
    int find(u32 p_nKey) { return controller().findFromKeyCmdMap(access().keyCmdMap(), p_nKey, m_stRow); }

    keycmd m_stRow = keycmd();
};

TEST_F(KeyCmdMapTest, FindsRowsByKeyNotByCommandAndNamesKeepTheirFirst31Characters) {
    ASSERT_EQ(165u, access().keyCmdSum());
    ASSERT_EQ(85, find(KEY_MIXSTREAM_THERMAL_TO_VISION_SYNC_FOV));
    EXPECT_STREQ("KEY_MIXSTREAM_THERMAL_TO_VISION", m_stRow.key_name);
    EXPECT_STREQ("&ISensorController::doIoCrtl", m_stRow.func_name);
    find(KEY_MIXSTREAM_DISTANCE_HEIGHT_OFFSET);
    EXPECT_STREQ("KEY_MIXSTREAM_DISTANCE_HEIGHT_O", m_stRow.key_name);
    find(KEY_MIXSTREAM_DISTANCE_Y_OFFSET);  // exactly 31: kept whole
    EXPECT_STREQ("KEY_MIXSTREAM_DISTANCE_Y_OFFSET", m_stRow.key_name);
    // Keys 83 and 168 are also other rows' commands: the search is by key.
    EXPECT_EQ(0, find(KEY__DDE_MANUAL_STRG));
    EXPECT_EQ(164, find(KEY_WB_BG));
    EXPECT_EQ(19, find(KEY_IRIS_SIZE));
    EXPECT_EQ(85u, m_stRow.ia_cmd);
    EXPECT_TRUE(m_stRow.func == &ISensorController::doIaCmd);
    EXPECT_EQ(20, find(KEY_IRIS_UP));
    EXPECT_EQ(83u, m_stRow.ia_cmd);
    EXPECT_TRUE(m_stRow.func == &ISensorController::doIaCmd_User);
    EXPECT_EQ(156, find(KEY_IR_MODE_INTELL));
    EXPECT_TRUE(m_stRow.func == nullptr);
    EXPECT_STREQ("NULL", m_stRow.func_name);
}

TEST_F(KeyCmdMapTest, AMissingKeyLeavesTheRowUntouchedAndIsTraced) {
    setDebugControl("6\n");
    m_stRow.key = 777;
    testing::internal::CaptureStdout();
    EXPECT_EQ(-1, find(KEY_IR_MANUAL_STRG_MEDIUM_INTELL));
    // Key 0 matches only the spare rows, which are never searched.
    EXPECT_EQ(-1, find(0));
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStdout().find("cand not find key-cmd while key=201\n"));
    EXPECT_EQ(777u, m_stRow.key);
    EXPECT_EQ(-1, controller().findFromKeyCmdMap(nullptr, KEY_BRIGHTNESS, m_stRow));
}

// The intelligent twins 201..205 have names but no row; a cut name is no name.
TEST(KeyNamesTest, MaplessTwinsAreNamedAndNamesAreWhole) {
    EXPECT_STREQ("KEY_WHITE_MANUAL_STRG_FAR_INTELL", sensorkeys::keyNameOf(KEY_WHITE_MANUAL_STRG_FAR_INTELL));
    EXPECT_STREQ("KEY_MIXSTREAM_THERMAL_TO_VISION_SYNC_FOV",
                 sensorkeys::keyNameOf(KEY_MIXSTREAM_THERMAL_TO_VISION_SYNC_FOV));
    EXPECT_EQ(nullptr, sensorkeys::keyNameOf(12345));
    u32 nKey = 0;
    EXPECT_TRUE(sensorkeys::keyByName("KEY_IR_MANUAL_STRG_MEDIUM_INTELL", nKey));
    EXPECT_EQ(KEY_IR_MANUAL_STRG_MEDIUM_INTELL, nKey);
    EXPECT_FALSE(sensorkeys::keyByName("KEY_MIXSTREAM_THERMAL_TO_VISION", nKey));
    EXPECT_FALSE(sensorkeys::keyByName(nullptr, nKey));
}

}  // namespace
