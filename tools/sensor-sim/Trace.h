// What a command caused: the ISP calls (recorded through the ISP replacement's
// observer), the video module's notifications and the files written under the
// working root, and how each is shown.
#ifndef SENSOR_SIM_TRACE_H
#define SENSOR_SIM_TRACE_H

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "FileTree.h"
#include "IspSimulation.h"
#include "SimulatedVideoModule.h"

namespace sensorsim {

// Collects every ISP call of any thread while installed.
class IspRecorder {
public:
    IspRecorder() = default;
    ~IspRecorder();
    IspRecorder(const IspRecorder&) = delete;
    IspRecorder& operator=(const IspRecorder&) = delete;

    void install();
    void uninstall();
    // The calls recorded since the last take, in call order.
    std::vector<ispsim::Call> take();

private:
    static void observe(const ispsim::Call& p_stCall, void* p_pContext);

    std::mutex m_mutex;
    std::vector<ispsim::Call> m_vecCalls;
    bool m_bInstalled = false;
};

// "ch1 set 34 KEY_BRIGHTNESS 60 -> ok" and the like.
std::string describeIspCall(const ispsim::Call& p_stCall);
std::string describeNotification(const SimulatedVideoModule::Notification& p_stNotification);
// Scheme and version files keep their bytes in snapshots, to show their records.
bool keepsContent(const std::string& p_strCameraPath);
// One line per file, with the records that changed in a scheme file.
std::vector<std::string> describeFileChange(const FileChange& p_stChange);

// Watches one command: everything recorded between construction and report.
class EffectWatch {
public:
    EffectWatch(const std::string& p_strRoot, IspRecorder& p_objIsp, const SimulatedVideoModule& p_objVideo);
    // Prints the file changes, and with p_bTrace the ISP calls and
    // notifications; without it a count of them. Each line is indented;
    // a label ("start-up") heads them.
    void report(bool p_bTrace, const std::string& p_strLabel = "");
    // The file changes since construction (for start-up summaries).
    std::vector<std::string> fileLines();

private:
    std::string m_strRoot;
    IspRecorder& m_objIsp;
    const SimulatedVideoModule& m_objVideo;
    size_t m_nNotificationsBefore;
    TreeSnapshot m_mapBefore;
    WriteWatch m_objWrites;
};

}  // namespace sensorsim

#endif
