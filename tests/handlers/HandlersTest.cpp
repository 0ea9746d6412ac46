// The command handlers: their gates, what each hands to the ISP and the video
// module, and the lens and light controls.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "../params/ControllerFixture.h"

namespace {

using C = ISensorController;
using Words = std::vector<int>;
using Pairs = std::vector<std::pair<int, int>>;

// Command and value of each set the ISP received, in order.
Pairs setCommands() {
    Pairs vecSets;
    for (const ispsim::Call& stCall : ispsim::calls())
        if (stCall.option == IA_CMD_OPT_SET) vecSets.emplace_back(stCall.cmd, stCall.valueIn());
    return vecSets;
}

// The words of the last record sent with a command, in field order.
Words recordSent(int p_nCmd) {
    Words vecWords;
    const std::vector<ispsim::Call> vecCalls = ispsim::setCalls(p_nCmd);
    for (size_t i = 0; !vecCalls.empty() && i < vecCalls.back().dataIn.size() / 4; ++i)
        vecWords.push_back(vecCalls.back().wordIn(i));
    return vecWords;
}

class HandlerTest : public ControllerFixture {
protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        layOut(zeroed({KEY_BRIGHTNESS, KEY_IR_SWITCH, KEY_WHITE_SWITCH, KEY_LIGHT_TYPE, KEY_AUTO_FOCUS_MODE,
                       KEY_EXPOSE_MODE, KEY_MAX_SHUTTER}));
    }
    int call(SensorKeyHandler p_pHandler, u32 p_nKey, int p_nVal) {
        m_nValue = p_nVal;
        return (controller().*p_pHandler)(p_nKey, 0, &m_nValue);
    }
    // KEY_MAX_SHUTTER as the ISP and the cache hold it, among the allowed items.
    void shutterAt(int p_nValue, const Words& p_vecItems = {10, 20, 40, 80}) {
        listRanges({{KEY_MAX_SHUTTER, 0, 10, 0, 0, p_vecItems}});
        ispsim::setValue(0, KEY_MAX_SHUTTER, p_nValue);
        store(KEY_MAX_SHUTTER, p_nValue);
        ispsim::clearCalls();
    }
    int m_nValue = 0;
};

