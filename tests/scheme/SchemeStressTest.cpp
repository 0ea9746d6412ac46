// Host threads and the running sensor thread on one controller: owners set
// and read their own key while another host thread switches schemes and
// modes, flushes and reverts, and the day/night state and the clock change
// under a fast sensor thread. No update of the cache may be lost, and at the
// end the ISP holds what the current scheme holds. Host threads calling back
// to back never make a pass put its decision off.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "HostSimulation.h"
#include "IspSimulation.h"
#include "SchemeControllerFixture.h"

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
    const u32 anWindowKeys[] = {KEY_SCHEME_START_HOUR, KEY_SCHEME_START_MIN, KEY_SCHEME_END_HOUR, KEY_SCHEME_END_MIN};
    for (int i = 0; i < 3; ++i) {
        std::vector<KeyVal> vecScheme = readScheme(schemePath(1, i));
        for (int j = 0; j < 4; ++j) setValue(vecScheme, anWindowKeys[j], aanWindows[i][j]);
        if (i == 0) setValue(vecScheme, KEY_SCHEME_MODE, 2);
        writeScheme(schemePath(1, i), vecScheme);
    }
    hostsim::setClock(11, 50);
    hostsim::setWaitScale(0.001);
    t_bTestThread = true;
    g_nForeignCalls = 0;
    ispsim::setCallObserver(countCall, nullptr);

    ISensorController& objController = makeController(1);
    ASSERT_TRUE(objController.init(moduleConfig()));
    ASSERT_TRUE(access().dnScheme());

    const std::array<int, 3> anOwnedKeys = {KEY_BRIGHTNESS, KEY_SATURATION, KEY_CONTRAST};
    // Odd while a revert or a host switch runs.
    std::atomic<unsigned> nHostChangeGeneration{0};
    std::atomic<int> nOwnersRunning{static_cast<int>(anOwnedKeys.size())};
    std::atomic<unsigned long> nFailures{0};
    std::atomic<unsigned long> nConfirmedChecks{0};
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
            // A check counts only when no revert and no switch ran: an equal
            // scheme before and after would not show a switch away and back,
            // which sends the sensor thread's calls.
            const auto steady = [&](unsigned p_nGeneration, unsigned long p_nForeign, int p_nBefore, int p_nAfter) {
                return p_nGeneration == nHostChangeGeneration.load() && p_nGeneration % 2 == 0 &&
                       p_nForeign == g_nForeignCalls.load() && p_nBefore == p_nAfter && p_nBefore >= 0 &&
                       p_nBefore < USER_SCHEMES;
            };
            unsigned nLastGeneration = nHostChangeGeneration.load();
            for (int nIteration = 0; nIteration < OWNER_ITERATIONS; ++nIteration) {
                unsigned nGeneration = nHostChangeGeneration.load();
                if (nGeneration != nLastGeneration) anModel.fill(-1);
                unsigned long nForeign = g_nForeignCalls.load();
                int nBefore = -1, nAfter = -2, nValue = -1;
                objController.getParamScheme(nBefore);
                objController.getParameter(nKey, nValue);
                objController.getParamScheme(nAfter);
                if (steady(nGeneration, nForeign, nBefore, nAfter) && anModel[nBefore] >= 0) {
                    ++nConfirmedChecks;
                    if (nValue != anModel[nBefore]) ++nFailures;
                }

                const int nWritten = static_cast<int>(nOwner) * 100000 + nIteration;
                nGeneration = nHostChangeGeneration.load();
                nForeign = g_nForeignCalls.load();
                objController.getParamScheme(nBefore);
                if (objController.setParameter(nKey, nWritten, true) != SNS_SUCCESS) ++nFailures;
                objController.getParameter(nKey, nValue);
                objController.getParamScheme(nAfter);
                nLastGeneration = nHostChangeGeneration.load();
                if (steady(nGeneration, nForeign, nBefore, nAfter)) {
                    ++nConfirmedChecks;
                    if (nValue != nWritten) ++nFailures;
                    anModel[nBefore] = nWritten;
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
            switch (nIteration % 9) {
                case 1:
                    ++nHostChangeGeneration;
                    objController.setParamScheme(nIteration % USER_SCHEMES);
                    ++nHostChangeGeneration;
                    break;
                case 2:
                    objController.setParamMode(nIteration % 4 == 0 ? 0 : 1);
                    break;
                case 4:
                    if (objController.flush() != SNS_SUCCESS) ++nFailures;
                    break;
                case 5:
                    ++nHostChangeGeneration;
                    objController.resetToLastParameters();
                    ++nHostChangeGeneration;
                    break;
                case 7:
                    // In scheme 0 this moves between the timed and the
                    // day/night mode; elsewhere it is only stored.
                    objController.setParameter(KEY_SCHEME_MODE, nIteration % 2 == 0 ? 1 : 2, true);
                    break;
                default:
                    break;
            }
            objController.setParamMode(1);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });

    objHold.unlock();
    for (std::thread& objThread : vecThreads) objThread.join();

    // No more switches; then the ISP must hold what the current scheme holds.
    objController.setParamMode(0);
    ispsim::setCallObserver(nullptr, nullptr);
    for (int nKey : anOwnedKeys) {
        int nCached = -1;
        int32_t nIsp = -2;
        ASSERT_TRUE(objController.getParameter(nKey, nCached));
        ASSERT_TRUE(ispsim::value(0, nKey, nIsp));
        EXPECT_EQ(nIsp, nCached) << "key " << nKey;
    }
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
    ISensorController& objController = makeController(1);
    ASSERT_TRUE(objController.init(moduleConfig()));
    ASSERT_TRUE(objController.setParamScheme(1));
    ASSERT_EQ(objController.setParameter(KEY_SATURATION, 61, true), SNS_SUCCESS);
    ASSERT_TRUE(objController.setParamScheme(0));
    ispsim::setDayNightState(0, 0);
    ASSERT_EQ(objController.setParameter(KEY_SCHEME_MODE, 2, true), SNS_SUCCESS);
    hostsim::setWaitScale(0.001);
    t_bTestThread = true;
    ispsim::setCallObserver(countCall, nullptr);

    std::atomic<bool> bStop{false};
    std::vector<std::thread> vecHosts;
    for (int nHost = 0; nHost < 4; ++nHost) {
        vecHosts.emplace_back([&]() {
            t_bTestThread = true;
            int nValue = 0;
            std::string strText;
            for (int i = 0; !bStop.load(); ++i) {
                switch (i % 4) {
                    case 0: objController.getParameter(KEY_BRIGHTNESS, nValue); break;
                    case 1: objController.setParameter(KEY_BRIGHTNESS, 40 + i % 20, true); break;
                    case 2: objController.getParameters("(34,2337)", strText); break;
                    default: strText = objController.getUIStyleFile(); break;
                }
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
    bStop = true;
    for (std::thread& objHost : vecHosts) objHost.join();
}
