// Passes from a day/night change to the scheme switch, under host traffic.
//
// The sensor threads of the host replacement are held while the ISP's
// day/night state changes, so the change happens between two passes; then
// they run again, a pass every few milliseconds (the wait scale), and the
// first ISP set call the sensor thread makes (scheme 1 differs from scheme 0
// in one key the host threads leave alone) marks the switching pass.
#include "SwitchLatency.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <iomanip>
#include <string>
#include <thread>
#include <vector>

#include "HostSimulation.h"
#include "ISensorController.h"
#include "IspSimulation.h"
#include "Probe.h"
#include "ia_ioctrl.h"

namespace bench {
namespace {

const double PASS_WAIT_SCALE = 0.002;  // a pass waits 2 ms instead of 1 s
const int HOST_THREAD_COUNTS[] = {0, 1, 4};
const std::chrono::seconds MISSED_AFTER(10);

// Host threads (and the measuring one) mark themselves; what remains is the
// sensor thread.
thread_local bool t_bHostThread = false;
std::atomic<bool> g_bArmed{false};
std::atomic<unsigned long> g_nSwitchPass{0};

void onIspCall(const ispsim::Call& p_stCall, void*) {
    if (t_bHostThread || p_stCall.option != IA_CMD_OPT_SET || !g_bArmed.load()) return;
    unsigned long nNone = 0;
    g_nSwitchPass.compare_exchange_strong(nNone, hostsim::passCount());
}

// The host's traffic: the calls a web page and a video pipeline make, back to back.
void callBackToBack(ISensorController& p_objController, const std::atomic<bool>& p_bStop) {
    t_bHostThread = true;
    int nValue = 0;
    std::string strText;
    for (int i = 0; !p_bStop.load(); ++i) {
        switch (i % 4) {
            case 0:
                p_objController.getParameter(KEY_BRIGHTNESS, nValue);
                break;
            case 1:
                p_objController.setParameter(KEY_BRIGHTNESS, 40 + i % 20, true);
                break;
            case 2:
                p_objController.getParameters("(34,2337)", strText);
                break;
            default:
                strText = p_objController.getUIStyleFile();
                break;
        }
    }
}

struct Column {
    int hostThreads;
    std::vector<unsigned long> passes;
    int missed = 0;
};

// One day/night change: the number of passes it took, 0 when missed.
unsigned long measureChange(ISensorController& p_objController, int p_nTarget) {
    hostsim::holdThreads(true);
    ispsim::setDayNightState(0, p_nTarget);
    g_nSwitchPass = 0;
    const unsigned long nBase = hostsim::passCount();
    g_bArmed = true;
    hostsim::holdThreads(false);
    const auto tDeadline = std::chrono::steady_clock::now() + MISSED_AFTER;
    while (g_nSwitchPass.load() == 0 && std::chrono::steady_clock::now() < tDeadline)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    int nScheme = -1;
    while (std::chrono::steady_clock::now() < tDeadline && p_objController.getParamScheme(nScheme) &&
           nScheme != p_nTarget)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    g_bArmed = false;
    const unsigned long nPass = g_nSwitchPass.load();
    return nPass == 0 || nScheme != p_nTarget ? 0 : nPass - nBase;
}

Column measureColumn(Device& p_objDevice, int p_nHostThreads, int p_nChanges) {
    Column stColumn{p_nHostThreads, {}};
    hostsim::setWaitScale(0.0);
    std::unique_ptr<ISensorController> pController = p_objDevice.makeController();
    pController->init(p_objDevice.moduleConfigure());
    // Scheme 1 differs from scheme 0 in the saturation; then day/night mode.
    pController->setParamScheme(1);
    pController->setParameter(KEY_SATURATION, 61, true);
    pController->setParamScheme(0);
    pController->setParameter(KEY_SATURATION, 39, true);
    ispsim::setDayNightState(0, 0);
    pController->setParameter(KEY_SCHEME_MODE, 2, true);
    hostsim::setWaitScale(PASS_WAIT_SCALE);

    std::atomic<bool> bStop{false};
    std::vector<std::thread> vecHosts;
    for (int i = 0; i < p_nHostThreads; ++i) vecHosts.emplace_back([&]() { callBackToBack(*pController, bStop); });
    for (int i = 0; i < p_nChanges; ++i) {
        const unsigned long nPasses = measureChange(*pController, i % 2 == 0 ? 1 : 0);
        if (nPasses == 0)
            ++stColumn.missed;
        else
            stColumn.passes.push_back(nPasses);
    }
    bStop = true;
    for (std::thread& objHost : vecHosts) objHost.join();
    pController->uinit();
    hostsim::setWaitScale(0.0);
    return stColumn;
}

}  // namespace

void printSwitchLatency(const Profile& p_stProfile, int p_nChanges, std::ostream& p_objOut) {
    Device& objDevice = activate(p_stProfile);
    objDevice.dropSteady();
    t_bHostThread = true;
    ispsim::setCallObserver(&onIspCall, nullptr);
    std::vector<Column> vecColumns;
    for (int nHostThreads : HOST_THREAD_COUNTS)
        vecColumns.push_back(measureColumn(objDevice, nHostThreads, p_nChanges));
    installIspObserver();
    objDevice.clearRecords();

    p_objOut << "\nSensor-thread passes from a day/night change to the switch (" << p_stProfile.label() << ", "
             << p_nChanges << " changes per row, host threads calling back to back; target 1)\n";
    p_objOut << std::setw(14) << "host threads" << std::setw(10) << "median" << std::setw(10) << "max" << std::setw(10)
             << "missed"
             << "\n";
    for (Column& stColumn : vecColumns) {
        std::vector<unsigned long>& vecPasses = stColumn.passes;
        std::sort(vecPasses.begin(), vecPasses.end());
        p_objOut << std::setw(14) << stColumn.hostThreads;
        if (vecPasses.empty()) {
            p_objOut << std::setw(10) << "-" << std::setw(10) << "-";
        } else {
            p_objOut << std::setw(10) << vecPasses[vecPasses.size() / 2] << std::setw(10) << vecPasses.back();
        }
        p_objOut << std::setw(10) << stColumn.missed
                 << (stColumn.missed == 0 && !vecPasses.empty() && vecPasses.back() == 1 ? "  met" : "  MISSED")
                 << "\n";
    }
}

}  // namespace bench
