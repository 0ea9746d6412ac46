// The gates of the command handlers and what each handler hands to the ISP
// and the video module: day/night records built from companion keys, the
// mirror/scene swap and the shutter steps through the ISP's allowed values.
#include <vector>

#include "../params/ControllerFixture.h"

namespace {

using Words = std::vector<int>;
using Notes = std::vector<std::pair<int, int>>;

class HandlerTest : public ControllerFixture {
protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        layOut({{KEY_BRIGHTNESS, 0}});
    }
    int call(SensorKeyHandler p_pHandler, u32 p_nKey, int p_nVal) {
        m_nValue = p_nVal;
        return (controller().*p_pHandler)(p_nKey, 0, &m_nValue);
    }
    // The words of the last record sent with a command, in field order.
    static Words recordSent(int p_nCmd, size_t p_nWords) {
        Words vecWords;
        const std::vector<ispsim::Call> vecCalls = ispsim::setCalls(p_nCmd);
        for (size_t i = 0; i < p_nWords && !vecCalls.empty(); ++i) vecWords.push_back(vecCalls.back().wordIn(i));
        return vecWords;
    }
    // KEY_MAX_SHUTTER as the ISP and the cache hold it, among the allowed items.
    void shutterAt(int p_nValue, const std::vector<int>& p_vecItems = {10, 20, 40, 80}) {
        listRanges({{KEY_MAX_SHUTTER, 0, 10, 0, 0, p_vecItems}});
        ispsim::setValue(0, KEY_MAX_SHUTTER, p_nValue);
        store(KEY_MAX_SHUTTER, p_nValue);
        ispsim::clearCalls();
    }
    int m_nValue = 0;
};

// Only the lens commands at both ends of the zoom/focus block (1535 and 1617
// lie outside it) pass the lock.
TEST_F(HandlerTest, TheZoomFocusLockHoldsBackTheLensCommands) {
    for (const std::pair<u32, bool>& stCase : std::vector<std::pair<u32, bool>>{
             {1535, true}, {KEY_AUTO_FOCUS_MODE, false}, {KEY_DIGITAL_ZOOM, false}, {KEY_LENS_RESET, false}, {1617, true}}) {
        const int nCmd = static_cast<int>(stCase.first);
        access().zoomFocusParam().setLockZoomFocusEnable(true);
        EXPECT_EQ(SNS_SUCCESS, call(&ISensorController::doIaCmd, stCase.first, 5));
        EXPECT_EQ(stCase.second, sentValues(nCmd) == Words{5}) << nCmd;
        access().zoomFocusParam().setLockZoomFocusEnable(false);
        call(&ISensorController::doIaCmd, stCase.first, 6);
        EXPECT_EQ(6, sentValues(nCmd).back()) << nCmd;
    }
}

// After a restart (shutter idle) one shutter adjustment passes the start's gate.
TEST_F(HandlerTest, ActionKeysWaitForTheEndOfABulkOperation) {
    for (const std::pair<u32, bool>& stCase : std::vector<std::pair<u32, bool>>{
             {0, true}, {SENSOR_STATE_INIT_RUNNING, false}, {SENSOR_STATE_UINIT_RUNNING, true},
             {SENSOR_STATE_INITIALISED, true}, {SENSOR_STATE_RESETTING, false}, {SENSOR_STATE_RETURNING, false},
             {SENSOR_STATE_SWITCHING, false}}) {
        SCOPED_TRACE(stCase.first);
        ispsim::clearCalls();
        access().stateFlags() = stCase.first;
        EXPECT_EQ(SNS_SUCCESS, call(&ISensorController::doIaCmd_User, KEY_ZOOM_IN, 1));
        EXPECT_EQ(SNS_SUCCESS, call(&ISensorController::doIaCmdShutter, KEY_SHUTTER_ADJUST, 1));
        EXPECT_EQ(stCase.second ? Words{1} : Words{}, sentValues(KEY_ZOOM_IN));
        EXPECT_EQ(stCase.second ? Words{1} : Words{}, sentValues(KEY_SHUTTER_ADJUST));
    }
    ispsim::clearCalls();
    access().shutterIdle() = true;
    access().stateFlags() = SENSOR_STATE_INIT_RUNNING;
    call(&ISensorController::doIaCmdShutter, KEY_SHUTTER_ADJUST, 3);
    call(&ISensorController::doIaCmdShutter, KEY_SHUTTER_ADJUST, 4);
    EXPECT_EQ(Words{3}, sentValues(KEY_SHUTTER_ADJUST));
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
    EXPECT_EQ((Words{1, 0}), sentValues(KEY_AUTO_FOCUS_ONCE));
}

