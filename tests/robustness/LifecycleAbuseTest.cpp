// Lifecycle abuse (init and uinit twice are StartupTest's): destruction without
// uinit, a factory reset while host threads call in, every public operation on
// a controller never started. No crash, no leak (the sanitizer builds check),
// a failure answer where there is nothing to answer with, and a report.
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "RobustnessFixture.h"
#include "SensorZoomFocusParam.h"
#include "platform/CameraPaths.h"

class LifecycleAbuseTest : public RobustnessFixture {};

TEST_F(LifecycleAbuseTest, DestructionWithoutUinitShutsTheControllerDownWithAReport) {
    setDebugControl("4\n0\n");
    const std::unique_ptr<simdevice::RunningCamera> pCamera = camera("").start();
    ASSERT_TRUE(pCamera->started);
    pCamera->controllers.clear();
    EXPECT_NE(errorLog().find("ISensorController(1) destroyed without uinit"), std::string::npos);
    // Nothing runs on after the destruction: no pass of a thread left behind
    // reaches the ISP (and the leak checker finds no block left behind).
    ispsim::clearCalls();
    const unsigned long nWaits = hostsim::waitCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(hostsim::waitCount(), nWaits);
    EXPECT_TRUE(ispsim::calls().empty());
}

// The operations without a lock also run while a reset releases and rebuilds
// the arrays: from a host thread of their own, and from inside the video
// module's notifications, which come while the controller's lock is held.
class ReadingVideoModule : public SimulatedVideoModule {
public:
    ISensorController* pController = nullptr;
    int notifySensorParam(int p_nChannel, int p_nKey, int p_nValue) const override {
        u32 nValue = 0;
        if (pController != nullptr) pController->getKeyValFromCache(0, static_cast<u32>(p_nKey), nValue);
        return SimulatedVideoModule::notifySensorParam(p_nChannel, p_nKey, p_nValue);
    }
};

TEST_F(LifecycleAbuseTest, FactoryResetWhileHostThreadsCallIn) {
    ISensorController& c = makeController(1);
    ReadingVideoModule objVideo;
    objVideo.pController = &c;
    c.setVideoStreamModule(&objVideo);
    ASSERT_TRUE(c.init(moduleConfig()));

    std::atomic<bool> bStop(false);
    std::atomic<unsigned long> nCalls(0);
    std::vector<std::thread> vecThreads;
    // Each thread repeats its calls, with out-values of its own, until the resets are done.
    const auto spin = [&](std::function<void(int&, u32&, std::string&)> fnCalls) {
        vecThreads.emplace_back([&, fnCalls]() {
            int nValue = 0;
            u32 nCached = 0;
            std::string strText;
            for (; !bStop; ++nCalls) fnCalls(nValue, nCached, strText);
        });
    };
    spin([&](int& n, u32&, std::string&) { c.setParameter(KEY_BRIGHTNESS, n++ % 100, true); });
    spin([&](int& n, u32&, std::string& s) {
        c.getParameter(KEY_SATURATION, n);
        c.getAllParameters(s);
    });
    spin([&](int& n, u32&, std::string&) {
        c.flush();
        c.getUIStyleFile();
        c.getParamScheme(n);
        c.setParameters(std::string("(34,55)(2337,45)"), true);
    });
    // Without a lock these touch only records the locked calls leave alone.
    spin([&](int& n, u32& u, std::string&) {
        int nInSchedule = 0;
        c.judgeCurScheme(n, nInSchedule);
        c.paramCheck();
        c.getKeyValFromCache(1, KEY_BRIGHTNESS, u);
        c.setKeyValToCache(1, KEY_CONTRAST, u % 100, false);
        c.isKeyValSame(KeyVal{KEY_CONTRAST, u});
    });
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(c.resetParameters());
    bStop = true;
    for (std::thread& objThread : vecThreads) objThread.join();

    EXPECT_GT(nCalls.load(), 0u);
    EXPECT_TRUE(c.getSensorStatus());
    int nScheme = -1;
    EXPECT_TRUE(c.getParamScheme(nScheme));
    EXPECT_EQ(c.setParameter(KEY_BRIGHTNESS, 66, true), SNS_SUCCESS);
    EXPECT_EQ(access(0).schemeValue(static_cast<u32>(nScheme), KEY_BRIGHTNESS), 66);
    c.setVideoStreamModule(nullptr);
}

TEST_F(LifecycleAbuseTest, FactoryResetOfAControllerNeverStartedLeavesItFullyStartedOrNotAtAll) {
    ISensorController& objController = makeController(1);
    EXPECT_TRUE(objController.resetParameters());
    const bool bStarted = objController.getSensorStatus();
    EXPECT_EQ(access().userKeyVal() != nullptr, bStarted);
    EXPECT_EQ(access().keyCmdMap() != nullptr, bStarted);
    if (bStarted) {
        EXPECT_EQ(access().curScheme(), 0);
        EXPECT_EQ(objController.setParameter(KEY_BRIGHTNESS, 65, true), SNS_SUCCESS);
    }
}

