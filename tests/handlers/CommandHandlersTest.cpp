// The gates of the command handlers and what each handler hands to the ISP
// and the video module: day/night records built from companion keys, the
// mirror/scene swap and the shutter steps through the ISP's allowed values.
#include <vector>

#include "../params/ControllerFixture.h"

namespace {

using Commands = std::vector<int>;
using Words = std::vector<int>;
using Notes = std::vector<std::pair<int, int>>;

class HandlerTest : public ControllerFixture {
protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        layOut({{34, 0}});
    }
    int call(SensorKeyHandler p_pHandler, u32 p_nKey, int p_nVal) {
        m_nValue = p_nVal;
        return (controller().*p_pHandler)(p_nKey, 0, &m_nValue);
    }
    int m_nValue = 0;
};

// Only the lens commands at both ends of the zoom/focus block are held back.
TEST_F(HandlerTest, TheZoomFocusLockHoldsBackTheLensCommands) {
    for (const std::pair<u32, bool>& stCase : std::vector<std::pair<u32, bool>>{
             {1535, true}, {1536, false}, {1584, false}, {1616, false}, {1617, true}}) {
        const int nCmd = static_cast<int>(stCase.first);
        access().zoomFocusParam().setLockZoomFocusEnable(true);
        EXPECT_EQ(SNS_SUCCESS, call(&ISensorController::doIaCmd, stCase.first, 5));
        EXPECT_EQ(stCase.second, sentValues(nCmd) == Commands{5}) << nCmd;
        access().zoomFocusParam().setLockZoomFocusEnable(false);
        call(&ISensorController::doIaCmd, stCase.first, 6);
        EXPECT_EQ(6, sentValues(nCmd).back()) << nCmd;
    }
}

// After a restart (shutter idle) one shutter adjustment passes the start's gate.
TEST_F(HandlerTest, ActionKeysWaitForTheEndOfABulkOperation) {
    for (const std::pair<u32, bool>& stCase : std::vector<std::pair<u32, bool>>{
             {0, true}, {1, false}, {2, true}, {4, true}, {8, false}, {16, false}, {32, false}}) {
        SCOPED_TRACE(stCase.first);
        ispsim::clearCalls();
        access().stateFlags() = stCase.first;
        EXPECT_EQ(SNS_SUCCESS, call(&ISensorController::doIaCmd_User, KEY_ZOOM_IN, 1));
        EXPECT_EQ(SNS_SUCCESS, call(&ISensorController::doIaCmdShutter, KEY_SHUTTER_ADJUST, 1));
        const Commands vecExpected = stCase.second ? Commands{1} : Commands{};
        EXPECT_EQ(vecExpected, sentValues(KEY_ZOOM_IN));
        EXPECT_EQ(vecExpected, sentValues(KEY_SHUTTER_ADJUST));
    }
    ispsim::clearCalls();
    access().shutterIdle() = true;
    access().stateFlags() = SENSOR_STATE_INIT_RUNNING;
    call(&ISensorController::doIaCmdShutter, KEY_SHUTTER_ADJUST, 3);
    call(&ISensorController::doIaCmdShutter, KEY_SHUTTER_ADJUST, 4);
    EXPECT_EQ(Commands{3}, sentValues(KEY_SHUTTER_ADJUST));
    EXPECT_FALSE(access().shutterIdle());
    access().stateFlags() = 0;
}

TEST_F(HandlerTest, AutoFocusOnceNeedsALensAndOnAVisibleChannelAValue) {
    call(&ISensorController::doIaCmd_User, KEY_AUTO_FOCUS_ONCE, 0);
    call(&ISensorController::doIaCmd_User, KEY_AUTO_FOCUS_ONCE, 1);
    access().thermalChannel() = true;
    call(&ISensorController::doIaCmd_User, KEY_AUTO_FOCUS_ONCE, 0);
    access().hasLens() = false;
    call(&ISensorController::doIaCmd_User, KEY_AUTO_FOCUS_ONCE, 1);
    EXPECT_EQ((Commands{1, 0}), sentValues(KEY_AUTO_FOCUS_ONCE));
}

