// Lifecycle abuse (init twice and uinit twice are StartupTest's): destruction
// without uinit, a factory reset while host threads call in, and every public
// operation on a controller that was never initialised. No crash, no leak (the
// sanitizer builds check), a failure answer where there is nothing to answer
// with, and a report.
#include <gtest/gtest.h>

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
    std::unique_ptr<ISensorController> pController(new ISensorController());
    pController->setChannelID(1);
    pController->setVideoStreamModule(&m_objVideo);
    testing::internal::CaptureStdout();
    ASSERT_TRUE(pController->init(moduleConfig()));
    pController.reset();
    testing::internal::GetCapturedStdout();
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
    ISensorController& objController = makeController(1);
    ReadingVideoModule objVideo;
    objVideo.pController = &objController;
    objController.setVideoStreamModule(&objVideo);
    testing::internal::CaptureStdout();
    ASSERT_TRUE(objController.init(moduleConfig()));

    std::atomic<bool> bStop(false);
    std::atomic<unsigned long> nCalls(0);
    std::vector<std::thread> vecThreads;
    vecThreads.emplace_back([&]() {
        for (int nValue = 0; !bStop; nValue = (nValue + 1) % 100, ++nCalls)
            objController.setParameter(KEY_BRIGHTNESS, nValue, true);
    });
    vecThreads.emplace_back([&]() {
        for (; !bStop; ++nCalls) {
            int nValue = 0;
            objController.getParameter(KEY_SATURATION, nValue);
            std::string strAll;
            objController.getAllParameters(strAll);
        }
    });
    vecThreads.emplace_back([&]() {
        for (; !bStop; ++nCalls) {
            objController.flush();
            objController.getUIStyleFile();
            int nScheme = 0;
            objController.getParamScheme(nScheme);
            std::string strText = "(34,55)(2337,45)";
            objController.setParameters(strText, true);
        }
    });
    // Without a lock these touch only records the locked calls leave alone.
    vecThreads.emplace_back([&]() {
        for (; !bStop; ++nCalls) {
            int nScheme = 0, nInSchedule = 0;
            u32 nValue = 0;
            objController.judgeCurScheme(nScheme, nInSchedule);
            objController.paramCheck();
            objController.getKeyValFromCache(1, KEY_BRIGHTNESS, nValue);
            objController.setKeyValToCache(1, KEY_CONTRAST, nValue % 100, false);
            objController.isKeyValSame(KeyVal{KEY_CONTRAST, nValue});
        }
    });
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(objController.resetParameters());
    bStop = true;
    for (std::thread& objThread : vecThreads) objThread.join();
    testing::internal::GetCapturedStdout();

    EXPECT_GT(nCalls.load(), 0u);
    EXPECT_TRUE(objController.getSensorStatus());
    int nScheme = -1;
    EXPECT_TRUE(objController.getParamScheme(nScheme));
    EXPECT_EQ(objController.setParameter(KEY_BRIGHTNESS, 66, true), SNS_SUCCESS);
    EXPECT_EQ(access(0).schemeValue(static_cast<u32>(nScheme), KEY_BRIGHTNESS), 66);
    objController.setVideoStreamModule(nullptr);
}

TEST_F(LifecycleAbuseTest, FactoryResetOfAControllerNeverStartedLeavesItFullyStartedOrNotAtAll) {
    ISensorController& objController = makeController(1);
    testing::internal::CaptureStdout();
    EXPECT_TRUE(objController.resetParameters());
    testing::internal::GetCapturedStdout();
    ISensorControllerTestAccess& objAccess = access(0);
    if (objController.getSensorStatus()) {
        EXPECT_NE(objAccess.userKeyVal(), nullptr);
        EXPECT_NE(objAccess.keyCmdMap(), nullptr);
        EXPECT_EQ(objAccess.curScheme(), 0);
        EXPECT_EQ(objController.setParameter(KEY_BRIGHTNESS, 65, true), SNS_SUCCESS);
    } else {
        EXPECT_EQ(objAccess.userKeyVal(), nullptr);
        EXPECT_EQ(objAccess.keyCmdMap(), nullptr);
    }
}

// Each public operation on a controller that has never been started: it must
// answer (failing where it has nothing to answer with) without touching the
// arrays that do not exist.
struct UnstartedCall {
    const char* szName;
    std::function<bool(ISensorController&)> fnCall;  // whether the call claimed success
    bool bMayClaimSuccess;
    bool bReports;  // a call that would change state reports that it cannot
};

void PrintTo(const UnstartedCall& p_stCase, std::ostream* p_pStream) { *p_pStream << p_stCase.szName; }

class UnstartedControllerTest : public LifecycleAbuseTest, public testing::WithParamInterface<UnstartedCall> {};

