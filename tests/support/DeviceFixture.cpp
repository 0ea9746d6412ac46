// Per-test device roots and the bundled device profiles.
#include "DeviceFixture.h"

#include <unistd.h>

#include <stdexcept>

#include "SimulatedCamera.h"
#include "platform/CameraPaths.h"

std::string bundledDevicesDir() { return SENSORDLL_DEVICES_DIR; }

void copyTree(const std::string& p_strFrom, const std::string& p_strTo) {
    std::string strError;
    if (!simdevice::copyTree(p_strFrom, p_strTo, strError)) throw std::runtime_error(strError);
}

void DeviceFixture::SetUp() { m_pCamera = simdevice::Camera("").install(); }

void DeviceFixture::TearDown() { m_pCamera.reset(); }

std::string DeviceFixture::hostPath(const std::string& p_strCameraPath) const {
    return m_pCamera->hostPath(p_strCameraPath);
}

void DeviceFixture::installDevice(const std::string& p_strProfile) {
    simdevice::Camera(p_strProfile).devices(bundledDevicesDir()).inRoot(root()).install();
}

void DeviceFixture::writeFile(const std::string& p_strCameraPath, const std::string& p_strContent) const {
    if (!simdevice::writeWholeFile(hostPath(p_strCameraPath), p_strContent))
        throw std::runtime_error("cannot write " + p_strCameraPath);
}

void DeviceFixture::writeBytes(const std::string& p_strCameraPath, const std::vector<unsigned char>& p_vecBytes) const {
    writeFile(p_strCameraPath, std::string(p_vecBytes.begin(), p_vecBytes.end()));
}

bool DeviceFixture::fileExists(const std::string& p_strCameraPath) const {
    return access(hostPath(p_strCameraPath).c_str(), F_OK) == 0;
}

std::string DeviceFixture::readFile(const std::string& p_strCameraPath) const {
    std::string strContent;
    simdevice::readWholeFile(hostPath(p_strCameraPath), strContent);
    return strContent;
}

void DeviceFixture::removeFile(const std::string& p_strCameraPath) const { unlink(hostPath(p_strCameraPath).c_str()); }

void DeviceFixture::setDebugControl(const std::string& p_strContent) const {
    writeFile(camerapath::DEBUG_CONTROL_FILE, p_strContent);
}