// The video module hears of a WDR change before (2370 = 0) and after it.
TEST_F(HandlerTest, WideDynamicRangeIsAnnouncedAndReturnsTheVideoAnswer) {
    ispsim::failCommand(-1, KEY_WDR_MODE, -1);
    EXPECT_EQ(SNS_SUCCESS, call(&ISensorController::doHwdr, KEY_WDR_MODE, 2));
    EXPECT_EQ((Notes{{2370, 0}, {KEY_WDR_MODE, 2}, {2370, 1}}), notified());
    m_objVideo.setNotifyResult(-3);
    EXPECT_EQ(-3, call(&ISensorController::doHwdr, KEY_WDR_MODE, 2));
    access().showWdr() = false;
    m_objVideo.clearNotifications();
    EXPECT_EQ(SNS_SUCCESS, call(&ISensorController::doHwdr, KEY_WDR_MODE, 2));
    EXPECT_EQ(0, m_nValue);
    EXPECT_TRUE(notified().empty());
    EXPECT_EQ(-1, controller().doHwdr(KEY_WDR_MODE, 0, nullptr));
}

TEST_F(HandlerTest, EachHandlerReturnsTheStatusItIsMeantToReturn) {
    m_objVideo.setNotifyResult(-3);
    EXPECT_EQ(SNS_SUCCESS, call(&ISensorController::doDIS, KEY_ANTI_SHAKE_SWITCH, 1));
    EXPECT_EQ(-3, call(&ISensorController::doImageAdjust, KEY_CAP_OFF_ADJ_DIRECTION, 1));
    EXPECT_EQ(SNS_SUCCESS, call(&ISensorController::doIaCmd_PanoTuning, KEY_PANO_YAW_1, 7));
    EXPECT_EQ(SNS_SUCCESS, call(&ISensorController::test_debugParam, KEY_TEST_PARAM1, 1));
    ispsim::failCommand(-1, KEY_ANTI_SHAKE_SWITCH, -1);
    ispsim::failCommand(-1, KEY_CAP_OFF_ADJ_DIRECTION, -1);
    EXPECT_EQ(-1, call(&ISensorController::doDIS, KEY_ANTI_SHAKE_SWITCH, 1));
    EXPECT_EQ(-3, call(&ISensorController::doImageAdjust, KEY_CAP_OFF_ADJ_DIRECTION, 1));
    EXPECT_TRUE(sentValues(KEY_PANO_YAW_1).empty());
    EXPECT_TRUE(sentValues(KEY_TEST_PARAM1).empty());
    EXPECT_EQ((Notes{{KEY_ANTI_SHAKE_SWITCH, 1}, {KEY_CAP_OFF_ADJ_DIRECTION, 1}, {KEY_PANO_YAW_1, 7}, {KEY_TEST_PARAM1, 1},
                     {KEY_ANTI_SHAKE_SWITCH, 1}, {KEY_CAP_OFF_ADJ_DIRECTION, 1}}),
              notified());
    // Without a video module notifications succeed.
    controller().setVideoStreamModule(nullptr);
    m_objVideo.clearNotifications();
    EXPECT_EQ(SNS_SUCCESS, call(&ISensorController::doIaCmd_PanoTuning, KEY_PANO_YAW_1, 7));
    EXPECT_EQ(SNS_SUCCESS, call(&ISensorController::doImageAdjust, KEY_CAP_OFF_ADJ_DIRECTION, 1));
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
        pController->notifyToVideo(KEY_MIRROR, 1);
    }
    ASSERT_EQ(2u, m_objVideo.notifications().size());
    EXPECT_EQ(1, m_objVideo.notifications()[0].channel);
    EXPECT_EQ(2, m_objVideo.notifications()[1].channel);
}

