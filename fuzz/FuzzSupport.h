// What every fuzz target shares: a private device root standing for the
// camera's file system, the bundled device data, quiet standard output, and
// a property check that ends the run like a sanitizer finding would.
#ifndef SENSORDLL_FUZZ_SUPPORT_H
#define SENSORDLL_FUZZ_SUPPORT_H

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "ModuleConfigure.h"
#include "SensorTypes.h"

namespace fuzzsupport {

// Creates a fresh device root (removed at exit), points DeviceRoot at it,
// makes simulated waits instant and, when p_strProfile is not empty, copies
// the bundled styles and that device profile into it and loads its ISP
// profiles. Standard output goes to /dev/null: the library prints on every
// applied value, and libFuzzer reports on standard error.
void prepareDevice(const std::string& p_strProfile);

// The host path of a camera path under the root.
std::string hostPath(const std::string& p_strCameraPath);
void writeFile(const std::string& p_strCameraPath, const std::string& p_strContent);
void writeFile(const std::string& p_strCameraPath, const uint8_t* p_pData, size_t p_nSize);
std::string readFile(const std::string& p_strCameraPath);
bool fileExists(const std::string& p_strCameraPath);
void removeFile(const std::string& p_strCameraPath);

// Writes "/tmp/Debug.sign": p_nLevel on the first line, assertions off.
void setDebugLevel(int p_nLevel);

// The module configuration of the root's moduleConfig.xml for its machine.
ModuleConfigure moduleConfig();

// The factory set of channel 1 as init derives it from the root's styles.
std::vector<KeyVal> factorySet();

// Reports a broken property and aborts, so that libFuzzer keeps the input.
[[noreturn]] void fail(const char* p_szProperty);

}  // namespace fuzzsupport

#define FUZZ_CHECK(cond)                         \
    do {                                         \
        if (!(cond)) ::fuzzsupport::fail(#cond); \
    } while (0)

#endif
