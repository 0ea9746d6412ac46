// Finding the bundled device data.
#include "DataPath.h"

#include <stdlib.h>
#include <unistd.h>

#include <vector>

#include "FileTree.h"

#if !defined(SENSORDLL_DEVICES_DIR) || !defined(SENSOR_SIM_INSTALLED_DEVICES)
#error "SENSORDLL_DEVICES_DIR and SENSOR_SIM_INSTALLED_DEVICES must name the device data"
#endif

namespace sensorsim {

const char* const INSTALLED_DEVICES_DIR = SENSOR_SIM_INSTALLED_DEVICES;

std::string executablePath() {
    std::vector<char> vecPath(4096);
    const ssize_t nLength = readlink("/proc/self/exe", vecPath.data(), vecPath.size() - 1);
    if (nLength <= 0) return "";
    return std::string(vecPath.data(), static_cast<size_t>(nLength));
}

bool findDevicesDir(const std::string& p_strOverride, const std::string& p_strExecutable,
                    const std::string& p_strBuiltIn, std::string& p_strDir, std::string& p_strError) {
    if (!p_strOverride.empty()) {
        if (isDirectory(p_strOverride)) {
            p_strDir = p_strOverride;
            return true;
        }
        p_strError = "no device data directory " + p_strOverride + " (--devices)";
        return false;
    }
    std::string strLooked;
    const size_t nSlash = p_strExecutable.rfind('/');
    if (nSlash != std::string::npos) {
        const std::string strInstalled = p_strExecutable.substr(0, nSlash + 1) + INSTALLED_DEVICES_DIR;
        if (isDirectory(strInstalled)) {
            // "/usr/share/..." rather than "/usr/bin/../share/...".
            char* szResolved = realpath(strInstalled.c_str(), nullptr);
            p_strDir = szResolved != nullptr ? szResolved : strInstalled;
            free(szResolved);
            return true;
        }
        strLooked = strInstalled + ", ";
    }
    if (isDirectory(p_strBuiltIn)) {
        p_strDir = p_strBuiltIn;
        return true;
    }
    p_strError = "no device data at " + strLooked + p_strBuiltIn + "; give --devices DIR";
    return false;
}

bool findDevicesDir(const std::string& p_strOverride, std::string& p_strDir, std::string& p_strError) {
    return findDevicesDir(p_strOverride, executablePath(), SENSORDLL_DEVICES_DIR, p_strDir, p_strError);
}

}  // namespace sensorsim
