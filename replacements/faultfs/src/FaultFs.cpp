// The fault layer: entries that pass through to the C library (found with
// dlsym(RTLD_NEXT)) except on the watched directory. See FaultFs.h.
#include "FaultFs.h"

#include <dirent.h>
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <utility>

namespace faultfs {
namespace {

void* lookUp(const char* p_szName) {
    void* pSymbol = dlsym(RTLD_NEXT, p_szName);
    if (pSymbol == nullptr) abort();
    return pSymbol;
}

#define FAULTFS_LIBC(name, symbol) decltype(&::name) name = reinterpret_cast<decltype(&::name)>(lookUp(symbol))
struct Libc {
    FAULTFS_LIBC(open, "open64");
    FAULTFS_LIBC(fread, "fread");
    FAULTFS_LIBC(fwrite, "fwrite");
    FAULTFS_LIBC(fflush, "fflush");
    FAULTFS_LIBC(fclose, "fclose");
    FAULTFS_LIBC(fsync, "fsync");
    FAULTFS_LIBC(close, "close");
    FAULTFS_LIBC(rename, "rename");
    FAULTFS_LIBC(unlink, "unlink");
};
#undef FAULTFS_LIBC

const Libc& libc() {
    static const Libc s_objLibc;
    return s_objLibc;
}

// One file's data as a reboot may find it; bDurable false: never synced.
struct Inode {
    std::string strDurable;
    bool bDurable = false;
    std::vector<std::pair<size_t, size_t>> vecDirty;
};

// What a reboot starts from: the entries (name -> file index) with their
// contents, every file's durable state, and the entries as last synced.
struct Disk {
    std::map<std::string, size_t> mapEntries;
    std::map<size_t, std::string> mapContents;
    std::vector<Inode> vecFiles;
    std::map<std::string, size_t> mapDurableEntries;
};

struct Session {
    std::string strDirectory;
    std::vector<Event> vecEvents;
    std::map<int, std::pair<std::string, size_t>> mapDescriptors;  // fd -> name, file index
    // Inode numbers are reused once a file is gone: the live ones map to
    // their file's index.
    std::vector<Inode> vecFiles;
    std::map<ino_t, size_t> mapLive;
    std::map<std::string, size_t> mapDurableEntries;
    std::map<std::string, int> mapFailedOpens;
    bool bFault = false, bPersistent = false, bShortWrite = false;
    size_t nFaultAt = 0;
    int nErrno = 0;
    bool bCutSet = false, bDead = false;
    size_t nCutAt = 0, nCutBytes = 0;
    Disk stAtCut;
};

std::atomic<bool> g_bArmed(false);
std::mutex g_mutex;

// Never destroyed: the program's last stdio calls at exit still come here.
Session& session() {
    static Session* s_pSession = new Session();
    return *s_pSession;
}

std::string readWhole(const std::string& p_strPath) {
    std::string strContent;
    const int nFd = libc().open(p_strPath.c_str(), O_RDONLY | O_CLOEXEC);
    char abyBuffer[4096];
    for (ssize_t nRead; nFd >= 0 && (nRead = ::read(nFd, abyBuffer, sizeof(abyBuffer))) > 0;)
        strContent.append(abyBuffer, static_cast<size_t>(nRead));
    if (nFd >= 0) libc().close(nFd);
    return strContent;
}

size_t writeThrough(int p_nFd, const char* p_pData, size_t p_nCount) {
    size_t nDone = 0;
    for (ssize_t nWritten; nDone < p_nCount && (nWritten = ::write(p_nFd, p_pData + nDone, p_nCount - nDone)) > 0;)
        nDone += static_cast<size_t>(nWritten);
    return nDone;
}

// The regular files of a directory: name -> inode number and content.
std::map<std::string, std::pair<ino_t, std::string>> listing(const std::string& p_strDirectory) {
    std::map<std::string, std::pair<ino_t, std::string>> mapFiles;
    DIR* pDir = opendir(p_strDirectory.c_str());
    while (dirent* pEntry = pDir != nullptr ? readdir(pDir) : nullptr) {
        const std::string strPath = p_strDirectory + "/" + pEntry->d_name;
        struct stat st;
        if (stat(strPath.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            mapFiles[pEntry->d_name] = {st.st_ino, readWhole(strPath)};
    }
    if (pDir != nullptr) closedir(pDir);
    return mapFiles;
}

// A file the layer has not seen yet counts as durable.
size_t fileOf(Session& s, ino_t p_nInode, const std::string& p_strPath) {
    const auto it = s.mapLive.find(p_nInode);
    if (it != s.mapLive.end()) return it->second;
    s.vecFiles.emplace_back();
    s.vecFiles.back().strDurable = readWhole(p_strPath);
    s.vecFiles.back().bDurable = true;
    return s.mapLive[p_nInode] = s.vecFiles.size() - 1;
}

Disk diskNow(Session& s) {
    Disk stDisk;
    for (const auto& stEntry : listing(s.strDirectory)) {
        const size_t nFile = fileOf(s, stEntry.second.first, s.strDirectory + "/" + stEntry.first);
        stDisk.mapEntries[stEntry.first] = nFile;
        stDisk.mapContents[nFile] = stEntry.second.second;
    }
    stDisk.vecFiles = s.vecFiles;
    stDisk.mapDurableEntries = s.mapDurableEntries;
    return stDisk;
}

void cutPower(Session& s) {
    s.stAtCut = diskNow(s);
    s.bDead = true;
}

// The name of a path in the watched directory ("" for the directory itself).
bool watchedName(const Session& s, const char* p_szPath, std::string& p_strName) {
    const std::string& strDir = s.strDirectory;
    if (p_szPath == nullptr || strDir.empty()) return false;
    const std::string strPath = p_szPath;
    if (strPath == strDir || strPath == strDir + "/") {
        p_strName.clear();
        return true;
    }
    if (strPath.compare(0, strDir.size() + 1, strDir + "/") != 0) return false;
    p_strName = strPath.substr(strDir.size() + 1);
    return p_strName.find('/') == std::string::npos;
}

enum class Verdict { Refused, Go, CutInWrite, ShortWrite };

// A watched call holds the layer's lock throughout; others pass unlocked.
class Watch {
public:
    explicit Watch(int p_nFd) {
        if (!lock()) return;
        const auto it = session().mapDescriptors.find(p_nFd);
        if (it == session().mapDescriptors.end()) {
            m_objLock.unlock();
            return;
        }
        m_strName = it->second.first;
        m_nFile = it->second.second;
    }
    explicit Watch(FILE* p_pStream) : Watch(g_bArmed && p_pStream != nullptr ? fileno(p_pStream) : -1) {}
    // A rename counts under its target's name when that is watched.
    explicit Watch(const char* p_szPath, const char* p_szTarget = nullptr) {
        if (lock() && !watchedName(session(), p_szTarget, m_strName) && !watchedName(session(), p_szPath, m_strName))
            m_objLock.unlock();
    }
    explicit operator bool() const { return m_objLock.owns_lock(); }
    const std::string& name() const { return m_strName; }
    Inode& file() { return session().vecFiles[m_nFile]; }

    // Counts the operation and says whether and how it goes ahead.
    Verdict admit(Op p_eOp, size_t p_nBytes = 0) {
        Session& s = session();
        const size_t n = s.vecEvents.size();
        s.vecEvents.push_back({p_eOp, m_strName, p_nBytes});
        errno = EIO;
        if (s.bDead) return Verdict::Refused;
        if (s.bCutSet && n == s.nCutAt) {
            if (p_eOp == Op::Write && s.nCutBytes > 0) return Verdict::CutInWrite;
            cutPower(s);
            return Verdict::Refused;
        }
        if (!s.bFault || n < s.nFaultAt || (n > s.nFaultAt && !s.bPersistent)) return Verdict::Go;
        if (s.bShortWrite && p_eOp != Op::Write) return Verdict::Go;
        if (s.bShortWrite && n == s.nFaultAt) return Verdict::ShortWrite;
        errno = s.nErrno;
        return Verdict::Refused;
    }

    // The descriptor is released whatever the verdict.
    template <typename Close>
    int close(int p_nFd, Close p_fnClose, int p_nFailed) {
        const bool bAdmitted = admit(Op::Close) != Verdict::Refused;
        const int nErrno = errno;
        session().mapDescriptors.erase(p_nFd);
        const int nResult = p_fnClose();
        errno = bAdmitted ? errno : nErrno;
        return bAdmitted ? nResult : p_nFailed;
    }

private:
    bool lock() {
        if (g_bArmed) m_objLock = std::unique_lock<std::mutex>(g_mutex);
        return m_objLock.owns_lock();
    }

    std::unique_lock<std::mutex> m_objLock;
    std::string m_strName;
    size_t m_nFile = 0;
};

int openEntry(const char* p_szPath, int p_nFlags, va_list p_args) {
    const mode_t nMode = (p_nFlags & O_CREAT) != 0 ? static_cast<mode_t>(va_arg(p_args, int)) : 0;
    Watch objWatch(p_szPath);
    if (!objWatch) return libc().open(p_szPath, p_nFlags, nMode);
    if (objWatch.admit(Op::Open) == Verdict::Refused) return -1;
    Session& s = session();
    const auto itFailed = s.mapFailedOpens.find(objWatch.name());
    if (itFailed != s.mapFailedOpens.end()) {
        errno = itFailed->second;
        return -1;
    }
    struct stat st;
    const bool bExisted = stat(p_szPath, &st) == 0;
    const int nFd = libc().open(p_szPath, p_nFlags, nMode);
    if (nFd < 0 || fstat(nFd, &st) != 0) return nFd;
    size_t nFile = s.vecFiles.size();
    if (bExisted) {
        nFile = fileOf(s, st.st_ino, objWatch.name().empty() ? std::string() : std::string(p_szPath));
    } else {
        s.vecFiles.emplace_back();
        s.mapLive[st.st_ino] = nFile;
    }
    s.mapDescriptors[nFd] = {objWatch.name(), nFile};
    // An emptied file keeps its old data only until a sync: the whole old
    // extent counts as rewritten.
    Inode& stInode = s.vecFiles[nFile];
    if (!objWatch.name().empty() && (p_nFlags & O_TRUNC) != 0 && (p_nFlags & O_ACCMODE) != O_RDONLY)
        stInode.vecDirty.push_back({0, stInode.bDurable ? stInode.strDurable.size() : 0});
    return nFd;
}

}  // namespace

std::string describe(const Event& p_stEvent) {
    static const char* const s_aszOps[] = {"open", "read", "write", "flush", "sync", "close", "rename", "unlink"};
    return std::string(s_aszOps[static_cast<int>(p_stEvent.eOp)]) + " " +
           (p_stEvent.strName.empty() ? "<dir>" : p_stEvent.strName);
}

void arm(const std::string& p_strDirectory) {
    std::lock_guard<std::mutex> guard(g_mutex);
    session() = Session();
    session().strDirectory = p_strDirectory;
    session().mapDurableEntries = diskNow(session()).mapEntries;
    g_bArmed = true;
}

void disarm() {
    std::lock_guard<std::mutex> guard(g_mutex);
    g_bArmed = false;
    session().strDirectory.clear();
    session().mapDescriptors.clear();
}

const std::vector<Event>& events() { return session().vecEvents; }

void failAt(size_t p_nOperation, int p_nErrno, bool p_bPersistent, bool p_bShortWrite) {
    std::lock_guard<std::mutex> guard(g_mutex);
    Session& s = session();
    s.bFault = true;
    s.nFaultAt = p_nOperation;
    s.nErrno = p_bShortWrite ? ENOSPC : p_nErrno;
    s.bPersistent = p_bPersistent;
    s.bShortWrite = p_bShortWrite;
}

void failOpens(const std::string& p_strName, int p_nErrno) {
    std::lock_guard<std::mutex> guard(g_mutex);
    session().mapFailedOpens[p_strName] = p_nErrno;
}

void cutAt(size_t p_nOperation, size_t p_nBytes) {
    std::lock_guard<std::mutex> guard(g_mutex);
    session().bCutSet = true;
    session().nCutAt = p_nOperation;
    session().nCutBytes = p_nBytes;
}

Image rebootImage(Loss p_eLoss) {
    std::lock_guard<std::mutex> guard(g_mutex);
    Session& s = session();
    const Disk stDisk = s.bDead ? s.stAtCut : diskNow(s);
    const bool bDropData = p_eLoss == Loss::DropData || p_eLoss == Loss::DropAll;
    const bool bDropEntries = p_eLoss == Loss::DropEntries || p_eLoss == Loss::DropAll;
    Image mapImage;
    for (const auto& stEntry : bDropEntries ? stDisk.mapDurableEntries : stDisk.mapEntries) {
        const Inode& stFile = stDisk.vecFiles.at(stEntry.second);
        const auto itContent = stDisk.mapContents.find(stEntry.second);
        // A file no longer linked was not written after its last sync.
        std::string strContent = itContent != stDisk.mapContents.end() ? itContent->second : stFile.strDurable;
        const bool bUnsynced = !stFile.bDurable || !stFile.vecDirty.empty();
        if (bUnsynced && bDropData) strContent = stFile.bDurable ? stFile.strDurable : std::string();
        if (bUnsynced && p_eLoss == Loss::GarbleData)
            for (const auto& stRange : stFile.vecDirty)
                for (size_t i = stRange.first; i < stRange.second && i < strContent.size(); ++i)
                    strContent[i] = static_cast<char>((i * 37 + 0x5b) ^ 0xa5);
        mapImage[stEntry.first] = strContent;
    }
    return mapImage;
}

Image readDirectory(const std::string& p_strDirectory) {
    Image mapImage;
    for (const auto& stEntry : listing(p_strDirectory)) mapImage[stEntry.first] = stEntry.second.second;
    return mapImage;
}

void writeDirectory(const std::string& p_strDirectory, const Image& p_mapImage) {
    for (const auto& stEntry : listing(p_strDirectory)) libc().unlink((p_strDirectory + "/" + stEntry.first).c_str());
    for (const auto& stEntry : p_mapImage) {
        const int nFd =
            libc().open((p_strDirectory + "/" + stEntry.first).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (nFd < 0) continue;
        writeThrough(nFd, stEntry.second.data(), stEntry.second.size());
        libc().close(nFd);
    }
}

int openDescriptors() {
    DIR* pDir = opendir("/proc/self/fd");
    int nCount = -1;  // the listing's own
    while (dirent* pEntry = pDir != nullptr ? readdir(pDir) : nullptr)
        if (pEntry->d_name[0] != '.') ++nCount;
    if (pDir != nullptr) closedir(pDir);
    return nCount;
}

}  // namespace faultfs

using faultfs::Op;
using faultfs::Verdict;
using faultfs::Watch;

extern "C" {

// Both names: the library may be built with 64-bit file offsets or without.
#define FAULTFS_OPEN(function, symbol)                                     \
    int function(const char* p_szPath, int p_nFlags, ...) __asm__(symbol); \
    int function(const char* p_szPath, int p_nFlags, ...) {                \
        va_list args;                                                      \
        va_start(args, p_nFlags);                                          \
        const int nFd = faultfs::openEntry(p_szPath, p_nFlags, args);      \
        va_end(args);                                                      \
        return nFd;                                                        \
    }
FAULTFS_OPEN(faultfsOpen, "open")
FAULTFS_OPEN(faultfsOpen64, "open64")
#undef FAULTFS_OPEN

size_t fread(void* p_pBuffer, size_t p_nSize, size_t p_nCount, FILE* p_pStream) {
    Watch objWatch(p_pStream);
    if (objWatch && objWatch.admit(Op::Read, p_nSize * p_nCount) == Verdict::Refused) return 0;
    return faultfs::libc().fread(p_pBuffer, p_nSize, p_nCount, p_pStream);
}

size_t fwrite(const void* p_pBuffer, size_t p_nSize, size_t p_nCount, FILE* p_pStream) {
    Watch objWatch(p_nSize == 0 ? nullptr : p_pStream);
    if (!objWatch) return faultfs::libc().fwrite(p_pBuffer, p_nSize, p_nCount, p_pStream);
    const size_t nBytes = p_nSize * p_nCount;
    const Verdict eVerdict = objWatch.admit(Op::Write, nBytes);
    if (eVerdict == Verdict::Refused) return 0;
    faultfs::libc().fflush(p_pStream);
    const int nFd = fileno(p_pStream);
    const size_t nBegin = static_cast<size_t>(std::max<off_t>(lseek(nFd, 0, SEEK_CUR), 0));
    size_t nAllowed = nBytes;
    if (eVerdict == Verdict::CutInWrite) nAllowed = std::min(faultfs::session().nCutBytes, nBytes);
    if (eVerdict == Verdict::ShortWrite) nAllowed = nBytes / 2;
    const size_t nDone = faultfs::writeThrough(nFd, static_cast<const char*>(p_pBuffer), nAllowed);
    if (nDone > 0) objWatch.file().vecDirty.push_back({nBegin, nBegin + nDone});
    if (eVerdict == Verdict::CutInWrite) faultfs::cutPower(faultfs::session());
    if (nDone < nBytes) errno = eVerdict == Verdict::ShortWrite ? ENOSPC : EIO;
    return nDone / p_nSize;
}

int fflush(FILE* p_pStream) {
    Watch objWatch(p_pStream);
    if (objWatch && objWatch.admit(Op::Flush) == Verdict::Refused) return EOF;
    return faultfs::libc().fflush(p_pStream);
}

int fsync(int p_nFd) {
    Watch objWatch(p_nFd);
    if (!objWatch) return faultfs::libc().fsync(p_nFd);
    if (objWatch.admit(Op::Sync) == Verdict::Refused) return -1;
    faultfs::Session& s = faultfs::session();
    if (objWatch.name().empty()) {
        s.mapDurableEntries = faultfs::diskNow(s).mapEntries;
    } else {
        faultfs::Inode& stInode = objWatch.file();
        stInode.strDurable = faultfs::readWhole(s.strDirectory + "/" + objWatch.name());
        stInode.bDurable = true;
        stInode.vecDirty.clear();
    }
    return 0;
}

int fclose(FILE* p_pStream) {
    Watch objWatch(p_pStream);
    if (!objWatch) return faultfs::libc().fclose(p_pStream);
    return objWatch.close(
        fileno(p_pStream), [p_pStream]() { return faultfs::libc().fclose(p_pStream); }, EOF);
}

int close(int p_nFd) {
    Watch objWatch(p_nFd);
    if (!objWatch) return faultfs::libc().close(p_nFd);
    return objWatch.close(
        p_nFd, [p_nFd]() { return faultfs::libc().close(p_nFd); }, -1);
}

int rename(const char* p_szFrom, const char* p_szTo) {
    Watch objWatch(p_szFrom, p_szTo);
    if (objWatch && objWatch.admit(Op::Rename) == Verdict::Refused) return -1;
    return faultfs::libc().rename(p_szFrom, p_szTo);
}

int unlink(const char* p_szPath) {
    Watch objWatch(p_szPath);
    if (objWatch && objWatch.admit(Op::Unlink) == Verdict::Refused) return -1;
    return faultfs::libc().unlink(p_szPath);
}

}  // extern "C"
