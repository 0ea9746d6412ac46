// Device roots and small helpers for the fuzz targets.
#include "FuzzSupport.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>

#include "DeviceRoot.h"
#include "HostSimulation.h"
#include "IspSimulation.h"
#include "MachineInfo.h"
#include "SensorFile.h"
#include "sensor.h"

namespace fuzzsupport {
namespace {

std::string g_strRoot;

void makeDirectories(const std::string& p_strPath) {
    std::string strPartial;
    std::stringstream stream(p_strPath);
    std::string strPiece;
    if (!p_strPath.empty() && p_strPath[0] == '/') strPartial = "/";
    while (std::getline(stream, strPiece, '/')) {
        if (strPiece.empty()) continue;
        strPartial += strPiece + "/";
        if (mkdir(strPartial.c_str(), 0755) != 0 && errno != EEXIST) {
            fprintf(stderr, "cannot create %s\n", strPartial.c_str());
            abort();
        }
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

void copyTree(const std::string& p_strFrom, const std::string& p_strTo) {
    makeDirectories(p_strTo);
    DIR* pDir = opendir(p_strFrom.c_str());
    if (pDir == nullptr) {
        fprintf(stderr, "cannot read %s\n", p_strFrom.c_str());
        abort();
    }
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

void removeRoot() {
    if (!g_strRoot.empty()) removeTree(g_strRoot);
}

std::string parentOf(const std::string& p_strPath) {
    const size_t nSlash = p_strPath.rfind('/');
    return nSlash == std::string::npos ? std::string(".") : p_strPath.substr(0, nSlash);
}

}  // namespace

void prepareDevice(const std::string& p_strProfile) {
    // Every input rewrites files; a memory file system keeps that from
    // dominating the run.
    const char* szTmp = getenv("TMPDIR");
    std::string strBase = szTmp != nullptr && *szTmp ? szTmp : "/tmp";
    if (szTmp == nullptr && access("/dev/shm", W_OK) == 0) strBase = "/dev/shm";
    std::string strTemplate = strBase + "/sensordll-fuzz-XXXXXX";
    std::vector<char> vecName(strTemplate.begin(), strTemplate.end());
    vecName.push_back('\0');
    if (mkdtemp(vecName.data()) == nullptr) {
        perror("mkdtemp");
        abort();
    }
    g_strRoot = vecName.data();
    atexit(removeRoot);
    makeDirectories(g_strRoot + "/tmp");
    makeDirectories(g_strRoot + "/mnt/mtd/code/config_file");
    makeDirectories(g_strRoot + "/mnt/mtd/log");
    DeviceRoot::setRoot(g_strRoot);
    hostsim::reset();
    hostsim::setWaitScale(0.0);
    ispsim::reset();

    if (!p_strProfile.empty()) {
        const std::string strDevices = SENSORDLL_DEVICES_DIR;
        copyTree(strDevices + "/common", g_strRoot);
        copyTree(strDevices + "/" + p_strProfile + "/root", g_strRoot);
        for (int nChannel = 1; nChannel <= 2; ++nChannel) {
            const std::string strIsp =
                strDevices + "/" + p_strProfile + "/isp/sensor-ch" + std::to_string(nChannel) + ".xml";
            if (access(strIsp.c_str(), R_OK) == 0) ispsim::setProfileFromFile(nChannel - 1, strIsp);
        }
    }

    const int nNull = open("/dev/null", O_WRONLY);
    if (nNull >= 0) {
        fflush(stdout);
        dup2(nNull, STDOUT_FILENO);
        close(nNull);
    }
}

std::string hostPath(const std::string& p_strCameraPath) {
    return g_strRoot + p_strCameraPath;
}

void writeFile(const std::string& p_strCameraPath, const std::string& p_strContent) {
    const std::string strPath = hostPath(p_strCameraPath);
    makeDirectories(parentOf(strPath));
    std::ofstream out(strPath, std::ios::binary | std::ios::trunc);
    out << p_strContent;
}

void writeFile(const std::string& p_strCameraPath, const uint8_t* p_pData, size_t p_nSize) {
    writeFile(p_strCameraPath, std::string(reinterpret_cast<const char*>(p_pData), p_nSize));
}

std::string readFile(const std::string& p_strCameraPath) {
    std::ifstream in(hostPath(p_strCameraPath), std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

bool fileExists(const std::string& p_strCameraPath) {
    return access(hostPath(p_strCameraPath).c_str(), F_OK) == 0;
}

void removeFile(const std::string& p_strCameraPath) {
    unlink(hostPath(p_strCameraPath).c_str());
}

void setDebugLevel(int p_nLevel) {
    writeFile("/tmp/Debug.sign", std::to_string(p_nLevel) + "\n0\n");
}

ModuleConfigure moduleConfig() {
    MachineInfo objInfo;
    SystemInfoParser::parseMachineInfo("/mnt/mtd/code/factory_setting/machineinfo.ini", objInfo);
    std::vector<ModuleConfigure> vecModules;
    ModuleConfigureParser::parse("/hd1/moduleConfig/moduleConfig.xml", objInfo.getHardwareModel(),
                                 objInfo.getHardwareCode(), vecModules);
    return vecModules.empty() ? ModuleConfigure() : vecModules[0];
}

std::vector<KeyVal> factorySet() {
    SysConfig stSysConf;
    initSysConf(1, moduleConfig(), &stSysConf);
    std::vector<KeyVal> vecFactory(170);
    u32 nCount = 0;
    getFctData(1, stSysConf.szUIStyle, vecFactory.data(), &nCount, true, static_cast<u32>(vecFactory.size()));
    uinitSysConf(&stSysConf);
    vecFactory.resize(nCount);
    return vecFactory;
}

void fail(const char* p_szProperty) {
    fprintf(stderr, "fuzz property broken: %s\n", p_szProperty);
    abort();
}

}  // namespace fuzzsupport
