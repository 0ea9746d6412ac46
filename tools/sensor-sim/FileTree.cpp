// Working-root snapshots.
#include "FileTree.h"

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sensorsim {

namespace {

void snapshotInto(const std::string& p_strRoot, const std::string& p_strCameraDir,
                  bool (*p_pKeepContent)(const std::string&), TreeSnapshot& p_mapOut) {
    const std::string strHostDir = p_strRoot + p_strCameraDir;
    for (const std::string& strName : listDirectory(strHostDir)) {
        const std::string strCamera = p_strCameraDir + "/" + strName;
        struct stat st;
        if (lstat((p_strRoot + strCamera).c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode)) {
            snapshotInto(p_strRoot, strCamera, p_pKeepContent, p_mapOut);
            continue;
        }
        FileState& state = p_mapOut[strCamera];
        state.size = static_cast<long long>(st.st_size);
        state.mtimeNs = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
        if (p_pKeepContent != nullptr && p_pKeepContent(strCamera))
            state.hasContent = readWholeFile(p_strRoot + strCamera, state.content);
    }
}

}  // namespace

TreeSnapshot snapshotTree(const std::string& p_strRoot, bool (*p_pKeepContent)(const std::string&)) {
    TreeSnapshot mapOut;
    snapshotInto(p_strRoot, "", p_pKeepContent, mapOut);
    return mapOut;
}

std::vector<FileChange> diffTrees(const TreeSnapshot& p_mapBefore, const TreeSnapshot& p_mapAfter,
                                  const std::set<std::string>& p_setWritten) {
    std::vector<FileChange> vecChanges;
    auto itBefore = p_mapBefore.begin();
    auto itAfter = p_mapAfter.begin();
    while (itBefore != p_mapBefore.end() || itAfter != p_mapAfter.end()) {
        if (itAfter == p_mapAfter.end() || (itBefore != p_mapBefore.end() && itBefore->first < itAfter->first)) {
            vecChanges.push_back({FileChange::Removed, itBefore->first, itBefore->second, FileState()});
            ++itBefore;
        } else if (itBefore == p_mapBefore.end() || itAfter->first < itBefore->first) {
            vecChanges.push_back({FileChange::Created, itAfter->first, FileState(), itAfter->second});
            ++itAfter;
        } else {
            const FileState& before = itBefore->second;
            const FileState& after = itAfter->second;
            // A rewrite with the same bytes still counts: the camera wrote its flash.
            if (p_setWritten.count(itAfter->first) != 0 || before.size != after.size ||
                before.mtimeNs != after.mtimeNs ||
                (before.hasContent && after.hasContent && before.content != after.content))
                vecChanges.push_back({FileChange::Written, itAfter->first, before, after});
            ++itBefore;
            ++itAfter;
        }
    }
    return vecChanges;
}

WriteWatch::WriteWatch(const std::string& p_strRoot)
    : m_strRoot(p_strRoot), m_nFd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (m_nFd >= 0) watchTree("");
}

WriteWatch::~WriteWatch() {
    if (m_nFd >= 0) close(m_nFd);
}

void WriteWatch::watchTree(const std::string& p_strCameraDir) {
    const std::string strHostDir = m_strRoot + (p_strCameraDir.empty() ? "/" : p_strCameraDir);
    const int nWatch = inotify_add_watch(m_nFd, strHostDir.c_str(), IN_CLOSE_WRITE | IN_CREATE | IN_ONLYDIR);
    if (nWatch < 0) return;
    m_mapDirs[nWatch] = p_strCameraDir;
    for (const std::string& strName : listDirectory(strHostDir))
        if (isDirectory(strHostDir + "/" + strName)) watchTree(p_strCameraDir + "/" + strName);
}

std::set<std::string> WriteWatch::written() {
    if (m_nFd < 0) return m_setWritten;
    alignas(inotify_event) char aBuffer[4096];
    for (;;) {
        const ssize_t nRead = read(m_nFd, aBuffer, sizeof(aBuffer));
        if (nRead <= 0) break;
        for (ssize_t nPos = 0; nPos < nRead;) {
            const inotify_event* pEvent = reinterpret_cast<const inotify_event*>(aBuffer + nPos);
            nPos += static_cast<ssize_t>(sizeof(inotify_event) + pEvent->len);
            const auto itDir = m_mapDirs.find(pEvent->wd);
            if (itDir == m_mapDirs.end() || pEvent->len == 0) continue;
            const std::string strPath = itDir->second + "/" + pEvent->name;
            if ((pEvent->mask & IN_CLOSE_WRITE) != 0) m_setWritten.insert(strPath);
            // A folder made during the command: files written into it count too.
            if ((pEvent->mask & IN_CREATE) != 0 && (pEvent->mask & IN_ISDIR) != 0) watchTree(strPath);
        }
    }
    return m_setWritten;
}

}  // namespace sensorsim