// Each record takes the companions of the current scheme; one the scheme
// lacks is sent as zero.
TEST_F(HandlerTest, DayNightRecordsTakeTheCompanionsOfTheCurrentScheme) {
    layOut({{KEY_DTN_THR, 30}, {KEY_NTD_THR, 60}, {KEY_DN_SENSITIVITY, 2}, {KEY_DTN_H, 18}, {KEY_DTN_M, 30},
            {KEY_NTD_H, 6}, {KEY_NTD_M, 0}});
    EXPECT_EQ(SNS_SUCCESS, controller().setParameter(KEY_NTD_THR, 70, true));
    EXPECT_EQ((Words{30, 70, 2}), recordSent(KEY_NTD_THR, 3));
    EXPECT_EQ(SNS_SUCCESS, controller().setParameter(KEY_DN_SENSITIVITY, 5, true));
    EXPECT_EQ((Words{30, 70, 5}), recordSent(KEY_DN_SENSITIVITY, 3));
    EXPECT_EQ(70, stored(KEY_NTD_THR));
    store(KEY_DTN_H, 99, 0);
    access().curScheme() = 1;
    EXPECT_EQ(SNS_SUCCESS, controller().setParameter(KEY_NTD_M, 15, true));
    EXPECT_EQ((Words{18, 30, 6, 15}), recordSent(KEY_NTD_M, 4));

    layOut({{KEY_DTN_THR, 30}, {KEY_DTN_H, 18}});
    EXPECT_EQ(SNS_SUCCESS, call(&ISensorController::doDNThr, KEY_NTD_THR, 40));
    call(&ISensorController::doDNTime, KEY_DTN_M, 40);
    EXPECT_EQ((Words{30, 40, 0}), recordSent(KEY_NTD_THR, 3));
    EXPECT_EQ((Words{18, 40, 0, 0}), recordSent(KEY_DTN_M, 4));
    EXPECT_EQ(40, m_nValue);
}

TEST_F(HandlerTest, ARefusedDayNightThresholdPassesOnlyWhileStoredValuesAreRestored) {
    ispsim::failCommand(-1, KEY_DTN_THR, -1);
    ispsim::failCommand(-1, KEY_DTN_H, -1);
    EXPECT_EQ(-1, call(&ISensorController::doDNThr, KEY_DTN_THR, 20));
    access().stateFlags() = SENSOR_STATE_RETURNING;
    EXPECT_EQ(SNS_SUCCESS, call(&ISensorController::doDNThr, KEY_DTN_THR, 20));
    EXPECT_EQ(-1, call(&ISensorController::doDNTime, KEY_DTN_H, 20));
    access().stateFlags() = 0;
}

// Scene, mirror given, mirror sent: scene mode swaps mirror 1 and 2, but the
// scheme keeps the given value.
TEST_F(HandlerTest, SceneModeSwapsMirrorOneAndTwo) {
    layOut({{KEY_MIRROR, 0}, {KEY_BEAWAY, 0}});
    for (const Words& vecCase : std::vector<Words>{{0, 1, 1}, {0, 2, 2}, {1, 1, 2}, {1, 2, 1}, {1, 3, 3}, {5, 2, 1}, {0, 3, 3}}) {
        SCOPED_TRACE(::testing::PrintToString(vecCase));
        store(KEY_BEAWAY, vecCase[0]);
        ispsim::clearCalls();
        m_objVideo.clearNotifications();
        EXPECT_EQ(SNS_SUCCESS, controller().setParameter(KEY_MIRROR, vecCase[1], true));
        EXPECT_EQ(Words{vecCase[2]}, recordSent(KEY_MIRROR, 1));
        EXPECT_EQ((Notes{{KEY_MIRROR, vecCase[2]}}), notified());
        EXPECT_EQ(vecCase[1], stored(KEY_MIRROR));
        store(KEY_MIRROR, 0);
    }
}