TEST_F(HandlerTest, WideDynamicRangeIsAnnouncedAndReturnsTheVideoAnswer) {
    ispsim::failCommand(-1, 2368, -1);
    EXPECT_EQ(SNS_SUCCESS, call(&ISensorController::doHwdr, 2368, 2));
    EXPECT_EQ((Notes{{2370, 0}, {2368, 2}, {2370, 1}}), notified());
    m_objVideo.setNotifyResult(-3);
    EXPECT_EQ(-3, call(&ISensorController::doHwdr, 2368, 2));
    access().showWdr() = false;
    m_objVideo.clearNotifications();
    EXPECT_EQ(SNS_SUCCESS, call(&ISensorController::doHwdr, 2368, 2));
    EXPECT_EQ(0, m_nValue);
    EXPECT_TRUE(notified().empty());
    EXPECT_EQ(-1, controller().doHwdr(2368, 0, nullptr));
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
    EXPECT_TRUE(sentValues(9102).empty());
    EXPECT_TRUE(sentValues(190).empty());
    EXPECT_EQ((Notes{{2416, 1}, {2432, 1}, {9102, 7}, {190, 1}, {2416, 1}, {2432, 1}}), notified());
    // Without a video module notifications succeed.
    controller().setVideoStreamModule(nullptr);
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

// The words of the last record sent with a command, in field order.
Words recordSent(int p_nCmd, size_t p_nWords) {
    Words vecWords;
    const std::vector<ispsim::Call> vecCalls = ispsim::setCalls(p_nCmd);
    for (size_t i = 0; i < p_nWords && !vecCalls.empty(); ++i) vecWords.push_back(vecCalls.back().wordIn(i));
    return vecWords;
}

class DayNightTest : public ControllerFixture {
protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        layOut({{145, 30}, {146, 60}, {154, 2}, {149, 18}, {150, 30}, {151, 6}, {152, 0}});
    }
};

TEST_F(DayNightTest, RecordsTakeTheCompanionsOfTheCurrentScheme) {
    EXPECT_EQ(SNS_SUCCESS, controller().setParameter(KEY_NTD_THR, 70, true));
    EXPECT_EQ((Words{30, 70, 2}), recordSent(146, 3));
    EXPECT_EQ(SNS_SUCCESS, controller().setParameter(KEY_DN_SENSITIVITY, 5, true));
    EXPECT_EQ((Words{30, 70, 5}), recordSent(154, 3));
    EXPECT_EQ(70, stored(146));
    store(149, 99, 0);
    access().curScheme() = 1;
    EXPECT_EQ(SNS_SUCCESS, controller().setParameter(KEY_NTD_M, 15, true));
    EXPECT_EQ((Words{18, 30, 6, 15}), recordSent(152, 4));
}

TEST_F(DayNightTest, ACompanionTheSchemeLacksIsSentAsZero) {
    layOut({{145, 30}, {149, 18}});
    int nValue = 40;
    controller().doDNThr(KEY_NTD_THR, 0, &nValue);
    controller().doDNTime(KEY_DTN_M, 0, &nValue);
    EXPECT_EQ((Words{30, 40, 0}), recordSent(146, 3));
    EXPECT_EQ((Words{18, 40, 0, 0}), recordSent(150, 4));
    EXPECT_EQ(40, nValue);
}

TEST_F(DayNightTest, ARefusedThresholdPassesOnlyWhileStoredValuesAreRestored) {
    ispsim::failCommand(-1, 145, -1);
    ispsim::failCommand(-1, 149, -1);
    int nValue = 20;
    EXPECT_EQ(-1, controller().doDNThr(KEY_DTN_THR, 0, &nValue));
    access().stateFlags() = SENSOR_STATE_RETURNING;
    EXPECT_EQ(SNS_SUCCESS, controller().doDNThr(KEY_DTN_THR, 0, &nValue));
    EXPECT_EQ(-1, controller().doDNTime(KEY_DTN_H, 0, &nValue));
    access().stateFlags() = 0;
}

class SceneTest : public ControllerFixture {
protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        layOut({{2384, 0}, {2385, 0}});
    }
    void TearDown() override {
        setshowBeawayFalg(true);
        ControllerFixture::TearDown();
    }
};

// Scene, mirror given, mirror sent: scene mode swaps mirror 1 and 2, but the
// scheme keeps the given value.
TEST_F(SceneTest, SceneModeSwapsMirrorOneAndTwo) {
    for (const Words& vecCase : std::vector<Words>{
             {0, 1, 1}, {0, 2, 2}, {1, 1, 2}, {1, 2, 1}, {1, 3, 3}, {5, 2, 1}, {0, 3, 3}}) {
        SCOPED_TRACE(::testing::PrintToString(vecCase));
        store(2385, vecCase[0]);
        ispsim::clearCalls();
        m_objVideo.clearNotifications();
        EXPECT_EQ(SNS_SUCCESS, controller().setParameter(KEY_MIRROR, vecCase[1], true));
        EXPECT_EQ(Words{vecCase[2]}, recordSent(2384, 1));
        EXPECT_EQ((Notes{{2384, vecCase[2]}}), notified());
        EXPECT_EQ(vecCase[1], stored(2384));
        store(2384, 0);
    }
}