// Each named accessor reads its own key from the cache, without the ISP, and
// sends its own key through the map row, storing it in the current scheme only.
TEST_F(HandlerTest, EachAccessorReadsAndSendsItsOwnKey) {
    struct Accessor {
        u32 key;
        bool (C::*get)(int&);
        bool (*set)(C&, int);
    };
#define ACCESSOR(key, getter, setter)                            \
    {                                                            \
        key, &C::getter, [](C& c, int v) { return c.setter(v); } \
    }
    const Accessor ACCESSORS[] = {ACCESSOR(KEY_DN_MODE, getDNMode, setDNMode),
                                  ACCESSOR(KEY_WDR_MODE, getWDRSwitch, setWDRSwitch),
                                  ACCESSOR(KEY_WDR_STRG, getWDRStrength, setWDRStrength),
                                  ACCESSOR(KEY_HLC_SWITCH, getHLCSwitch, setHLCSwitch),
                                  ACCESSOR(KEY_HLC_STRG, getHLCStrength, setHLCStrength),
                                  ACCESSOR(KEY_BLC_SWITCH, getBLCSwitch, setBLCSwitch),
                                  ACCESSOR(KEY_BLC_STRG, getBLCStrength, setBLCStrength),
                                  ACCESSOR(KEY_DEFLG_SWITCH, getDefogSwitch, setDefogSwitch),
                                  ACCESSOR(KEY_DEFLG_STRG, getDefogStrength, setDefogStrength),
                                  ACCESSOR(KEY_2D_NR_SWITCH, get2DSwitch, set2DSwitch),
                                  ACCESSOR(KEY_2D_NR_MODE, get2DMode, set2DMode),
                                  ACCESSOR(KEY_2D_NR_STRG_A, get2DAutoMaxStrength, set2DAutoMaxStrength),
                                  ACCESSOR(KEY_2D_NR_STRG_M, get2DManualMaxStrength, set2DManualMaxStrength),
                                  ACCESSOR(KEY_3D_NR_SWITCH, get3DSwitch, set3DSwitch),
                                  ACCESSOR(KEY_3D_NR_MODE, get3DMode, set3DMode),
                                  ACCESSOR(KEY_3D_NR_STRG_A, get3DAutoMaxStrength, set3DAutoMaxStrength),
                                  ACCESSOR(KEY_3D_NR_STRG_M, get3DManualMaxStrength, set3DManualMaxStrength),
                                  ACCESSOR(KEY_MIRROR, getMirrorValue, setMirrorMode),
                                  ACCESSOR(KEY_BEAWAY, getBeaway, setBeaway)};
#undef ACCESSOR
    std::vector<KeyVal> vecRecords;
    for (const Accessor& stCase : ACCESSORS)
        vecRecords.push_back({stCase.key, stCase.key == KEY_BEAWAY ? 0u : stCase.key + 100});
    layOut(vecRecords);
    for (const Accessor& stCase : ACCESSORS) {
        SCOPED_TRACE(stCase.key);
        const int nStored = stored(stCase.key);
        ispsim::clearCalls();
        int nValue = 0;
        EXPECT_TRUE((controller().*stCase.get)(nValue));
        EXPECT_EQ(nStored, nValue);
        EXPECT_TRUE(ispsim::calls().empty());
        EXPECT_TRUE(stCase.set(controller(), 1));
        keycmd stRow;
        ASSERT_NE(-1, controller().findFromKeyCmdMap(access().keyCmdMap(), stCase.key, stRow));
        EXPECT_EQ(Words{1}, sentValues(static_cast<int>(stRow.ia_cmd)));
        EXPECT_EQ((Words{1, nStored}), (Words{stored(stCase.key), stored(stCase.key, 1)}));
    }
}

// The mirror is saved at once, a refused one not at all; a scene value only
// with a mirror.
TEST_F(ControllerFixture, TheMirrorIsSavedAtOnceTheSceneOnlyWithIt) {
    ASSERT_TRUE(start(camera()));
    const auto saved = [this] {
        const std::string strFile = readFile(schemePath(1, 0));
        return Words{valueOf(strFile, KEY_MIRROR), valueOf(strFile, KEY_BEAWAY)};
    };
    ispsim::failCommand(0, KEY_MIRROR, -1);
    EXPECT_FALSE(controller().setMirrorMode(1));
    EXPECT_EQ((Words{0, 0}), saved());
    ispsim::clearFaults();
    int nBeaway = 1;
    EXPECT_TRUE(controller().setBeaway(nBeaway));
    EXPECT_EQ((Words{0, 0}), saved());
    EXPECT_TRUE(controller().setMirrorMode(1));
    EXPECT_EQ((Words{1, 1}), saved());
}

