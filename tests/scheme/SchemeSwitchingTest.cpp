// Scheme switching, the host's scheme and mode choices, the schedule windows
// and their check.
#include <gtest/gtest.h>

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
};

struct WindowCase {
    const char* name;
    int hour, minute, scheme, inSchedule;
};

class JudgeCurSchemeTest : public SchemeSwitchingTest, public ::testing::WithParamInterface<WindowCase> {};

TEST_P(JudgeCurSchemeTest, LowestSchemeWhoseHalfOpenWindowHoldsTheTime) {
    setWindow(0, 17, 0, 19, 0);
    setWindow(1, 8, 0, 18, 0);
    setWindow(2, 12, 0, 13, 0);
    setWindow(3, 22, 0, 6, 0);
    hostsim::setClock(GetParam().hour, GetParam().minute);
    int nScheme = -7;
    int nInSchedule = -7;
    EXPECT_EQ(controller().judgeCurScheme(nScheme, nInSchedule), SNS_SUCCESS);
    EXPECT_EQ(nScheme, GetParam().scheme);
    EXPECT_EQ(nInSchedule, GetParam().inSchedule);
}

INSTANTIATE_TEST_SUITE_P(Times, JudgeCurSchemeTest,
                         ::testing::Values(WindowCase{"Overlap", 12, 30, 1, 1}, WindowCase{"Start", 8, 0, 1, 1},
                                           WindowCase{"BeforeStart", 7, 59, 0, 0},
                                           WindowCase{"EndIsSchemeZeroOwnWindow", 18, 0, 0, 1},
                                           WindowCase{"WrappedWindowNeverHolds", 23, 0, 0, 0},
                                           WindowCase{"EarlyMorning", 3, 0, 0, 0}),
                         [](const ::testing::TestParamInfo<WindowCase>& p_stInfo) { return std::string(p_stInfo.param.name); });

struct CheckCase {
    const char* name;
    u32 startHour, startMin, endHour, endMin;
    int result;
};