TEST_F(SceneTest, SceneChangeResendsTheStoredMirrorFirst) {
    store(2384, 2);
    EXPECT_EQ(SNS_SUCCESS, controller().setParameter(KEY_BEAWAY, 1, true));
    EXPECT_EQ((Notes{{2384, 1}, {2385, 1}}), notified());
    ASSERT_EQ(2u, ispsim::calls().size());
    EXPECT_EQ(2384, ispsim::calls()[0].cmd);
    EXPECT_EQ(2385, ispsim::calls()[1].cmd);
    EXPECT_EQ((Words{1}), recordSent(2384, 1));
    EXPECT_EQ(SNS_SUCCESS, controller().setParameter(KEY_BEAWAY, 0, true));
    EXPECT_EQ((Words{2}), recordSent(2384, 1));
    EXPECT_EQ(2, stored(2384));
}

TEST_F(SceneTest, WithoutTheSceneItemTheSceneIsForcedOff) {
    controller().setShowBeawayFalg(false);
    EXPECT_EQ(SNS_SUCCESS, controller().setParameter(KEY_BEAWAY, 1, true));
    EXPECT_TRUE(ispsim::calls().empty());
    EXPECT_TRUE(notified().empty());
    EXPECT_EQ(0, stored(2385));
}

class ShutterSteppingTest : public ControllerFixture {
protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        layOut({{KEY_MAX_SHUTTER, 40}});
        allow({10, 20, 40, 80});
        current(40);
    }
    static void allow(const std::vector<int>& p_vecItems) {
        ispsim::SensorProfile stProfile;
        stProfile.ranges = {{KEY_MAX_SHUTTER, 0, 10, 0, 0, p_vecItems}};
        ispsim::setProfile(0, stProfile);
    }
    // The ISP's and the cache's current value.
    void current(int p_nValue) {
        ispsim::setValue(0, KEY_MAX_SHUTTER, p_nValue);
        store(KEY_MAX_SHUTTER, p_nValue);
        ispsim::clearCalls();
    }
};

TEST_F(ShutterSteppingTest, StepsStopAtBothEndsOfTheListAndIndexesOutsideItAreRefused) {
    int nIndex = -1;
    EXPECT_TRUE(controller().getShutterValue(nIndex));
    EXPECT_EQ(2, nIndex);
    EXPECT_TRUE(controller().shutterUp());
    EXPECT_TRUE(controller().shutterUp());
    EXPECT_EQ(std::vector<int>{80}, sentValues(KEY_MAX_SHUTTER));
    EXPECT_EQ(80, stored(KEY_MAX_SHUTTER));
    current(20);
    EXPECT_TRUE(controller().shutterDown());
    EXPECT_TRUE(controller().shutterDown());
    EXPECT_EQ(std::vector<int>{10}, sentValues(KEY_MAX_SHUTTER));
    EXPECT_EQ(10, stored(KEY_MAX_SHUTTER));

    ispsim::clearCalls();
    EXPECT_FALSE(controller().setShutterValue(4));
    EXPECT_FALSE(controller().setShutterValue(-1));
    EXPECT_TRUE(sentValues(KEY_MAX_SHUTTER).empty());
    EXPECT_TRUE(controller().setShutterValue(3));
    EXPECT_EQ(std::vector<int>{80}, sentValues(KEY_MAX_SHUTTER));
}

// The ISP's value, not the cache's, locates the position; the list holds
// the first thirty values.
TEST_F(ShutterSteppingTest, AValueOutsideTheListStepsNowhere) {
    ispsim::setValue(0, KEY_MAX_SHUTTER, 30);
    int nIndex = 7;
    EXPECT_FALSE(controller().getShutterValue(nIndex));
    EXPECT_EQ(7, nIndex);
    EXPECT_FALSE(controller().shutterUp());
    EXPECT_FALSE(controller().shutterDown());
    EXPECT_TRUE(sentValues(KEY_MAX_SHUTTER).empty());

    std::vector<int> vecItems;
    for (int i = 1; i <= 35; ++i) vecItems.push_back(i * 10);
    allow(vecItems);
    current(300);
    EXPECT_TRUE(controller().shutterUp());
    EXPECT_FALSE(controller().setShutterValue(30));
    EXPECT_TRUE(sentValues(KEY_MAX_SHUTTER).empty());
}

}  // namespace
