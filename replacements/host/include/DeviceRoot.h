// Host framework replacement: where the camera's absolute paths live.
//
// On a camera the resolution is the identity. A host program on a desktop
// (the simulator, each test) sets a root directory, and every camera path
// ("/mnt/mtd/...", "/hd1/...", "/tmp/...") is then looked up under it. Every
// file access of the controller goes through resolve.
#ifndef ZTHOST_DEVICE_ROOT_H
#define ZTHOST_DEVICE_ROOT_H

#include <string>

namespace DeviceRoot {

// The path on this machine for a camera path. Relative paths are unchanged.
std::string resolve(const std::string& p_strCameraPath);
// "" (the default) means no root: paths are used as they stand.
void setRoot(const std::string& p_strDirectory);
std::string root();

}  // namespace DeviceRoot

#endif
