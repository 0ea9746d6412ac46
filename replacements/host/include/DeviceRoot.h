// Host framework replacement: where the camera's absolute paths live.
//
// On a camera the resolution is the identity. A host program on a desktop
// (the simulator, each test) sets a root directory, and every camera path
// ("/mnt/mtd/...", "/hd1/...", "/tmp/...") is then looked up under it. The
// host's own files (ZTFile, the logger, the parsers, sy_system) go through
// resolve; the controller's own file calls get the root through
// sensordll_device_root, the hook the library looks for in the process.
#ifndef ZTHOST_DEVICE_ROOT_H
#define ZTHOST_DEVICE_ROOT_H

#include <stddef.h>

#include <string>

// Copies the root into p_szBuffer (at most p_nSize bytes, NUL included, cut
// when longer) and answers its full length; 0 when no root is set. A camera's
// host defines no such function, and the library then uses paths as they stand.
extern "C" size_t sensordll_device_root(char* p_szBuffer, size_t p_nSize);

namespace DeviceRoot {

// The path on this machine for a camera path. Relative paths are unchanged.
std::string resolve(const std::string& p_strCameraPath);
// "" (the default) means no root: paths are used as they stand.
void setRoot(const std::string& p_strDirectory);
std::string root();

}  // namespace DeviceRoot

#endif
