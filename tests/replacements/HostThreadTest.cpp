// Host replacement: the thread the sensor pass runs on and the mutex guarding
// the controller.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "GThread.h"
#include "HostSimulation.h"
#include "ZTMutex.h"
#include "function.h"

namespace {

class Worker {
public:
    int body() {
        m_bInBody = true;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        ++m_nCalls;
        m_bInBody = false;
        return 0;
    }
    int onStart() { return ++m_nStarts, 0; }
    int onStop() {
        m_nCallsAtStop = m_nCalls.load();
        return ++m_nStops, 0;
    }
    bool waitForCalls(int p_nCount) {
        for (int i = 0; i < 5000 && m_nCalls.load() < p_nCount; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return m_nCalls.load() >= p_nCount;
    }
    std::atomic<int> m_nCalls{0}, m_nStarts{0}, m_nStops{0}, m_nCallsAtStop{-1};
    std::atomic<bool> m_bInBody{false};
};

// Stop returns only after the pass in progress and the stop callable; a held
// thread (the simulator's) runs no pass until released and still stops, and
// the destructor stops a running one.
TEST(GThreadTest, StopEndsThePassInProgressAndRunsTheStopCallableOnce) {
    Worker objWorker;
    GThread* pThread = new GThread(function<int>(bind_funcobj0(&objWorker, &Worker::body)), "SensorThread",
                                   function<int>(bind_funcobj0(&objWorker, &Worker::onStart)),
                                   function<int>(bind_funcobj0(&objWorker, &Worker::onStop)));
    EXPECT_NE(0, pThread->stop());
    for (int nRun = 1; nRun <= 2; ++nRun) {
        SCOPED_TRACE(nRun);
        ASSERT_NE(0, pThread->start());
        EXPECT_EQ(0, pThread->start());
        ASSERT_TRUE(objWorker.waitForCalls(objWorker.m_nCalls.load() + 3));
        if (nRun == 2) {
            hostsim::holdThreads(true);
            EXPECT_FALSE(objWorker.m_bInBody.load());
            const int nHeld = objWorker.m_nCalls.load();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            EXPECT_EQ(nHeld, objWorker.m_nCalls.load());
            hostsim::holdThreads(false);
            EXPECT_TRUE(objWorker.waitForCalls(nHeld + 1));
            hostsim::holdThreads(true);
        }
        EXPECT_NE(0, pThread->stop());
        hostsim::holdThreads(false);
        EXPECT_FALSE(objWorker.m_bInBody.load());
        const int nCalls = objWorker.m_nCalls.load();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_EQ(nCalls, objWorker.m_nCalls.load());
        EXPECT_EQ(nCalls, objWorker.m_nCallsAtStop.load());
        EXPECT_EQ(nRun, objWorker.m_nStarts.load());
        EXPECT_EQ(nRun, objWorker.m_nStops.load());
    }
    ASSERT_NE(0, pThread->start());
    delete pThread;
    EXPECT_EQ(3, objWorker.m_nStops.load());
    EXPECT_FALSE(objWorker.m_bInBody.load());
}

#ifndef NDEBUG
// Debug builds check the owner: a second Lock is refused and reported, and
// the refused guard leaves the owner's hold in place.
TEST(ZTMutexTest, SecondLockByTheOwnerIsRefusedInDebugBuilds) {
    ZTMutex objMutex;
    testing::internal::CaptureStderr();
    {
        ZTMutexManager objOuter(objMutex, "outer.cpp", 1);
        EXPECT_NE(0, objMutex.Lock("inner.cpp", 2));
        { ZTMutexManager objInner(objMutex, "inner.cpp", 3); }
    }
    // Had the refused guard unlocked, the outer guard's unlock would fail.
    const std::string strReport = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, strReport.find("inner.cpp:2"));
    EXPECT_NE(std::string::npos, strReport.find("inner.cpp:3"));
    EXPECT_EQ(std::string::npos, strReport.find("outer.cpp"));
}
#endif

}  // namespace