// The zoom/focus lock holds back the lens block (1535 and 1617 lie outside);
// action keys pass under the first three flags only, and after a restart
// (shutter idle) one shutter adjustment passes the start's gate.
TEST_F(HandlerTest, TheZoomFocusLockAndABulkOperationHoldBackActionKeys) {
    for (u32 nCmd : std::vector<u32>{1535, KEY_AUTO_FOCUS_MODE, KEY_DIGITAL_ZOOM, KEY_LENS_RESET, 1617}) {
        access().zoomFocusParam().setLockZoomFocusEnable(true);
        EXPECT_EQ(SNS_SUCCESS, call(&C::doIaCmd, nCmd, 5));
        access().zoomFocusParam().setLockZoomFocusEnable(false);
        call(&C::doIaCmd, nCmd, 6);
        EXPECT_EQ((nCmd == 1535 || nCmd == 1617 ? Words{5, 6} : Words{6}), sentValues(static_cast<int>(nCmd))) << nCmd;
    }
    const u32 anFlags[] = {SENSOR_STATE_UINIT_RUNNING, SENSOR_STATE_INITIALISED, 0,
                           SENSOR_STATE_INIT_RUNNING,  SENSOR_STATE_RESETTING,   SENSOR_STATE_RETURNING,
                           SENSOR_STATE_SWITCHING};
    for (size_t i = 0; i < 7; ++i) {
        SCOPED_TRACE(anFlags[i]);
        ispsim::clearCalls();
        access().stateFlags() = anFlags[i];
        EXPECT_EQ(SNS_SUCCESS, call(&C::doIaCmd_User, KEY_ZOOM_IN, 1));
        EXPECT_EQ(SNS_SUCCESS, call(&C::doIaCmdShutter, KEY_SHUTTER_ADJUST, 1));
        EXPECT_EQ((i < 3 ? Pairs{{KEY_ZOOM_IN, 1}, {KEY_SHUTTER_ADJUST, 1}} : Pairs{}), setCommands());
    }
    ispsim::clearCalls();
    access().shutterIdle() = true;
    access().stateFlags() = SENSOR_STATE_INIT_RUNNING;
    call(&C::doIaCmdShutter, KEY_SHUTTER_ADJUST, 3);
    call(&C::doIaCmdShutter, KEY_SHUTTER_ADJUST, 4);
    EXPECT_EQ(Words{3}, sentValues(KEY_SHUTTER_ADJUST));
    EXPECT_FALSE(access().shutterIdle());
    access().stateFlags() = 0;
}

// Auto focus once needs a lens, and on a visible channel a value; without a
// lens the lens operations answer and send nothing.
TEST_F(HandlerTest, LensOperationsNeedALens) {
    call(&C::doIaCmd_User, KEY_AUTO_FOCUS_ONCE, 0);
    call(&C::doIaCmd_User, KEY_AUTO_FOCUS_ONCE, 1);
    access().thermalChannel() = true;
    call(&C::doIaCmd_User, KEY_AUTO_FOCUS_ONCE, 0);
    access().hasLens() = false;
    call(&C::doIaCmd_User, KEY_AUTO_FOCUS_ONCE, 1);
    EXPECT_EQ((Words{1, 0}), sentValues(KEY_AUTO_FOCUS_ONCE));
    access().thermalChannel() = false;
    ispsim::clearCalls();
    int nPosition = -1, nRatio = 7, nFocus = -1;
    EXPECT_TRUE(controller().getZoomValue(nPosition, nRatio) && controller().getFocusValue(nFocus) &&
                controller().setZoomValue(20000) && controller().focusFar() && controller().setPTZRunState(1));
    EXPECT_EQ((Words{0, 7, 0}), (Words{nPosition, nRatio, nFocus}));
    EXPECT_TRUE(ispsim::calls().empty());
}

// The video module hears of a WDR change before (2370 = 0) and after it.
TEST_F(HandlerTest, WideDynamicRangeIsAnnouncedAndReturnsTheVideoAnswer) {
    ispsim::failCommand(-1, KEY_WDR_MODE, -1);
    EXPECT_EQ(SNS_SUCCESS, call(&C::doHwdr, KEY_WDR_MODE, 2));
    EXPECT_EQ((Pairs{{2370, 0}, {KEY_WDR_MODE, 2}, {2370, 1}}), notified());
    m_objVideo.setNotifyResult(-3);
    EXPECT_EQ(-3, call(&C::doHwdr, KEY_WDR_MODE, 2));
    access().showWdr() = false;
    m_objVideo.clearNotifications();
    EXPECT_EQ(SNS_SUCCESS, call(&C::doHwdr, KEY_WDR_MODE, 2));
    EXPECT_TRUE(notified().empty());
    EXPECT_EQ(-1, controller().doHwdr(KEY_WDR_MODE, 0, nullptr));
}

