// Commands on schemes and the stored state: choosing the scheme and the
// parameter mode, saving, reverting, the factory reset, the sensor thread's
// passes, and the world it looks at (the clock and the ISP's day/night state).
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "CommandRunner.h"
#include "Commands.h"
#include "DeviceSetup.h"
#include "HostSimulation.h"
#include "IspSimulation.h"
#include "Output.h"
#include "Results.h"
#include "ThreadControl.h"
#include "Values.h"
#include "ZentarTime.h"

namespace sensorsim {

namespace {

int currentScheme(Channel& p_stChannel) {
    int nScheme = -1;
    p_stChannel.controller->getParamScheme(nScheme);
    return nScheme;
}

// "scheme 1 (night)", "scheme 4 (factory set)".
std::string schemeLabel(Channel& p_stChannel, int p_nScheme) {
    std::string strLabel = "scheme " + std::to_string(p_nScheme);
    const int nCount = static_cast<int>(schemeCount(p_stChannel));
    if (p_nScheme == nCount) return strLabel + " (factory set)";
    int nMode = 0;
    if (p_nScheme >= 0 && p_nScheme < nCount && p_stChannel.controller->getParameter(KEY_SCHEME_MODE, nMode) &&
        nMode == 2 && p_nScheme < 2)
        strLabel += p_nScheme == 0 ? " (day)" : " (night)";
    return strLabel;
}

void reportSchemeChange(Channel& p_stChannel, int p_nBefore, const std::string& p_strWhat) {
    const int nAfter = currentScheme(p_stChannel);
    if (nAfter == p_nBefore)
        out::linef("ch%d %s: %s stays current", p_stChannel.number, p_strWhat.c_str(),
                   schemeLabel(p_stChannel, nAfter).c_str());
    else
        out::linef("ch%d %s: switched from %s to %s", p_stChannel.number, p_strWhat.c_str(),
                   schemeLabel(p_stChannel, p_nBefore).c_str(), schemeLabel(p_stChannel, nAfter).c_str());
}

double parseScale(const std::string& p_strWord) {
    char* pEnd = nullptr;
    const double dScale = std::strtod(p_strWord.c_str(), &pEnd);
    if (p_strWord.empty() || *pEnd != '\0' || !(dScale > 0.0) || dScale > 1.0)
        throw InputError("scale '" + p_strWord + "' is not a number above 0 and at most 1");
    return dScale;
}

}  // namespace

bool runScheme(Session& p_objSession, const Args& p_vecArgs) {
    Channel& stChannel = p_objSession.channel();
    const int nCount = static_cast<int>(schemeCount(stChannel));
    if (p_vecArgs.empty()) {
        out::linef("%s current %s; user schemes 0 to %d, factory set %d", p_objSession.tag().c_str(),
                   schemeLabel(stChannel, currentScheme(stChannel)).c_str(), nCount - 1, nCount);
        return true;
    }
    const int nScheme = parseValue(p_vecArgs[0], "scheme");
    if (nScheme < 0 || nScheme > nCount)
        throw InputError("scheme " + p_vecArgs[0] + " is not 0 to " + std::to_string(nCount) + " (" +
                         std::to_string(nCount) + " is the factory set)");
    const int nBefore = currentScheme(stChannel);
    const bool bOk = stChannel.controller->setParamScheme(nScheme);
    if (!bOk) {
        out::linef("%s make scheme %d current: failed", p_objSession.tag().c_str(), nScheme);
        return false;
    }
    reportSchemeChange(stChannel, nBefore, "scheme " + std::to_string(nScheme));
    return true;
}

bool runMode(Session& p_objSession, const Args& p_vecArgs) {
    int nMode = 1;
    if (!p_vecArgs.empty()) {
        nMode = parseValue(p_vecArgs[0], "parameter mode");
        if (nMode != 0 && nMode != 1) throw InputError("parameter mode " + p_vecArgs[0] + " is neither 0 nor 1");
        if (!p_objSession.controller().setParamMode(nMode)) {
            out::linef("%s set the parameter mode: failed", p_objSession.tag().c_str());
            return false;
        }
    }
    p_objSession.controller().getParamMode(nMode);
    out::linef("%s parameter mode %d (%s)", p_objSession.tag().c_str(), nMode,
               nMode == 0 ? "the host's scheme choice stands" : "the sensor thread may switch schemes");
    return true;
}

bool runFlush(Session& p_objSession, const Args&) {
    Channel& stChannel = p_objSession.channel();
    const int nScheme = currentScheme(stChannel);
    const int nStatus = stChannel.controller->flush();
    if (nStatus == 0 && (nScheme < 0 || nScheme >= static_cast<int>(schemeCount(stChannel))))
        out::linef("%s flush: nothing saved, %s has no file", p_objSession.tag().c_str(),
                   schemeLabel(stChannel, nScheme).c_str());
    else
        out::linef("%s flush %s: %s", p_objSession.tag().c_str(), schemeLabel(stChannel, nScheme).c_str(),
                   flushResult(nStatus).c_str());
    return nStatus == 0;
}

bool runRevert(Session& p_objSession, const Args&) {
    Channel& stChannel = p_objSession.channel();
    const bool bOk = stChannel.controller->resetToLastParameters();
    out::linef("%s revert %s to its saved values: %s", p_objSession.tag().c_str(),
               schemeLabel(stChannel, currentScheme(stChannel)).c_str(), doneOrFailed(bOk).c_str());
    return bOk;
}

bool runReset(Session& p_objSession, const Args&) {
    Channel& stChannel = p_objSession.channel();
    // The reset restarts the controller and its sensor thread, which stays held.
    const bool bOk = stChannel.controller->resetParameters();
    out::linef("%s factory reset: %s; current %s", p_objSession.tag().c_str(), doneOrFailed(bOk).c_str(),
               schemeLabel(stChannel, currentScheme(stChannel)).c_str());
    return bOk;
}

bool runPass(Session& p_objSession, const Args& p_vecArgs) {
    const long long nPasses = p_vecArgs.empty() ? 1 : parseInteger(p_vecArgs[0], "pass count");
    if (nPasses < 1 || nPasses > 100000) throw InputError("pass count " + p_vecArgs[0] + " is not 1 to 100000");
    std::vector<int> vecBefore;
    for (Channel& stChannel : p_objSession.channels) vecBefore.push_back(currentScheme(stChannel));
    for (long long i = 0; i < nPasses; ++i)
        for (Channel& stChannel : p_objSession.channels) stChannel.controller->sensorThread();
    const std::string strWhat =
        std::to_string(nPasses) + (nPasses == 1 ? " sensor-thread pass" : " sensor-thread passes");
    for (size_t i = 0; i < p_objSession.channels.size(); ++i)
        reportSchemeChange(p_objSession.channels[i], vecBefore[i], strWhat);
    return true;
}

bool runThreads(Session& p_objSession, const Args& p_vecArgs) {
    const long long nSeconds = parseInteger(p_vecArgs[0], "seconds");
    if (nSeconds < 1 || nSeconds > 3600) throw InputError("seconds " + p_vecArgs[0] + " is not 1 to 3600");
    const double dScale = p_vecArgs.size() > 1 ? parseScale(p_vecArgs[1]) : 1.0;
    std::vector<int> vecBefore;
    for (Channel& stChannel : p_objSession.channels) vecBefore.push_back(currentScheme(stChannel));
    hostsim::setWaitScale(dScale);
    const unsigned long nWaitsBefore = hostsim::waitCount();
    releaseSensorThreads();
    // Slices, so that a stop signal ends the run early.
    const auto tStart = std::chrono::steady_clock::now();
    const auto tEnd = tStart + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                   std::chrono::duration<double>(static_cast<double>(nSeconds) * dScale));
    while (!stopRequested() && std::chrono::steady_clock::now() < tEnd)
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
            tEnd - std::chrono::steady_clock::now(), std::chrono::milliseconds(20)));
    holdSensorThreads();
    const unsigned long nWaits = hostsim::waitCount() - nWaitsBefore;
    hostsim::setWaitScale(0.0);
    const double dRealMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - tStart).count();
    if (stopRequested())
        out::linef("the sensor threads ran until interrupted, %.0f ms real: %lu %s in all", dRealMs, nWaits,
                   nWaits == 1 ? "pass" : "passes");
    else
        out::linef("the sensor threads ran for %lld s (%.0f ms real): %lu %s in all", nSeconds, dRealMs, nWaits,
                   nWaits == 1 ? "pass" : "passes");
    for (size_t i = 0; i < p_objSession.channels.size(); ++i)
        reportSchemeChange(p_objSession.channels[i], vecBefore[i], "threads");
    return true;
}

