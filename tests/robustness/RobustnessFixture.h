// The fixture of the robustness tests: an ir-bullet device with quiet
// diagnostics and slow sensor-thread passes, the configuration directory
// (which the fault layer watches) and its file images. What the library
// prints during a test is shown only when the test fails.
#ifndef SENSORDLL_TESTS_ROBUSTNESS_FIXTURE_H
#define SENSORDLL_TESTS_ROBUSTNESS_FIXTURE_H

#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <string>

#include "FaultFs.h"
#include "HostSimulation.h"
#include "IspSimulation.h"
#include "StartedControllers.h"

// The parts for 0 to p_nCount - 1 in a row.
inline std::string joined(int p_nCount, const std::function<std::string(int)>& p_fnPart) {
    std::string strText;
    for (int i = 0; i < p_nCount; ++i) strText += p_fnPart(i);
    return strText;
}

class RobustnessFixture : public StartedControllers {
public:
    static std::string schemeName(int p_nScheme) { return "sensor1_" + std::to_string(p_nScheme) + ".cfg"; }
    static const char* versionName() { return "snsversion.cfg"; }
    static bool isTemporary(const std::string& p_strName) {
        return p_strName.size() > 4 && p_strName.compare(p_strName.size() - 4, 4, ".tmp") == 0;
    }
    // The image without its temporary files.
    static faultfs::Image lasting(faultfs::Image p_mapImage) {
        for (auto it = p_mapImage.begin(); it != p_mapImage.end();)
            it = isTemporary(it->first) ? p_mapImage.erase(it) : ++it;
        return p_mapImage;
    }

protected:
    void SetUp() override {
        StartedControllers::SetUp();
        installDevice("ir-bullet");
        // Reports stay silent: thousands of runs fail on purpose.
        setDebugControl("-1\n0\n");
        // A running sensor thread sleeps between passes instead of spinning
        // beside thousands of runs.
        hostsim::setWaitScale(0.001);
        testing::internal::CaptureStdout();
    }
    void TearDown() override {
        faultfs::disarm();
        StartedControllers::TearDown();
        const std::string strPrinted = testing::internal::GetCapturedStdout();
        if (HasFailure()) std::cout << strPrinted;
    }

    std::string configDir() const { return hostPath(kConfigDir); }

    // Every scheme file and the version file on disk, scheme 1 holding
    // brightness 77.
    void primeFiles() { camera("").storedScheme(1, {{KEY_BRIGHTNESS, 77}}).install(); }
};

#endif