// Without a video module notifications succeed.
TEST_F(HandlerTest, EachHandlerReturnsTheStatusItIsMeantToReturn) {
    m_objVideo.setNotifyResult(-3);
    const Pairs vecNotes = {
        {KEY_ANTI_SHAKE_SWITCH, 1}, {KEY_CAP_OFF_ADJ_DIRECTION, 1}, {KEY_PANO_YAW_1, 7}, {KEY_TEST_PARAM1, 1}};
    for (int nIspStatus : {0, -1}) {
        m_objVideo.clearNotifications();
        ispsim::failCommand(-1, KEY_ANTI_SHAKE_SWITCH, nIspStatus);
        ispsim::failCommand(-1, KEY_CAP_OFF_ADJ_DIRECTION, nIspStatus);
        EXPECT_EQ(nIspStatus, call(&C::doDIS, KEY_ANTI_SHAKE_SWITCH, 1));
        EXPECT_EQ(-3, call(&C::doImageAdjust, KEY_CAP_OFF_ADJ_DIRECTION, 1));
        EXPECT_EQ(SNS_SUCCESS, call(&C::doIaCmd_PanoTuning, KEY_PANO_YAW_1, 7));
        EXPECT_EQ(SNS_SUCCESS, call(&C::test_debugParam, KEY_TEST_PARAM1, 1));
        EXPECT_EQ(vecNotes, notified());
    }
    EXPECT_TRUE(sentValues(KEY_PANO_YAW_1).empty() && sentValues(KEY_TEST_PARAM1).empty());
    controller().setVideoStreamModule(nullptr);
    m_objVideo.clearNotifications();
    EXPECT_EQ(SNS_SUCCESS, call(&C::doIaCmd_PanoTuning, KEY_PANO_YAW_1, 7));
    EXPECT_EQ(SNS_SUCCESS, call(&C::doImageAdjust, KEY_CAP_OFF_ADJ_DIRECTION, 1));
    EXPECT_TRUE(notified().empty());
}

TEST_F(ControllerFixture, AThermalOnlyDeviceNotifiesVideoChannelOne) {
    for (int nDeviceType : {13, 14}) {
        setDeviceType(nDeviceType);
        makeController(2).notifyToVideo(KEY_MIRROR, 1);
        EXPECT_EQ(nDeviceType == 13 ? 1 : 2, m_objVideo.notifications().at(nDeviceType - 13).channel);
    }
}

// Each record takes the current scheme's companions (zero when missing); a
// refused threshold passes only while stored values are restored.
TEST_F(HandlerTest, DayNightRecordsTakeTheCompanionsOfTheCurrentSchemeAndARefusalStops) {
    const std::vector<KeyVal> vecRecords = {{KEY_DTN_THR, 30}, {KEY_NTD_THR, 60}, {KEY_DN_SENSITIVITY, 2},
                                            {KEY_DTN_H, 18},   {KEY_DTN_M, 30},   {KEY_NTD_H, 6},
                                            {KEY_NTD_M, 0}};
    layOut(vecRecords);
    EXPECT_EQ(SNS_SUCCESS, controller().setParameter(KEY_NTD_THR, 70, true));
    EXPECT_EQ((Words{30, 70, 2}), recordSent(KEY_NTD_THR));
    EXPECT_EQ(SNS_SUCCESS, controller().setParameter(KEY_DN_SENSITIVITY, 5, true));
    EXPECT_EQ((Words{30, 70, 5}), recordSent(KEY_DN_SENSITIVITY));
    EXPECT_EQ(70, stored(KEY_NTD_THR));
    store(KEY_DTN_H, 99, 0);
    access().curScheme() = 1;
    EXPECT_EQ(SNS_SUCCESS, controller().setParameter(KEY_NTD_M, 15, true));
    EXPECT_EQ((Words{18, 30, 6, 15}), recordSent(KEY_NTD_M));

    layOut({{KEY_DTN_THR, 30}, {KEY_DTN_H, 18}});
    EXPECT_EQ(SNS_SUCCESS, call(&C::doDNThr, KEY_NTD_THR, 40));
    call(&C::doDNTime, KEY_DTN_M, 40);
    EXPECT_EQ((Words{30, 40, 0}), recordSent(KEY_NTD_THR));
    EXPECT_EQ((Words{18, 40, 0, 0}), recordSent(KEY_DTN_M));
    EXPECT_EQ(40, m_nValue);
    ispsim::failCommand(-1, KEY_DTN_THR, -1);
    ispsim::failCommand(-1, KEY_DTN_H, -1);
    EXPECT_EQ(-1, call(&C::doDNThr, KEY_DTN_THR, 20));
    access().stateFlags() = SENSOR_STATE_RETURNING;
    EXPECT_EQ(SNS_SUCCESS, call(&C::doDNThr, KEY_DTN_THR, 20));
    EXPECT_EQ(-1, call(&C::doDNTime, KEY_DTN_H, 20));
    access().stateFlags() = 0;
}

