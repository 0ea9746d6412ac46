// The file formats and the crash-safe replace of sensordll-cfg. The library's
// own readers and FileReplacement go through the host's ZTFile and
// diagnostics, which a stand-alone tool does not have; the byte layout is the
// same (SchemeFiles.cpp), and the rename and directory sync are the
// library's own (platform/CameraFileSystem).
#include "CfgFile.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "CfgKeys.h"
#include "platform/CameraFileSystem.h"
#include "platform/CameraPaths.h"
#include "storage/SchemeMerge.h"

namespace sensorcfg {

namespace {

const size_t RECORD_BYTES = sizeof(KeyVal);
const size_t VERSION_BYTES = 4;

void putLe32(std::string& p_strBytes, u32 p_nValue) {
    for (int nShift = 0; nShift < 32; nShift += 8) p_strBytes.push_back(static_cast<char>(p_nValue >> nShift));
}

u32 getLe32(const std::string& p_strBytes, size_t p_nOffset) {
    u32 nValue = 0;
    for (int i = 3; i >= 0; --i)
        nValue = nValue << 8 | static_cast<unsigned char>(p_strBytes[p_nOffset + static_cast<size_t>(i)]);
    return nValue;
}

std::string baseName(const std::string& p_strPath) {
    const size_t nSlash = p_strPath.rfind('/');
    return nSlash == std::string::npos ? p_strPath : p_strPath.substr(nSlash + 1);
}

std::string systemError(const char* p_szStep) { return std::string(p_szStep) + ": " + strerror(errno); }

// Writes all bytes, across short writes and signals.
bool writeAll(int p_nFd, const std::string& p_strBytes) {
    size_t nDone = 0;
    while (nDone < p_strBytes.size()) {
        const ssize_t nCount = write(p_nFd, p_strBytes.data() + nDone, p_strBytes.size() - nDone);
        if (nCount < 0 && errno == EINTR) continue;
        if (nCount <= 0) return false;
        nDone += static_cast<size_t>(nCount);
    }
    return true;
}

}  // namespace

FileKind kindOf(const std::string& p_strPath, size_t p_nSize) {
    const std::string strName = baseName(p_strPath);
    if (strName == baseName(camerapath::VERSION_FILE)) return FileKind::Version;
    // A scheme file cut to 4 bytes stays a (truncated) scheme file.
    if (strName.compare(0, 6, "sensor") == 0) return FileKind::Scheme;
    return p_nSize == VERSION_BYTES ? FileKind::Version : FileKind::Scheme;
}

size_t maxFileBytes() { return SCHEME_KEY_CAPACITY * RECORD_BYTES; }

bool decodeCfg(const std::string& p_strBytes, FileKind p_eKind, CfgFile& p_stFile, std::string& p_strError) {
    const size_t nSize = p_strBytes.size();
    p_stFile.kind = p_eKind;
    p_stFile.records.clear();
    p_stFile.version = 0;
    if (p_eKind == FileKind::Version) {
        if (nSize != VERSION_BYTES) {
            p_strError = "a version file holds 4 bytes, this one " + std::to_string(nSize);
            return false;
        }
        p_stFile.version = getLe32(p_strBytes, 0);
        return true;
    }
    if (nSize == 0) {
        p_strError = "empty: no records";
        return false;
    }
    if (nSize % RECORD_BYTES != 0) {
        p_strError = "truncated: " + std::to_string(nSize) + " bytes is not a whole number of 8-byte records";
        return false;
    }
    if (nSize > maxFileBytes()) {
        p_strError = "oversized: " + std::to_string(nSize) + " bytes, more than the " +
                     std::to_string(SCHEME_KEY_CAPACITY) + " records a scheme holds";
        return false;
    }
    for (size_t nOffset = 0; nOffset < nSize; nOffset += RECORD_BYTES)
        p_stFile.records.push_back(KeyVal{getLe32(p_strBytes, nOffset), getLe32(p_strBytes, nOffset + 4)});
    return true;
}

std::string encodeCfg(const CfgFile& p_stFile) {
    std::string strBytes;
    if (p_stFile.kind == FileKind::Version) {
        putLe32(strBytes, p_stFile.version);
        return strBytes;
    }
    for (const KeyVal& stRecord : p_stFile.records) {
        putLe32(strBytes, stRecord.key);
        putLe32(strBytes, stRecord.value);
    }
    return strBytes;
}

// O_NONBLOCK keeps the open of a FIFO from waiting; the type is checked on
// the open file. One byte more than the limit is read, so a file that grew
// past it since fstat is still refused.
bool readCfgFile(const std::string& p_strPath, CfgFile& p_stFile, std::string& p_strError) {
    p_stFile.path = p_strPath;
    const int nFd = open(p_strPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (nFd < 0) {
        p_strError = systemError("cannot open");
        return false;
    }
    struct stat st;
    std::string strBytes;
    bool bRead = false;
    if (fstat(nFd, &st) != 0) {
        p_strError = systemError("cannot stat");
    } else if (S_ISDIR(st.st_mode)) {
        p_strError = "is a directory";
    } else if (!S_ISREG(st.st_mode)) {
        p_strError = "not a regular file";
    } else if (static_cast<unsigned long long>(st.st_size) > maxFileBytes()) {
        p_strError = "oversized: " + std::to_string(static_cast<long long>(st.st_size)) + " bytes, more than the " +
                     std::to_string(SCHEME_KEY_CAPACITY) + " records a scheme holds";
    } else {
        strBytes.resize(maxFileBytes() + 1);
        size_t nDone = 0;
        bRead = true;
        while (nDone < strBytes.size()) {
            const ssize_t nCount = read(nFd, &strBytes[nDone], strBytes.size() - nDone);
            if (nCount < 0 && errno == EINTR) continue;
            if (nCount < 0) {
                p_strError = systemError("cannot read");
                bRead = false;
            }
            if (nCount <= 0) break;
            nDone += static_cast<size_t>(nCount);
        }
        strBytes.resize(nDone);
    }
    close(nFd);
    return bRead && decodeCfg(strBytes, kindOf(p_strPath, strBytes.size()), p_stFile, p_strError);
}

long firstUnknownKey(const CfgFile& p_stFile) {
    for (size_t i = 0; i < p_stFile.records.size(); ++i)
        if (keyName(p_stFile.records[i].key) == nullptr) return static_cast<long>(i);
    return -1;
}

bool replaceCfgFile(const std::string& p_strPath, const std::string& p_strBytes, std::string& p_strError) {
    struct stat st;
    if (lstat(p_strPath.c_str(), &st) != 0) {
        p_strError = systemError("cannot stat");
        return false;
    }
    // A rename over a symbolic link would replace the link, not the file.
    if (!S_ISREG(st.st_mode)) {
        p_strError = "not a regular file; give the file itself";
        return false;
    }
    const std::string strTemporary = p_strPath + ".tmp";
    // A leftover of an interrupted replace is removed, never written through.
    if (removeCameraFile(strTemporary.c_str()) != 0 && errno != ENOENT) {
        p_strError = systemError(("cannot remove " + strTemporary).c_str());
        return false;
    }
    const int nFd = open(strTemporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (nFd < 0) {
        p_strError = systemError(("cannot create " + strTemporary).c_str());
        return false;
    }
    const char* szFailed = nullptr;
    if (fchmod(nFd, st.st_mode & 07777) != 0)
        szFailed = "cannot set the permissions of the temporary file";
    else if (!writeAll(nFd, p_strBytes))
        szFailed = "cannot write the temporary file";
    else if (fsync(nFd) != 0)
        szFailed = "cannot sync the temporary file";
    if (szFailed != nullptr) p_strError = systemError(szFailed);
    if (close(nFd) != 0 && szFailed == nullptr) {
        szFailed = "close";
        p_strError = systemError("cannot close the temporary file");
    }
    if (szFailed == nullptr && renameCameraFile(strTemporary, p_strPath) != 0) {
        szFailed = "rename";
        p_strError = systemError(("cannot rename " + strTemporary).c_str());
    }
    if (szFailed != nullptr) {
        removeCameraFile(strTemporary.c_str());
        return false;
    }
    // The new content is in place; until the directory is synced a power
    // cut may bring the old file back, which the caller must hear of.
    if (!syncCameraDirectoryOf(p_strPath)) {
        p_strError = systemError("replaced, but cannot sync the directory");
        return false;
    }
    return true;
}

}  // namespace sensorcfg