TEST_P(UnstartedControllerTest, AnswersWithoutCrashing) {
    ISensorController& objController = makeController(1);
    removeFile(camerapath::DEBUG_CONTROL_FILE);
    testing::internal::CaptureStdout();
    const bool bSucceeded = GetParam().fnCall(objController);
    testing::internal::GetCapturedStdout();
    if (!GetParam().bMayClaimSuccess) {
        EXPECT_FALSE(bSucceeded);
    }
    if (GetParam().bReports) {
        EXPECT_NE(errorLog().find("[sensor assert]"), std::string::npos);
    }
    EXPECT_FALSE(objController.getSensorStatus());
    EXPECT_EQ(access(0).userKeyVal(), nullptr);
}

namespace {

typedef ISensorController C;
const int kBrightness = KEY_BRIGHTNESS;

const UnstartedCall kUnstartedCalls[] = {
    {"SetParameter", [](C& c) { return c.setParameter(kBrightness, 50, true) == SNS_SUCCESS; }, false, true},
    {"SetParametersText", [](C& c) { return c.setParameters(std::string("(34,50)"), true) == SNS_SUCCESS; }, false,
     true},
    {"SetParametersRecords",
     [](C& c) {
         KeyVal astRecords[] = {{KEY_BRIGHTNESS, 50}, {KEY_SCHEME_MODE, 2}, {KEY_IR_MODE, 1}};
         return c.setParameters(astRecords, 3, true) == SNS_SUCCESS;
     },
     false, true},
    {"GetParameter",
     [](C& c) {
         int n = 0;
         return c.getParameter(kBrightness, n);
     },
     true, false},
    {"SwitchTo", [](C& c) { return c.switch_to(1, true) == SNS_SUCCESS; }, false, true},
    {"LprSwitchTo", [](C& c) { return c.LPR_switch_to(1) == SNS_SUCCESS; }, false, true},
    {"SetParamScheme", [](C& c) { return c.setParamScheme(1); }, false, true},
    {"SetParamMode", [](C& c) { return c.setParamMode(2); }, true, true},
    {"Restore", [](C& c) { return c.restore(kBrightness) == SNS_SUCCESS; }, false, true},
    {"RestoreAeMode", [](C& c) { return c.restoreAeMode(); }, false, true},
    {"UiFiles",
     [](C& c) {
         int n = 0;
         std::string s;
         c.getUIStyleFile();
         c.getUICommonFile(1);
         c.getUILanguageFile(1);
         c.getSensorParamRange(49, n, s);
         return false;
     },
     false, true},
    {"Accessors",
     [](C& c) {
         int n = 1;
         c.getDNMode(n);
         c.setDNMode(1);
         c.setWDRSwitch(n);
         c.getBeaway(n);
         c.setMirrorMode(1);
         return false;
     },
     false, true},
    {"Shutter",
     [](C& c) {
         int n = 0;
         c.getShutterValue(n);
         c.setShutterValue(3);
         return c.shutterUp() || c.shutterDown();
     },
     false, true},
    {"LensAndLight",
     [](C& c) {
         int n = 0, r = 0;
         c.zoomIn();
         c.focusFar();
         c.getZoomValue(n, r);
         c.setZoomValue(10);
         c.setFocusMode(1);
         c.setIRSwitch(1);
         c.setLightType(2);
         c.setDNState(1);
         SensorZoomFocusParam objParam;
         c.getSensorZoomFocusParam(objParam);
         c.setSensorZoomFocusParam(objParam);
         c.sync_fov();
         return false;
     },
     false, true},
    // Reads and passes that change nothing: they answer without a claim of
    // data they do not have.
    {"Reads",
     [](C& c) {
         int n = 0, m = 0, v = 1;
         u32 u = 0;
         std::string s = "(5,2,0)", strAll;
         c.getParameters("(34,2337)", s);
         c.getParamScheme(n);
         c.judgeCurScheme(n, m);
         c.paramCheck();
         c.SensorCheck(s);
         c.setKeyValToCache(0, KEY_BRIGHTNESS, 1, true);
         c.doIaCmd(KEY_BRIGHTNESS, IA_CMD_OPT_SET, &v);
         c.doDNThr(KEY_DTN_THR, IA_CMD_OPT_SET, &v);
         c.doDNTime(KEY_DTN_H, IA_CMD_OPT_SET, &v);
         c.doMirror(KEY_MIRROR, IA_CMD_OPT_SET, &v);
         c.doBeaway(KEY_BEAWAY, IA_CMD_OPT_SET, &v);
         c.doImageAdjust(KEY_BRIGHTNESS, IA_CMD_OPT_SET, &v);
         return (c.getAllParameters(strAll) && !strAll.empty()) || c.getKeyValFromCache(0, KEY_BRIGHTNESS, u) == 0 ||
                c.isKeyValSame({KEY_BRIGHTNESS, 1});
     },
     false, false},
    {"Background",
     [](C& c) {
         c.sensorThread();
         c.flush();
         return c.resetToLastParameters();
     },
     true, false},
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Calls, UnstartedControllerTest, testing::ValuesIn(kUnstartedCalls),
                         [](const testing::TestParamInfo<UnstartedCall>& p_stInfo) {
                             return std::string(p_stInfo.param.szName);
                         });
