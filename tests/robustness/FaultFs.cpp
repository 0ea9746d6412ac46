// The fault layer: libc entries of this test program that pass through to
// the C library (found with dlsym(RTLD_NEXT)), except on the watched
// directory. See FaultFs.h.
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
    if (pSymbol == nullptr) {
        fprintf(stderr, "faultfs: no %s in the C library\n", p_szName);
        abort();
    }
    return pSymbol;
}

#define FAULTFS_LIBC(name, symbol) decltype(&::name) name = reinterpret_cast<decltype(&::name)>(lookUp(symbol))
// The C library's own entries.
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

struct Range {
    size_t nBegin;
    size_t nEnd;
};

// One file's data as a reboot may find it.
struct Inode {
    std::string strDurable;
    bool bDurable = false;  // false: never synced, nothing of it survives a loss
    std::vector<Range> vecDirty;
};

struct Descriptor {
    std::string strName;  // "" for the directory
    size_t nFile;         // the file's index in Session::vecFiles
};

// What a reboot starts from: name -> file index and file index -> content on
// disk, every file's durable state, and the entries as last synced.
struct Disk {
    std::map<std::string, size_t> mapEntries;
    std::map<size_t, std::string> mapContents;
    std::vector<Inode> vecFiles;
    std::map<std::string, size_t> mapDurableEntries;
};

struct Fault {
    size_t nAt = 0;
    int nErrno = 0;
    bool bPersistent = false;
    bool bShortWrite = false;
    bool bSet = false;
};

// Everything from one arm on.
struct Session {
    std::string strDirectory;
    std::vector<Event> vecEvents;
    std::map<int, Descriptor> mapDescriptors;
    // Every file seen since arm, by index; inode numbers are reused once a
    // file is gone, so the live ones map to their file's index.
    std::vector<Inode> vecFiles;
    std::map<ino_t, size_t> mapLive;
    std::map<std::string, size_t> mapDurableEntries;
    std::map<std::string, int> mapFailedOpens;
    Fault stFault;
    bool bCutSet = false;
    size_t nCutAt = 0;
    size_t nCutBytes = 0;
    bool bDead = false;  // the power is cut; stAtCut holds the disk as it was
    Disk stAtCut;
};

struct State {
    std::mutex mutex;
    Session stSession;
};

std::atomic<bool> g_bArmed(false);

// Never destroyed: the program's last stdio calls at exit still come here.
State& state() {
    static State* s_pState = new State();
    return *s_pState;
}

template <typename Body>
auto locked(Body p_fnBody) {
    std::lock_guard<std::mutex> guard(state().mutex);
    return p_fnBody(state().stSession);
}

