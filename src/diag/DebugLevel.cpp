// The process-wide diagnostics settings and their refresh from the control
// file "/tmp/Debug.sign".

#include <cstdlib>
#include <string>

#include "SensorDebug.h"
#include "ZTFile.h"
#include "platform/CameraFileSystem.h"

std::atomic<int> g_nDebugLevel(1);
std::atomic<bool> g_bEnAssert(false);

namespace {
const char* const kDebugControlFile = "/tmp/Debug.sign";
}

void updateDebugLevel() {
    if (!cameraFileExists(kDebugControlFile)) {
        g_nDebugLevel = 1;
        g_bEnAssert = false;
        return;
    }
    ZTFile file;
    // A file that exists but cannot be opened leaves both settings as they were.
    if (!file.open(kDebugControlFile, ZTFile::modeRead)) return;

    const std::string level = ZTFile::ReadOneLine(file.getFileHandle());
    g_nDebugLevel = level.empty() ? 1 : atoi(level.c_str());
    const std::string enableAssert = ZTFile::ReadOneLine(file.getFileHandle());
    g_bEnAssert = enableAssert.empty() ? false : atoi(enableAssert.c_str()) != 0;
    file.close();
}
