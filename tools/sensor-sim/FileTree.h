// Snapshots of a working root that show which files a command wrote, and the
// directory helpers they stand on.
#ifndef SENSOR_SIM_FILE_TREE_H
#define SENSOR_SIM_FILE_TREE_H

#include <map>
#include <set>
#include <string>
#include <vector>

#include "SimulatedDevice.h"

namespace sensorsim {

using simdevice::copyTree;
using simdevice::isDirectory;
using simdevice::isFile;
using simdevice::listDirectory;
using simdevice::makeDirectories;
using simdevice::readWholeFile;
using simdevice::removeTree;
using simdevice::writeWholeFile;

// What a file looked like when a snapshot was taken. Small binary stores keep
// their bytes so that their records can be compared afterwards.
struct FileState {
    long long size = 0;
    long long mtimeNs = 0;
    bool hasContent = false;
    std::string content;
};

// Files under a root, keyed by camera path ("/mnt/mtd/...").
typedef std::map<std::string, FileState> TreeSnapshot;

// p_pKeepContent says which camera paths keep their bytes.
TreeSnapshot snapshotTree(const std::string& p_strRoot, bool (*p_pKeepContent)(const std::string&));

struct FileChange {
    enum Kind { Created, Written, Removed };
    Kind kind;
    std::string path;
    FileState before;  // empty when created
    FileState after;   // empty when removed
};

// Changes from one snapshot to the next, in path order. A file in
// p_setWritten counts as written even when its size, time and bytes are what
// they were.
std::vector<FileChange> diffTrees(const TreeSnapshot& p_mapBefore, const TreeSnapshot& p_mapAfter,
                                  const std::set<std::string>& p_setWritten = std::set<std::string>());

// Which files under a root were written, while it lives. File times have the
// coarse resolution of the kernel's clock tick, so a rewrite with the same
// bytes can leave size and time as they were; the kernel's notifications of
// files closed after writing do not miss it.
class WriteWatch {
public:
    explicit WriteWatch(const std::string& p_strRoot);
    ~WriteWatch();
    WriteWatch(const WriteWatch&) = delete;
    WriteWatch& operator=(const WriteWatch&) = delete;

    // Camera paths of the files closed after writing so far; empty when the
    // kernel offers no notifications.
    std::set<std::string> written();

private:
    void watchTree(const std::string& p_strCameraDir);

    std::string m_strRoot;
    int m_nFd;
    std::map<int, std::string> m_mapDirs;  // watch descriptor -> camera path
    std::set<std::string> m_setWritten;
};

}  // namespace sensorsim

#endif
