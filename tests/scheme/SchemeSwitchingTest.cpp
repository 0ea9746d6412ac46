// Scheme switching: the schedule windows, the host's scheme and mode choices,
// and the sensor thread's pass (day/night, timed and plate-recognition rules,
// busy flags, the cross-channel request and the try-lock), run directly.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "HostSimulation.h"
#include "IspSimulation.h"
#include "SchemeControllerFixture.h"

class SchemeSwitchingTest : public SchemeLayoutFixture {
protected:
    void SetUp() override {
        SchemeLayoutFixture::SetUp();
        layOut();
    }
    // Current in p_nScheme under the day/night rule, with the ISP's state.
    void dayNightIn(int p_nScheme, int p_nNight) {
        startIn(p_nScheme);
        access().dnScheme() = true;
        ispsim::setDayNightState(0, p_nNight);
    }
};
using SensorThreadTest = SchemeSwitchingTest;

TEST_F(SchemeSwitchingTest, FirstAndForcedSwitchesSendEveryRecordOthersOnlyWhatDiffers) {
    store(KEY_BRIGHTNESS, 61, 1);
    EXPECT_EQ(controller().switch_to(1, false), SNS_SUCCESS);
    EXPECT_EQ(sentValues(KEY_BRIGHTNESS), std::vector<int>{61});
    EXPECT_EQ(sentValues(KEY_SATURATION), std::vector<int>{50});
    EXPECT_EQ(access().lastScheme(), -1);
    EXPECT_EQ(access().stateFlags().load() & SENSOR_STATE_SWITCHING, 0u);

    ispsim::clearCalls();
    controller().switch_to(0, false);
    ASSERT_EQ(ispsim::calls().size(), 1u);
    EXPECT_EQ(sentValues(KEY_BRIGHTNESS), std::vector<int>{50});
    EXPECT_EQ(access().lastScheme(), 1);
    EXPECT_EQ(access().schemeValue(1, KEY_BRIGHTNESS), 61);

    ispsim::clearCalls();
    controller().switch_to(2, true);
    EXPECT_EQ(sentValues(KEY_CONTRAST), std::vector<int>{50});
    EXPECT_EQ(access().curScheme(), 2);
}

TEST_F(SchemeSwitchingTest, SchemeOutsideTheRangeIsRefusedTheFactorySetMayBeChosenAndAnyModeIsStored) {
    startIn(1);
    EXPECT_FALSE(controller().setParamScheme(-1));
    EXPECT_FALSE(controller().setParamScheme(5));
    EXPECT_EQ(controller().switch_to(9, false), -1);
    EXPECT_EQ(controller().LPR_switch_to(-3), -1);
    EXPECT_EQ(access().curScheme(), 1);
    EXPECT_TRUE(ispsim::calls().empty());
    EXPECT_NE(errorLog().find("p_nScheme >= 0 && (u32)p_nScheme <= m_stSysConf.nSchemeSum"), std::string::npos);

    store(KEY_BRIGHTNESS, 33, 4);
    EXPECT_TRUE(controller().setParamScheme(4));
    int nScheme = -7;
    controller().getParamScheme(nScheme);
    EXPECT_EQ(nScheme, 4);
    EXPECT_EQ(sentValues(KEY_BRIGHTNESS), std::vector<int>{33});

    // A mode outside 0 and 1 is reported and stored.
    EXPECT_TRUE(controller().setParamMode(5));
    int nMode = -7;
    controller().getParamMode(nMode);
    EXPECT_EQ(nMode, 5);
    EXPECT_NE(errorLog().find("0 == p_nMode || 1 == p_nMode"), std::string::npos);
}

// The host call polls the busy flags holding the controller's lock, which the
// pass only tries: the pass returns at once and switches nothing.
TEST_F(SchemeSwitchingTest, SchemeAndModeChangesWaitWhileABulkChangeRunsAndThePassNeverWaitsForThem) {
    dayNightIn(0, 1);
    for (const u32 nFlag : {SENSOR_STATE_RETURNING, SENSOR_STATE_RESETTING}) {
        const int nScheme = access().curScheme();
        const int nMode = access().paramMode();
        access().stateFlags() |= nFlag;
        hostsim::resetWaitCount();
        std::thread objHost([this, nFlag]() {
            if (nFlag == SENSOR_STATE_RETURNING) controller().setParamMode(0);
            else controller().setParamScheme(2);
        });
        while (hostsim::waitCount() < 3) std::this_thread::yield();
        std::future<int> objPass = std::async(std::launch::async, [this]() { return controller().sensorThread(); });
        EXPECT_EQ(objPass.wait_for(std::chrono::seconds(10)), std::future_status::ready) << nFlag;
        EXPECT_EQ(access().curScheme(), nScheme) << nFlag;
        EXPECT_EQ(access().paramMode(), nMode) << nFlag;
        access().stateFlags() &= ~nFlag;
        objHost.join();
        EXPECT_EQ(objPass.get(), 0) << nFlag;
    }
    EXPECT_EQ(access().curScheme(), 2);
    EXPECT_EQ(access().paramMode(), 0);
}

