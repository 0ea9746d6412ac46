// Host replacement: threads, callables, the mutex, waits and the clock.
#include <gtest/gtest.h>

#include <time.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "GThread.h"
#include "HostSimulation.h"
#include "ZTMutex.h"
#include "ZentarTime.h"
#include "function.h"

namespace {

// A thread body whose calls are observable.
class Worker {
public:
    int body() {
        m_bInBody = true;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        ++m_nCalls;
        m_bInBody = false;
        return 0;
    }
    int onStart() {
        m_nCallsAtStart = m_nCalls.load();
        ++m_nStarts;
        return 0;
    }
    int onStop() {
        m_nCallsAtStop = m_nCalls.load();
        ++m_nStops;
        return 0;
    }

    bool waitForCalls(int p_nCount) {
        for (int i = 0; i < 5000 && m_nCalls.load() < p_nCount; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return m_nCalls.load() >= p_nCount;
    }

    std::atomic<int> m_nCalls{0};
    std::atomic<int> m_nStarts{0};
    std::atomic<int> m_nStops{0};
    std::atomic<int> m_nCallsAtStop{-1};
    std::atomic<bool> m_bInBody{false};
    std::atomic<int> m_nCallsAtStart{-1};
};

class GThreadTest : public ::testing::Test {
protected:
    GThread* makeThread() {
        return new GThread(function<int>(bind_funcobj0(&m_objWorker, &Worker::body)), "SensorThread",
                           function<int>(bind_funcobj0(&m_objWorker, &Worker::onStart)),
                           function<int>(bind_funcobj0(&m_objWorker, &Worker::onStop)));
    }
    Worker m_objWorker;
};

TEST_F(GThreadTest, BodyRunsRepeatedlyBetweenTheStartAndStopCallables) {
    GThread* pThread = makeThread();
    EXPECT_NE(0, pThread->stop());
    EXPECT_EQ(0, m_objWorker.m_nCalls.load());
    for (int nRun = 1; nRun <= 2; ++nRun) {
        const int nBefore = m_objWorker.m_nCalls.load();
        ASSERT_NE(0, pThread->start());
        EXPECT_EQ(0, pThread->start());
        ASSERT_TRUE(m_objWorker.waitForCalls(nBefore + 3));
        EXPECT_NE(0, pThread->stop());
        EXPECT_FALSE(m_objWorker.m_bInBody.load());
        const int nCalls = m_objWorker.m_nCalls.load();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_EQ(nCalls, m_objWorker.m_nCalls.load());
        EXPECT_EQ(nRun, m_objWorker.m_nStarts.load());
        EXPECT_EQ(nRun, m_objWorker.m_nStops.load());
        EXPECT_EQ(nBefore, m_objWorker.m_nCallsAtStart.load());
        EXPECT_EQ(nCalls, m_objWorker.m_nCallsAtStop.load());
        EXPECT_NE(0, pThread->stop());
    }
    delete pThread;
}

TEST_F(GThreadTest, HeldThreadsRunNoPassUntilReleasedAndStillStop) {
    GThread* pThread = makeThread();
    ASSERT_NE(0, pThread->start());
    ASSERT_TRUE(m_objWorker.waitForCalls(1));
    hostsim::holdThreads(true);
    EXPECT_FALSE(m_objWorker.m_bInBody.load());
    const int nCalls = m_objWorker.m_nCalls.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(nCalls, m_objWorker.m_nCalls.load());
    hostsim::holdThreads(false);
    EXPECT_TRUE(m_objWorker.waitForCalls(nCalls + 1));
    hostsim::holdThreads(true);
    EXPECT_NE(0, pThread->stop());
    hostsim::holdThreads(false);
    ASSERT_NE(0, pThread->start());
    delete pThread;
    EXPECT_EQ(2, m_objWorker.m_nStops.load()) << "the destructor stops a running thread";
    EXPECT_FALSE(m_objWorker.m_bInBody.load());
}

class Counted : public callable_object<int> {
public:
    explicit Counted(int* p_pDestroyed) : m_pDestroyed(p_pDestroyed) {}
    ~Counted() override { ++*m_pDestroyed; }
    int call() override { return 7; }

private:
    int* m_pDestroyed;
};

TEST(FunctionTest, NullPointersReportAndThrow) {
    int (*pNull)() = nullptr;
    testing::internal::CaptureStdout();
    try {
        function<int> objFunction(pNull);
        ADD_FAILURE() << "no exception";
    } catch (const ZTRuntimeError& e) {
        EXPECT_STREQ("Construct from NULL original pointer", e.what());
    }
    Worker* pNoWorker = nullptr;
    EXPECT_THROW(function<int> objFunction(bind_funcobj0(pNoWorker, &Worker::body)), ZTRuntimeError);
    EXPECT_EQ("SafePointer Report:function<R> Construct from NULL original pointer\n"
              "SafePointer Report:function<R> Construct from NULL <T>pointer\n",
              testing::internal::GetCapturedStdout());
}

TEST(FunctionTest, CopiesShareTheObjectWhichDiesWithTheLastCopy) {
    int nDestroyed = 0;
    {
        function<int> objFirst(new Counted(&nDestroyed));
        function<int> objSecond(GThread::emptyFun);
        {
            function<int> objCopy(objFirst);
            objSecond = objCopy;
            const function<int>& rSame = objSecond;
            objSecond = rSame;
            EXPECT_EQ(7, objCopy());
        }
        EXPECT_EQ(0, nDestroyed);
        EXPECT_EQ(7, objSecond());
    }
    EXPECT_EQ(1, nDestroyed);
}

TEST(ZTMutexTest, TryLockFailsWhileAnotherThreadHoldsIt) {
    ZTMutex objMutex;
    bool bTakenElsewhere = true;
    {
        ZTMutexManager objGuard(objMutex, __FILE__, __LINE__);
        std::thread([&] { bTakenElsewhere = objMutex.TryLock(__FILE__, __LINE__); }).join();
    }
    EXPECT_FALSE(bTakenElsewhere);
    bool bTakenAfter = false;
    std::thread([&] {
        bTakenAfter = objMutex.TryLock(__FILE__, __LINE__);
        if (bTakenAfter) objMutex.Unlock(__FILE__, __LINE__);
    }).join();
    EXPECT_TRUE(bTakenAfter);
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
        bool bTakenElsewhere = true;
        std::thread([&] { bTakenElsewhere = objMutex.TryLock(__FILE__, __LINE__); }).join();
        EXPECT_FALSE(bTakenElsewhere);
    }
    const std::string strReport = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, strReport.find("inner.cpp:2"));
    EXPECT_NE(std::string::npos, strReport.find("inner.cpp:3"));
    EXPECT_TRUE(objMutex.TryLock(__FILE__, __LINE__));
    objMutex.Unlock(__FILE__, __LINE__);
}
#endif

