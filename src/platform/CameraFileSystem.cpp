#include "platform/CameraFileSystem.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
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

bool cameraFileExists(const char* p_szCameraPath) { return access(cameraPath(p_szCameraPath).c_str(), F_OK) == 0; }

int removeCameraFile(const char* p_szCameraPath) { return unlink(cameraPath(p_szCameraPath).c_str()); }

int renameCameraFile(const std::string& p_strFrom, const std::string& p_strTo) {
    return rename(cameraPath(p_strFrom).c_str(), cameraPath(p_strTo).c_str());
}

bool syncCameraDirectoryOf(const std::string& p_strCameraPath) {
    const std::string strPath = cameraPath(p_strCameraPath);
    const size_t nSlash = strPath.rfind('/');
    const std::string strDirectory =
        nSlash == std::string::npos ? "." : (nSlash == 0 ? "/" : strPath.substr(0, nSlash));
    const int nDirectory = open(strDirectory.c_str(), O_RDONLY | O_DIRECTORY);
    if (nDirectory < 0) return false;
    const bool bSynced = fsync(nDirectory) == 0;
    close(nDirectory);
    return bSynced;
}

bool createCameraFileExclusive(const std::string& p_strCameraPath, CameraFileIdentity& p_stIdentity) {
    const int nFd =
        open(cameraPath(p_strCameraPath).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (nFd < 0) return false;
    struct stat st;
    const bool bKnown = fstat(nFd, &st) == 0;
    close(nFd);
    p_stIdentity.device = bKnown ? static_cast<unsigned long long>(st.st_dev) : 0;
    p_stIdentity.inode = bKnown ? static_cast<unsigned long long>(st.st_ino) : 0;
    return bKnown;
}

bool isCameraFile(FILE* p_pStream, const CameraFileIdentity& p_stIdentity) {
    struct stat st;
    return p_pStream != nullptr && fstat(fileno(p_pStream), &st) == 0 && S_ISREG(st.st_mode) &&
           static_cast<unsigned long long>(st.st_dev) == p_stIdentity.device &&
           static_cast<unsigned long long>(st.st_ino) == p_stIdentity.inode;
}

// O_NONBLOCK keeps the open of a FIFO from waiting for a writer; the type is
// checked on the open file, so nothing can be swapped in between.
bool readCameraFileBounded(const char* p_szCameraPath, size_t p_nMaxBytes, std::string& p_strText) {
    p_strText.clear();
    const int nFd = open(cameraPath(p_szCameraPath).c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (nFd < 0) return false;
    struct stat st;
    bool bRead = fstat(nFd, &st) == 0 && S_ISREG(st.st_mode);
    if (bRead) {
        p_strText.resize(p_nMaxBytes);
        size_t nDone = 0;
        while (nDone < p_nMaxBytes) {
            const ssize_t nCount = read(nFd, &p_strText[nDone], p_nMaxBytes - nDone);
            if (nCount < 0 && errno == EINTR) continue;
            if (nCount < 0) bRead = false;
            if (nCount <= 0) break;
            nDone += static_cast<size_t>(nCount);
        }
        p_strText.resize(bRead ? nDone : 0);
    }
    close(nFd);
    return bRead;
}
