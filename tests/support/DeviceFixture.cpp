// Per-test device roots and the bundled device profiles.
#include "DeviceFixture.h"

#include <dirent.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "DeviceRoot.h"

namespace {

void makeDirectories(const std::string& p_strPath) {
    std::string strPartial;
    std::stringstream stream(p_strPath);
    std::string strPiece;
    if (!p_strPath.empty() && p_strPath[0] == '/') strPartial = "/";
    while (std::getline(stream, strPiece, '/')) {
        if (strPiece.empty()) continue;
        strPartial += strPiece + "/";
        if (mkdir(strPartial.c_str(), 0755) != 0 && errno != EEXIST)
            throw std::runtime_error("cannot create " + strPartial);
    }
}

void removeTree(const std::string& p_strPath) {
    DIR* pDir = opendir(p_strPath.c_str());
    if (pDir == nullptr) {
        unlink(p_strPath.c_str());
        return;
    }
    while (dirent* pEntry = readdir(pDir)) {
        const std::string strName = pEntry->d_name;
        if (strName == "." || strName == "..") continue;
        const std::string strChild = p_strPath + "/" + strName;
        struct stat st;
        if (lstat(strChild.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            removeTree(strChild);
        else
            unlink(strChild.c_str());
    }
    closedir(pDir);
    rmdir(p_strPath.c_str());
}

std::string parentOf(const std::string& p_strPath) {
    const size_t nSlash = p_strPath.rfind('/');
    return nSlash == std::string::npos ? std::string(".") : p_strPath.substr(0, nSlash);
}

}  // namespace

std::string bundledDevicesDir() {
    return SENSORDLL_DEVICES_DIR;
}

void copyTree(const std::string& p_strFrom, const std::string& p_strTo) {
    makeDirectories(p_strTo);
    DIR* pDir = opendir(p_strFrom.c_str());
    if (pDir == nullptr) throw std::runtime_error("cannot read " + p_strFrom);
    while (dirent* pEntry = readdir(pDir)) {
        const std::string strName = pEntry->d_name;
        if (strName == "." || strName == "..") continue;
        const std::string strSource = p_strFrom + "/" + strName;
        const std::string strTarget = p_strTo + "/" + strName;
        struct stat st;
        if (stat(strSource.c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode)) {
            copyTree(strSource, strTarget);
        } else {
            std::ifstream in(strSource, std::ios::binary);
            std::ofstream out(strTarget, std::ios::binary | std::ios::trunc);
            out << in.rdbuf();
        }
    }
    closedir(pDir);
}

void DeviceFixture::SetUp() {
    const char* szTmp = getenv("TMPDIR");
    std::string strTemplate = std::string(szTmp != nullptr && *szTmp ? szTmp : "/tmp") + "/sensordll-test-XXXXXX";
    std::vector<char> vecName(strTemplate.begin(), strTemplate.end());
    vecName.push_back('\0');
    if (mkdtemp(vecName.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    m_strRoot = vecName.data();
    makeDirectories(m_strRoot + "/tmp");
    makeDirectories(m_strRoot + "/mnt/mtd/code/config_file");
    makeDirectories(m_strRoot + "/mnt/mtd/log");
    DeviceRoot::setRoot(m_strRoot);
    hostsim::reset();
    hostsim::setWaitScale(0.0);
    ispsim::reset();
}

void DeviceFixture::TearDown() {
    DeviceRoot::setRoot("");
    hostsim::reset();
    ispsim::reset();
    if (!m_strRoot.empty() && getenv("SENSORDLL_KEEP_TEST_ROOT") == nullptr) removeTree(m_strRoot);
}

std::string DeviceFixture::hostPath(const std::string& p_strCameraPath) const {
    return m_strRoot + p_strCameraPath;
}

void DeviceFixture::installDevice(const std::string& p_strProfile) {
    const std::string strDevices = bundledDevicesDir();
    copyTree(strDevices + "/common", m_strRoot);
    const std::string strProfile = strDevices + "/" + p_strProfile;
    copyTree(strProfile + "/root", m_strRoot);
    for (int nChannel = 1; nChannel <= 2; ++nChannel) {
        const std::string strIsp = strProfile + "/isp/sensor-ch" + std::to_string(nChannel) + ".xml";
        if (access(strIsp.c_str(), R_OK) == 0 && !ispsim::setProfileFromFile(nChannel - 1, strIsp))
            throw std::runtime_error("bad ISP profile " + strIsp);
    }
}

void DeviceFixture::writeFile(const std::string& p_strCameraPath, const std::string& p_strContent) const {
    const std::string strPath = hostPath(p_strCameraPath);
    makeDirectories(parentOf(strPath));
    std::ofstream out(strPath, std::ios::binary | std::ios::trunc);
    out << p_strContent;
}

void DeviceFixture::writeBytes(const std::string& p_strCameraPath, const std::vector<unsigned char>& p_vecBytes) const {
    writeFile(p_strCameraPath, std::string(p_vecBytes.begin(), p_vecBytes.end()));
}

bool DeviceFixture::fileExists(const std::string& p_strCameraPath) const {
    return access(hostPath(p_strCameraPath).c_str(), F_OK) == 0;
}

std::string DeviceFixture::readFile(const std::string& p_strCameraPath) const {
    std::ifstream in(hostPath(p_strCameraPath), std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

void DeviceFixture::removeFile(const std::string& p_strCameraPath) const {
    unlink(hostPath(p_strCameraPath).c_str());
}

void DeviceFixture::setDebugControl(const std::string& p_strContent) const {
    writeFile("/tmp/Debug.sign", p_strContent);
}
