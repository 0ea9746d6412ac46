// The host replacement's simulation controls: simulated clock, wait scale,
// file-write faults and the record of shell commands.
#include "HostSimulation.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "HostSimulationState.h"

namespace hostsim {
namespace {

struct State {
    std::mutex mutex;
    bool bClockSet = false;
    int nHour = 0;
    int nMinute = 0;
    double dWaitScale = 1.0;
    // Negative: no write fault.
    long long nWriteBudget = -1;
    std::string strLastCommand;
    unsigned long nCommandCount = 0;
};

State& state() {
    static State s_state;
    return s_state;
}

std::atomic<unsigned long> g_nWaitCount(0);
std::atomic<int> g_nIdleStopResult(1);

}  // namespace

void setClock(int p_nHour, int p_nMinute) {
    State& st = state();
    std::lock_guard<std::mutex> guard(st.mutex);
    st.bClockSet = true;
    st.nHour = p_nHour;
    st.nMinute = p_nMinute;
}

void clearClock() {
    State& st = state();
    std::lock_guard<std::mutex> guard(st.mutex);
    st.bClockSet = false;
}

void setWaitScale(double p_dScale) {
    State& st = state();
    std::lock_guard<std::mutex> guard(st.mutex);
    st.dWaitScale = p_dScale < 0.0 ? 0.0 : p_dScale;
}

unsigned long waitCount() { return g_nWaitCount.load(); }

void resetWaitCount() { g_nWaitCount.store(0); }

void failWritesAfter(long long p_nBytes) {
    State& st = state();
    std::lock_guard<std::mutex> guard(st.mutex);
    st.nWriteBudget = p_nBytes < 0 ? -1 : p_nBytes;
}

std::string lastSystemCommand() {
    State& st = state();
    std::lock_guard<std::mutex> guard(st.mutex);
    return st.strLastCommand;
}

unsigned long systemCommandCount() {
    State& st = state();
    std::lock_guard<std::mutex> guard(st.mutex);
    return st.nCommandCount;
}

namespace {

struct ThreadHold {
    std::mutex mutex;
    std::condition_variable changed;
    bool bHeld = false;
    int nRunningPasses = 0;
    unsigned long nBegunPasses = 0;
};

ThreadHold& threadHold() {
    static ThreadHold st;
    return st;
}

}  // namespace

void holdThreads(bool p_bHold) {
    ThreadHold& st = threadHold();
    std::unique_lock<std::mutex> lock(st.mutex);
    st.bHeld = p_bHold;
    st.changed.notify_all();
    if (p_bHold) st.changed.wait(lock, [&st] { return st.nRunningPasses == 0; });
}

unsigned long passCount() {
    ThreadHold& st = threadHold();
    std::lock_guard<std::mutex> lock(st.mutex);
    return st.nBegunPasses;
}

void setIdleStopResult(int p_nResult) { g_nIdleStopResult.store(p_nResult); }

void reset() {
    holdThreads(false);
    g_nIdleStopResult.store(1);
    {
        ThreadHold& st = threadHold();
        std::lock_guard<std::mutex> lock(st.mutex);
        st.nBegunPasses = 0;
    }
    {
        State& st = state();
        std::lock_guard<std::mutex> guard(st.mutex);
        st.bClockSet = false;
        st.nHour = 0;
        st.nMinute = 0;
        st.dWaitScale = 1.0;
        st.nWriteBudget = -1;
        st.strLastCommand.clear();
        st.nCommandCount = 0;
    }
    g_nWaitCount.store(0);
}

namespace detail {

int idleStopResult() { return g_nIdleStopResult.load(); }

double waitScale() {
    State& st = state();
    std::lock_guard<std::mutex> guard(st.mutex);
    return st.dWaitScale;
}

bool beginPass() {
    ThreadHold& st = threadHold();
    std::unique_lock<std::mutex> lock(st.mutex);
    if (st.bHeld) {
        st.changed.wait_for(lock, std::chrono::milliseconds(1));
        return false;
    }
    ++st.nRunningPasses;
    ++st.nBegunPasses;
    return true;
}

void endPass() {
    ThreadHold& st = threadHold();
    std::lock_guard<std::mutex> guard(st.mutex);
    --st.nRunningPasses;
    st.changed.notify_all();
}

void countWait() { g_nWaitCount.fetch_add(1); }

bool simulatedClock(int& p_nHour, int& p_nMinute) {
    State& st = state();
    std::lock_guard<std::mutex> guard(st.mutex);
    if (!st.bClockSet) return false;
    p_nHour = st.nHour;
    p_nMinute = st.nMinute;
    return true;
}

unsigned int takeWriteBudget(unsigned int p_nWanted) {
    State& st = state();
    std::lock_guard<std::mutex> guard(st.mutex);
    if (st.nWriteBudget < 0) return p_nWanted;
    const unsigned int nGranted =
        st.nWriteBudget < static_cast<long long>(p_nWanted) ? static_cast<unsigned int>(st.nWriteBudget) : p_nWanted;
    st.nWriteBudget -= nGranted;
    return nGranted;
}

void recordSystemCommand(const std::string& p_strCommand) {
    State& st = state();
    std::lock_guard<std::mutex> guard(st.mutex);
    st.strLastCommand = p_strCommand;
    ++st.nCommandCount;
}

}  // namespace detail
}  // namespace hostsim
