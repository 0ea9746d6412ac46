// Host threads and the running sensor thread on one controller: owners set
// and read their own key while another host thread switches schemes and
// modes, flushes and reverts, and the day/night state and the clock change
// under a fast sensor thread. No update of the cache may be lost, and at the
// end the ISP holds what the current scheme holds.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "HostSimulation.h"
#include "IspSimulation.h"
#include "SchemeControllerFixture.h"

namespace {

const int OWNER_ITERATIONS = 500;
const int CHAOS_ITERATIONS_MAX = 200000;
const u32 USER_SCHEMES = 4;

// Counts the ISP set calls made on threads other than the test's own, that is
// the sensor thread's switches.
struct CallCounter {
    std::mutex mutex;
    std::set<std::thread::id> testThreads;
    std::atomic<unsigned long> foreignCalls{0};
};

void countCall(const ispsim::Call& p_stCall, void* p_pContext) {
    if (p_stCall.option != IA_CMD_OPT_SET) return;
    CallCounter& objCounter = *static_cast<CallCounter*>(p_pContext);
    std::lock_guard<std::mutex> objGuard(objCounter.mutex);
    if (objCounter.testThreads.count(std::this_thread::get_id()) == 0) ++objCounter.foreignCalls;
}

struct Confirmed {
    bool valid = false;
    int value = 0;
};

}  // namespace

class SchemeStressTest : public SchemeControllerFixture {
protected:
    void TearDown() override {
        ispsim::setCallObserver(nullptr, nullptr);
        SchemeControllerFixture::TearDown();
    }

    // Scheme 0 in day/night mode; windows that the simulated clock walks
    // through: scheme 0 before 12:00, scheme 1 to 12:20, scheme 2 after.
    void prepareSchemeFiles() {
        ASSERT_TRUE(startAndStop());
        const u32 aanWindows[3][4] = {{0, 0, 12, 0}, {12, 0, 12, 20}, {12, 20, 24, 0}};
        for (int i = 0; i < 3; ++i) {
            std::vector<KeyVal> vecScheme = readScheme(schemePath(1, i));
            const u32 anKeys[] = {KEY_SCHEME_START_HOUR, KEY_SCHEME_START_MIN, KEY_SCHEME_END_HOUR, KEY_SCHEME_END_MIN};
            for (int j = 0; j < 4; ++j) setValue(vecScheme, anKeys[j], aanWindows[i][j]);
            if (i == 0) setValue(vecScheme, KEY_SCHEME_MODE, 2);
            writeScheme(schemePath(1, i), vecScheme);
        }
    }
    // Marks the calling thread as one of the test's and waits for the start.
    void enroll(CallCounter& p_objCounter, std::mutex& p_objStart) {
        {
            std::lock_guard<std::mutex> objGuard(p_objCounter.mutex);
            p_objCounter.testThreads.insert(std::this_thread::get_id());
        }
        std::lock_guard<std::mutex> objWait(p_objStart);
    }

    std::atomic<unsigned> m_nRevertGeneration{0};
    std::atomic<int> m_nOwnersRunning{0};
    std::atomic<unsigned long> m_nFailures{0};
    std::atomic<unsigned long> m_nConfirmedChecks{0};
};

