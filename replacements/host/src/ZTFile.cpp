// The host file object over stdio, on camera paths resolved through
// DeviceRoot, with the simulated write fault of HostSimulation.h.
#include "ZTFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "DeviceRoot.h"
#include "HostSimulationState.h"

namespace {

// One line without its end into p_strLine; false at the end of the stream
// when nothing was read.
bool readLine(FILE* p_pStream, std::string& p_strLine) {
    p_strLine.clear();
    if (p_pStream == nullptr) return false;
    bool bAny = false;
    int nChar;
    while ((nChar = getc(p_pStream)) != EOF) {
        bAny = true;
        if (nChar == '\n') {
            if (!p_strLine.empty() && p_strLine[p_strLine.size() - 1] == '\r') p_strLine.erase(p_strLine.size() - 1);
            return true;
        }
        p_strLine += static_cast<char>(nChar);
    }
    return bAny;
}

}  // namespace

ZTFile::ZTFile() : m_pFile(nullptr) {}

ZTFile::~ZTFile() { close(); }

int ZTFile::open(const std::string& p_strPath, unsigned char p_nMode) {
    close();
    const bool bRead = (p_nMode & modeRead) != 0;
    const bool bAppend = (p_nMode & modeAppend) != 0;
    const bool bWrite = (p_nMode & modeWrite) != 0 || bAppend;
    if (!bRead && !bWrite) return 0;

    int nFlags = O_CLOEXEC;
    const char* szMode;
    if (bRead && bWrite) {
        nFlags |= O_RDWR;
        szMode = bAppend ? "a+b" : "r+b";
    } else if (bWrite) {
        nFlags |= O_WRONLY;
        // fdopen's "w" leaves the length alone: truncation is O_TRUNC's alone.
        szMode = bAppend ? "ab" : "wb";
    } else {
        nFlags |= O_RDONLY;
        szMode = "rb";
    }
    if (bWrite) nFlags |= O_CREAT;
    if (bAppend) nFlags |= O_APPEND;
    if (bWrite && (p_nMode & modeTruncate) != 0) nFlags |= O_TRUNC;

    const std::string strPath = DeviceRoot::resolve(p_strPath);
    const int nFd = ::open(strPath.c_str(), nFlags, 0644);
    if (nFd < 0) return 0;
    m_pFile = fdopen(nFd, szMode);
    if (m_pFile == nullptr) {
        ::close(nFd);
        return 0;
    }
    return 1;
}

int ZTFile::read(void* p_pBuffer, unsigned int p_nCount) {
    if (m_pFile == nullptr || p_pBuffer == nullptr) return 0;
    return static_cast<int>(fread(p_pBuffer, 1, p_nCount, m_pFile));
}

int ZTFile::write(const void* p_pBuffer, unsigned int p_nCount) {
    if (m_pFile == nullptr || p_pBuffer == nullptr) return 0;
    const unsigned int nAllowed = hostsim::detail::takeWriteBudget(p_nCount);
    if (nAllowed == 0) return 0;
    return static_cast<int>(fwrite(p_pBuffer, 1, nAllowed, m_pFile));
}

long long ZTFile::getLength() {
    if (m_pFile == nullptr) return -1;
    fflush(m_pFile);
    struct stat st;
    if (fstat(fileno(m_pFile), &st) != 0) return -1;
    return static_cast<long long>(st.st_size);
}

FILE* ZTFile::getFileHandle() { return m_pFile; }

std::string ZTFile::ReadOneLine(FILE* p_pStream) {
    std::string strLine;
    readLine(p_pStream, strLine);
    return strLine;
}

std::vector<std::string> ZTFile::ReadLines() {
    std::vector<std::string> vecLines;
    std::string strLine;
    while (readLine(m_pFile, strLine)) vecLines.push_back(strLine);
    return vecLines;
}

void ZTFile::close() {
    if (m_pFile != nullptr) {
        fclose(m_pFile);
        m_pFile = nullptr;
    }
}
