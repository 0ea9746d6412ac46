// Per-test device roots and the bundled device profiles.
#include "DeviceFixture.h"

#include <stdlib.h>
#include <unistd.h>

#include <stdexcept>

#include "SimulatedCamera.h"

namespace {

void check(bool p_bDone, const std::string& p_strError) {
    if (!p_bDone) throw std::runtime_error(p_strError);
}

}  // namespace

std::string bundledDevicesDir() {
    return SENSORDLL_DEVICES_DIR;
}

void copyTree(const std::string& p_strFrom, const std::string& p_strTo) {
    std::string strError;
    check(simdevice::copyTree(p_strFrom, p_strTo, strError), strError);
}

void DeviceFixture::SetUp() {
    std::string strError;
    check(simdevice::createTemporaryRoot("sensordll-test", "/tmp", m_strRoot, strError) &&
              simdevice::makeCameraDirectories(m_strRoot, strError),
          strError);
    simdevice::enterRoot(m_strRoot);
}

void DeviceFixture::TearDown() {
    simdevice::leaveRoot();
    if (!m_strRoot.empty() && getenv("SENSORDLL_KEEP_TEST_ROOT") == nullptr) simdevice::removeTree(m_strRoot);
}

std::string DeviceFixture::hostPath(const std::string& p_strCameraPath) const {
    return m_strRoot + p_strCameraPath;
}

void DeviceFixture::installDevice(const std::string& p_strProfile) {
    simdevice::Camera(p_strProfile).devices(bundledDevicesDir()).inRoot(m_strRoot).install();
}

void DeviceFixture::writeFile(const std::string& p_strCameraPath, const std::string& p_strContent) const {
    check(simdevice::writeWholeFile(hostPath(p_strCameraPath), p_strContent), "cannot write " + p_strCameraPath);
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

void DeviceFixture::removeFile(const std::string& p_strCameraPath) const {
    unlink(hostPath(p_strCameraPath).c_str());
}

void DeviceFixture::setDebugControl(const std::string& p_strContent) const {
    writeFile("/tmp/Debug.sign", p_strContent);
}