// Scene, mirror given, mirror sent: scene mode swaps mirror 1 and 2, but the
// scheme keeps the given value.
TEST_F(HandlerTest, SceneModeSwapsMirrorOneAndTwoAndASceneChangeResendsTheStoredMirrorFirst) {
    layOut(zeroed({KEY_MIRROR, KEY_BEAWAY}));
    for (const Words& vecCase :
         std::vector<Words>{{0, 1, 1}, {0, 2, 2}, {1, 1, 2}, {1, 2, 1}, {1, 3, 3}, {5, 2, 1}, {0, 3, 3}}) {
        SCOPED_TRACE(::testing::PrintToString(vecCase));
        store(KEY_BEAWAY, vecCase[0]);
        ispsim::clearCalls();
        m_objVideo.clearNotifications();
        EXPECT_EQ(SNS_SUCCESS, controller().setParameter(KEY_MIRROR, vecCase[1], true));
        EXPECT_EQ((Pairs{{KEY_MIRROR, vecCase[2]}}), setCommands());
        EXPECT_EQ((Pairs{{KEY_MIRROR, vecCase[2]}}), notified());
        EXPECT_EQ(vecCase[1], stored(KEY_MIRROR));
        store(KEY_MIRROR, 0);
    }
    // A scene change resends the stored mirror first; without the scene item
    // the scene is forced off.
    store(KEY_MIRROR, 2);
    store(KEY_BEAWAY, 0);
    ispsim::clearCalls();
    m_objVideo.clearNotifications();
    EXPECT_EQ(SNS_SUCCESS, controller().setParameter(KEY_BEAWAY, 1, true));
    EXPECT_EQ((Pairs{{KEY_MIRROR, 1}, {KEY_BEAWAY, 1}}), notified());
    EXPECT_EQ(SNS_SUCCESS, controller().setParameter(KEY_BEAWAY, 0, true));
    EXPECT_EQ((Pairs{{KEY_MIRROR, 1}, {KEY_BEAWAY, 1}, {KEY_MIRROR, 2}, {KEY_BEAWAY, 0}}), setCommands());
    EXPECT_EQ(2, stored(KEY_MIRROR));
    controller().setShowBeawayFalg(false);
    ispsim::clearCalls();
    m_objVideo.clearNotifications();
    EXPECT_EQ(SNS_SUCCESS, controller().setParameter(KEY_BEAWAY, 1, true));
    EXPECT_TRUE(ispsim::calls().empty() && notified().empty());
    EXPECT_EQ(0, stored(KEY_BEAWAY));
}

