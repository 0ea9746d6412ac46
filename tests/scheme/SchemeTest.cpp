// Schemes: switching (the schedule windows, the host's scheme and mode
// choices, the sensor thread's pass), saving, returning to the saved values,
// re-sending stored values, the factory reset and the sensor check, and host
// threads racing the running sensor thread.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include "HostSimulation.h"
#include "IspSimulation.h"
#include "SchemeControllerFixture.h"
#include "platform/CameraPaths.h"

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

// The factory set (scheme 4) may be chosen; a mode outside 0 and 1 is
// reported and stored.
TEST_F(SchemeSwitchingTest, FirstAndForcedSwitchesSendEveryRecordOthersWhatDiffersAndOnlyInRange) {
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

    ispsim::clearCalls();
    EXPECT_FALSE(controller().setParamScheme(-1));
    EXPECT_FALSE(controller().setParamScheme(5));
    EXPECT_EQ(controller().switch_to(9, false), -1);
    EXPECT_EQ(controller().LPR_switch_to(-3), -1);
    EXPECT_EQ(access().curScheme(), 2);
    EXPECT_TRUE(ispsim::calls().empty());
    EXPECT_NE(errorLog().find("p_nScheme >= 0 && (u32)p_nScheme <= m_stSysConf.nSchemeSum"), std::string::npos);
    store(KEY_BRIGHTNESS, 33, 4);
    EXPECT_TRUE(controller().setParamScheme(4));
    EXPECT_EQ(access().curScheme(), 4);
    EXPECT_EQ(sentValues(KEY_BRIGHTNESS), std::vector<int>{33});
    EXPECT_TRUE(controller().setParamMode(5));
    EXPECT_EQ(access().paramMode(), 5);
    EXPECT_NE(errorLog().find("0 == p_nMode || 1 == p_nMode"), std::string::npos);
}

