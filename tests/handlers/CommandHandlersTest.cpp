// The gates of the command handlers and what each handler hands to the ISP
// and the video module.
#include "../params/ControllerFixture.h"

namespace {

using Commands = std::vector<int>;
using Notes = std::vector<std::pair<int, int>>;

class HandlerTest : public ControllerFixture {
protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        layOut({{34, 0}});
    }
    int call(SensorKeyHandler p_pHandler, u32 p_nKey, int p_nVal) {
        m_nValue = p_nVal;
        return (m_pController.get()->*p_pHandler)(p_nKey, 0, &m_nValue);
    }
    int m_nValue = 0;
};

// Only the lens commands at both ends of the zoom/focus block are held back.
TEST_F(HandlerTest, TheZoomFocusLockHoldsBackTheLensCommands) {
    for (const std::pair<u32, bool>& stCase : std::vector<std::pair<u32, bool>>{
             {1535, true}, {1536, false}, {1584, false}, {1616, false}, {1617, true}}) {
        const int nCmd = static_cast<int>(stCase.first);
        m_pAccess->zoomFocusParam().setLockZoomFocusEnable(true);
        EXPECT_EQ(SNS_SUCCESS, call(&ISensorController::doIaCmd, stCase.first, 5));
        EXPECT_EQ(stCase.second, sent(nCmd) == Commands{5}) << nCmd;
        m_pAccess->zoomFocusParam().setLockZoomFocusEnable(false);
        call(&ISensorController::doIaCmd, stCase.first, 6);
        EXPECT_EQ(6, sent(nCmd).back()) << nCmd;
    }
}

// After a restart (shutter idle) one shutter adjustment passes the start's gate.
TEST_F(HandlerTest, ActionKeysWaitForTheEndOfABulkOperation) {
    for (const std::pair<u32, bool>& stCase : std::vector<std::pair<u32, bool>>{
             {0, true}, {1, false}, {2, true}, {4, true}, {8, false}, {16, false}, {32, false}}) {
        SCOPED_TRACE(stCase.first);
        ispsim::clearCalls();
        m_pAccess->stateFlags() = stCase.first;
        EXPECT_EQ(SNS_SUCCESS, call(&ISensorController::doIaCmd_User, KEY_ZOOM_IN, 1));
        EXPECT_EQ(SNS_SUCCESS, call(&ISensorController::doIaCmdShutter, KEY_SHUTTER_ADJUST, 1));
        const Commands vecExpected = stCase.second ? Commands{1} : Commands{};
        EXPECT_EQ(vecExpected, sent(KEY_ZOOM_IN));
        EXPECT_EQ(vecExpected, sent(KEY_SHUTTER_ADJUST));
    }
    ispsim::clearCalls();
    m_pAccess->shutterIdle() = true;
    m_pAccess->stateFlags() = SENSOR_STATE_INIT_RUNNING;
    call(&ISensorController::doIaCmdShutter, KEY_SHUTTER_ADJUST, 3);
    call(&ISensorController::doIaCmdShutter, KEY_SHUTTER_ADJUST, 4);
    EXPECT_EQ(Commands{3}, sent(KEY_SHUTTER_ADJUST));
    EXPECT_FALSE(m_pAccess->shutterIdle());
    m_pAccess->stateFlags() = 0;
}

TEST_F(HandlerTest, AutoFocusOnceNeedsALensAndOnAVisibleChannelAValue) {
    call(&ISensorController::doIaCmd_User, KEY_AUTO_FOCUS_ONCE, 0);
    call(&ISensorController::doIaCmd_User, KEY_AUTO_FOCUS_ONCE, 1);
    m_pAccess->thermalChannel() = true;
    call(&ISensorController::doIaCmd_User, KEY_AUTO_FOCUS_ONCE, 0);
    m_pAccess->hasLens() = false;
    call(&ISensorController::doIaCmd_User, KEY_AUTO_FOCUS_ONCE, 1);
    EXPECT_EQ((Commands{1, 0}), sent(KEY_AUTO_FOCUS_ONCE));
}

TEST_F(HandlerTest, WideDynamicRangeIsAnnouncedAndReturnsTheVideoAnswer) {
    ispsim::failCommand(-1, 2368, -1);
    EXPECT_EQ(SNS_SUCCESS, call(&ISensorController::doHwdr, 2368, 2));
    EXPECT_EQ((Notes{{2370, 0}, {2368, 2}, {2370, 1}}), notified());
    m_objVideo.setNotifyResult(-3);
    EXPECT_EQ(-3, call(&ISensorController::doHwdr, 2368, 2));
    m_pAccess->showWdr() = false;
    m_objVideo.clearNotifications();
    EXPECT_EQ(SNS_SUCCESS, call(&ISensorController::doHwdr, 2368, 2));
    EXPECT_EQ(0, m_nValue);
    EXPECT_TRUE(notified().empty());
    EXPECT_EQ(-1, m_pController->doHwdr(2368, 0, nullptr));
}

TEST_F(HandlerTest, EachHandlerReturnsTheStatusItIsMeantToReturn) {
    m_objVideo.setNotifyResult(-3);
    EXPECT_EQ(SNS_SUCCESS, call(&ISensorController::doDIS, 2416, 1));
    EXPECT_EQ(-3, call(&ISensorController::doImageAdjust, 2432, 1));
    EXPECT_EQ(SNS_SUCCESS, call(&ISensorController::doIaCmd_PanoTuning, 9102, 7));
    EXPECT_EQ(SNS_SUCCESS, call(&ISensorController::test_debugParam, 190, 1));
    ispsim::failCommand(-1, 2416, -1);
    ispsim::failCommand(-1, 2432, -1);
    EXPECT_EQ(-1, call(&ISensorController::doDIS, 2416, 1));
    EXPECT_EQ(-3, call(&ISensorController::doImageAdjust, 2432, 1));
    EXPECT_TRUE(sent(9102).empty());
    EXPECT_TRUE(sent(190).empty());
    EXPECT_EQ((Notes{{2416, 1}, {2432, 1}, {9102, 7}, {190, 1}, {2416, 1}, {2432, 1}}), notified());
    // Without a video module notifications succeed.
    m_pController->setVideoStreamModule(nullptr);
    m_objVideo.clearNotifications();
    EXPECT_EQ(SNS_SUCCESS, call(&ISensorController::doIaCmd_PanoTuning, 9102, 7));
    EXPECT_EQ(SNS_SUCCESS, call(&ISensorController::doImageAdjust, 2432, 1));
    EXPECT_TRUE(notified().empty());
}

TEST_F(DeviceFixture, AThermalOnlyDeviceNotifiesVideoChannelOne) {
    const std::string strMachineInfo = "/mnt/mtd/code/factory_setting/machineinfo.ini";
    writeFile(strMachineInfo, "[machine]\ndeviceType=13\n");
    ISensorController objThermal;
    writeFile(strMachineInfo, "[machine]\ndeviceType=14\n");
    ISensorController objDual;
    for (ISensorController* pController : {&objThermal, &objDual}) {
        pController->setChannelID(2);
        pController->setVideoStreamModule(&m_objVideo);
        pController->notifyToVideo(2384, 1);
    }
    ASSERT_EQ(2u, m_objVideo.notifications().size());
    EXPECT_EQ(1, m_objVideo.notifications()[0].channel);
    EXPECT_EQ(2, m_objVideo.notifications()[1].channel);
}

}  // namespace
