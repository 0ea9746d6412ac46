// Replacing a small file on flash so that a power cut or a full flash leaves
// either the old content or the new one, never a torn file.
//
// The new content goes to a temporary file beside the target (the target's
// name with ".tmp" appended), created exclusively so that no link planted at
// that name is ever written through, is synced, and is renamed over the
// target; the directory is synced last so that the rename itself survives a
// power cut.
// An object that is destroyed without a successful commit removes its
// temporary file and leaves the target untouched.
#ifndef SENSORDLL_STORAGE_FILE_REPLACEMENT_H
#define SENSORDLL_STORAGE_FILE_REPLACEMENT_H

#include <mutex>
#include <string>

#include "ZTFile.h"

class FileReplacement {
public:
    // p_szCameraPath: the file to replace, a camera path.
    explicit FileReplacement(const char* p_szCameraPath);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Creates the temporary file afresh. True on success.
    bool open();
    // Bytes moved into the temporary file.
    int write(const void* p_pData, unsigned int p_nCount);
    // Syncs the temporary file, closes it and renames it over the target;
    // reports the step that fails. True once the target holds the new
    // content.
    bool commit();

private:
    void discard();

    // Temporaries have fixed names, so two replacements of one target must
    // not overlap; one at a time in the process keeps them apart.
    std::unique_lock<std::mutex> m_objGuard;
    std::string m_strTarget;
    std::string m_strTemporary;
    ZTFile m_objFile;
    bool m_bOpened;
    bool m_bCommitted;
};

#endif
