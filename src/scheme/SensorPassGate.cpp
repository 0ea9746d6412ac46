// The gate between host calls and the sensor thread's decision.
#include "scheme/SensorPassGate.h"

void SensorPassGate::enterHostCall() {
    std::unique_lock<std::mutex> objLock(m_mutex);
    m_changed.wait(objLock, [this]() { return m_nPassesWaiting == 0 && !m_bPassDeciding; });
    ++m_nHostCalls;
}

void SensorPassGate::leaveHostCall() {
    std::lock_guard<std::mutex> objLock(m_mutex);
    --m_nHostCalls;
    if (m_nHostCalls == 0) m_changed.notify_all();
}

bool SensorPassGate::beginDecision(const std::atomic<u32>& p_nStateFlags, u32 p_nStopMask) {
    std::unique_lock<std::mutex> objLock(m_mutex);
    const auto stopping = [&]() { return (p_nStateFlags.load() & p_nStopMask) != 0; };
    // A pass the host runs itself may meet the thread's: one decides at a time.
    ++m_nPassesWaiting;
    m_changed.wait(objLock, [&]() { return (m_nHostCalls == 0 && !m_bPassDeciding) || stopping(); });
    --m_nPassesWaiting;
    if (stopping()) {
        m_changed.notify_all();
        return false;
    }
    m_bPassDeciding = true;
    return true;
}

void SensorPassGate::endDecision() {
    std::lock_guard<std::mutex> objLock(m_mutex);
    m_bPassDeciding = false;
    m_changed.notify_all();
}

void SensorPassGate::wake() {
    std::lock_guard<std::mutex> objLock(m_mutex);
    m_changed.notify_all();
}
