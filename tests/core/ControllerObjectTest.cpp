// The controller object before init: what construction leaves, the channel
// assignment by device type, and destruction of a never-started controller.
#include <string>
#include <vector>

#include "ControllerAccess.h"
#include "DeviceFixture.h"
#include "ISensorController.h"
#include "IspSimulation.h"

namespace {

TEST_F(DeviceFixture, AFreshControllerIsEmptyAndItsDestructionTouchesNothing) {
    {
        ISensorController objController;
        ISensorControllerTestAccess access(objController);
        EXPECT_EQ(1, access.cameraId());
        EXPECT_EQ(-1, access.curScheme());
        EXPECT_EQ(1, access.paramMode());
        EXPECT_EQ(nullptr, access.userKeyVal());
        EXPECT_EQ(nullptr, access.keyCmdMap());
        EXPECT_TRUE(access.threadExists());
        EXPECT_FALSE(objController.getSensorStatus());
        access.stateFlags() = SENSOR_STATE_INITIALISED;
        EXPECT_TRUE(objController.getSensorStatus());
        access.stateFlags() = 0;
    }
    EXPECT_TRUE(ispsim::calls().empty());
    EXPECT_TRUE(m_objVideo.notifications().empty());
}

struct ChannelCase {
    int deviceType;
    std::vector<int> channels;  // passed to setChannelID in turn
    int expectedChannel;
    bool expectedThermal;
};

class SetChannelTest : public DeviceFixture, public ::testing::WithParamInterface<ChannelCase> {};

TEST_P(SetChannelTest, ChannelAndThermalFlagFollowTheDeviceType) {
    const ChannelCase& stCase = GetParam();
    writeFile("/mnt/mtd/code/factory_setting/machineinfo.ini",
              "[machine]\ndeviceType=" + std::to_string(stCase.deviceType) + "\nhardwareModel=Hi3516EV300\n");
    ISensorController objController;
    ISensorControllerTestAccess access(objController);
    for (int nChannel : stCase.channels) objController.setChannelID(nChannel);
    EXPECT_EQ(stCase.expectedChannel, access.cameraId());
    EXPECT_EQ(stCase.expectedThermal, access.thermalChannel());
}

INSTANTIATE_TEST_SUITE_P(
    DeviceTypes, SetChannelTest,
    ::testing::Values(ChannelCase{13, {1}, 2, true}, ChannelCase{13, {3}, 2, true}, ChannelCase{14, {1}, 1, false},
                      ChannelCase{14, {2}, 2, true}, ChannelCase{14, {2, 1}, 1, true}, ChannelCase{17, {2}, 2, true},
                      ChannelCase{19, {2}, 2, true}, ChannelCase{23, {2}, 2, true}, ChannelCase{1, {2}, 2, false},
                      ChannelCase{8, {2}, 2, false}));

}  // namespace
