// The process-wide device root under which camera paths are looked up.
#include "DeviceRoot.h"

#include <string.h>

#include <mutex>

namespace DeviceRoot {
namespace {

std::mutex& rootMutex() {
    static std::mutex s_mutex;
    return s_mutex;
}

std::string& rootDirectory() {
    static std::string s_strRoot;
    return s_strRoot;
}

}  // namespace

std::string resolve(const std::string& p_strCameraPath) {
    if (p_strCameraPath.empty() || p_strCameraPath[0] != '/') return p_strCameraPath;
    std::lock_guard<std::mutex> guard(rootMutex());
    const std::string& strRoot = rootDirectory();
    if (strRoot.empty()) return p_strCameraPath;
    return strRoot + p_strCameraPath;
}

void setRoot(const std::string& p_strDirectory) {
    std::string strRoot = p_strDirectory;
    // Camera paths bring their own leading slash; "/" itself is no root.
    while (!strRoot.empty() && strRoot[strRoot.size() - 1] == '/') strRoot.erase(strRoot.size() - 1);
    std::lock_guard<std::mutex> guard(rootMutex());
    rootDirectory() = strRoot;
}

std::string root() {
    std::lock_guard<std::mutex> guard(rootMutex());
    return rootDirectory();
}

}  // namespace DeviceRoot

size_t sensordll_device_root(char* p_szBuffer, size_t p_nSize) {
    std::lock_guard<std::mutex> guard(DeviceRoot::rootMutex());
    const std::string& strRoot = DeviceRoot::rootDirectory();
    if (p_nSize > 0) {
        const size_t nCopied = strRoot.size() < p_nSize ? strRoot.size() : p_nSize - 1;
        memcpy(p_szBuffer, strRoot.data(), nCopied);
        p_szBuffer[nCopied] = '\0';
    }
    return strRoot.size();
}
