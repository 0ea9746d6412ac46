// The process-wide diagnostics settings and their refresh from the control
// file (camerapath::DEBUG_CONTROL_FILE).

#include <cstdlib>
#include <string>

#include "SensorDebug.h"
#include "platform/CameraFileSystem.h"
#include "platform/CameraPaths.h"

std::atomic<int> g_nDebugLevel(1);
std::atomic<bool> g_bEnAssert(false);

namespace {

// The line that starts at p_nStart, without its end ("\n" or "\r\n");
// p_nStart moves past it.
std::string nextLine(const std::string& p_strText, size_t& p_nStart) {
    if (p_nStart >= p_strText.size()) return std::string();
    size_t nEnd = p_strText.find('\n', p_nStart);
    const bool bEnded = nEnd != std::string::npos;
    if (!bEnded) nEnd = p_strText.size();
    std::string strLine = p_strText.substr(p_nStart, nEnd - p_nStart);
    p_nStart = nEnd + 1;
    if (bEnded && !strLine.empty() && strLine[strLine.size() - 1] == '\r') strLine.erase(strLine.size() - 1);
    return strLine;
}

}  // namespace

// Runs before every report, from any thread: the file is read only when it is
// a regular file, and only its first few hundred bytes, so that a FIFO, a
// device or a huge file there cannot stall or end the process.
void updateDebugLevel() {
    if (!cameraFileExists(camerapath::DEBUG_CONTROL_FILE)) {
        g_nDebugLevel = 1;
        g_bEnAssert = false;
        return;
    }
    std::string strText;
    // A file that exists but cannot be read leaves both settings as they were.
    if (!readCameraFileBounded(camerapath::DEBUG_CONTROL_FILE, CONTROL_FILE_BYTES, strText)) return;

    size_t nStart = 0;
    const std::string level = nextLine(strText, nStart);
    g_nDebugLevel = level.empty() ? 1 : atoi(level.c_str());
    const std::string enableAssert = nextLine(strText, nStart);
    g_bEnAssert = enableAssert.empty() ? false : atoi(enableAssert.c_str()) != 0;
}
