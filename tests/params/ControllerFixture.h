// Controllers whose scheme arrays and key map are laid out directly (no
// init), with readers of what the ISP and the video module were sent and of
// the standard output of a call.
#ifndef SENSORDLL_TESTS_PARAMS_CONTROLLER_FIXTURE_H
#define SENSORDLL_TESTS_PARAMS_CONTROLLER_FIXTURE_H

#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "IspSimulation.h"
#include "StartedControllers.h"
#include "platform/CameraPaths.h"

// What the call printed.
inline std::string printedBy(const std::function<void()>& p_fnCall) {
    testing::internal::CaptureStdout();
    p_fnCall();
    return testing::internal::GetCapturedStdout();
}

// The ISP channel's dynamic command list with these ranges.
inline void listRanges(const std::vector<ispsim::Range>& p_vecRanges, int p_nIspChannel = 0) {
    ispsim::SensorProfile stProfile;
    stProfile.ranges = p_vecRanges;
    ispsim::setProfile(p_nIspChannel, stProfile);
}

class ControllerFixture : public StartedControllers {
protected:
    // The records given, then one of each key holding 0.
    static std::vector<KeyVal> zeroed(std::initializer_list<u32> p_listKeys, std::vector<KeyVal> p_vecRecords = {}) {
        for (u32 nKey : p_listKeys) p_vecRecords.push_back({nKey, 0});
        return p_vecRecords;
    }
    void setDeviceType(int p_nDeviceType, const std::string& p_strModel = "Hi3516AV200") {
        writeFile(camerapath::MACHINE_INFO_FILE, "[machine]\ndeviceType=" + std::to_string(p_nDeviceType) +
                                                     "\nhardwareModel=" + p_strModel + "\nhardwareCode=IPC-B4-IRZ\n");
    }
    // Every user scheme and the factory set of the p_nIndex-th controller
    // (channel p_nIndex + 1, made on first use) hold the same records.
    ISensorController& layOut(const std::vector<KeyVal>& p_vecRecords, u32 p_nSchemeSum = 4, int p_nCurrent = 0,
                              size_t p_nIndex = 0) {
        while (m_vecControllers.size() <= p_nIndex) makeController(static_cast<int>(m_vecControllers.size()) + 1);
        access(p_nIndex).setUpSchemes(p_nSchemeSum, p_vecRecords);
        access(p_nIndex).curScheme() = p_nCurrent;
        return controller(p_nIndex);
    }
    // A key's value in a scheme of the first controller, the current one by default.
    int stored(u32 p_nKey, int p_nScheme = -1) {
        return access().schemeValue(static_cast<u32>(p_nScheme < 0 ? access().curScheme().load() : p_nScheme), p_nKey);
    }
    void store(u32 p_nKey, int p_nValue, int p_nScheme = -1) {
        controller().setKeyValToCache(static_cast<u32>(p_nScheme < 0 ? access().curScheme().load() : p_nScheme), p_nKey,
                                      static_cast<u32>(p_nValue), true);
    }
    std::vector<std::pair<int, int>> notified() const {
        std::vector<std::pair<int, int>> vecNotified;
        for (const SimulatedVideoModule::Notification& stNote : m_objVideo.notifications())
            vecNotified.emplace_back(stNote.key, stNote.value);
        return vecNotified;
    }
};

#endif
