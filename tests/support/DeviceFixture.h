// Test fixture: each test gets its own device root (a fresh temporary
// directory under which every camera path lives), a fresh ISP replacement, a
// host replacement with defaults (no simulated clock, instant waits) and a
// recording video module.
#ifndef SENSORDLL_TESTS_DEVICE_FIXTURE_H
#define SENSORDLL_TESTS_DEVICE_FIXTURE_H

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "HostSimulation.h"
#include "IspSimulation.h"
#include "SimulatedCamera.h"
#include "SimulatedVideoModule.h"
#include "platform/CameraPaths.h"

class DeviceFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The directory standing for the camera's "/".
    const std::string& root() const { return m_pCamera->root; }
    // The path on this machine of a camera path.
    std::string hostPath(const std::string& p_strCameraPath) const;

    // Copies the bundled styles and the named device profile ("ir-bullet",
    // "dome", "thermal-dual") into the root and loads the profile's ISP sensor
    // profiles into the ISP replacement.
    void installDevice(const std::string& p_strProfile);

    // Small file helpers on camera paths.
    void writeFile(const std::string& p_strCameraPath, const std::string& p_strContent) const;
    void writeBytes(const std::string& p_strCameraPath, const std::vector<unsigned char>& p_vecBytes) const;
    bool fileExists(const std::string& p_strCameraPath) const;
    std::string readFile(const std::string& p_strCameraPath) const;
    void removeFile(const std::string& p_strCameraPath) const;

    // Writes camerapath::DEBUG_CONTROL_FILE with the given lines (level, then assert flag).
    void setDebugControl(const std::string& p_strContent) const;

    SimulatedVideoModule m_objVideo;

private:
    std::unique_ptr<simdevice::RunningCamera> m_pCamera;  // a bare camera: the root and its folders
};

// The bundled device data folder of the repository.
std::string bundledDevicesDir();

// Recursively copies a directory's contents into another (created as needed).
void copyTree(const std::string& p_strFrom, const std::string& p_strTo);

#endif
