// Device roots and small helpers for the fuzz targets.
#include "FuzzSupport.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <exception>
#include <memory>

#include "SensorFile.h"
#include "SimulatedCamera.h"
#include "sensor.h"
#include "platform/CameraPaths.h"

namespace fuzzsupport {
namespace {

// The device root stays for the run and goes at exit.
std::unique_ptr<simdevice::RunningCamera> g_pCamera;

}  // namespace

void prepareDevice(const std::string& p_strProfile) {
    // Every input rewrites files; a memory file system keeps that from
    // dominating the run.
    try {
        g_pCamera = simdevice::Camera(p_strProfile)
                        .devices(SENSORDLL_DEVICES_DIR)
                        .under(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp")
                        .install();
    } catch (const std::exception& e) {
        fprintf(stderr, "%s\n", e.what());
        abort();
    }
    atexit([]() { g_pCamera.reset(); });

    const int nNull = open("/dev/null", O_WRONLY);
    if (nNull >= 0) {
        fflush(stdout);
        dup2(nNull, STDOUT_FILENO);
        close(nNull);
    }
}

std::string hostPath(const std::string& p_strCameraPath) { return g_pCamera->hostPath(p_strCameraPath); }

void writeFile(const std::string& p_strCameraPath, const std::string& p_strContent) {
    simdevice::writeWholeFile(hostPath(p_strCameraPath), p_strContent);
}

void writeFile(const std::string& p_strCameraPath, const uint8_t* p_pData, size_t p_nSize) {
    writeFile(p_strCameraPath, std::string(reinterpret_cast<const char*>(p_pData), p_nSize));
}

std::string readFile(const std::string& p_strCameraPath) {
    std::string strContent;
    simdevice::readWholeFile(hostPath(p_strCameraPath), strContent);
    return strContent;
}

bool fileExists(const std::string& p_strCameraPath) { return access(hostPath(p_strCameraPath).c_str(), F_OK) == 0; }

void removeFile(const std::string& p_strCameraPath) { unlink(hostPath(p_strCameraPath).c_str()); }

void setDebugLevel(int p_nLevel) { writeFile(camerapath::DEBUG_CONTROL_FILE, std::to_string(p_nLevel) + "\n0\n"); }

ModuleConfigure moduleConfig() { return simdevice::moduleConfig(); }

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