// A busy flag defers the switch to a later pass; during a factory reset the
// pass does not even wait its second.
TEST_F(SensorThreadTest, DayNightModeSwitchesWhenTheStateDiffersAndNoBulkChangeRuns) {
    store(KEY_BRIGHTNESS, 70, 0);
    dayNightIn(1, 1);
    EXPECT_EQ(controller().sensorThread(), 0);
    EXPECT_EQ(access().curScheme(), 1);
    EXPECT_TRUE(ispsim::setCalls(KEY_BRIGHTNESS).empty());

    ispsim::setDayNightState(0, 0);
    for (const u32 nFlag : {SENSOR_STATE_RETURNING, SENSOR_STATE_RESETTING}) {
        access().stateFlags() |= nFlag;
        hostsim::resetWaitCount();
        controller().sensorThread();
        EXPECT_EQ(hostsim::waitCount(), nFlag == SENSOR_STATE_RESETTING ? 0u : 1u) << nFlag;
        EXPECT_EQ(access().curScheme(), 1) << nFlag;
        access().stateFlags() &= ~nFlag;
    }
    controller().sensorThread();
    EXPECT_EQ(access().curScheme(), 0);
    EXPECT_EQ(sentValues(KEY_BRIGHTNESS), std::vector<int>{70});
    EXPECT_TRUE(ispsim::setCalls(KEY_SATURATION).empty());
}

// Half-open windows, the lowest scheme first; a window with a field out of
// range never holds.
TEST_F(SensorThreadTest, TimedModeSwitchesOnceToTheLowestSchemeWhoseWindowHoldsTheTime) {
    setWindow(0, 17, 0, 19, 0);
    setWindow(1, 8, 0, 18, 0);
    setWindow(2, 12, 0, 13, 0);
    // Start 42949673:00 wraps to 00:04 in 32 bits.
    setWindow(3, 42949673, 0, 6, 0);
    store(KEY_CONTRAST, 80, 1);
    ispsim::setDayNightState(0, 0);
    // Timed or fixed, the time, the scheme after two passes from scheme 3.
    const int aanCases[][4] = {{1, 12, 30, 1}, {1, 8, 0, 1},   {1, 7, 59, 0}, {1, 18, 0, 0},
                               {1, 23, 0, 0},  {1, 3, 0, 0},   {0, 12, 30, 3}};
    for (const auto& anCase : aanCases) {
        SCOPED_TRACE(::testing::PrintToString(std::vector<int>(anCase, anCase + 4)));
        startIn(3);
        access().timingScheme() = anCase[0] != 0;
        hostsim::setClock(anCase[1], anCase[2]);
        for (int nPass = 0; nPass < 2; ++nPass) {
            controller().sensorThread();
            EXPECT_EQ(access().curScheme(), anCase[3]);
            EXPECT_EQ(sentValues(KEY_CONTRAST), anCase[3] == 1 ? std::vector<int>{80} : std::vector<int>());
        }
    }
}

TEST_F(SensorThreadTest, PlateRecognitionReappliesOnEnteringAWindowThenFallsBackToDayNight) {
    setWindow(2, 12, 0, 13, 0);
    store(KEY_DN_MODE, 2, 1);
    store(KEY_BRIGHTNESS, 40, 1);
    startIn(2);
    access().timingScheme() = true;
    access().lprScheme() = true;
    hostsim::setClock(12, 30);

    // Entering the window re-applies every value of the scheme already current.
    controller().sensorThread();
    EXPECT_EQ(access().curScheme(), 2);
    EXPECT_EQ(sentValues(KEY_SATURATION), std::vector<int>{50});
    EXPECT_EQ(access().lastSchedule(), 1u);
    ispsim::clearCalls();
    controller().sensorThread();
    EXPECT_TRUE(ispsim::calls().empty());

    // Leaving it at night: the day/night mode goes out as 0 but stays stored.
    hostsim::setClock(14, 0);
    ispsim::setDayNightState(0, 1);
    controller().sensorThread();
    EXPECT_EQ(access().curScheme(), 1);
    EXPECT_EQ(sentValues(KEY_DN_MODE), std::vector<int>{0});
    EXPECT_EQ(sentValues(KEY_BRIGHTNESS), std::vector<int>{40});
    EXPECT_EQ(access().schemeValue(1, KEY_DN_MODE), 2);
    EXPECT_EQ(access().lastSchedule(), 0u);
    ispsim::clearCalls();
    controller().sensorThread();
    EXPECT_TRUE(ispsim::setCalls(KEY_BRIGHTNESS).empty());
}

// Channel 2's handler leaves the request; channel 1 serves it once, in mode 0
// too, where it switches nothing.
TEST_F(SensorThreadTest, RequestFromAnotherChannelIsServedOnceByChannelOne) {
    ISensorController& objSecond = layOut(1);
    writeFile("/mnt/mtd/hd1/program/config/sync_fov.ini", "# positions\nzoom1=24576,focus1=1200,\n");
    int nValue = 1;
    objSecond.doIoCrtl(8100, IA_CMD_OPT_SET, &nValue);
    EXPECT_EQ(ISensorController::m_nChanneldDosomething.load(), -1);
    objSecond.doIoCrtl(KEY_MIXSTREAM_THERMAL_TO_VISION_SYNC_FOV, IA_CMD_OPT_SET, &nValue);
    objSecond.sensorThread();
    EXPECT_TRUE(ispsim::setCalls(KEY_MZ_POSITION).empty());
    EXPECT_EQ(ISensorController::m_nChanneldDosomething.load(), 1);
    EXPECT_EQ(ISensorController::m_nPassKeycmd.load(), KEY_MIXSTREAM_THERMAL_TO_VISION_SYNC_FOV);

    dayNightIn(1, 0);
    access().paramMode() = 0;
    controller().sensorThread();
    controller().sensorThread();
    EXPECT_EQ(access().curScheme(), 1);
    EXPECT_EQ(sentValues(KEY_MZ_POSITION), std::vector<int>{24576});
    EXPECT_EQ(ispsim::setCalls(KEY_MZ_POSITION).at(0).channel, 0);
    EXPECT_EQ(ISensorController::m_nChanneldDosomething.load(), -1);
    EXPECT_EQ(ISensorController::m_nPassKeycmd.load(), -1);
}
