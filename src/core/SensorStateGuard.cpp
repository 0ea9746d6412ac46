// The state guard's holds, counted per thread so that they nest.
#include "core/SensorStateGuard.h"

#include <vector>

namespace {

// How the calling thread holds one guard: nesting depth, and whether its
// outermost hold was exclusive.
struct ThreadHold {
    const SensorStateGuard* pGuard;
    unsigned nDepth;
    bool bExclusive;
};

thread_local std::vector<ThreadHold> t_vecHolds;

ThreadHold* findHold(const SensorStateGuard* p_pGuard) {
    for (ThreadHold& stHold : t_vecHolds)
        if (stHold.pGuard == p_pGuard) return &stHold;
    return nullptr;
}

}  // namespace

void SensorStateGuard::enter(bool p_bExclusive) {
    ThreadHold* pHold = findHold(this);
    if (pHold != nullptr) {
        ++pHold->nDepth;
        return;
    }
    if (p_bExclusive)
        m_mutex.lock();
    else
        m_mutex.lock_shared();
    t_vecHolds.push_back(ThreadHold{this, 1, p_bExclusive});
}

void SensorStateGuard::leave() {
    ThreadHold* pHold = findHold(this);
    if (pHold == nullptr || --pHold->nDepth > 0) return;
    const bool bExclusive = pHold->bExclusive;
    *pHold = t_vecHolds.back();
    t_vecHolds.pop_back();
    if (bExclusive)
        m_mutex.unlock();
    else
        m_mutex.unlock_shared();
}

SensorStateGuard::Reading::Reading(SensorStateGuard& p_objGuard) : m_objGuard(p_objGuard) { m_objGuard.enter(false); }

SensorStateGuard::Reading::~Reading() { m_objGuard.leave(); }

SensorStateGuard::Rebuilding::Rebuilding(SensorStateGuard& p_objGuard) : m_objGuard(p_objGuard) {
    m_objGuard.enter(true);
}

SensorStateGuard::Rebuilding::~Rebuilding() { m_objGuard.leave(); }
