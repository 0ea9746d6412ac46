// A controller with scheme arrays and key map laid out directly (no init),
// its video module connected, and readers of what the ISP and the video
// module were sent and of the standard output of a call.
#ifndef SENSORDLL_TESTS_PARAMS_CONTROLLER_FIXTURE_H
#define SENSORDLL_TESTS_PARAMS_CONTROLLER_FIXTURE_H

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ControllerAccess.h"
#include "DeviceFixture.h"
#include "ISensorController.h"
#include "IspSimulation.h"

class ControllerFixture : public DeviceFixture {
protected:
    void SetUp() override {
        DeviceFixture::SetUp();
        m_pController.reset(new ISensorController());
        m_pAccess.reset(new ISensorControllerTestAccess(*m_pController));
        m_pController->setVideoStreamModule(&m_objVideo);
    }
    void TearDown() override {
        m_pAccess->tearDownSchemes();
        m_pAccess.reset();
        m_pController.reset();
        DeviceFixture::TearDown();
    }
    // Every scheme (and the factory set) starts with the same records.
    void layOut(const std::vector<KeyVal>& p_vecRecords, u32 p_nSchemeSum = 4) {
        m_pAccess->setUpSchemes(p_nSchemeSum, p_vecRecords);
        m_pAccess->curScheme() = 0;
    }
    int stored(u32 p_nKey, int p_nScheme = -1) {
        return m_pAccess->schemeValue(static_cast<u32>(p_nScheme < 0 ? m_pAccess->curScheme().load() : p_nScheme), p_nKey);
    }
    void store(u32 p_nKey, int p_nValue, int p_nScheme = -1) {
        m_pController->setKeyValToCache(static_cast<u32>(p_nScheme < 0 ? m_pAccess->curScheme().load() : p_nScheme),
                                         p_nKey, static_cast<u32>(p_nValue), true);
    }
    // Values sent with option set for a command, in order.
    static std::vector<int> sent(int p_nCmd) {
        std::vector<int> vecValues;
        for (const ispsim::Call& stCall : ispsim::setCalls(p_nCmd)) vecValues.push_back(stCall.valueIn());
        return vecValues;
    }
    std::vector<std::pair<int, int>> notified() const {
        std::vector<std::pair<int, int>> vecNotified;
        for (const SimulatedVideoModule::Notification& stNote : m_objVideo.notifications())
            vecNotified.emplace_back(stNote.key, stNote.value);
        return vecNotified;
    }
    // What the call printed.
    static std::string printedBy(const std::function<void()>& p_fnCall) {
        testing::internal::CaptureStdout();
        p_fnCall();
        return testing::internal::GetCapturedStdout();
    }

    std::unique_ptr<ISensorController> m_pController;
    std::unique_ptr<ISensorControllerTestAccess> m_pAccess;
};

#endif
