// Atomic replacement of small files: temporary file, sync, rename, directory
// sync.
#include "storage/FileReplacement.h"

#include <errno.h>
#include <stdio.h>
#include <unistd.h>

#include "platform/CameraFileSystem.h"
#include "diag/SensorReport.h"

namespace {

std::mutex& replacementMutex() {
    static std::mutex s_objMutex;
    return s_objMutex;
}

}  // namespace

FileReplacement::FileReplacement(const char* p_szCameraPath)
    : m_objGuard(replacementMutex()),
      m_strTarget(p_szCameraPath),
      m_strTemporary(m_strTarget + ".tmp"),
      m_bOpened(false),
      m_bCommitted(false) {}

FileReplacement::~FileReplacement() {
    if (!m_bCommitted) discard();
}

// Whatever stands at the temporary name (a leftover, or a link planted
// there) is removed, never followed: the temporary is created afresh and
// exclusively, and opened without creation or truncation, to be written only
// if it is still the file just created.
bool FileReplacement::open() {
    if (removeCameraFile(m_strTemporary.c_str()) != 0 && errno != ENOENT) return false;
    CameraFileIdentity stCreated;
    if (!createCameraFileExclusive(m_strTemporary, stCreated)) return false;
    m_bOpened = m_objFile.open(m_strTemporary, ZTFile::modeRead | ZTFile::modeWrite) != 0 &&
                isCameraFile(m_objFile.getFileHandle(), stCreated);
    if (!m_bOpened) m_objFile.close();
    return m_bOpened;
}

int FileReplacement::write(const void* p_pData, unsigned int p_nCount) { return m_objFile.write(p_pData, p_nCount); }

bool FileReplacement::commit() {
    if (!m_bOpened) return false;
    const char* szTarget = m_strTarget.c_str();

    FILE* pStream = m_objFile.getFileHandle();
    const bool bSynced = 0 == fflush(pStream) && 0 == fsync(fileno(pStream));
    SENSOR_ASSERT_EXPR(bSynced, "0 == fflush(pStream) && 0 == fsync(fileno(pStream))", "file_name(%s)\n", szTarget);
    if (!bSynced) return false;
    m_objFile.close();
    m_bOpened = false;

    const bool bRenamed = 0 == renameCameraFile(m_strTemporary, m_strTarget);
    SENSOR_ASSERT_EXPR(bRenamed, "0 == renameCameraFile(m_strTemporary, m_strTarget)", "file_name(%s)\n", szTarget);
    if (!bRenamed) return false;
    m_bCommitted = true;

    // Until the directory is synced a power cut may bring the old file back;
    // the new content is in place either way, so a failure here is reported
    // but does not undo the replacement.
    const bool bDirectorySynced = syncCameraDirectoryOf(m_strTarget);
    SENSOR_ASSERT_EXPR(bDirectorySynced, "syncCameraDirectoryOf(m_strTarget)", "file_name(%s)\n", szTarget);
    return true;
}

void FileReplacement::discard() {
    if (m_bOpened) {
        m_objFile.close();
        m_bOpened = false;
    }
    removeCameraFile(m_strTemporary.c_str());
}
