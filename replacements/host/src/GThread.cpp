// The host thread class on pthreads: calls its body again and again until
// stopped.
#include "GThread.h"
#include "HostSimulationState.h"

#include <pthread.h>
#include <sched.h>
#include <stdio.h>
#include <sys/prctl.h>

#include <atomic>
#include <exception>
#include <mutex>

struct GThread::Impl {
    Impl(const function<int>& p_objBody, const std::string& p_strName, const function<int>& p_objOnStart,
         const function<int>& p_objOnStop)
        : objBody(p_objBody),
          objOnStart(p_objOnStart),
          objOnStop(p_objOnStop),
          strName(p_strName),
          bRunning(false),
          bStopRequested(false) {}

    static void* run(void* p_pImpl);
    void loop();

    function<int> objBody;
    function<int> objOnStart;
    function<int> objOnStop;
    std::string strName;
    // Serialises start and stop; the thread itself never takes it.
    std::mutex controlMutex;
    pthread_t thread;
    bool bRunning;
    std::atomic<bool> bStopRequested;
};

namespace {

// Ends a pass also when the body throws.
struct PassGuard {
    ~PassGuard() {
        hostsim::detail::endPass();
        sched_yield();
    }
};

}  // namespace

void* GThread::Impl::run(void* p_pImpl) {
    static_cast<Impl*>(p_pImpl)->loop();
    return nullptr;
}

void GThread::Impl::loop() {
    // The kernel keeps at most 15 characters of a thread name.
    prctl(PR_SET_NAME, strName.substr(0, 15).c_str(), 0, 0, 0);
    // An exception leaving a thread would end the process; the thread ends
    // instead and says why.
    try {
        objOnStart();
        while (!bStopRequested.load(std::memory_order_acquire)) {
            if (!hostsim::detail::beginPass()) continue;
            PassGuard objPass;
            objBody();
        }
        objOnStop();
    } catch (const std::exception& e) {
        fprintf(stderr, "GThread %s ended by an exception: %s\n", strName.c_str(), e.what());
    } catch (...) {
        fprintf(stderr, "GThread %s ended by an exception\n", strName.c_str());
    }
}

GThread::GThread(const function<int>& p_objBody, const std::string& p_strName, const function<int>& p_objOnStart,
                 const function<int>& p_objOnStop)
    : m_pImpl(new Impl(p_objBody, p_strName, p_objOnStart, p_objOnStop)) {}

GThread::~GThread() {
    stop();
    delete m_pImpl;
}

int GThread::start() {
    std::lock_guard<std::mutex> guard(m_pImpl->controlMutex);
    if (m_pImpl->bRunning) return 0;
    m_pImpl->bStopRequested.store(false, std::memory_order_release);
    if (pthread_create(&m_pImpl->thread, nullptr, &Impl::run, m_pImpl) != 0) return 0;
    m_pImpl->bRunning = true;
    return 1;
}

int GThread::stop() {
    std::lock_guard<std::mutex> guard(m_pImpl->controlMutex);
    if (!m_pImpl->bRunning) return hostsim::detail::idleStopResult();
    m_pImpl->bStopRequested.store(true, std::memory_order_release);
    // The body cannot wait for its own end: the flag is set, the join is left
    // to a stop from another thread or the destructor.
    if (pthread_equal(pthread_self(), m_pImpl->thread)) return 0;
    pthread_join(m_pImpl->thread, nullptr);
    m_pImpl->bRunning = false;
    return 1;
}

int GThread::emptyFun() { return 0; }
