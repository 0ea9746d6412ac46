// The debug control file "/tmp/Debug.sign" with any content, and every
// reporting form that reads it, with a fuzzed text as message argument.
//
// Properties: updateDebugLevel sets the level from the first line and the
// assertion switch from the second of the file's first CONTROL_FILE_BYTES
// bytes exactly as atoi reads them (an empty line gives the defaults); reports do not change the settings; no report
// writes past its buffers whatever the length of its text.
#include <stdlib.h>

#include <string>

#include "FuzzSupport.h"
#include "SensorDebug.h"
#include "diag/SensorReport.h"
#include "platform/CameraFileSystem.h"
#include "platform/CameraPaths.h"

namespace {

// One line as the host's ReadOneLine gives it: up to the line end, without
// it, and without a "\r" right before it.
std::string nextLine(const std::string& p_strText, size_t& p_nPos) {
    if (p_nPos >= p_strText.size()) return std::string();
    const size_t nEnd = p_strText.find('\n', p_nPos);
    std::string strLine = p_strText.substr(p_nPos, nEnd == std::string::npos ? std::string::npos : nEnd - p_nPos);
    if (nEnd != std::string::npos && !strLine.empty() && strLine[strLine.size() - 1] == '\r')
        strLine.erase(strLine.size() - 1);
    p_nPos = nEnd == std::string::npos ? p_strText.size() : nEnd + 1;
    return strLine;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzsupport::prepareDevice("");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_pData, size_t p_nSize) {
    const std::string strControl(reinterpret_cast<const char*>(p_pData), p_nSize);
    fuzzsupport::writeFile(camerapath::DEBUG_CONTROL_FILE, strControl);

    const std::string strRead = strControl.substr(0, CONTROL_FILE_BYTES);
    size_t nPos = 0;
    const std::string strLevel = nextLine(strRead, nPos);
    const std::string strAssert = nextLine(strRead, nPos);
    const int nLevel = strLevel.empty() ? 1 : atoi(strLevel.c_str());
    const bool bAssert = strAssert.empty() ? false : atoi(strAssert.c_str()) != 0;

    updateDebugLevel();
    FUZZ_CHECK(g_nDebugLevel == nLevel);
    FUZZ_CHECK(g_bEnAssert == bAssert);

    // The control text itself, cut at its first NUL, is the message argument.
    const char* szText = strControl.c_str();
    SENSOR_WARN("%s\n", szText);
    SENSOR_ERR("%s\n", szText);
    SENSOR_DBG("%s\n", szText);
    SENSOR_INFO("%s\n", szText);
    SENSOR_LOG("%s\n", szText);
    SENSOR_PRINT(0, 32, "%s\n", szText);
    // A failed assertion with the switch on ends the process by design.
    if (!bAssert) SENSOR_ASSERT_EXPR(false, szText, "%s\n", szText);
    FUZZ_CHECK(g_nDebugLevel == nLevel);
    FUZZ_CHECK(g_bEnAssert == bAssert);
    return 0;
}
