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
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>
#include <utility>

namespace faultfs {
namespace {

typedef int (*OpenFn)(const char*, int, ...);
typedef size_t (*StreamIoFn)(void*, size_t, size_t, FILE*);
typedef size_t (*StreamWriteFn)(const void*, size_t, size_t, FILE*);
typedef int (*StreamFn)(FILE*);
typedef int (*FdFn)(int);
typedef int (*RenameFn)(const char*, const char*);
typedef int (*PathFn)(const char*);

template <typename T>
T real(const char* p_szName) {
    void* pSymbol = dlsym(RTLD_NEXT, p_szName);
    if (pSymbol == nullptr) {
        fprintf(stderr, "faultfs: no %s in the C library\n", p_szName);
        abort();
    }
    return reinterpret_cast<T>(pSymbol);
}

OpenFn realOpen() {
    static OpenFn s_fn = real<OpenFn>("open64");
    return s_fn;
}
StreamIoFn realFread() {
    static StreamIoFn s_fn = real<StreamIoFn>("fread");
    return s_fn;
}
StreamWriteFn realFwrite() {
    static StreamWriteFn s_fn = real<StreamWriteFn>("fwrite");
    return s_fn;
}
StreamFn realFflush() {
    static StreamFn s_fn = real<StreamFn>("fflush");
    return s_fn;
}
StreamFn realFclose() {
    static StreamFn s_fn = real<StreamFn>("fclose");
    return s_fn;
}
FdFn realFsync() {
    static FdFn s_fn = real<FdFn>("fsync");
    return s_fn;
}
FdFn realClose() {
    static FdFn s_fn = real<FdFn>("close");
    return s_fn;
}
RenameFn realRename() {
    static RenameFn s_fn = real<RenameFn>("rename");
    return s_fn;
}
PathFn realUnlink() {
    static PathFn s_fn = real<PathFn>("unlink");
    return s_fn;
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
    size_t nFile;         // the file's index in State::vecFiles
};

// What the directory holds at a moment: name -> inode number, and inode
// number -> content.
struct Snapshot {
    std::map<std::string, ino_t> mapEntries;
    std::map<ino_t, std::string> mapContents;
};

struct Fault {
    size_t nAt = 0;
    int nErrno = 0;
    bool bPersistent = false;
    bool bShortWrite = false;
    bool bSet = false;
};

struct State {
    std::mutex mutex;
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
    bool bDead = false;
    bool bAnyFailure = false;
    // As of the cut: name -> file index, file index -> content.
    bool bImageTaken = false;
    std::map<std::string, size_t> mapEntriesAtCut;
    std::map<size_t, std::string> mapContentsAtCut;
    std::vector<Inode> vecFilesAtCut;
    std::map<std::string, size_t> mapDurableAtCut;
};

std::atomic<bool> g_bArmed(false);

State& state() {
    static State* s_pState = new State();
    return *s_pState;
}

std::string readWhole(const std::string& p_strPath) {
    std::string strContent;
    const int nFd = realOpen()(p_strPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (nFd < 0) return strContent;
    char abyBuffer[4096];
    for (;;) {
        const ssize_t nRead = ::read(nFd, abyBuffer, sizeof(abyBuffer));
        if (nRead <= 0) break;
        strContent.append(abyBuffer, static_cast<size_t>(nRead));
    }
    realClose()(nFd);
    return strContent;
}

Snapshot snapshot(const std::string& p_strDirectory) {
    Snapshot stSnapshot;
    DIR* pDir = opendir(p_strDirectory.c_str());
    if (pDir == nullptr) return stSnapshot;
    while (dirent* pEntry = readdir(pDir)) {
        const std::string strName = pEntry->d_name;
        if (strName == "." || strName == "..") continue;
        const std::string strPath = p_strDirectory + "/" + strName;
        struct stat st;
        if (stat(strPath.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        stSnapshot.mapEntries[strName] = st.st_ino;
        stSnapshot.mapContents[st.st_ino] = readWhole(strPath);
    }
    closedir(pDir);
    return stSnapshot;
}

// The index of the file behind a live inode number; a file the layer has not
// seen (none is created behind its back while it is armed) counts as durable.
size_t fileOf(State& p_stState, ino_t p_nInode, const std::string& p_strPath) {
    const std::map<ino_t, size_t>::const_iterator it = p_stState.mapLive.find(p_nInode);
    if (it != p_stState.mapLive.end()) return it->second;
    Inode stInode;
    stInode.strDurable = readWhole(p_strPath);
    stInode.bDurable = true;
    p_stState.vecFiles.push_back(stInode);
    p_stState.mapLive[p_nInode] = p_stState.vecFiles.size() - 1;
    return p_stState.vecFiles.size() - 1;
}

std::map<std::string, size_t> currentEntries(State& p_stState, std::map<size_t, std::string>* p_pContents) {
    const Snapshot stNow = snapshot(p_stState.strDirectory);
    std::map<std::string, size_t> mapEntries;
    for (const std::pair<const std::string, ino_t>& stEntry : stNow.mapEntries) {
        const std::string& strContent = stNow.mapContents.at(stEntry.second);
        const size_t nFile = fileOf(p_stState, stEntry.second, p_stState.strDirectory + "/" + stEntry.first);
        mapEntries[stEntry.first] = nFile;
        if (p_pContents != nullptr) (*p_pContents)[nFile] = strContent;
    }
    return mapEntries;
}

void takeCutImage(State& p_stState) {
    p_stState.mapContentsAtCut.clear();
    p_stState.mapEntriesAtCut = currentEntries(p_stState, &p_stState.mapContentsAtCut);
    p_stState.vecFilesAtCut = p_stState.vecFiles;
    p_stState.mapDurableAtCut = p_stState.mapDurableEntries;
    p_stState.bImageTaken = true;
    p_stState.bDead = true;
    p_stState.bAnyFailure = true;
}

// The name of a watched path in the directory, "" for the directory itself;
// false for a path outside it.
bool watchedName(const State& p_stState, const char* p_szPath, std::string& p_strName) {
    if (p_szPath == nullptr || p_stState.strDirectory.empty()) return false;
    const std::string strPath = p_szPath;
    const std::string& strDirectory = p_stState.strDirectory;
    if (strPath == strDirectory || strPath == strDirectory + "/") {
        p_strName.clear();
        return true;
    }
    if (strPath.compare(0, strDirectory.size() + 1, strDirectory + "/") != 0) return false;
    p_strName = strPath.substr(strDirectory.size() + 1);
    return p_strName.find('/') == std::string::npos;
}

// Counts the operation and says whether it goes ahead; sets errno otherwise.
// p_bCutInside: a cut in this write, which goes ahead for the cut's bytes.
bool admit(State& p_stState, Op p_eOp, const std::string& p_strName, size_t p_nBytes, bool& p_bCutInside,
           bool& p_bShort) {
    const size_t nIndex = p_stState.vecEvents.size();
    p_stState.vecEvents.push_back({p_eOp, p_strName, p_nBytes});
    p_bCutInside = false;
    p_bShort = false;
    if (p_stState.bDead) {
        p_stState.bAnyFailure = true;
        errno = EIO;
        return false;
    }
    if (p_stState.bCutSet && nIndex == p_stState.nCutAt) {
        if (p_eOp == Op::Write && p_stState.nCutBytes > 0) {
            p_bCutInside = true;
            return true;
        }
        takeCutImage(p_stState);
        errno = EIO;
        return false;
    }
    const Fault& stFault = p_stState.stFault;
    const bool bFires = stFault.bSet && (nIndex == stFault.nAt || (stFault.bPersistent && nIndex > stFault.nAt));
    if (!bFires) return true;
    p_stState.bAnyFailure = true;
    if (stFault.bShortWrite) {
        if (p_eOp != Op::Write) return true;
        if (nIndex == stFault.nAt) {
            p_bShort = true;
            return true;
        }
        errno = ENOSPC;
        return false;
    }
    errno = stFault.nErrno;
    return false;
}

void markDirty(State& p_stState, int p_nFd, size_t p_nOffset, size_t p_nCount) {
    const std::map<int, Descriptor>::const_iterator it = p_stState.mapDescriptors.find(p_nFd);
    if (it == p_stState.mapDescriptors.end() || p_nCount == 0) return;
    p_stState.vecFiles[it->second.nFile].vecDirty.push_back({p_nOffset, p_nOffset + p_nCount});
}

// Writes on the descriptor until done or failed; the bytes moved.
size_t writeThrough(int p_nFd, const char* p_pData, size_t p_nCount) {
    size_t nDone = 0;
    while (nDone < p_nCount) {
        const ssize_t nWritten = ::write(p_nFd, p_pData + nDone, p_nCount - nDone);
        if (nWritten <= 0) break;
        nDone += static_cast<size_t>(nWritten);
    }
    return nDone;
}

bool watchedDescriptor(State& p_stState, int p_nFd, Descriptor& p_stDescriptor) {
    const std::map<int, Descriptor>::const_iterator it = p_stState.mapDescriptors.find(p_nFd);
    if (it == p_stState.mapDescriptors.end()) return false;
    p_stDescriptor = it->second;
    return true;
}

std::string garbled(const std::string& p_strContent, const std::vector<Range>& p_vecDirty) {
    std::string strResult = p_strContent;
    for (const Range& stRange : p_vecDirty) {
        for (size_t i = stRange.nBegin; i < stRange.nEnd && i < strResult.size(); ++i)
            strResult[i] = static_cast<char>((i * 37 + 0x5b) ^ 0xa5);
    }
    return strResult;
}

}  // namespace

const char* lossName(Loss p_eLoss) {
    switch (p_eLoss) {
    case Loss::Keep:
        return "Keep";
    case Loss::DropData:
        return "DropData";
    case Loss::GarbleData:
        return "GarbleData";
    case Loss::DropEntries:
        return "DropEntries";
    case Loss::DropAll:
        return "DropAll";
    }
    return "?";
}

void arm(const std::string& p_strDirectory) {
    State& st = state();
    std::lock_guard<std::mutex> guard(st.mutex);
    st.strDirectory = p_strDirectory;
    st.vecEvents.clear();
    st.mapDescriptors.clear();
    st.vecFiles.clear();
    st.mapLive.clear();
    st.mapFailedOpens.clear();
    st.stFault = Fault();
    st.bCutSet = false;
    st.bDead = false;
    st.bAnyFailure = false;
    st.bImageTaken = false;
    st.mapEntriesAtCut.clear();
    st.mapContentsAtCut.clear();
    st.vecFilesAtCut.clear();
    st.mapDurableAtCut.clear();
    st.mapDurableEntries = currentEntries(st, nullptr);
    g_bArmed = true;
}

void disarm() {
    State& st = state();
    std::lock_guard<std::mutex> guard(st.mutex);
    g_bArmed = false;
    st.strDirectory.clear();
    st.mapDescriptors.clear();
}

const std::vector<Event>& events() {
    return state().vecEvents;
}

size_t operationCount() {
    State& st = state();
    std::lock_guard<std::mutex> guard(st.mutex);
    return st.vecEvents.size();
}

void failAt(size_t p_nOperation, int p_nErrno, bool p_bPersistent) {
    State& st = state();
    std::lock_guard<std::mutex> guard(st.mutex);
    st.stFault.nAt = p_nOperation;
    st.stFault.nErrno = p_nErrno;
    st.stFault.bPersistent = p_bPersistent;
    st.stFault.bShortWrite = false;
    st.stFault.bSet = true;
}

void shortWriteAt(size_t p_nOperation, bool p_bPersistent) {
    State& st = state();
    std::lock_guard<std::mutex> guard(st.mutex);
    st.stFault.nAt = p_nOperation;
    st.stFault.nErrno = ENOSPC;
    st.stFault.bPersistent = p_bPersistent;
    st.stFault.bShortWrite = true;
    st.stFault.bSet = true;
}

void failOpens(const std::string& p_strName, int p_nErrno) {
    State& st = state();
    std::lock_guard<std::mutex> guard(st.mutex);
    st.mapFailedOpens[p_strName] = p_nErrno;
}

void cutAt(size_t p_nOperation, size_t p_nBytes) {
    State& st = state();
    std::lock_guard<std::mutex> guard(st.mutex);
    st.bCutSet = true;
    st.nCutAt = p_nOperation;
    st.nCutBytes = p_nBytes;
}

bool cutHappened() {
    State& st = state();
    std::lock_guard<std::mutex> guard(st.mutex);
    return st.bDead;
}

bool anyFailure() {
    State& st = state();
    std::lock_guard<std::mutex> guard(st.mutex);
    return st.bAnyFailure;
}

Image rebootImage(Loss p_eLoss) {
    State& st = state();
    std::lock_guard<std::mutex> guard(st.mutex);
    std::map<size_t, std::string> mapNowContents;
    const std::map<std::string, size_t> mapNowEntries =
        st.bImageTaken ? st.mapEntriesAtCut : currentEntries(st, &mapNowContents);
    const std::map<size_t, std::string>& mapContents = st.bImageTaken ? st.mapContentsAtCut : mapNowContents;
    const std::vector<Inode>& vecFiles = st.bImageTaken ? st.vecFilesAtCut : st.vecFiles;
    const std::map<std::string, size_t>& mapDurable = st.bImageTaken ? st.mapDurableAtCut : st.mapDurableEntries;

    const bool bDropEntries = p_eLoss == Loss::DropEntries || p_eLoss == Loss::DropAll;
    const bool bDropData = p_eLoss == Loss::DropData || p_eLoss == Loss::DropAll;
    const std::map<std::string, size_t>& mapEntries = bDropEntries ? mapDurable : mapNowEntries;

    Image mapImage;
    for (const std::pair<const std::string, size_t>& stEntry : mapEntries) {
        const Inode& stFile = vecFiles.at(stEntry.second);
        const std::map<size_t, std::string>::const_iterator itContent = mapContents.find(stEntry.second);
        // A file no longer linked was not written after its last sync.
        const std::string strCurrent = itContent != mapContents.end() ? itContent->second : stFile.strDurable;
        std::string strContent;
        if (stFile.vecDirty.empty() && stFile.bDurable)
            strContent = strCurrent;
        else if (bDropData)
            strContent = stFile.bDurable ? stFile.strDurable : std::string();
        else if (p_eLoss == Loss::GarbleData)
            strContent = garbled(strCurrent, stFile.vecDirty);
        else
            strContent = strCurrent;
        mapImage[stEntry.first] = strContent;
    }
    return mapImage;
}

Image readDirectory(const std::string& p_strDirectory) {
    Image mapImage;
    const Snapshot stSnapshot = snapshot(p_strDirectory);
    for (const std::pair<const std::string, ino_t>& stEntry : stSnapshot.mapEntries)
        mapImage[stEntry.first] = stSnapshot.mapContents.at(stEntry.second);
    return mapImage;
}

void writeDirectory(const std::string& p_strDirectory, const Image& p_mapImage) {
    for (const std::pair<const std::string, std::string>& stEntry : readDirectory(p_strDirectory))
        realUnlink()((p_strDirectory + "/" + stEntry.first).c_str());
    for (const std::pair<const std::string, std::string>& stEntry : p_mapImage) {
        const int nFd = realOpen()((p_strDirectory + "/" + stEntry.first).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC,
                                   0644);
        if (nFd < 0) continue;
        writeThrough(nFd, stEntry.second.data(), stEntry.second.size());
        realClose()(nFd);
    }
}

int openDescriptors() {
    int nCount = 0;
    DIR* pDir = opendir("/proc/self/fd");
    if (pDir == nullptr) return -1;
    while (dirent* pEntry = readdir(pDir))
        if (pEntry->d_name[0] != '.') ++nCount;
    closedir(pDir);
    return nCount - 1;
}

}  // namespace faultfs

using faultfs::Op;

namespace {

int openWatched(const char* p_szPath, int p_nFlags, mode_t p_nMode) {
    faultfs::State& st = faultfs::state();
    std::unique_lock<std::mutex> guard(st.mutex);
    std::string strName;
    if (!faultfs::watchedName(st, p_szPath, strName)) {
        guard.unlock();
        return faultfs::realOpen()(p_szPath, p_nFlags, p_nMode);
    }
    bool bCutInside = false;
    bool bShort = false;
    if (!faultfs::admit(st, Op::Open, strName, 0, bCutInside, bShort)) return -1;
    const std::map<std::string, int>::const_iterator itFailed = st.mapFailedOpens.find(strName);
    if (itFailed != st.mapFailedOpens.end()) {
        st.bAnyFailure = true;
        errno = itFailed->second;
        return -1;
    }
    struct stat stBefore;
    const bool bExisted = stat(p_szPath, &stBefore) == 0;
    const int nFd = faultfs::realOpen()(p_szPath, p_nFlags, p_nMode);
    if (nFd < 0) return nFd;
    struct stat stFile;
    if (fstat(nFd, &stFile) != 0) return nFd;
    size_t nFile = 0;
    if (!bExisted) {
        st.vecFiles.push_back(faultfs::Inode());
        nFile = st.vecFiles.size() - 1;
        st.mapLive[stFile.st_ino] = nFile;
    } else {
        nFile = faultfs::fileOf(st, stFile.st_ino, strName.empty() ? std::string() : std::string(p_szPath));
    }
    st.mapDescriptors[nFd] = {strName, nFile};
    // An emptied file: its old data is what survives, and only until a sync;
    // the whole old extent counts as rewritten.
    faultfs::Inode& stInode = st.vecFiles[nFile];
    if (!strName.empty() && (p_nFlags & O_TRUNC) != 0 && (p_nFlags & O_ACCMODE) != O_RDONLY)
        stInode.vecDirty.push_back({0, stInode.bDurable ? stInode.strDurable.size() : 0});
    return nFd;
}

}  // namespace

extern "C" {

// Both names: the library and the replacements may be built with 64-bit file
// offsets (open64) or without (open).
int faultfsOpen(const char* p_szPath, int p_nFlags, ...) __asm__("open");
int faultfsOpen64(const char* p_szPath, int p_nFlags, ...) __asm__("open64");

int faultfsOpen(const char* p_szPath, int p_nFlags, ...) {
    mode_t nMode = 0;
    if ((p_nFlags & O_CREAT) != 0) {
        va_list args;
        va_start(args, p_nFlags);
        nMode = static_cast<mode_t>(va_arg(args, int));
        va_end(args);
    }
    if (!faultfs::g_bArmed) return faultfs::realOpen()(p_szPath, p_nFlags, nMode);
    return openWatched(p_szPath, p_nFlags, nMode);
}

int faultfsOpen64(const char* p_szPath, int p_nFlags, ...) {
    mode_t nMode = 0;
    if ((p_nFlags & O_CREAT) != 0) {
        va_list args;
        va_start(args, p_nFlags);
        nMode = static_cast<mode_t>(va_arg(args, int));
        va_end(args);
    }
    if (!faultfs::g_bArmed) return faultfs::realOpen()(p_szPath, p_nFlags, nMode);
    return openWatched(p_szPath, p_nFlags, nMode);
}

size_t fread(void* p_pBuffer, size_t p_nSize, size_t p_nCount, FILE* p_pStream) {
    if (!faultfs::g_bArmed) return faultfs::realFread()(p_pBuffer, p_nSize, p_nCount, p_pStream);
    faultfs::State& st = faultfs::state();
    std::unique_lock<std::mutex> guard(st.mutex);
    faultfs::Descriptor stDescriptor;
    if (!faultfs::watchedDescriptor(st, fileno(p_pStream), stDescriptor)) {
        guard.unlock();
        return faultfs::realFread()(p_pBuffer, p_nSize, p_nCount, p_pStream);
    }
    bool bCutInside = false;
    bool bShort = false;
    if (!faultfs::admit(st, Op::Read, stDescriptor.strName, p_nSize * p_nCount, bCutInside, bShort)) return 0;
    return faultfs::realFread()(p_pBuffer, p_nSize, p_nCount, p_pStream);
}

size_t fwrite(const void* p_pBuffer, size_t p_nSize, size_t p_nCount, FILE* p_pStream) {
    if (!faultfs::g_bArmed || p_nSize == 0) return faultfs::realFwrite()(p_pBuffer, p_nSize, p_nCount, p_pStream);
    faultfs::State& st = faultfs::state();
    std::unique_lock<std::mutex> guard(st.mutex);
    const int nFd = fileno(p_pStream);
    faultfs::Descriptor stDescriptor;
    if (!faultfs::watchedDescriptor(st, nFd, stDescriptor)) {
        guard.unlock();
        return faultfs::realFwrite()(p_pBuffer, p_nSize, p_nCount, p_pStream);
    }
    const size_t nBytes = p_nSize * p_nCount;
    bool bCutInside = false;
    bool bShort = false;
    if (!faultfs::admit(st, Op::Write, stDescriptor.strName, nBytes, bCutInside, bShort)) return 0;
    // Written through: nothing waits in the stream's buffer.
    faultfs::realFflush()(p_pStream);
    const off_t nOffset = lseek(nFd, 0, SEEK_CUR);
    size_t nAllowed = nBytes;
    if (bCutInside) nAllowed = st.nCutBytes < nBytes ? st.nCutBytes : nBytes;
    if (bShort) nAllowed = nBytes / 2;
    const size_t nDone = faultfs::writeThrough(nFd, static_cast<const char*>(p_pBuffer), nAllowed);
    faultfs::markDirty(st, nFd, nOffset < 0 ? 0 : static_cast<size_t>(nOffset), nDone);
    if (bCutInside) faultfs::takeCutImage(st);
    if (nDone < nBytes) errno = bShort ? ENOSPC : EIO;
    return nDone / p_nSize;
}

int fflush(FILE* p_pStream) {
    if (!faultfs::g_bArmed || p_pStream == nullptr) return faultfs::realFflush()(p_pStream);
    faultfs::State& st = faultfs::state();
    std::unique_lock<std::mutex> guard(st.mutex);
    faultfs::Descriptor stDescriptor;
    if (!faultfs::watchedDescriptor(st, fileno(p_pStream), stDescriptor)) {
        guard.unlock();
        return faultfs::realFflush()(p_pStream);
    }
    bool bCutInside = false;
    bool bShort = false;
    if (!faultfs::admit(st, Op::Flush, stDescriptor.strName, 0, bCutInside, bShort)) return EOF;
    return faultfs::realFflush()(p_pStream);
}

int fsync(int p_nFd) {
    if (!faultfs::g_bArmed) return faultfs::realFsync()(p_nFd);
    faultfs::State& st = faultfs::state();
    std::unique_lock<std::mutex> guard(st.mutex);
    faultfs::Descriptor stDescriptor;
    if (!faultfs::watchedDescriptor(st, p_nFd, stDescriptor)) {
        guard.unlock();
        return faultfs::realFsync()(p_nFd);
    }
    bool bCutInside = false;
    bool bShort = false;
    if (!faultfs::admit(st, Op::Sync, stDescriptor.strName, 0, bCutInside, bShort)) return -1;
    if (stDescriptor.strName.empty()) {
        st.mapDurableEntries = faultfs::currentEntries(st, nullptr);
    } else {
        faultfs::Inode& stInode = st.vecFiles[stDescriptor.nFile];
        stInode.strDurable = faultfs::readWhole(st.strDirectory + "/" + stDescriptor.strName);
        stInode.bDurable = true;
        stInode.vecDirty.clear();
    }
    return 0;
}

int fclose(FILE* p_pStream) {
    if (!faultfs::g_bArmed) return faultfs::realFclose()(p_pStream);
    faultfs::State& st = faultfs::state();
    std::unique_lock<std::mutex> guard(st.mutex);
    const int nFd = fileno(p_pStream);
    faultfs::Descriptor stDescriptor;
    if (!faultfs::watchedDescriptor(st, nFd, stDescriptor)) {
        guard.unlock();
        return faultfs::realFclose()(p_pStream);
    }
    bool bCutInside = false;
    bool bShort = false;
    const bool bAdmitted = faultfs::admit(st, Op::Close, stDescriptor.strName, 0, bCutInside, bShort);
    const int nSavedErrno = errno;
    st.mapDescriptors.erase(nFd);
    // The descriptor is released whatever happens; nothing is buffered.
    const int nResult = faultfs::realFclose()(p_pStream);
    if (bAdmitted) return nResult;
    errno = nSavedErrno;
    return EOF;
}

int close(int p_nFd) {
    if (!faultfs::g_bArmed) return faultfs::realClose()(p_nFd);
    faultfs::State& st = faultfs::state();
    std::unique_lock<std::mutex> guard(st.mutex);
    faultfs::Descriptor stDescriptor;
    if (!faultfs::watchedDescriptor(st, p_nFd, stDescriptor)) {
        guard.unlock();
        return faultfs::realClose()(p_nFd);
    }
    bool bCutInside = false;
    bool bShort = false;
    const bool bAdmitted = faultfs::admit(st, Op::Close, stDescriptor.strName, 0, bCutInside, bShort);
    const int nSavedErrno = errno;
    st.mapDescriptors.erase(p_nFd);
    const int nResult = faultfs::realClose()(p_nFd);
    if (bAdmitted) return nResult;
    errno = nSavedErrno;
    return -1;
}

int rename(const char* p_szFrom, const char* p_szTo) {
    if (!faultfs::g_bArmed) return faultfs::realRename()(p_szFrom, p_szTo);
    faultfs::State& st = faultfs::state();
    std::unique_lock<std::mutex> guard(st.mutex);
    std::string strFrom;
    std::string strTo;
    const bool bFrom = faultfs::watchedName(st, p_szFrom, strFrom);
    const bool bTo = faultfs::watchedName(st, p_szTo, strTo);
    if (!bFrom && !bTo) {
        guard.unlock();
        return faultfs::realRename()(p_szFrom, p_szTo);
    }
    bool bCutInside = false;
    bool bShort = false;
    if (!faultfs::admit(st, Op::Rename, bTo ? strTo : strFrom, 0, bCutInside, bShort)) return -1;
    return faultfs::realRename()(p_szFrom, p_szTo);
}

int unlink(const char* p_szPath) {
    if (!faultfs::g_bArmed) return faultfs::realUnlink()(p_szPath);
    faultfs::State& st = faultfs::state();
    std::unique_lock<std::mutex> guard(st.mutex);
    std::string strName;
    if (!faultfs::watchedName(st, p_szPath, strName)) {
        guard.unlock();
        return faultfs::realUnlink()(p_szPath);
    }
    bool bCutInside = false;
    bool bShort = false;
    if (!faultfs::admit(st, Op::Unlink, strName, 0, bCutInside, bShort)) return -1;
    return faultfs::realUnlink()(p_szPath);
}

}  // extern "C"
