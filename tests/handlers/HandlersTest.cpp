// The command handlers and the named operations over them: the accessors,
// the gates of the handlers and what each hands to the ISP and the video
// module, and the lens and light controls.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "../params/ControllerFixture.h"
#include "../scheme/SchemeControllerFixture.h"
#include "HostSimulation.h"
#include "IspSimulation.h"
#include "platform/CameraPaths.h"

namespace {

struct AccessorCase {
    const char* name;
    bool (ISensorController::*get)(int&);
    std::function<bool(ISensorController&, int)> set;
    u32 key;
};

#define ACCESSOR(getter, setter, key)                                                                      \
    {                                                                                                      \
#getter, &ISensorController::getter, [](ISensorController & c, int v) { return c.setter(v); }, key \
    }
const std::vector<AccessorCase> kAccessors = {
    ACCESSOR(getDNMode, setDNMode, KEY_DN_MODE),
    ACCESSOR(getWDRSwitch, setWDRSwitch, KEY_WDR_MODE),
    ACCESSOR(getWDRStrength, setWDRStrength, KEY_WDR_STRG),
    ACCESSOR(getHLCSwitch, setHLCSwitch, KEY_HLC_SWITCH),
    ACCESSOR(getHLCStrength, setHLCStrength, KEY_HLC_STRG),
    ACCESSOR(getBLCSwitch, setBLCSwitch, KEY_BLC_SWITCH),
    ACCESSOR(getBLCStrength, setBLCStrength, KEY_BLC_STRG),
    ACCESSOR(getDefogSwitch, setDefogSwitch, KEY_DEFLG_SWITCH),
    ACCESSOR(getDefogStrength, setDefogStrength, KEY_DEFLG_STRG),
    ACCESSOR(get2DSwitch, set2DSwitch, KEY_2D_NR_SWITCH),
    ACCESSOR(get2DMode, set2DMode, KEY_2D_NR_MODE),
    ACCESSOR(get2DAutoMaxStrength, set2DAutoMaxStrength, KEY_2D_NR_STRG_A),
    ACCESSOR(get2DManualMaxStrength, set2DManualMaxStrength, KEY_2D_NR_STRG_M),
    ACCESSOR(get3DSwitch, set3DSwitch, KEY_3D_NR_SWITCH),
    ACCESSOR(get3DMode, set3DMode, KEY_3D_NR_MODE),
    ACCESSOR(get3DAutoMaxStrength, set3DAutoMaxStrength, KEY_3D_NR_STRG_A),
    ACCESSOR(get3DManualMaxStrength, set3DManualMaxStrength, KEY_3D_NR_STRG_M),
    ACCESSOR(getMirrorValue, setMirrorMode, KEY_MIRROR),
    ACCESSOR(getBeaway, setBeaway, KEY_BEAWAY),
};
#undef ACCESSOR

// Every accessor key holds its own value, after the schedule keys a flush
// needs; the scene is still off when the mirror is sent as given.
TEST_F(ControllerFixture, EachGetterReadsItsKeyFromTheCacheAndEachSetterAppliesAndStoresIt) {
    std::vector<KeyVal> vecRecords = {{KEY_SCHEME_MODE, 0},
                                      {KEY_SCHEME_START_HOUR, 0},
                                      {KEY_SCHEME_START_MIN, 0},
                                      {KEY_SCHEME_END_HOUR, 23},
                                      {KEY_SCHEME_END_MIN, 59}};
    for (size_t i = 0; i < kAccessors.size(); ++i)
        vecRecords.push_back({kAccessors[i].key, kAccessors[i].key == KEY_BEAWAY ? 0u : static_cast<u32>(100 + i)});
    layOut(vecRecords);
    for (const AccessorCase& stCase : kAccessors) {
        SCOPED_TRACE(stCase.name);
        const int nStored = stored(stCase.key);
        ispsim::clearCalls();
        int nValue = 0;
        EXPECT_TRUE((controller().*stCase.get)(nValue));
        EXPECT_EQ(nStored, nValue);
        EXPECT_TRUE(ispsim::calls().empty());

        EXPECT_TRUE(stCase.set(controller(), 1));
        keycmd stRow;
        ASSERT_NE(-1, controller().findFromKeyCmdMap(access().keyCmdMap(), stCase.key, stRow));
        EXPECT_EQ(std::vector<int>{1}, sentValues(static_cast<int>(stRow.ia_cmd)));
        EXPECT_EQ(1, stored(stCase.key));
        EXPECT_EQ(nStored, stored(stCase.key, 1));
        EXPECT_TRUE((controller().*stCase.get)(nValue));
        EXPECT_EQ(1, nValue);
        EXPECT_EQ(stCase.key == KEY_MIRROR, fileExists("/mnt/mtd/code/config_file/sensor1_0.cfg"));
        removeFile("/mnt/mtd/code/config_file/sensor1_0.cfg");
    }
}

// A refused mirror saves nothing; a scene value is saved only with a mirror.
TEST_F(ControllerFixture, TheMirrorIsSavedAtOnceTheSceneOnlyWithIt) {
    installDevice("ir-bullet");
    ISensorController& objController = makeController(1);
    ASSERT_TRUE(objController.init(moduleConfig()));
    const auto fileValue = [this](u32 p_nKey) {
        return valueOf(readFile(std::string(kConfigDir) + "/sensor1_0.cfg"), p_nKey);
    };
    ASSERT_EQ(0, fileValue(KEY_MIRROR));
    ispsim::failCommand(0, KEY_MIRROR, -1);
    EXPECT_FALSE(objController.setMirrorMode(1));
    EXPECT_EQ(0, fileValue(KEY_MIRROR));
    ispsim::clearFaults();
    int nBeaway = 1;
    EXPECT_TRUE(objController.setBeaway(nBeaway));
    EXPECT_EQ(0, fileValue(KEY_BEAWAY));
    EXPECT_TRUE(objController.setMirrorMode(1));
    EXPECT_EQ(1, fileValue(KEY_MIRROR));
    EXPECT_EQ(1, fileValue(KEY_BEAWAY));
}

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
    for (const std::pair<u32, bool>& stCase : std::vector<std::pair<u32, bool>>{{1535, true},
                                                                                {KEY_AUTO_FOCUS_MODE, false},
                                                                                {KEY_DIGITAL_ZOOM, false},
                                                                                {KEY_LENS_RESET, false},
                                                                                {1617, true}}) {
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
    for (const std::pair<u32, bool>& stCase : std::vector<std::pair<u32, bool>>{{0, true},
                                                                                {SENSOR_STATE_INIT_RUNNING, false},
                                                                                {SENSOR_STATE_UINIT_RUNNING, true},
                                                                                {SENSOR_STATE_INITIALISED, true},
                                                                                {SENSOR_STATE_RESETTING, false},
                                                                                {SENSOR_STATE_RETURNING, false},
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
    EXPECT_EQ((Notes{{KEY_ANTI_SHAKE_SWITCH, 1},
                     {KEY_CAP_OFF_ADJ_DIRECTION, 1},
                     {KEY_PANO_YAW_1, 7},
                     {KEY_TEST_PARAM1, 1},
                     {KEY_ANTI_SHAKE_SWITCH, 1},
                     {KEY_CAP_OFF_ADJ_DIRECTION, 1}}),
              notified());
    // Without a video module notifications succeed.
    controller().setVideoStreamModule(nullptr);
    m_objVideo.clearNotifications();
    EXPECT_EQ(SNS_SUCCESS, call(&ISensorController::doIaCmd_PanoTuning, KEY_PANO_YAW_1, 7));
    EXPECT_EQ(SNS_SUCCESS, call(&ISensorController::doImageAdjust, KEY_CAP_OFF_ADJ_DIRECTION, 1));
    EXPECT_TRUE(notified().empty());
}

TEST_F(DeviceFixture, AThermalOnlyDeviceNotifiesVideoChannelOne) {
    const std::string strMachineInfo = camerapath::MACHINE_INFO_FILE;
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
TEST_F(HandlerTest, DayNightRecordsTakeTheCompanionsOfTheCurrentSchemeAndARefusalStops) {
    layOut({{KEY_DTN_THR, 30},
            {KEY_NTD_THR, 60},
            {KEY_DN_SENSITIVITY, 2},
            {KEY_DTN_H, 18},
            {KEY_DTN_M, 30},
            {KEY_NTD_H, 6},
            {KEY_NTD_M, 0}});
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
    // A refused threshold passes only while stored values are restored.
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
    for (const Words& vecCase :
         std::vector<Words>{{0, 1, 1}, {0, 2, 2}, {1, 1, 2}, {1, 2, 1}, {1, 3, 3}, {5, 2, 1}, {0, 3, 3}}) {
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

    // The ISP's value, not the cache's, locates the position: a value outside
    // the list steps nowhere. The list holds the first thirty values.
    shutterAt(40);
    ispsim::setValue(0, KEY_MAX_SHUTTER, 30);
    nIndex = 7;
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

typedef std::vector<std::pair<int, int>> Sets;

class LensLightTest : public SchemeLayoutFixture {
protected:
    void SetUp() override {
        SchemeLayoutFixture::SetUp();
        layOut();
        startIn(0);
    }
    static Sets setCommands() {
        Sets vecCommands;
        for (const ispsim::Call& stCall : ispsim::calls())
            if (stCall.option == IA_CMD_OPT_SET) vecCommands.emplace_back(stCall.cmd, stCall.valueIn());
        return vecCommands;
    }
};

TEST_F(LensLightTest, ZoomRatioIsInterpolatedBetweenWholeRatios) {
    // Wide, below the table, halfway, twice, just above twice (truncated),
    // sixteen times, beyond the table (the ratio left as it was).
    const int aanCases[][2] = {{16384, 1000}, {100, 1000},    {20480, 1500}, {24576, 2000},
                               {24577, 2001}, {31424, 16000}, {31425, -1}};
    for (const auto& anCase : aanCases) {
        ispsim::setValue(0, KEY_MZ_POSITION, anCase[0]);
        int nPosition = -1;
        int nRatio = -1;
        EXPECT_TRUE(controller().getZoomValue(nPosition, nRatio));
        EXPECT_EQ(nPosition, anCase[0]);
        EXPECT_EQ(nRatio, anCase[1]) << anCase[0];
    }
}

TEST_F(LensLightTest, LensGatedOperationsSendNothingWithoutALens) {
    access().hasLens() = false;
    int nPosition = -1;
    int nRatio = 7;
    int nFocus = -1;
    EXPECT_TRUE(controller().getZoomValue(nPosition, nRatio));
    EXPECT_TRUE(controller().getFocusValue(nFocus));
    EXPECT_TRUE(controller().setZoomValue(20000));
    EXPECT_TRUE(controller().focusFar());
    EXPECT_TRUE(controller().setPTZRunState(1));
    EXPECT_EQ(std::vector<int>({nPosition, nRatio, nFocus}), std::vector<int>({0, 7, 0}));
    EXPECT_TRUE(ispsim::calls().empty());
}

TEST_F(LensLightTest, FocusStepSetsAutoFocusModeFirstAndIrisStepNeedsTheExposureModeAndItsRange) {
    EXPECT_TRUE(controller().focusNear());
    EXPECT_EQ(setCommands(), (Sets{{KEY_AUTO_FOCUS_MODE, 1}, {KEY_FOCUS_NEAR, 1}}));
    ispsim::failCommand(0, KEY_EXPOSE_MODE, -1);
    EXPECT_FALSE(controller().irisUp());
    EXPECT_TRUE(ispsim::setCalls(83).empty());
    // The iris value is clamped to the iris range.
    ispsim::clearFaults();
    const int aanCases[][2] = {{100, 256}, {-5, 256}, {256, 256}, {300, 300}, {25600, 25600}, {25601, 25600}};
    for (const auto& anCase : aanCases) {
        ispsim::clearCalls();
        EXPECT_TRUE(controller().setIrisValue(anCase[0]));
        EXPECT_EQ(setCommands(), (Sets{{KEY_EXPOSE_MODE, 3}, {KEY_IRIS_POSITION, anCase[1]}})) << anCase[0];
    }
}

TEST_F(LensLightTest, InfraredAndWhiteLightTurnEachOtherOffFirstAndLightTypesStopAtThree) {
    store(KEY_WHITE_SWITCH, 1, 0);
    ispsim::setValue(0, 168, 1);
    EXPECT_TRUE(controller().setIRSwitch(1));
    EXPECT_EQ(setCommands(), (Sets{{168, 0}, {KEY_IR_SWITCH, 1}}));
    EXPECT_EQ(access().schemeValue(0, KEY_IR_SWITCH), 1);
    EXPECT_EQ(access().schemeValue(0, KEY_WHITE_SWITCH), 0);

    ispsim::clearCalls();
    EXPECT_TRUE(controller().setWhiteSwitch(1));
    EXPECT_EQ(setCommands(), (Sets{{KEY_IR_SWITCH, 0}, {168, 1}}));
    EXPECT_EQ(access().schemeValue(0, KEY_WHITE_SWITCH), 1);

    ispsim::clearCalls();
    ispsim::failCommand(0, 168, -1);
    EXPECT_FALSE(controller().setIRSwitch(1));
    EXPECT_TRUE(setCommands().empty());

    // Light types run 0..3.
    EXPECT_FALSE(controller().setLightType(4));
    EXPECT_FALSE(controller().setLightType(-1));
    EXPECT_TRUE(controller().setLightType(3));
    EXPECT_EQ(setCommands(), (Sets{{KEY_LIGHT_TYPE, 3}}));
    EXPECT_EQ(access().schemeValue(0, KEY_LIGHT_TYPE), 3);
}

TEST_F(LensLightTest, HeatStatusTakesTheIspWord) {
    bool bHeating = false;
    for (int nWord : {0x100, 0}) {
        ispsim::setValue(0, 1606, nWord);
        EXPECT_TRUE(controller().getHeatStatus(bHeating));
        EXPECT_EQ(bHeating, nWord != 0);
    }
    bHeating = true;
    ispsim::failCommand(0, 1606, -1);
    EXPECT_FALSE(controller().getHeatStatus(bHeating));
    EXPECT_TRUE(bHeating);
}

TEST_F(LensLightTest, SyncFovAppliesTheZoomEntryOfThisChannelAndPrintsEachLine) {
    const std::string strBeyondTheBound = std::string(600, '#') + "\nzoom1=20000,\n";
    const std::pair<const char*, std::vector<int>> astCases[] = {
        {"# header\nzoom1=20000,focus1=300,\n", {20000}},
        {"zoom1=20000\n", {}},     // no comma
        {"zoom10=777,\n", {777}},  // a longer name matches
        {"zoom2=20000,focus2=300,\n", {}},
        {"zoom1=1500,\nzoom1=2500,\n", {2500}},                    // a later line without focus
        {"zoom1=1500,focus1=9,\nzoom1=2500,focus1=8,\n", {1500}},  // stops once both are found
        {strBeyondTheBound.c_str(), {}},                           // only the first few hundred bytes are read
        {nullptr, {}}};
    for (const auto& stCase : astCases) {
        SCOPED_TRACE(stCase.first == nullptr ? "no file" : stCase.first);
        if (stCase.first != nullptr)
            writeFile(camerapath::SYNC_FOV_FILE, stCase.first);
        else
            removeFile(camerapath::SYNC_FOV_FILE);
        ispsim::clearCalls();
        testing::internal::CaptureStdout();
        EXPECT_TRUE(controller().sync_fov());
        const std::string strOut = testing::internal::GetCapturedStdout();
        EXPECT_EQ(sentValues(KEY_MZ_POSITION), stCase.second);
        EXPECT_TRUE(ispsim::setCalls(KEY_MF_POSITION).empty());
        if (stCase.first == astCases[0].first) {
            EXPECT_NE(strOut.find("zoom= -1,focus= -1 \nzoom= 20000,focus= 300 \n"), std::string::npos);
        }
    }
}