class ParamCheckTest : public SchemeSwitchingTest, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(ParamCheckTest, CurrentSchemeWindowIsChecked) {
    startIn(2);
    setWindow(2, GetParam().startHour, GetParam().startMin, GetParam().endHour, GetParam().endMin);
    EXPECT_EQ(controller().paramCheck(), GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(Windows, ParamCheckTest,
                         ::testing::Values(CheckCase{"WholeDay", 0, 0, 24, 0, 0},
                                           CheckCase{"StartAfterMidnight", 24, 1, 24, 30, 505},
                                           CheckCase{"EndAfterMidnight", 0, 0, 25, 0, 506},
                                           CheckCase{"Wrapped", 22, 0, 6, 0, 507}, CheckCase{"Empty", 10, 0, 10, 0, 507},
                                           CheckCase{"MinutesNotValidated", 10, 75, 11, 0, 0}),
                         [](const ::testing::TestParamInfo<CheckCase>& p_stInfo) { return std::string(p_stInfo.param.name); });

TEST_F(SchemeSwitchingTest, FirstSwitchSendsEveryRecordThenOnlyWhatDiffers) {
    put(1, KEY_BRIGHTNESS, 61);
    EXPECT_EQ(controller().switch_to(1, false), SNS_SUCCESS);
    EXPECT_EQ(sentValues(KEY_BRIGHTNESS), std::vector<int>{61});
    EXPECT_EQ(sentValues(KEY_SATURATION), std::vector<int>{50});
    EXPECT_EQ(sentValues(KEY_IR_SWITCH), std::vector<int>{0});
    EXPECT_EQ(access().curScheme(), 1);
    EXPECT_EQ(access().lastScheme(), -1);
    EXPECT_EQ(access().stateFlags().load() & SENSOR_STATE_SWITCHING, 0u);

    ispsim::clearCalls();
    controller().switch_to(0, false);
    ASSERT_EQ(ispsim::calls().size(), 1u);
    EXPECT_EQ(sentValues(KEY_BRIGHTNESS), std::vector<int>{50});
    EXPECT_EQ(access().lastScheme(), 1);
    EXPECT_EQ(access().schemeValue(1, KEY_BRIGHTNESS), 61);
}

TEST_F(SchemeSwitchingTest, ForcedSwitchSendsEveryRecordEvenWhenUnchanged) {
    startIn(0);
    controller().switch_to(1, true);
    EXPECT_EQ(sentValues(KEY_BRIGHTNESS), std::vector<int>{50});
    EXPECT_EQ(sentValues(KEY_CONTRAST), std::vector<int>{50});
    EXPECT_EQ(access().curScheme(), 1);
}

TEST_F(SchemeSwitchingTest, PlateRecognitionSwitchSendsDayNightModeZeroAndKeepsTheScheme) {
    startIn(0);
    put(2, KEY_DN_MODE, 2);
    EXPECT_EQ(controller().LPR_switch_to(2), SNS_SUCCESS);
    EXPECT_EQ(sentValues(KEY_DN_MODE), std::vector<int>{0});
    EXPECT_EQ(sentValues(KEY_BRIGHTNESS), std::vector<int>{50});
    EXPECT_EQ(access().schemeValue(2, KEY_DN_MODE), 2);
    EXPECT_EQ(access().curScheme(), 2);
    EXPECT_EQ(access().lastScheme(), 0);
}

TEST_F(SchemeSwitchingTest, SchemeOutsideTheRangeIsRefusedAndTheFactorySetMayBeChosen) {
    startIn(1);
    EXPECT_FALSE(controller().setParamScheme(-1));
    EXPECT_FALSE(controller().setParamScheme(5));
    EXPECT_EQ(controller().switch_to(9, false), -1);
    EXPECT_EQ(controller().LPR_switch_to(-3), -1);
    EXPECT_EQ(access().curScheme(), 1);
    EXPECT_TRUE(ispsim::calls().empty());
    EXPECT_NE(errorLog().find("p_nScheme >= 0 && (u32)p_nScheme <= m_stSysConf.nSchemeSum"), std::string::npos);

    put(4, KEY_BRIGHTNESS, 33);
    EXPECT_TRUE(controller().setParamScheme(4));
    int nScheme = -7;
    controller().getParamScheme(nScheme);
    EXPECT_EQ(nScheme, 4);
    EXPECT_EQ(sentValues(KEY_BRIGHTNESS), std::vector<int>{33});
}

TEST_F(SchemeSwitchingTest, ModeOutsideZeroAndOneIsReportedAndStored) {
    for (int nSet : {5, -1}) {
        EXPECT_TRUE(controller().setParamMode(nSet));
        int nMode = -7;
        controller().getParamMode(nMode);
        EXPECT_EQ(nMode, nSet);
    }
    EXPECT_NE(errorLog().find("0 == p_nMode || 1 == p_nMode"), std::string::npos);
}

TEST_F(SchemeSwitchingTest, SchemeAndModeChangesWaitWhileABulkChangeRuns) {
    startIn(0);
    for (int nStep = 0; nStep < 2; ++nStep) {
        const u32 nFlag = nStep == 0 ? SENSOR_STATE_RETURNING : SENSOR_STATE_RESETTING;
        const int nScheme = access().curScheme();
        const int nMode = access().paramMode();
        access().stateFlags() |= nFlag;
        hostsim::resetWaitCount();
        std::thread objHost([this, nStep]() {
            if (nStep == 0) controller().setParamScheme(2);
            else controller().setParamMode(0);
        });
        while (hostsim::waitCount() < 3) std::this_thread::yield();
        EXPECT_EQ(access().curScheme(), nScheme) << nStep;
        EXPECT_EQ(access().paramMode(), nMode) << nStep;
        access().stateFlags() &= ~nFlag;
        objHost.join();
    }
    EXPECT_EQ(access().curScheme(), 2);
    EXPECT_EQ(access().paramMode(), 0);
}