// Without the scene item the scene is forced off.
TEST_F(HandlerTest, SceneChangeResendsTheStoredMirrorFirst) {
    layOut({{KEY_MIRROR, 2}, {KEY_BEAWAY, 0}});
    EXPECT_EQ(SNS_SUCCESS, controller().setParameter(KEY_BEAWAY, 1, true));
    EXPECT_EQ((Notes{{KEY_MIRROR, 1}, {KEY_BEAWAY, 1}}), notified());
    ASSERT_EQ(2u, ispsim::calls().size());
    EXPECT_EQ(KEY_MIRROR, ispsim::calls()[0].cmd);
    EXPECT_EQ(KEY_BEAWAY, ispsim::calls()[1].cmd);
    EXPECT_EQ((Words{1}), recordSent(KEY_MIRROR, 1));
    EXPECT_EQ(SNS_SUCCESS, controller().setParameter(KEY_BEAWAY, 0, true));
    EXPECT_EQ((Words{2}), recordSent(KEY_MIRROR, 1));
    EXPECT_EQ(2, stored(KEY_MIRROR));

    controller().setShowBeawayFalg(false);
    ispsim::clearCalls();
    m_objVideo.clearNotifications();
    EXPECT_EQ(SNS_SUCCESS, controller().setParameter(KEY_BEAWAY, 1, true));
    EXPECT_TRUE(ispsim::calls().empty());
    EXPECT_TRUE(notified().empty());
    EXPECT_EQ(0, stored(KEY_BEAWAY));
}

TEST_F(HandlerTest, ShutterStepsStopAtBothEndsOfTheListAndIndexesOutsideItAreRefused) {
    layOut({{KEY_MAX_SHUTTER, 40}});
    shutterAt(40);
    int nIndex = -1;
    EXPECT_TRUE(controller().getShutterValue(nIndex));
    EXPECT_EQ(2, nIndex);
    EXPECT_TRUE(controller().shutterUp());
    EXPECT_TRUE(controller().shutterUp());
    EXPECT_EQ(Words{80}, sentValues(KEY_MAX_SHUTTER));
    EXPECT_EQ(80, stored(KEY_MAX_SHUTTER));
    shutterAt(20);
    EXPECT_TRUE(controller().shutterDown());
    EXPECT_TRUE(controller().shutterDown());
    EXPECT_EQ(Words{10}, sentValues(KEY_MAX_SHUTTER));
    EXPECT_EQ(10, stored(KEY_MAX_SHUTTER));

    ispsim::clearCalls();
    EXPECT_FALSE(controller().setShutterValue(4));
    EXPECT_FALSE(controller().setShutterValue(-1));
    EXPECT_TRUE(sentValues(KEY_MAX_SHUTTER).empty());
    EXPECT_TRUE(controller().setShutterValue(3));
    EXPECT_EQ(Words{80}, sentValues(KEY_MAX_SHUTTER));
}

// The ISP's value, not the cache's, locates the position; the list holds
// the first thirty values.
TEST_F(HandlerTest, AShutterValueOutsideTheListStepsNowhere) {
    layOut({{KEY_MAX_SHUTTER, 40}});
    shutterAt(40);
    ispsim::setValue(0, KEY_MAX_SHUTTER, 30);
    int nIndex = 7;
    EXPECT_FALSE(controller().getShutterValue(nIndex));
    EXPECT_EQ(7, nIndex);
    EXPECT_FALSE(controller().shutterUp());
    EXPECT_FALSE(controller().shutterDown());
    EXPECT_TRUE(sentValues(KEY_MAX_SHUTTER).empty());

    std::vector<int> vecItems;
    for (int i = 1; i <= 35; ++i) vecItems.push_back(i * 10);
    shutterAt(300, vecItems);
    EXPECT_TRUE(controller().shutterUp());
    EXPECT_FALSE(controller().setShutterValue(30));
    EXPECT_TRUE(sentValues(KEY_MAX_SHUTTER).empty());
}

}  // namespace
