// The controller's one seam to the file system beside the host's ZTFile: the
// operating-system calls it makes on camera paths. Each path goes through the
// host's DeviceRoot, the identity on a camera and a private root directory in
// the simulator and the tests.
#ifndef SENSORDLL_PLATFORM_CAMERA_FILE_SYSTEM_H
#define SENSORDLL_PLATFORM_CAMERA_FILE_SYSTEM_H

#include <stddef.h>
#include <stdio.h>

#include <string>

// The path on this machine of a camera path.
std::string cameraPath(const std::string& p_strCameraPath);

bool cameraFileExists(const char* p_szCameraPath);
// 0 on success, as unlink answers.
int removeCameraFile(const char* p_szCameraPath);
// 0 on success, as rename answers.
int renameCameraFile(const std::string& p_strFrom, const std::string& p_strTo);
// Makes a rename in the file's directory durable; true when the directory was
// opened and synced.
bool syncCameraDirectoryOf(const std::string& p_strCameraPath);

// The most a control file of a few lines is read of.
const size_t kControlFileBytes = 512;
// Reads at most p_nMaxBytes of a regular file into p_strText. A name that is
// a symbolic link, a FIFO, a device or anything else but a regular file is
// not read (nor does opening it wait). False when nothing could be read;
// p_strText is then empty.
bool readCameraFileBounded(const char* p_szCameraPath, size_t p_nMaxBytes, std::string& p_strText);

#endif