// While a bulk change runs the pass switches nothing (during a factory reset
// it does not even wait its second) and the host's scheme and mode changes
// wait for it, holding the controller's lock; the pass never waits for them.
TEST_F(SensorThreadTest, BulkChangesDeferTheDayNightSwitchAndHoldHostChangesButNeverThePass) {
    dayNightIn(1, 1);
    EXPECT_EQ(controller().sensorThread(), 0);
    EXPECT_EQ(access().curScheme(), 1);
    EXPECT_TRUE(ispsim::setCalls(KEY_BRIGHTNESS).empty());
    ispsim::setDayNightState(0, 0);
    for (const u32 nFlag : {SENSOR_STATE_RETURNING, SENSOR_STATE_RESETTING}) {
        SCOPED_TRACE(nFlag);
        const int nScheme = access().curScheme();
        access().stateFlags() |= nFlag;
        hostsim::resetWaitCount();
        controller().sensorThread();
        EXPECT_EQ(hostsim::waitCount(), nFlag == SENSOR_STATE_RESETTING ? 0u : 1u);
        hostsim::resetWaitCount();
        std::thread objHost([this, nFlag]() {
            nFlag == SENSOR_STATE_RETURNING ? controller().setParamScheme(2) : controller().setParamMode(0);
        });
        while (hostsim::waitCount() < 3) std::this_thread::yield();
        std::future<int> objPass = std::async(std::launch::async, [this]() { return controller().sensorThread(); });
        EXPECT_EQ(objPass.wait_for(std::chrono::seconds(10)), std::future_status::ready);
        EXPECT_EQ(access().curScheme(), nScheme);
        EXPECT_EQ(access().paramMode(), 1);
        access().stateFlags() &= ~nFlag;
        objHost.join();
        EXPECT_EQ(objPass.get(), 0);
    }
    EXPECT_EQ(access().curScheme(), 2);
    EXPECT_EQ(access().paramMode(), 0);
    access().paramMode() = 1;
    controller().sensorThread();
    EXPECT_EQ(access().curScheme(), 0);
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
    const int aanCases[][4] = {
        {1, 12, 30, 1}, {1, 8, 0, 1}, {1, 7, 59, 0}, {1, 18, 0, 0}, {1, 23, 0, 0}, {1, 3, 0, 0}, {0, 12, 30, 3},
    };
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

// Entering a window re-applies every value of the scheme already current;
// leaving it at night, the day/night mode goes out as 0 but stays stored.
TEST_F(SensorThreadTest, PlateRecognitionReappliesOnEnteringAWindowThenFallsBackToDayNight) {
    setWindow(2, 12, 0, 13, 0);
    store(KEY_DN_MODE, 2, 1);
    store(KEY_BRIGHTNESS, 40, 1);
    startIn(2);
    access().timingScheme() = true;
    access().lprScheme() = true;
    hostsim::setClock(12, 30);
    controller().sensorThread();
    EXPECT_EQ(access().curScheme(), 2);
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
}

// Channel 2's handler leaves the request; channel 1 serves it once, in mode 0
// too, where it switches nothing.
TEST_F(SensorThreadTest, RequestFromAnotherChannelIsServedOnceByChannelOne) {
    ISensorController& objSecond = layOut(1);
    writeFile(camerapath::SYNC_FOV_FILE, "# positions\nzoom1=24576,focus1=1200,\n");
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

class StartedControllerTest : public SchemeControllerFixture {
protected:
    void start(const std::string& p_strDetail = "") {
        installDevice("ir-bullet");
        ASSERT_TRUE(makeController(1).init(moduleConfig(0, p_strDetail)));
        ispsim::clearCalls();
    }
};

// The window's check decides whether the file is rewritten; only the current
// scheme's file is, and none for the factory set.
TEST_F(StartedControllerTest, FlushWritesTheCurrentSchemeOnlyWhenItsWindowIsValid) {
    start();
    // Start hour and minute, end hour and minute, flush result.
    // Fields that would wrap the 32-bit sum to a valid time are refused.
    const int aanCases[][5] = {
        {24, 1, 24, 30, 505},      {0, 0, 25, 0, 506},    {18, 0, 8, 0, 507},
        {10, 0, 10, 0, 507},       {0, 0, 24, 0, 0},      {10, 75, 11, 0, 0},
        {42949673, 0, 24, 0, 505}, {1, -100, 24, 0, 505}, {0, 0, 42949696, 0, 506},
    };
    int nBrightness = 60;
    for (const auto& anCase : aanCases) {
        SCOPED_TRACE(::testing::PrintToString(std::vector<int>(anCase, anCase + 5)));
        const std::string strBefore = readFile(schemePath(1, 0));
        for (int i = 0; i < 4; ++i) age(schemePath(1, i));
        ASSERT_EQ(controller().setParameter(KEY_BRIGHTNESS, ++nBrightness, true), SNS_SUCCESS);
        for (int i = 0; i < 4; ++i) controller().setParameter(kWindowKeys[i], anCase[i], true);
        EXPECT_EQ(controller().flush(), anCase[4]);
        EXPECT_EQ(access().schemeValue(0, KEY_BRIGHTNESS), nBrightness);
        EXPECT_EQ(valueOf(readScheme(schemePath(1, 0)), KEY_BRIGHTNESS),
                  anCase[4] == 0 ? nBrightness : valueOf(strBefore, KEY_BRIGHTNESS));
        for (int i = anCase[4] == 0 ? 1 : 0; i < 4; ++i) EXPECT_EQ(mtime(schemePath(1, i)), 1000) << i;
    }
    ASSERT_TRUE(controller().setParamScheme(4));
    for (int i = 0; i < 4; ++i) age(schemePath(1, i));
    EXPECT_EQ(controller().flush(), SNS_SUCCESS);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(mtime(schemePath(1, i)), 1000) << i;
    EXPECT_FALSE(fileExists(schemePath(1, 4)));
}

// After a flush, and for records a short file lacks, nothing is sent back;
// without a saved file nothing is reverted, and the answer says so.
TEST_F(StartedControllerTest, RevertSendsBackExactlyTheChangedKeysTheFileHolds) {
    start();
    const int nSaved = access().schemeValue(0, KEY_BRIGHTNESS);
    ASSERT_EQ(controller().setParameter(KEY_BRIGHTNESS, nSaved + 11, true), SNS_SUCCESS);
    ispsim::clearCalls();
    EXPECT_TRUE(controller().resetToLastParameters());
    ASSERT_EQ(ispsim::calls().size(), 1u);
    EXPECT_EQ(sentValues(KEY_BRIGHTNESS), std::vector<int>{nSaved});
    EXPECT_EQ(access().schemeValue(0, KEY_BRIGHTNESS), nSaved);
    EXPECT_EQ(access().stateFlags().load() & SENSOR_STATE_RETURNING, 0u);

    controller().setParameter(KEY_BRIGHTNESS, 71, true);
    ASSERT_EQ(controller().flush(), SNS_SUCCESS);
    std::vector<KeyVal> vecStored = readScheme(schemePath(1, 0));
    ASSERT_GT(vecStored.size(), 9u);
    vecStored.resize(8);
    writeScheme(schemePath(1, 0), vecStored);
    const u32 nBeyond = access().scheme(0)[9].key;
    controller().setParameter(static_cast<int>(nBeyond), 3, true);
    const int nBeyondValue = access().schemeValue(0, nBeyond);
    ispsim::clearCalls();
    EXPECT_TRUE(controller().resetToLastParameters());
    EXPECT_TRUE(ispsim::calls().empty());
    EXPECT_EQ(access().schemeValue(0, KEY_BRIGHTNESS), 71);
    EXPECT_EQ(access().schemeValue(0, nBeyond), nBeyondValue);

    removeFile(schemePath(1, 0));
    EXPECT_FALSE(controller().resetToLastParameters());
    EXPECT_TRUE(ispsim::calls().empty());
    EXPECT_NE(errorLog().find("nothing reverted"), std::string::npos);
    EXPECT_EQ(access().stateFlags().load() & SENSOR_STATE_RETURNING, 0u);
}

// restoreAeMode sends focus, then exposure, as the channel has them.
TEST_F(StartedControllerTest, RestoreResendsTheStoredValueAndRestoreAeModeWhatTheChannelHas) {
    start();
    EXPECT_EQ(controller().restore(KEY_BRIGHTNESS), SNS_SUCCESS);
    EXPECT_EQ(sentValues(KEY_BRIGHTNESS), std::vector<int>{access().schemeValue(0, KEY_BRIGHTNESS)});
    EXPECT_EQ(controller().restore(9999), -1);
    EXPECT_NE(errorLog().find("restore key(9999) failed!"), std::string::npos);
    ASSERT_TRUE(access().hasLens());
    const struct {
        bool hasLens, thermal;
        int failing;  // the command the ISP refuses, 0 for none
        bool result;
        std::vector<int> sent;
    } aCases[] = {
        {true, false, 0, true, {KEY_AUTO_FOCUS_MODE, KEY_EXPOSE_MODE}},
        {true, false, KEY_AUTO_FOCUS_MODE, false, {KEY_AUTO_FOCUS_MODE}},
        {false, false, 0, true, {KEY_EXPOSE_MODE}},
        {true, true, KEY_EXPOSE_MODE, true, {KEY_AUTO_FOCUS_MODE}},
    };
    for (const auto& c : aCases) {
        SCOPED_TRACE(::testing::PrintToString(c.sent) + " failing " + std::to_string(c.failing));
        ispsim::clearFaults();
        ispsim::clearCalls();
        access().hasLens() = c.hasLens;
        access().thermalChannel() = c.thermal;
        if (c.failing != 0) ispsim::failCommand(0, c.failing, -1);
        EXPECT_EQ(controller().restoreAeMode(), c.result);
        std::vector<int> vecSent;
        for (const ispsim::Call& stCall : ispsim::calls())
            if (stCall.option == IA_CMD_OPT_SET) vecSent.push_back(stCall.cmd);
        EXPECT_EQ(vecSent, c.sent);
    }
}

// Above debug level 5 the reset re-reads the module configuration (whose
// detail text gives 4 schemes), unless that yields nothing.
TEST_F(StartedControllerTest, FactoryResetLeavesSchemeZeroAndFreshFilesReReadingTheConfigurationAtHighDebug) {
    start("(max_scheme=6)(isInfrared=1)(lensId=3)");
    const std::vector<KeyVal> vecFactory(access().fctKeyVal(), access().fctKeyVal() + access().keyValSum());
    for (int nScheme : {0, 5}) {
        ASSERT_TRUE(controller().setParamScheme(nScheme));
        controller().setParameter(KEY_BRIGHTNESS, 80 + nScheme, true);
        ASSERT_EQ(controller().flush(), SNS_SUCCESS);
    }
    ASSERT_EQ(valueOf(readScheme(schemePath(1, 5)), KEY_BRIGHTNESS), 85);
    EXPECT_TRUE(controller().resetParameters());
    EXPECT_EQ(access().curScheme(), 0);
    EXPECT_EQ(hostsim::lastSystemCommand(), "rm -rf /mnt/mtd/code/config*/sensor1_[0-3].cfg");
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(readFile(schemePath(1, i)), image(vecFactory)) << i;
        EXPECT_EQ(access().schemeValue(static_cast<u32>(i), KEY_BRIGHTNESS), valueOf(vecFactory, KEY_BRIGHTNESS));
    }
    EXPECT_TRUE(controller().getSensorStatus());
    EXPECT_EQ(access().stateFlags().load() & (SENSOR_STATE_RESETTING | SENSOR_STATE_INIT_RUNNING), 0u);
    EXPECT_EQ(ispsim::setCalls(KEY_BRIGHTNESS).back().valueIn(), valueOf(vecFactory, KEY_BRIGHTNESS));

    const std::string strConfig = readFile(camerapath::MODULE_CONFIG_FILE);
    // Debug level, whether the configuration file is there, scheme count.
    const u32 aanCases[][3] = {
        {1, 1, 6},
        {6, 0, 6},
        {6, 1, 4},
    };
    for (const auto& anCase : aanCases) {
        SCOPED_TRACE(anCase[0] * 10 + anCase[1]);
        setDebugControl(std::to_string(anCase[0]) + "\n0\n");
        if (anCase[1] != 0) writeFile(camerapath::MODULE_CONFIG_FILE, strConfig);
        if (anCase[1] == 0) removeFile(camerapath::MODULE_CONFIG_FILE);
        printedBy([&] { controller().resetParameters(); });
        EXPECT_EQ(access().sysConf().nSchemeSum, anCase[2]);
    }
}

// A list of fewer than three numbers, or malformed, is refused, the text
// kept and nothing sent; a query (second item 2) takes the ISP's answer word,
// a command keeps the text.
using SensorCheckTest = SchemeControllerFixture;

TEST_F(SensorCheckTest, ShortOrMalformedListIsRefusedAndNothingSent) {
    installDevice("ir-bullet");
    ISensorController& objController = makeController(1);
    for (const char* szText : {"(5,2)", "", "()", "5,2,0", "(5,2,0)(6)", " (5,2,0)", "(5,2,0) ", "(5,2,0"}) {
        std::string strText = szText;
        const std::string strOut =
            printedBy([&] { EXPECT_NE(objController.SensorCheck(strText), SNS_SUCCESS) << szText; });
        EXPECT_EQ(strText, szText);
        EXPECT_NE(strOut.find(std::string("getParameters fail p_strIds = ") + szText + " \n"), std::string::npos)
            << szText;
    }
    EXPECT_TRUE(ispsim::calls().empty());
    for (const char* szText : {"(5,2,0)", "(5,1,9)"}) {
        ispsim::clearCalls();
        std::string strText = szText;
        EXPECT_EQ(objController.SensorCheck(strText), SNS_SUCCESS);
        const std::vector<ispsim::Call> vecCalls = ispsim::calls();
        ASSERT_EQ(vecCalls.size(), 1u);
        EXPECT_EQ(vecCalls[0].cmd, IA_CMD_SENSOR_CHECK);
        EXPECT_EQ(vecCalls[0].option, static_cast<unsigned>(szText[3] == '2' ? IA_CMD_OPT_GET : IA_CMD_OPT_SET));
        EXPECT_EQ(std::vector<int>({vecCalls[0].wordIn(0), vecCalls[0].wordIn(1), vecCalls[0].wordIn(2)}),
                  std::vector<int>({5, szText[3] - '0', szText[5] - '0'}));
        EXPECT_EQ(strText, szText[3] == '2' ? "1" : szText);
    }
}

namespace {

const int OWNER_ITERATIONS = 500;
const int USER_SCHEMES = 4;

// The ISP set calls made on threads other than the test's own are the sensor
// thread's switches.
thread_local bool t_bTestThread = false;
std::atomic<unsigned long> g_nForeignCalls{0};
// The pass (hostsim::passCount) of the sensor thread's first set call since
// it was cleared.
std::atomic<unsigned long> g_nFirstForeignPass{0};

void countCall(const ispsim::Call& p_stCall, void*) {
    if (p_stCall.option != IA_CMD_OPT_SET || t_bTestThread) return;
    ++g_nForeignCalls;
    unsigned long nNone = 0;
    g_nFirstForeignPass.compare_exchange_strong(nNone, hostsim::passCount());
}

}  // namespace

class SchemeStressTest : public SchemeControllerFixture {
protected:
    // Channel 1 of the installed device started, its sensor thread's set
    // calls counted from now on.
    ISensorController& startCounting() {
        t_bTestThread = true;
        g_nForeignCalls = 0;
        ispsim::setCallObserver(countCall, nullptr);
        ISensorController& objController = makeController(1);
        EXPECT_TRUE(objController.init(moduleConfig()));
        return objController;
    }
    // With switching stopped the ISP must hold what the current scheme holds.
    void expectIspHoldsTheScheme(ISensorController& p_objController, const std::vector<int>& p_vecKeys) {
        ASSERT_TRUE(p_objController.setParamMode(0));
        for (int nKey : p_vecKeys) {
            int nCached = -1;
            int32_t nIsp = -2;
            ASSERT_TRUE(p_objController.getParameter(nKey, nCached));
            ASSERT_TRUE(ispsim::value(0, nKey, nIsp));
            EXPECT_EQ(nIsp, nCached) << "key " << nKey;
        }
    }
    void TearDown() override {
        ispsim::setCallObserver(nullptr, nullptr);
        SchemeControllerFixture::TearDown();
    }
};

TEST_F(SchemeStressTest, HostThreadsAndSensorThreadLoseNoUpdate) {
    installDevice("ir-bullet");
    // Scheme 0 in day/night mode; windows the clock walks through: scheme 0
    // before 12:00, scheme 1 to 12:20, scheme 2 after.
    ASSERT_TRUE(startAndStop());
    const u32 aanWindows[3][4] = {{0, 0, 12, 0}, {12, 0, 12, 20}, {12, 20, 24, 0}};
    for (int i = 0; i < 3; ++i) {
        std::vector<KeyVal> vecScheme = readScheme(schemePath(1, i));
        for (int j = 0; j < 4; ++j) setValue(vecScheme, kWindowKeys[j], aanWindows[i][j]);
        if (i == 0) setValue(vecScheme, KEY_SCHEME_MODE, 2);
        writeScheme(schemePath(1, i), vecScheme);
    }
    hostsim::setClock(11, 50);
    hostsim::setWaitScale(0.001);
    ISensorController& objController = startCounting();
    ASSERT_TRUE(access().dnScheme());

    const std::array<int, 3> anOwnedKeys = {KEY_BRIGHTNESS, KEY_SATURATION, KEY_CONTRAST};
    // Odd while a revert or a host switch runs.
    std::atomic<unsigned> nHostChangeGeneration{0};
    std::atomic<int> nOwnersRunning{static_cast<int>(anOwnedKeys.size())};
    std::atomic<unsigned long> nFailures{0}, nConfirmedChecks{0};
    std::mutex objStart;
    std::unique_lock<std::mutex> objHold(objStart);
    const auto enroll = [&]() {
        t_bTestThread = true;
        std::lock_guard<std::mutex> objWait(objStart);
    };
    std::vector<std::thread> vecThreads;

    for (size_t nOwner = 0; nOwner < anOwnedKeys.size(); ++nOwner) {
        vecThreads.emplace_back([&, nOwner]() {
            enroll();
            const int nKey = anOwnedKeys[nOwner];
            // What this thread last confirmed per scheme; -1: nothing.
            std::array<int, USER_SCHEMES> anModel;
            anModel.fill(-1);
            // Runs p_fnCall between two scheme reads: the scheme it ran in when
            // no revert, no switch and no call of the sensor thread ran since
            // p_nGeneration was read, else -1 (an equal scheme before and after
            // would not show a switch away and back).
            const auto steadily = [&](unsigned p_nGeneration, const std::function<void()>& p_fnCall) {
                const unsigned long nForeign = g_nForeignCalls.load();
                int nBefore = -1, nAfter = -2;
                objController.getParamScheme(nBefore);
                p_fnCall();
                objController.getParamScheme(nAfter);
                const bool bSteady = p_nGeneration == nHostChangeGeneration.load() && p_nGeneration % 2 == 0 &&
                                     nForeign == g_nForeignCalls.load() && nBefore == nAfter;
                return bSteady && nBefore >= 0 && nBefore < USER_SCHEMES ? nBefore : -1;
            };
            unsigned nLastGeneration = nHostChangeGeneration.load();
            for (int nIteration = 0; nIteration < OWNER_ITERATIONS; ++nIteration) {
                const unsigned nGeneration = nHostChangeGeneration.load();
                if (nGeneration != nLastGeneration) anModel.fill(-1);
                int nValue = -1;
                int nScheme = steadily(nGeneration, [&] { objController.getParameter(nKey, nValue); });
                if (nScheme >= 0 && anModel[nScheme] >= 0) {
                    ++nConfirmedChecks;
                    if (nValue != anModel[nScheme]) ++nFailures;
                }
                const int nWritten = static_cast<int>(nOwner) * 100000 + nIteration;
                nScheme = steadily(nHostChangeGeneration.load(), [&] {
                    if (objController.setParameter(nKey, nWritten, true) != SNS_SUCCESS) ++nFailures;
                    objController.getParameter(nKey, nValue);
                });
                nLastGeneration = nHostChangeGeneration.load();
                if (nScheme >= 0) {
                    ++nConfirmedChecks;
                    if (nValue != nWritten) ++nFailures;
                    anModel[nScheme] = nWritten;
                } else {
                    anModel.fill(-1);
                }
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            }
            --nOwnersRunning;
        });
    }

    vecThreads.emplace_back([&]() {
        enroll();
        for (int nIteration = 0; nIteration < 200000 && nOwnersRunning.load() > 0; ++nIteration) {
            ispsim::setDayNightState(0, (nIteration / 3) % 2);
            hostsim::setClock(11 + (50 + nIteration % 60) / 60, (50 + nIteration % 60) % 60);
            const int nStep = nIteration % 9;
            if (nStep == 1 || nStep == 5) {  // a host switch or a revert: odd generations while it runs
                ++nHostChangeGeneration;
                if (nStep == 1)
                    objController.setParamScheme(nIteration % USER_SCHEMES);
                else
                    objController.resetToLastParameters();
                ++nHostChangeGeneration;
            } else if (nStep == 2) {
                objController.setParamMode(nIteration % 4 == 0 ? 0 : 1);
            } else if (nStep == 4 && objController.flush() != SNS_SUCCESS) {
                ++nFailures;
            } else if (nStep == 7) {
                // In scheme 0 this moves between the timed and the day/night
                // mode; elsewhere it is only stored.
                objController.setParameter(KEY_SCHEME_MODE, nIteration % 2 == 0 ? 1 : 2, true);
            }
            objController.setParamMode(1);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });

    objHold.unlock();
    for (std::thread& objThread : vecThreads) objThread.join();
    expectIspHoldsTheScheme(objController, {KEY_BRIGHTNESS, KEY_SATURATION, KEY_CONTRAST});
    EXPECT_EQ(nFailures.load(), 0u);
    EXPECT_GT(nConfirmedChecks.load(), static_cast<unsigned long>(OWNER_ITERATIONS));
    EXPECT_GT(g_nForeignCalls.load(), 0u);
}

// Day/night mode with scheme 1 differing from scheme 0; four host threads
// call back to back. Each day/night change happens between two passes, and
// the very next pass must switch.
TEST_F(SchemeStressTest, EveryPassDecidesUnderBackToBackHostCalls) {
    installDevice("ir-bullet");
    hostsim::setWaitScale(0.0);
    ISensorController& objController = startCounting();
    ASSERT_TRUE(objController.setParamScheme(1));
    ASSERT_EQ(objController.setParameter(KEY_SATURATION, 61, true), SNS_SUCCESS);
    ASSERT_TRUE(objController.setParamScheme(0));
    ispsim::setDayNightState(0, 0);
    ASSERT_EQ(objController.setParameter(KEY_SCHEME_MODE, 2, true), SNS_SUCCESS);
    hostsim::setWaitScale(0.001);

    std::atomic<bool> bStop{false};
    std::vector<std::thread> vecHosts;
    for (int nHost = 0; nHost < 4; ++nHost) {
        vecHosts.emplace_back([&]() {
            t_bTestThread = true;
            int nValue = 0;
            std::string strText;
            for (int i = 0; !bStop.load(); ++i) {
                if (i % 4 == 0)
                    objController.getParameter(KEY_BRIGHTNESS, nValue);
                else if (i % 4 == 1)
                    objController.setParameter(KEY_BRIGHTNESS, 40 + i % 20, true);
                else if (i % 4 == 2)
                    objController.getParameters("(34,2337)", strText);
                else
                    strText = objController.getUIStyleFile();
            }
        });
    }
    for (int nChange = 0; nChange < 30; ++nChange) {
        const int nTarget = nChange % 2 == 0 ? 1 : 0;
        hostsim::holdThreads(true);
        ispsim::setDayNightState(0, nTarget);
        g_nFirstForeignPass = 0;
        const unsigned long nBase = hostsim::passCount();
        hostsim::holdThreads(false);
        int nScheme = -1;
        for (int nPoll = 0; nPoll < 20000 && (g_nFirstForeignPass.load() == 0 || nScheme != nTarget); ++nPoll) {
            std::this_thread::sleep_for(std::chrono::microseconds(500));
            objController.getParamScheme(nScheme);
        }
        ASSERT_EQ(nScheme, nTarget) << "change " << nChange;
        EXPECT_EQ(g_nFirstForeignPass.load(), nBase + 1) << "change " << nChange;
    }
    // A pass the host runs itself meets the thread's: they decide in turn,
    // and the ISP ends with what the current scheme holds.
    vecHosts.emplace_back([&]() {
        t_bTestThread = true;
        while (!bStop.load()) objController.sensorThread();
    });
    for (int nChange = 0; nChange < 20; ++nChange) {
        ispsim::setDayNightState(0, nChange % 2);
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
    }
    bStop = true;
    for (std::thread& objHost : vecHosts) objHost.join();
    expectIspHoldsTheScheme(objController, {KEY_SATURATION});
}
