#include "platform/CameraFileSystem.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <vector>

std::string cameraPath(const std::string& p_strCameraPath) {
    if (sensordll_device_root == nullptr || p_strCameraPath.empty() || p_strCameraPath[0] != '/')
        return p_strCameraPath;
    char aRoot[256];
    size_t nLength = sensordll_device_root(aRoot, sizeof(aRoot));
    const char* pRoot = aRoot;
    std::vector<char> vecLongRoot;
    // A longer root is asked again into a buffer of its size; the loop covers
    // a root that grew between the two calls.
    while (nLength >= sizeof(aRoot) && nLength >= vecLongRoot.size()) {
        vecLongRoot.resize(nLength + 1);
        nLength = sensordll_device_root(vecLongRoot.data(), vecLongRoot.size());
        pRoot = vecLongRoot.data();
    }
    std::string strPath;
    strPath.reserve(nLength + p_strCameraPath.size());
    strPath.append(pRoot, nLength).append(p_strCameraPath);
    return strPath;
}

bool cameraFileExists(const char* p_szCameraPath) {
    return access(cameraPath(p_szCameraPath).c_str(), F_OK) == 0;
}

int removeCameraFile(const char* p_szCameraPath) {
    return unlink(cameraPath(p_szCameraPath).c_str());
}

int renameCameraFile(const std::string& p_strFrom, const std::string& p_strTo) {
    return rename(cameraPath(p_strFrom).c_str(), cameraPath(p_strTo).c_str());
}

bool syncCameraDirectoryOf(const std::string& p_strCameraPath) {
    const std::string strPath = cameraPath(p_strCameraPath);
    const size_t nSlash = strPath.rfind('/');
    const std::string strDirectory = nSlash == std::string::npos ? "." : (nSlash == 0 ? "/" : strPath.substr(0, nSlash));
    const int nDirectory = open(strDirectory.c_str(), O_RDONLY | O_DIRECTORY);
    if (nDirectory < 0) return false;
    const bool bSynced = fsync(nDirectory) == 0;
    close(nDirectory);
    return bSynced;
}