// Each public operation on a controller that has never been started answers
// (failing where it has nothing to answer with) without touching the arrays
// that do not exist; one that would change state reports that it cannot.
class UnstartedControllerTest : public LifecycleAbuseTest {
protected:
    // The call claimed no success, and reported.
    void expectRefused(bool p_bClaimed, const char* p_szCalls) {
        EXPECT_FALSE(p_bClaimed) << p_szCalls;
        EXPECT_NE(errorLog().find("[sensor assert]"), std::string::npos) << p_szCalls;
        removeFile(camerapath::ERROR_LOG_FILE);
    }
};

TEST_F(UnstartedControllerTest, EveryPublicCallAnswersWithoutCrashing) {
    ISensorController& c = makeController(1);
    removeFile(camerapath::DEBUG_CONTROL_FILE);
    removeFile(camerapath::ERROR_LOG_FILE);
    int n = 1, m = 0;
    u32 u = 0;
    std::string s, strCheck = "(5,2,0)", strAll;
    expectRefused(c.setParameter(KEY_BRIGHTNESS, 50, true) == SNS_SUCCESS, "setParameter");
    expectRefused(c.setParameters(std::string("(34,50)"), true) == SNS_SUCCESS, "setParameters of a text");
    KeyVal astRecords[] = {{KEY_BRIGHTNESS, 50}, {KEY_SCHEME_MODE, 2}, {KEY_IR_MODE, 1}};
    expectRefused(c.setParameters(astRecords, 3, true) == SNS_SUCCESS, "setParameters of records");
    expectRefused(c.switch_to(1, true) == SNS_SUCCESS, "switch_to");
    expectRefused(c.LPR_switch_to(1) == SNS_SUCCESS, "LPR_switch_to");
    expectRefused(c.setParamScheme(1), "setParamScheme");
    expectRefused(c.restore(KEY_BRIGHTNESS) == SNS_SUCCESS, "restore");
    expectRefused(c.restoreAeMode(), "restoreAeMode");
    expectRefused(!c.getUIStyleFile().empty(), "getUIStyleFile");
    expectRefused(c.setDNMode(1), "setDNMode");
    expectRefused(c.setWDRSwitch(n), "setWDRSwitch");
    expectRefused(c.setMirrorMode(1), "setMirrorMode");
    expectRefused(c.setShutterValue(3), "setShutterValue");
    expectRefused(c.shutterUp(), "shutterUp");
    expectRefused(c.shutterDown(), "shutterDown");
    expectRefused(c.setIRSwitch(1), "setIRSwitch");
    expectRefused(c.setLightType(2), "setLightType");
    c.setParamMode(2);
    expectRefused(false, "setParamMode");

    // The others answer, from the ISP where they can, without a claim of data
    // they do not have.
    c.getUICommonFile(1);
    c.getUILanguageFile(1);
    c.getSensorParamRange(49, n, s);
    c.getDNMode(n);
    c.getBeaway(n);
    c.getShutterValue(n);
    c.zoomIn();
    c.focusFar();
    c.getZoomValue(n, m);
    c.setZoomValue(10);
    c.setFocusMode(1);
    c.setDNState(1);
    SensorZoomFocusParam objParam;
    c.getSensorZoomFocusParam(objParam);
    c.setSensorZoomFocusParam(objParam);
    c.sync_fov();
    c.getParameter(KEY_BRIGHTNESS, n);
    c.SensorCheck(strCheck);
    c.getParameters("(34,2337)", s);
    c.getParamScheme(n);
    c.judgeCurScheme(n, m);
    c.paramCheck();
    c.setKeyValToCache(0, KEY_BRIGHTNESS, 1, true);
    c.doIaCmd(KEY_BRIGHTNESS, IA_CMD_OPT_SET, &n);
    c.doDNThr(KEY_DTN_THR, IA_CMD_OPT_SET, &n);
    c.doDNTime(KEY_DTN_H, IA_CMD_OPT_SET, &n);
    c.doMirror(KEY_MIRROR, IA_CMD_OPT_SET, &n);
    c.doBeaway(KEY_BEAWAY, IA_CMD_OPT_SET, &n);
    c.doImageAdjust(KEY_BRIGHTNESS, IA_CMD_OPT_SET, &n);
    EXPECT_FALSE(c.getAllParameters(strAll) && !strAll.empty());
    EXPECT_NE(c.getKeyValFromCache(0, KEY_BRIGHTNESS, u), 0);
    EXPECT_FALSE(c.isKeyValSame({KEY_BRIGHTNESS, 1}));
    c.sensorThread();
    c.flush();
    c.resetToLastParameters();
    EXPECT_FALSE(c.getSensorStatus());
    EXPECT_EQ(access().userKeyVal(), nullptr);
}