TEST_F(SchemeStressTest, HostThreadsAndSensorThreadLoseNoUpdate) {
    installDevice("ir-bullet");
    prepareSchemeFiles();
    hostsim::setClock(11, 50);
    hostsim::setWaitScale(0.001);
    CallCounter objCounter;
    objCounter.testThreads.insert(std::this_thread::get_id());
    ispsim::setCallObserver(countCall, &objCounter);

    ISensorController& objController = makeController(1);
    ASSERT_TRUE(objController.init(moduleConfig()));
    ASSERT_TRUE(access().dnScheme());

    const std::array<int, 3> anOwnedKeys = {KEY_BRIGHTNESS, KEY_SATURATION, KEY_CONTRAST};
    std::vector<std::thread> vecThreads;
    std::mutex objStart;
    std::unique_lock<std::mutex> objHold(objStart);
    m_nOwnersRunning = static_cast<int>(anOwnedKeys.size());

    for (size_t nOwner = 0; nOwner < anOwnedKeys.size(); ++nOwner) {
        vecThreads.emplace_back([&, nOwner]() {
            enroll(objCounter, objStart);
            const int nKey = anOwnedKeys[nOwner];
            std::array<Confirmed, USER_SCHEMES> astModel;
            unsigned nLastGeneration = m_nRevertGeneration.load();
            const auto inUserScheme = [](int p_nScheme) {
                return p_nScheme >= 0 && p_nScheme < static_cast<int>(USER_SCHEMES);
            };
            for (int nIteration = 0; nIteration < OWNER_ITERATIONS; ++nIteration) {
                // What this thread last confirmed in a scheme is still there.
                unsigned nGeneration = m_nRevertGeneration.load();
                if (nGeneration != nLastGeneration) astModel = std::array<Confirmed, USER_SCHEMES>();
                int nBefore = -1;
                int nAfter = -2;
                int nValue = -1;
                objController.getParamScheme(nBefore);
                objController.getParameter(nKey, nValue);
                objController.getParamScheme(nAfter);
                if (nGeneration == m_nRevertGeneration.load() && nGeneration % 2 == 0 && nBefore == nAfter &&
                    inUserScheme(nBefore) && astModel[nBefore].valid) {
                    ++m_nConfirmedChecks;
                    if (nValue != astModel[nBefore].value) ++m_nFailures;
                }

                const int nWritten = static_cast<int>(nOwner) * 100000 + nIteration;
                nGeneration = m_nRevertGeneration.load();
                objController.getParamScheme(nBefore);
                if (objController.setParameter(nKey, nWritten, true) != SNS_SUCCESS) ++m_nFailures;
                objController.getParameter(nKey, nValue);
                objController.getParamScheme(nAfter);
                nLastGeneration = m_nRevertGeneration.load();
                if (nGeneration == nLastGeneration && nGeneration % 2 == 0 && nBefore == nAfter &&
                    inUserScheme(nBefore)) {
                    ++m_nConfirmedChecks;
                    if (nValue != nWritten) ++m_nFailures;
                    astModel[nBefore].valid = true;
                    astModel[nBefore].value = nWritten;
                } else {
                    astModel = std::array<Confirmed, USER_SCHEMES>();
                }
                // Room for the sensor thread, whose try-lock finds the lock
                // free only between host calls.
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            }
            --m_nOwnersRunning;
        });
    }

    vecThreads.emplace_back([&]() {
        enroll(objCounter, objStart);
        for (int nIteration = 0; nIteration < CHAOS_ITERATIONS_MAX && m_nOwnersRunning.load() > 0; ++nIteration) {
            ispsim::setDayNightState(0, (nIteration / 3) % 2);
            hostsim::setClock(11 + (50 + nIteration % 60) / 60, (50 + nIteration % 60) % 60);
            switch (nIteration % 9) {
                case 1:
                    objController.setParamScheme(nIteration % static_cast<int>(USER_SCHEMES));
                    break;
                case 2:
                    objController.setParamMode(nIteration % 4 == 0 ? 0 : 1);
                    break;
                case 4:
                    if (objController.flush() != SNS_SUCCESS) ++m_nFailures;
                    break;
                case 5:
                    ++m_nRevertGeneration;
                    objController.resetToLastParameters();
                    ++m_nRevertGeneration;
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

    EXPECT_EQ(m_nFailures.load(), 0u);
    EXPECT_GT(m_nConfirmedChecks.load(), static_cast<unsigned long>(OWNER_ITERATIONS));
    EXPECT_GT(objCounter.foreignCalls.load(), 0u);
}