bool runTime(Session& p_objSession, const Args& p_vecArgs) {
    if (!p_vecArgs.empty()) {
        if (p_vecArgs[0] == "real") {
            hostsim::clearClock();
            p_objSession.clockSet = false;
        } else {
            int nHour = 0;
            int nMinute = 0;
            parseClock(p_vecArgs[0], nHour, nMinute);
            hostsim::setClock(nHour, nMinute);
            p_objSession.clockSet = true;
        }
    }
    const ZTDateTime stNow = ZTDeviceTime::getCurrentTime();
    out::linef("camera clock %02u:%02u (%s)", static_cast<unsigned>(stNow.hour), static_cast<unsigned>(stNow.minute),
               p_objSession.clockSet ? "simulated" : "the machine's clock");
    return true;
}

bool runDayNight(Session& p_objSession, const Args& p_vecArgs) {
    Channel& stChannel = p_objSession.channel();
    if (!p_vecArgs.empty()) {
        int nState = 0;
        if (p_vecArgs[0] == "day")
            nState = 0;
        else if (p_vecArgs[0] == "night")
            nState = 1;
        else
            nState = parseValue(p_vecArgs[0], "day/night state");
        ispsim::setDayNightState(stChannel.number - 1, nState);
        stChannel.dayNightState = nState;
    }
    out::linef("%s the ISP reports %s", p_objSession.tag().c_str(), dayNight(stChannel.dayNightState).c_str());
    return true;
}

bool runCheck(Session& p_objSession, const Args& p_vecArgs) {
    std::string strText = p_vecArgs[0];
    const int nStatus = p_objSession.controller().SensorCheck(strText);
    if (nStatus != 0) {
        out::linef("%s sensor check %s: failed (status %d)", p_objSession.tag().c_str(), p_vecArgs[0].c_str(), nStatus);
        return false;
    }
    if (strText != p_vecArgs[0])
        out::linef("%s sensor check %s: answer %s", p_objSession.tag().c_str(), p_vecArgs[0].c_str(), strText.c_str());
    else
        out::linef("%s sensor check %s: done (status 0)", p_objSession.tag().c_str(), p_vecArgs[0].c_str());
    return true;
}

}  // namespace sensorsim
