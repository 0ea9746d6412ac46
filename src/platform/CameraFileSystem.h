// The controller's one seam to the file system beside the host's ZTFile: the
// operating-system calls it makes on camera paths. Each path goes through
// cameraPath, the identity on a camera; a desktop host that runs the
// controller on a private device root (the simulator, the tests) lends it
// that root through the hook below.
#ifndef SENSORDLL_PLATFORM_CAMERA_FILE_SYSTEM_H
#define SENSORDLL_PLATFORM_CAMERA_FILE_SYSTEM_H

#include <stddef.h>
#include <stdio.h>

#include <string>

// The device-root hook. The library references it weakly: a camera defines
// none, and its paths are used as they stand. A host that defines it copies
// its root directory into p_szBuffer (at most p_nSize bytes, NUL included,
// cut when longer) and answers the root's full length; "" and 0 mean no root.
extern "C" size_t sensordll_device_root(char* p_szBuffer, size_t p_nSize) __attribute__((weak));

// The path on this machine of a camera path: the device root before an
// absolute path, relative paths unchanged.
std::string cameraPath(const std::string& p_strCameraPath);

bool cameraFileExists(const char* p_szCameraPath);
// 0 on success, as unlink answers.
int removeCameraFile(const char* p_szCameraPath);
// 0 on success, as rename answers.
int renameCameraFile(const std::string& p_strFrom, const std::string& p_strTo);
// Makes a rename in the file's directory durable; true when the directory was
// opened and synced.
bool syncCameraDirectoryOf(const std::string& p_strCameraPath);

// Which file a name stood for when it was created.
struct CameraFileIdentity {
    unsigned long long device;
    unsigned long long inode;
};
// Creates an empty file at a name where nothing stands, never through a
// symbolic link (O_CREAT | O_EXCL | O_NOFOLLOW). True with the new file's
// identity.
bool createCameraFileExclusive(const std::string& p_strCameraPath, CameraFileIdentity& p_stIdentity);
// Whether an open stream is the regular file of that identity.
bool isCameraFile(FILE* p_pStream, const CameraFileIdentity& p_stIdentity);

// The most a control file of a few lines is read of.
const size_t CONTROL_FILE_BYTES = 512;
// Reads at most p_nMaxBytes of a regular file into p_strText. A name that is
// a symbolic link, a FIFO, a device or anything else but a regular file is
// not read (nor does opening it wait). False when nothing could be read;
// p_strText is then empty.
bool readCameraFileBounded(const char* p_szCameraPath, size_t p_nMaxBytes, std::string& p_strText);

#endif
