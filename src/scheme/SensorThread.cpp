// The sensor thread's pass: follows the scheme mode (day/night, timed, or the
// plate-recognition schedule with a day/night fallback) and serves the
// cross-channel field-of-view request.
//
// The pass never takes the controller's lock: the factory reset holds it
// while it stops this thread, and setParamScheme/setParamMode hold it while
// they wait for a switch to end. It decides through the pass gate instead,
// which holds back new host calls and waits for the running ones, so every
// pass makes its decision however busy the host is, and a switch of the
// thread never overlaps a locked host operation.
#include "ISensorController.h"
#include "ZentarTime.h"
#include "scheme/SensorPassGate.h"

namespace {

const int SYNC_FOV_KEY = KEY_MIXSTREAM_THERMAL_TO_VISION_SYNC_FOV;

}  // namespace

// Serves, once, a request another controller left for this channel. The key is
// taken before the channel is released, so a request whose key is not yet
// written stays pending for the next pass instead of being lost.
void ISensorController::serveChannelRequest() {
    if (m_nChanneldDosomething.load() != m_nCameraID) return;
    const int nKey = m_nPassKeycmd.exchange(-1);
    if (nKey == -1) return;
    int nChannel = m_nCameraID;
    m_nChanneldDosomething.compare_exchange_strong(nChannel, -1);
    if (nKey == SYNC_FOV_KEY) sync_fov();
}

// The scheme decision of one pass. The caller has the pass gate's decision
// turn: no host call runs meanwhile.
void ISensorController::decideScheme() {
    if (m_nParamMode == 0 || m_ppUserKeyVal == nullptr) return;
    const auto busy = [this]() { return (m_nStateFlags.load() & SENSOR_STATE_BUSY_MASK) != 0; };

    if (m_bDNScheme) {
        int nState = 0;
        getDNState(nState);
        const int nTarget = nState != 0 ? 1 : 0;
        if (m_nCurScheme == nTarget || busy()) return;
        switch_to(nTarget, false);
        return;
    }
    if (!m_bTimingScheme) return;

    int nScheme = 0;
    int nInSchedule = 0;
    judgeCurScheme(nScheme, nInSchedule);

    if (!m_bLPRScheme) {
        if (m_nCurScheme == nScheme || busy()) return;
        switch_to(nScheme, false);
        return;
    }

    if (nInSchedule == 1) {
        if (static_cast<u32>(nInSchedule) == m_nLastSchedule && m_nCurScheme == nScheme) return;
        if (busy()) return;
        // Entering a window (or the first decision) re-applies every value,
        // even when the scheme is already current.
        switch_to(nScheme, static_cast<u32>(nInSchedule) != m_nLastSchedule);
        m_nLastSchedule = 1;
        return;
    }

    int nState = 0;
    getDNState(nState);
    const int nTarget = nState != 0 ? 1 : 0;
    if (m_nLastSchedule == 0 && m_nCurScheme == nTarget) return;
    if (busy()) return;
    LPR_switch_to(nTarget);
    m_nLastSchedule = 0;
}

// One pass: wait about a second (not while a factory reset runs, so that its
// stop is served at once), serve the cross-channel request, then decide the
// scheme in turn with the host's calls. While a bulk change runs the decision
// is to do nothing, and a shut-down releases the state: the pass then neither
// waits for its turn nor decides. Always 0.
int ISensorController::sensorThread() {
    if ((m_nStateFlags.load() & SENSOR_STATE_RESETTING) == 0) ZentarTime(1, 0).wait();
    serveChannelRequest();
    const u32 nNothingToDecide = SENSOR_STATE_BUSY_MASK | SENSOR_STATE_UINIT_RUNNING;
    if (!m_pPassGate->beginDecision(m_nStateFlags, nNothingToDecide)) return 0;
    decideScheme();
    m_pPassGate->endDecision();
    return 0;
}