// The ISP's value, not the cache's, locates the position: a value outside the
// list steps nowhere. The list holds the first thirty values.
TEST_F(HandlerTest, ShutterStepsStopAtBothEndsOfTheListAndIndexesOutsideItAreRefused) {
    shutterAt(40);
    int nIndex = -1;
    EXPECT_TRUE(controller().getShutterValue(nIndex));
    EXPECT_EQ(2, nIndex);
    EXPECT_TRUE(controller().shutterUp() && controller().shutterUp());
    EXPECT_EQ(Words{80}, sentValues(KEY_MAX_SHUTTER));
    EXPECT_EQ(80, stored(KEY_MAX_SHUTTER));
    shutterAt(20);
    EXPECT_TRUE(controller().shutterDown() && controller().shutterDown());
    EXPECT_EQ(Words{10}, sentValues(KEY_MAX_SHUTTER));
    EXPECT_EQ(10, stored(KEY_MAX_SHUTTER));
    ispsim::clearCalls();
    EXPECT_FALSE(controller().setShutterValue(4) || controller().setShutterValue(-1));
    EXPECT_TRUE(sentValues(KEY_MAX_SHUTTER).empty());
    EXPECT_TRUE(controller().setShutterValue(3));
    EXPECT_EQ(Words{80}, sentValues(KEY_MAX_SHUTTER));

    shutterAt(40);
    ispsim::setValue(0, KEY_MAX_SHUTTER, 30);
    nIndex = 7;
    EXPECT_FALSE(controller().getShutterValue(nIndex) || controller().shutterUp() || controller().shutterDown());
    EXPECT_EQ(7, nIndex);
    EXPECT_TRUE(sentValues(KEY_MAX_SHUTTER).empty());
    Words vecItems;
    for (int i = 1; i <= 35; ++i) vecItems.push_back(i * 10);
    shutterAt(300, vecItems);
    EXPECT_TRUE(controller().shutterUp());
    EXPECT_FALSE(controller().setShutterValue(30));
    EXPECT_TRUE(sentValues(KEY_MAX_SHUTTER).empty());
}

// Wide, below, halfway, twice, just above (truncated), 16x, beyond (kept).
TEST_F(HandlerTest, ZoomRatioIsInterpolatedBetweenWholeRatios) {
    const int aanCases[][2] = {{16384, 1000}, {100, 1000},    {20480, 1500}, {24576, 2000},
                               {24577, 2001}, {31424, 16000}, {31425, -1}};
    for (const auto& anCase : aanCases) {
        ispsim::setValue(0, KEY_MZ_POSITION, anCase[0]);
        int nPosition = -1, nRatio = -1;
        EXPECT_TRUE(controller().getZoomValue(nPosition, nRatio));
        EXPECT_EQ((Words{anCase[0], anCase[1]}), (Words{nPosition, nRatio}));
    }
}

// A focus step sets the auto focus mode first; an iris step needs the
// exposure mode, and the iris value is clamped to the iris range.
TEST_F(HandlerTest, FocusStepSetsAutoFocusModeFirstAndIrisStepNeedsTheExposureModeAndItsRange) {
    EXPECT_TRUE(controller().focusNear());
    EXPECT_EQ((Pairs{{KEY_AUTO_FOCUS_MODE, 1}, {KEY_FOCUS_NEAR, 1}}), setCommands());
    ispsim::failCommand(0, KEY_EXPOSE_MODE, -1);
    EXPECT_FALSE(controller().irisUp());
    EXPECT_TRUE(ispsim::setCalls(83).empty());
    ispsim::clearFaults();
    const int aanCases[][2] = {{100, 256}, {-5, 256}, {256, 256}, {300, 300}, {25600, 25600}, {25601, 25600}};
    for (const auto& anCase : aanCases) {
        ispsim::clearCalls();
        EXPECT_TRUE(controller().setIrisValue(anCase[0]));
        EXPECT_EQ((Pairs{{KEY_EXPOSE_MODE, 3}, {KEY_IRIS_POSITION, anCase[1]}}), setCommands()) << anCase[0];
    }
}