std::string readWhole(const std::string& p_strPath) {
    std::string strContent;
    const int nFd = libc().open(p_strPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (nFd < 0) return strContent;
    char abyBuffer[4096];
    for (ssize_t nRead; (nRead = ::read(nFd, abyBuffer, sizeof(abyBuffer))) > 0;)
        strContent.append(abyBuffer, static_cast<size_t>(nRead));
    libc().close(nFd);
    return strContent;
}

// Writes on the descriptor until done or failed; the bytes moved.
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
    if (pDir == nullptr) return mapFiles;
    while (dirent* pEntry = readdir(pDir)) {
        const std::string strPath = p_strDirectory + "/" + pEntry->d_name;
        struct stat st;
        if (stat(strPath.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            mapFiles[pEntry->d_name] = std::make_pair(st.st_ino, readWhole(strPath));
    }
    closedir(pDir);
    return mapFiles;
}

// The index of the file behind a live inode number; a file the layer has not
// seen (none is created behind its back while it is armed) counts as durable.
size_t fileOf(Session& p_stSession, ino_t p_nInode, const std::string& p_strPath) {
    const auto it = p_stSession.mapLive.find(p_nInode);
    if (it != p_stSession.mapLive.end()) return it->second;
    Inode stInode;
    stInode.strDurable = readWhole(p_strPath);
    stInode.bDurable = true;
    p_stSession.vecFiles.push_back(stInode);
    return p_stSession.mapLive[p_nInode] = p_stSession.vecFiles.size() - 1;
}

Disk diskNow(Session& p_stSession) {
    Disk stDisk;
    for (const auto& stEntry : listing(p_stSession.strDirectory)) {
        const size_t nFile =
            fileOf(p_stSession, stEntry.second.first, p_stSession.strDirectory + "/" + stEntry.first);
        stDisk.mapEntries[stEntry.first] = nFile;
        stDisk.mapContents[nFile] = stEntry.second.second;
    }
    stDisk.vecFiles = p_stSession.vecFiles;
    stDisk.mapDurableEntries = p_stSession.mapDurableEntries;
    return stDisk;
}

void cutPower(Session& p_stSession) {
    p_stSession.stAtCut = diskNow(p_stSession);
    p_stSession.bDead = true;
}

// The name of a watched path in the directory, "" for the directory itself;
// false for a path outside it.
bool watchedName(const Session& p_stSession, const char* p_szPath, std::string& p_strName) {
    const std::string& strDirectory = p_stSession.strDirectory;
    if (p_szPath == nullptr || strDirectory.empty()) return false;
    const std::string strPath = p_szPath;
    if (strPath == strDirectory || strPath == strDirectory + "/") {
        p_strName.clear();
        return true;
    }
    if (strPath.compare(0, strDirectory.size() + 1, strDirectory + "/") != 0) return false;
    p_strName = strPath.substr(strDirectory.size() + 1);
    return p_strName.find('/') == std::string::npos;
}

enum class Verdict { Refused, Go, CutInWrite, ShortWrite };

// A call on the watched directory holds the layer's lock throughout; any
// other call is passed through unlocked.
class Watch {
public:
    explicit Watch(int p_nFd) {
        if (!lock()) return;
        const auto it = session().mapDescriptors.find(p_nFd);
        if (it != session().mapDescriptors.end())
            m_stDescriptor = it->second;
        else
            m_objLock.unlock();
    }
    explicit Watch(FILE* p_pStream) : Watch(g_bArmed && p_pStream != nullptr ? fileno(p_pStream) : -1) {}
    // A rename counts under its target's name when that is watched.
    explicit Watch(const char* p_szPath, const char* p_szTarget = nullptr) {
        if (!lock()) return;
        if (!watchedName(session(), p_szTarget, m_stDescriptor.strName) &&
            !watchedName(session(), p_szPath, m_stDescriptor.strName))
            m_objLock.unlock();
    }
    explicit operator bool() const { return m_objLock.owns_lock(); }
    Session& session() { return state().stSession; }
    const std::string& name() const { return m_stDescriptor.strName; }
    Inode& file() { return session().vecFiles[m_stDescriptor.nFile]; }

    // Counts the operation and says whether and how it goes ahead; sets
    // errno when it does not.
    Verdict admit(Op p_eOp, size_t p_nBytes = 0) {
        Session& s = session();
        const size_t nIndex = s.vecEvents.size();
        s.vecEvents.push_back({p_eOp, name(), p_nBytes});
        int nErrno = EIO;
        if (!s.bDead && s.bCutSet && nIndex == s.nCutAt) {
            if (p_eOp == Op::Write && s.nCutBytes > 0) return Verdict::CutInWrite;
            cutPower(s);
        } else if (!s.bDead) {
            const Fault& f = s.stFault;
            if (!f.bSet || nIndex < f.nAt || (nIndex > f.nAt && !f.bPersistent)) return Verdict::Go;
            if (f.bShortWrite && p_eOp != Op::Write) return Verdict::Go;
            if (f.bShortWrite && nIndex == f.nAt) return Verdict::ShortWrite;
            nErrno = f.nErrno;
        }
        errno = nErrno;
        return Verdict::Refused;
    }

    // Closing releases the descriptor whatever the verdict; nothing is
    // buffered.
    template <typename Close>
    int close(int p_nFd, Close p_fnClose, int p_nFailed) {
        const bool bAdmitted = admit(Op::Close) != Verdict::Refused;
        const int nErrno = errno;
        session().mapDescriptors.erase(p_nFd);
        const int nResult = p_fnClose();
        if (bAdmitted) return nResult;
        errno = nErrno;
        return p_nFailed;
    }

private:
    // Takes the lock when the layer is armed.
    bool lock() {
        if (g_bArmed) m_objLock = std::unique_lock<std::mutex>(state().mutex);
        return m_objLock.owns_lock();
    }

    std::unique_lock<std::mutex> m_objLock;
    Descriptor m_stDescriptor{std::string(), 0};
};

int openEntry(const char* p_szPath, int p_nFlags, va_list p_args) {
    const mode_t nMode = (p_nFlags & O_CREAT) != 0 ? static_cast<mode_t>(va_arg(p_args, int)) : 0;
    Watch objWatch(p_szPath);
    if (!objWatch) return libc().open(p_szPath, p_nFlags, nMode);
    if (objWatch.admit(Op::Open) == Verdict::Refused) return -1;
    Session& s = objWatch.session();
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
    if (!bExisted) {
        s.vecFiles.emplace_back();
        s.mapLive[st.st_ino] = nFile;
    } else {
        nFile = fileOf(s, st.st_ino, objWatch.name().empty() ? std::string() : std::string(p_szPath));
    }
    s.mapDescriptors[nFd] = {objWatch.name(), nFile};
    // An emptied file: its old data is what survives, and only until a sync;
    // the whole old extent counts as rewritten.
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

const char* lossName(Loss p_eLoss) {
    static const char* const s_aszNames[] = {"Keep", "DropData", "GarbleData", "DropEntries", "DropAll"};
    return s_aszNames[static_cast<int>(p_eLoss)];
}

void arm(const std::string& p_strDirectory) {
    locked([&](Session& s) {
        s = Session();
        s.strDirectory = p_strDirectory;
        s.mapDurableEntries = diskNow(s).mapEntries;
        g_bArmed = true;
    });
}

void disarm() {
    locked([](Session& s) {
        g_bArmed = false;
        s.strDirectory.clear();
        s.mapDescriptors.clear();
    });
}

const std::vector<Event>& events() {
    return state().stSession.vecEvents;
}

void failAt(size_t p_nOperation, int p_nErrno, bool p_bPersistent) {
    locked([&](Session& s) { s.stFault = {p_nOperation, p_nErrno, p_bPersistent, false, true}; });
}

void shortWriteAt(size_t p_nOperation, bool p_bPersistent) {
    locked([&](Session& s) { s.stFault = {p_nOperation, ENOSPC, p_bPersistent, true, true}; });
}

void failOpens(const std::string& p_strName, int p_nErrno) {
    locked([&](Session& s) { s.mapFailedOpens[p_strName] = p_nErrno; });
}

void cutAt(size_t p_nOperation, size_t p_nBytes) {
    locked([&](Session& s) {
        s.bCutSet = true;
        s.nCutAt = p_nOperation;
        s.nCutBytes = p_nBytes;
    });
}

Image rebootImage(Loss p_eLoss) {
    return locked([&](Session& s) {
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
            if (bUnsynced && bDropData) {
                strContent = stFile.bDurable ? stFile.strDurable : std::string();
            } else if (bUnsynced && p_eLoss == Loss::GarbleData) {
                for (const Range& stRange : stFile.vecDirty)
                    for (size_t i = stRange.nBegin; i < stRange.nEnd && i < strContent.size(); ++i)
                        strContent[i] = static_cast<char>((i * 37 + 0x5b) ^ 0xa5);
            }
            mapImage[stEntry.first] = strContent;
        }
        return mapImage;
    });
}

Image readDirectory(const std::string& p_strDirectory) {
    Image mapImage;
    for (const auto& stEntry : listing(p_strDirectory)) mapImage[stEntry.first] = stEntry.second.second;
    return mapImage;
}

void writeDirectory(const std::string& p_strDirectory, const Image& p_mapImage) {
    for (const auto& stEntry : listing(p_strDirectory)) libc().unlink((p_strDirectory + "/" + stEntry.first).c_str());
    for (const auto& stEntry : p_mapImage) {
        const std::string strPath = p_strDirectory + "/" + stEntry.first;
        const int nFd = libc().open(strPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (nFd < 0) continue;
        writeThrough(nFd, stEntry.second.data(), stEntry.second.size());
        libc().close(nFd);
    }
}

int openDescriptors() {
    DIR* pDir = opendir("/proc/self/fd");
    if (pDir == nullptr) return -1;
    int nCount = 0;
    while (dirent* pEntry = readdir(pDir))
        if (pEntry->d_name[0] != '.') ++nCount;
    closedir(pDir);
    return nCount - 1;
}

}  // namespace faultfs

using faultfs::Op;
using faultfs::Verdict;
using faultfs::Watch;

extern "C" {

// Both names: the library and the replacements may be built with 64-bit file
// offsets (open64) or without (open).
int faultfsOpen(const char* p_szPath, int p_nFlags, ...) __asm__("open");
int faultfsOpen64(const char* p_szPath, int p_nFlags, ...) __asm__("open64");

int faultfsOpen(const char* p_szPath, int p_nFlags, ...) {
    va_list args;
    va_start(args, p_nFlags);
    const int nFd = faultfs::openEntry(p_szPath, p_nFlags, args);
    va_end(args);
    return nFd;
}

int faultfsOpen64(const char* p_szPath, int p_nFlags, ...) {
    va_list args;
    va_start(args, p_nFlags);
    const int nFd = faultfs::openEntry(p_szPath, p_nFlags, args);
    va_end(args);
    return nFd;
}

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
    // Written through: nothing waits in the stream's buffer.
    faultfs::libc().fflush(p_pStream);
    const int nFd = fileno(p_pStream);
    const off_t nOffset = std::max<off_t>(lseek(nFd, 0, SEEK_CUR), 0);
    size_t nAllowed = nBytes;
    if (eVerdict == Verdict::CutInWrite) nAllowed = std::min(objWatch.session().nCutBytes, nBytes);
    if (eVerdict == Verdict::ShortWrite) nAllowed = nBytes / 2;
    const size_t nDone = faultfs::writeThrough(nFd, static_cast<const char*>(p_pBuffer), nAllowed);
    const size_t nBegin = static_cast<size_t>(nOffset);
    if (nDone > 0) objWatch.file().vecDirty.push_back({nBegin, nBegin + nDone});
    if (eVerdict == Verdict::CutInWrite) faultfs::cutPower(objWatch.session());
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
    faultfs::Session& s = objWatch.session();
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
    return objWatch.close(fileno(p_pStream), [p_pStream]() { return faultfs::libc().fclose(p_pStream); }, EOF);
}

int close(int p_nFd) {
    Watch objWatch(p_nFd);
    if (!objWatch) return faultfs::libc().close(p_nFd);
    return objWatch.close(p_nFd, [p_nFd]() { return faultfs::libc().close(p_nFd); }, -1);
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
