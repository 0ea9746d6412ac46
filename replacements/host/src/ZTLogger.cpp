// The host logger: appends tagged lines to a file and rotates it by size.
#include "ZTLogger.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <mutex>

#include "DeviceRoot.h"

namespace {

// Loggers are short-lived objects on many threads writing the same files;
// one lock keeps a rotation from racing another thread's append.
std::mutex& logMutex() {
    static std::mutex s_mutex;
    return s_mutex;
}

std::string numbered(const std::string& p_strPath, int p_nIndex) {
    return p_nIndex == 0 ? p_strPath : p_strPath + "." + std::to_string(p_nIndex);
}

// path.(n-2) -> path.(n-1), ..., path -> path.1; the oldest file drops out.
void rotate(const std::string& p_strPath, int p_nMaxFiles) {
    if (p_nMaxFiles <= 1) {
        truncate(p_strPath.c_str(), 0);
        return;
    }
    unlink(numbered(p_strPath, p_nMaxFiles - 1).c_str());
    for (int nIndex = p_nMaxFiles - 2; nIndex >= 0; --nIndex)
        rename(numbered(p_strPath, nIndex).c_str(), numbered(p_strPath, nIndex + 1).c_str());
}

bool writeAll(int p_nFd, const std::string& p_strText) {
    size_t nDone = 0;
    while (nDone < p_strText.size()) {
        const ssize_t nWritten = ::write(p_nFd, p_strText.data() + nDone, p_strText.size() - nDone);
        if (nWritten <= 0) return false;
        nDone += static_cast<size_t>(nWritten);
    }
    return true;
}

}  // namespace

ZTLogger::ZTLogger() : m_nMaxBytes(0), m_nMaxFiles(0) {}

ZTLogger::~ZTLogger() {}

bool ZTLogger::init(const std::string& p_strPath, int p_nMaxBytes, int p_nMaxFiles) {
    if (p_strPath.empty()) return false;
    m_strPath = p_strPath;
    m_nMaxBytes = p_nMaxBytes;
    m_nMaxFiles = p_nMaxFiles < 1 ? 1 : p_nMaxFiles;
    return true;
}

bool ZTLogger::writeLog(const std::string& p_strTag, const std::string& p_strMessage) {
    if (m_strPath.empty()) return false;
    std::string strLine = p_strTag + " " + p_strMessage;
    if (strLine[strLine.size() - 1] != '\n') strLine += '\n';

    const std::string strPath = DeviceRoot::resolve(m_strPath);
    std::lock_guard<std::mutex> guard(logMutex());
    struct stat st;
    // A file is rotated before the line that would take it past the size, so
    // each file stays within it unless one line alone is larger.
    if (m_nMaxBytes > 0 && stat(strPath.c_str(), &st) == 0 && st.st_size > 0 &&
        static_cast<long long>(st.st_size) + static_cast<long long>(strLine.size()) > m_nMaxBytes)
        rotate(strPath, m_nMaxFiles);
    const int nFd = ::open(strPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (nFd < 0) return false;
    const bool bOk = writeAll(nFd, strLine);
    ::close(nFd);
    return bOk;
}
