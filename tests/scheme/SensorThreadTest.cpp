// The sensor thread's pass, run directly: the day/night, timed and
// plate-recognition rules, the busy flags, the parameter mode, the
// cross-channel field-of-view request and the try-lock.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "HostSimulation.h"
#include "IspSimulation.h"
#include "SchemeControllerFixture.h"

class SensorThreadTest : public SchemeLayoutFixture {
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
    void writeSyncFile(const std::string& p_strContent) {
        writeFile("/mnt/mtd/hd1/program/config/sync_fov.ini", p_strContent);
    }
};

TEST_F(SensorThreadTest, DayNightModeSwitchesOnlyWhenTheStateDiffersAndWithoutForce) {
    put(0, KEY_BRIGHTNESS, 70);
    dayNightIn(1, 1);
    EXPECT_EQ(controller().sensorThread(), 0);
    EXPECT_EQ(access().curScheme(), 1);
    EXPECT_TRUE(ispsim::setCalls(KEY_BRIGHTNESS).empty());

    ispsim::setDayNightState(0, 0);
    controller().sensorThread();
    EXPECT_EQ(access().curScheme(), 0);
    EXPECT_EQ(sentValues(KEY_BRIGHTNESS), std::vector<int>{70});
    EXPECT_TRUE(ispsim::setCalls(KEY_SATURATION).empty());
}

TEST_F(SensorThreadTest, BusyFlagDefersTheSwitchToALaterPass) {
    dayNightIn(0, 1);
    access().stateFlags() |= SENSOR_STATE_RETURNING;
    controller().sensorThread();
    EXPECT_EQ(access().curScheme(), 0);
    access().stateFlags() &= ~static_cast<u32>(SENSOR_STATE_RETURNING);
    controller().sensorThread();
    EXPECT_EQ(access().curScheme(), 1);
}

TEST_F(SensorThreadTest, ModeZeroStopsSwitchingButServesTheRequest) {
    dayNightIn(1, 0);
    access().paramMode() = 0;
    writeSyncFile("zoom1=20000,focus1=300,\n");
    ISensorController::m_nChanneldDosomething = 1;
    ISensorController::m_nPassKeycmd = KEY_MIXSTREAM_THERMAL_TO_VISION_SYNC_FOV;
    controller().sensorThread();
    EXPECT_EQ(access().curScheme(), 1);
    EXPECT_EQ(sentValues(KEY_MZ_POSITION), std::vector<int>{20000});
    EXPECT_EQ(ISensorController::m_nChanneldDosomething.load(), -1);
    EXPECT_EQ(ISensorController::m_nPassKeycmd.load(), -1);
}

struct TimedCase {
    const char* name;
    bool timed;
    int current, hour, scheme;
};

class TimedModeTest : public SensorThreadTest, public ::testing::WithParamInterface<TimedCase> {};

TEST_P(TimedModeTest, PassFollowsTheWindowHoldingTheTimeOnlyInTimedMode) {
    setWindow(3, 8, 0, 9, 0);
    put(3, KEY_CONTRAST, 80);
    startIn(GetParam().current);
    access().timingScheme() = GetParam().timed;
    ispsim::setDayNightState(0, 0);
    hostsim::setClock(GetParam().hour, 30);
    for (int nPass = 0; nPass < 2; ++nPass) {
        controller().sensorThread();
        EXPECT_EQ(access().curScheme(), GetParam().scheme);
        EXPECT_EQ(sentValues(KEY_CONTRAST), GetParam().scheme == 3 ? std::vector<int>{80} : std::vector<int>());
    }
}

INSTANTIATE_TEST_SUITE_P(Windows, TimedModeTest,
                         ::testing::Values(TimedCase{"EntersTheWindowOnce", true, 0, 8, 3},
                                           TimedCase{"OutsideEveryWindowReturnsToSchemeZero", true, 2, 10, 0},
                                           TimedCase{"FixedModeNeverSwitches", false, 1, 8, 1}),
                         [](const ::testing::TestParamInfo<TimedCase>& p_stInfo) { return std::string(p_stInfo.param.name); });

TEST_F(SensorThreadTest, PlateRecognitionReappliesOnEnteringAWindowThenFallsBackToDayNight) {
    setWindow(2, 12, 0, 13, 0);
    put(1, KEY_DN_MODE, 2);
    put(1, KEY_BRIGHTNESS, 40);
    startIn(2);
    access().timingScheme() = true;
    access().lprScheme() = true;
    hostsim::setClock(12, 30);

    // Entering the window re-applies every value of the scheme already current.
    controller().sensorThread();
    EXPECT_EQ(access().curScheme(), 2);
    EXPECT_EQ(sentValues(KEY_BRIGHTNESS), std::vector<int>{50});
    EXPECT_EQ(sentValues(KEY_SATURATION), std::vector<int>{50});
    EXPECT_EQ(access().lastSchedule(), 1u);
    ispsim::clearCalls();
    controller().sensorThread();
    EXPECT_TRUE(ispsim::calls().empty());

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
    EXPECT_EQ(access().curScheme(), 1);
}

TEST_F(SensorThreadTest, RequestFromAnotherChannelIsServedOnceByChannelOne) {
    ISensorController& objSecond = layOut(2);
    writeSyncFile("# positions\nzoom1=24576,focus1=1200,\n");
    int nValue = 1;
    objSecond.doIoCrtl(KEY_MIXSTREAM_THERMAL_TO_VISION_SYNC_FOV, IA_CMD_OPT_SET, &nValue);
    objSecond.sensorThread();
    EXPECT_TRUE(ispsim::setCalls(KEY_MZ_POSITION).empty());
    EXPECT_EQ(ISensorController::m_nChanneldDosomething.load(), 1);

    controller().sensorThread();
    controller().sensorThread();
    EXPECT_EQ(sentValues(KEY_MZ_POSITION), std::vector<int>{24576});
    EXPECT_EQ(ispsim::setCalls(KEY_MZ_POSITION).at(0).channel, 0);
    EXPECT_EQ(ISensorController::m_nPassKeycmd.load(), -1);
}

TEST_F(SensorThreadTest, PassWaitsOneSecondExceptDuringAFactoryReset) {
    dayNightIn(0, 1);
    hostsim::resetWaitCount();
    controller().sensorThread();
    EXPECT_EQ(hostsim::waitCount(), 1u);
    EXPECT_EQ(access().curScheme(), 1);

    ispsim::setDayNightState(0, 0);
    access().stateFlags() |= SENSOR_STATE_RESETTING;
    controller().sensorThread();
    EXPECT_EQ(hostsim::waitCount(), 1u);
    EXPECT_EQ(access().curScheme(), 1);
    access().stateFlags() &= ~static_cast<u32>(SENSOR_STATE_RESETTING);
}

TEST_F(SensorThreadTest, PassNeverWaitsForTheLockAHostCallHolds) {
    dayNightIn(0, 1);
    // setParamMode holds the controller's lock while it polls the busy flags.
    access().stateFlags() |= SENSOR_STATE_RETURNING;
    hostsim::resetWaitCount();
    std::thread objHost([this]() { controller().setParamMode(1); });
    while (hostsim::waitCount() < 2) std::this_thread::yield();
    std::future<int> objPass = std::async(std::launch::async, [this]() { return controller().sensorThread(); });
    const bool bReturned = objPass.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    access().stateFlags() &= ~static_cast<u32>(SENSOR_STATE_RETURNING);
    objHost.join();
    EXPECT_TRUE(bReturned);
    EXPECT_EQ(objPass.get(), 0);
    EXPECT_EQ(access().curScheme(), 0);
}