// Infrared and white light turn each other off first (168 is the white
// light's command); light types run 0..3.
TEST_F(HandlerTest, InfraredAndWhiteLightTurnEachOtherOffFirstAndLightTypesStopAtThree) {
    store(KEY_WHITE_SWITCH, 1);
    ispsim::setValue(0, 168, 1);
    EXPECT_TRUE(controller().setIRSwitch(1));
    EXPECT_EQ((Pairs{{168, 0}, {KEY_IR_SWITCH, 1}}), setCommands());
    EXPECT_EQ((Words{1, 0}), (Words{stored(KEY_IR_SWITCH), stored(KEY_WHITE_SWITCH)}));
    ispsim::clearCalls();
    EXPECT_TRUE(controller().setWhiteSwitch(1));
    EXPECT_EQ((Pairs{{KEY_IR_SWITCH, 0}, {168, 1}}), setCommands());
    EXPECT_EQ(1, stored(KEY_WHITE_SWITCH));
    ispsim::clearCalls();
    ispsim::failCommand(0, 168, -1);
    EXPECT_FALSE(controller().setIRSwitch(1));
    EXPECT_FALSE(controller().setLightType(4) || controller().setLightType(-1));
    EXPECT_TRUE(setCommands().empty());
    EXPECT_TRUE(controller().setLightType(3));
    EXPECT_EQ((Pairs{{KEY_LIGHT_TYPE, 3}}), setCommands());
    EXPECT_EQ(3, stored(KEY_LIGHT_TYPE));
}

TEST_F(HandlerTest, HeatStatusTakesTheIspWord) {
    bool bHeating = false;
    for (int nWord : {0x100, 0}) {
        ispsim::setValue(0, 1606, nWord);
        EXPECT_TRUE(controller().getHeatStatus(bHeating) && bHeating == (nWord != 0)) << nWord;
    }
    bHeating = true;
    ispsim::failCommand(0, 1606, -1);
    EXPECT_FALSE(controller().getHeatStatus(bHeating));
    EXPECT_TRUE(bHeating);
}

// Only the first few hundred bytes are read; a longer name matches, a line
// without a comma does not, and the search stops once zoom and focus are found.
TEST_F(HandlerTest, SyncFovAppliesTheZoomEntryOfThisChannelAndPrintsEachLine) {
    const std::string strBeyondTheBound = std::string(600, '#') + "\nzoom1=20000,\n";
    const std::pair<const char*, Words> astCases[] = {{"# header\nzoom1=20000,focus1=300,\n", {20000}},
                                                      {"zoom1=20000\n", {}},
                                                      {"zoom10=777,\n", {777}},
                                                      {"zoom2=20000,focus2=300,\n", {}},
                                                      {"zoom1=1500,\nzoom1=2500,\n", {2500}},
                                                      {"zoom1=1500,focus1=9,\nzoom1=2500,focus1=8,\n", {1500}},
                                                      {strBeyondTheBound.c_str(), {}},
                                                      {nullptr, {}}};
    for (const auto& stCase : astCases) {
        SCOPED_TRACE(stCase.first == nullptr ? "no file" : stCase.first);
        removeFile(camerapath::SYNC_FOV_FILE);
        if (stCase.first != nullptr) writeFile(camerapath::SYNC_FOV_FILE, stCase.first);
        ispsim::clearCalls();
        const std::string strOut = printedBy([this] { EXPECT_TRUE(controller().sync_fov()); });
        EXPECT_EQ(stCase.second, sentValues(KEY_MZ_POSITION));
        EXPECT_TRUE(ispsim::setCalls(KEY_MF_POSITION).empty());
        if (stCase.first == astCases[0].first) {
            EXPECT_NE(std::string::npos, strOut.find("zoom= -1,focus= -1 \nzoom= 20000,focus= 300 \n"));
        }
    }
}

}  // namespace