class TimeTest : public ::testing::Test {
protected:
    void SetUp() override { hostsim::reset(); }
    void TearDown() override { hostsim::reset(); }
};

TEST_F(TimeTest, WaitsAreScaledAndCounted) {
    hostsim::setWaitScale(0.0);
    auto tStart = std::chrono::steady_clock::now();
    ZentarTime(1, 0).wait();
    ZentarTime(0, 500000).wait();
    EXPECT_LT(std::chrono::steady_clock::now() - tStart, std::chrono::milliseconds(100));
    EXPECT_EQ(2u, hostsim::waitCount());
    hostsim::resetWaitCount();
    EXPECT_EQ(0u, hostsim::waitCount());

    hostsim::setWaitScale(0.005);
    tStart = std::chrono::steady_clock::now();
    ZentarTime(1, 0).wait();
    const auto tSpent = std::chrono::steady_clock::now() - tStart;
    EXPECT_GE(tSpent, std::chrono::milliseconds(5));
    EXPECT_LT(tSpent, std::chrono::milliseconds(500));
}

TEST_F(TimeTest, SimulatedClockAnswersUntilCleared) {
    hostsim::setClock(18, 30);
    ZTDateTime stTime = ZTDeviceTime::getCurrentTime();
    EXPECT_EQ(18, stTime.hour);
    EXPECT_EQ(30, stTime.minute);
    hostsim::clearClock();
    const time_t nNow = time(nullptr);
    struct tm stLocal;
    localtime_r(&nNow, &stLocal);
    stTime = ZTDeviceTime::getCurrentTime();
    EXPECT_EQ(stLocal.tm_year + 1900, stTime.year);
    EXPECT_EQ(stLocal.tm_hour, stTime.hour);
}

}  // namespace
