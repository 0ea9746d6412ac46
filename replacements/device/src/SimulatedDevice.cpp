// The simulated camera's file system.
#include "SimulatedDevice.h"

#include <dirent.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <sstream>

#include "DeviceRoot.h"
#include "HostSimulation.h"
#include "IspSimulation.h"

namespace simdevice {

bool isDirectory(const std::string& p_strPath) {
    struct stat st;
    return stat(p_strPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isFile(const std::string& p_strPath) {
    struct stat st;
    return stat(p_strPath.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool makeDirectories(const std::string& p_strPath) {
    std::string strPartial;
    if (!p_strPath.empty() && p_strPath[0] == '/') strPartial = "/";
    std::stringstream stream(p_strPath);
    std::string strPiece;
    while (std::getline(stream, strPiece, '/')) {
        if (strPiece.empty()) continue;
        strPartial += strPiece + "/";
        if (mkdir(strPartial.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    return isDirectory(p_strPath);
}

std::vector<std::string> listDirectory(const std::string& p_strPath) {
    std::vector<std::string> vecNames;
    DIR* pDir = opendir(p_strPath.c_str());
    if (pDir == nullptr) return vecNames;
    while (dirent* pEntry = readdir(pDir)) {
        const std::string strName = pEntry->d_name;
        if (strName != "." && strName != "..") vecNames.push_back(strName);
    }
    closedir(pDir);
    std::sort(vecNames.begin(), vecNames.end());
    return vecNames;
}

bool copyTree(const std::string& p_strFrom, const std::string& p_strTo, std::string& p_strError) {
    if (!isDirectory(p_strFrom)) {
        p_strError = "no directory " + p_strFrom;
        return false;
    }
    if (!makeDirectories(p_strTo)) {
        p_strError = "cannot create " + p_strTo;
        return false;
    }
    for (const std::string& strName : listDirectory(p_strFrom)) {
        const std::string strSource = p_strFrom + "/" + strName;
        const std::string strTarget = p_strTo + "/" + strName;
        if (isDirectory(strSource)) {
            if (!copyTree(strSource, strTarget, p_strError)) return false;
            continue;
        }
        std::ifstream in(strSource, std::ios::binary);
        std::ofstream out(strTarget, std::ios::binary | std::ios::trunc);
        if (!in || !out) {
            p_strError = "cannot copy " + strSource + " to " + strTarget;
            return false;
        }
        // An empty source leaves the stream's failbit set; that is no error.
        if (in.peek() != std::ifstream::traits_type::eof()) out << in.rdbuf();
        if (!out) {
            p_strError = "cannot write " + strTarget;
            return false;
        }
    }
    return true;
}

void removeTree(const std::string& p_strPath) {
    struct stat st;
    if (lstat(p_strPath.c_str(), &st) != 0) return;
    if (!S_ISDIR(st.st_mode)) {
        unlink(p_strPath.c_str());
        return;
    }
    for (const std::string& strName : listDirectory(p_strPath)) removeTree(p_strPath + "/" + strName);
    rmdir(p_strPath.c_str());
}

bool readWholeFile(const std::string& p_strPath, std::string& p_strContent) {
    std::ifstream in(p_strPath, std::ios::binary);
    if (!in) return false;
    std::stringstream content;
    content << in.rdbuf();
    p_strContent = content.str();
    return true;
}

bool writeWholeFile(const std::string& p_strPath, const std::string& p_strContent) {
    const size_t nSlash = p_strPath.rfind('/');
    if (nSlash != std::string::npos && nSlash > 0 && !makeDirectories(p_strPath.substr(0, nSlash))) return false;
    std::ofstream out(p_strPath, std::ios::binary | std::ios::trunc);
    out << p_strContent;
    return static_cast<bool>(out);
}

bool createTemporaryRoot(const std::string& p_strPrefix, const std::string& p_strFallbackBase, std::string& p_strRoot,
                         std::string& p_strError) {
    const char* szTmp = getenv("TMPDIR");
    const std::string strBase = szTmp != nullptr && *szTmp ? szTmp : p_strFallbackBase;
    std::string strTemplate = strBase + "/" + p_strPrefix + "-XXXXXX";
    std::vector<char> vecName(strTemplate.begin(), strTemplate.end());
    vecName.push_back('\0');
    if (mkdtemp(vecName.data()) == nullptr) {
        p_strError = "cannot create a device root under " + strBase;
        return false;
    }
    p_strRoot = vecName.data();
    return true;
}

bool makeCameraDirectories(const std::string& p_strRoot, std::string& p_strError) {
    for (const char* szDir : {"/tmp", "/mnt/mtd/code/config_file", "/mnt/mtd/log"}) {
        if (!makeDirectories(p_strRoot + szDir)) {
            p_strError = "cannot create " + p_strRoot + szDir;
            return false;
        }
    }
    return true;
}

bool installProfile(const std::string& p_strDevicesDir, const std::string& p_strProfileDir,
                    const std::string& p_strRoot, std::string& p_strError) {
    const std::string strCommon = p_strDevicesDir + "/common";
    if (isDirectory(strCommon) && !copyTree(strCommon, p_strRoot, p_strError)) return false;
    if (!copyTree(p_strProfileDir + "/root", p_strRoot, p_strError)) return false;
    for (int nChannel = 1; nChannel <= 2; ++nChannel) {
        const std::string strIsp = p_strProfileDir + "/isp/sensor-ch" + std::to_string(nChannel) + ".xml";
        if (isFile(strIsp) && !ispsim::setProfileFromFile(nChannel - 1, strIsp)) {
            p_strError = "cannot read the ISP sensor profile " + strIsp;
            return false;
        }
    }
    return true;
}

void enterRoot(const std::string& p_strRoot) {
    DeviceRoot::setRoot(p_strRoot);
    hostsim::reset();
    hostsim::setWaitScale(0.0);
    ispsim::reset();
}

void leaveRoot() {
    DeviceRoot::setRoot("");
    hostsim::reset();
    ispsim::reset();
}

}  // namespace simdevice
