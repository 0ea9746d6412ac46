// The names of the scheme files and the shell commands that remove them. The
// file formats are in SchemeFiles.cpp; start-up, reset and flush name and
// remove the files through the controller's helpers defined there. Header
// only, so that the simulator, the benchmarks and the fuzz targets, which link
// the library as the camera does, name the same files.
#ifndef SENSORDLL_STORAGE_SCHEME_FILES_H
#define SENSORDLL_STORAGE_SCHEME_FILES_H

#include <stddef.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include "SensorTypes.h"
#include "platform/CameraPaths.h"

namespace schemefiles {

// The clean-up commands, run through the host's shell: the visible one takes
// the channel.
const char* const VISIBLE_CLEANUP_COMMAND = "rm -rf /mnt/mtd/code/config*/sensor%d_[0-3].cfg";
const char* const THERMAL_CLEANUP_COMMAND = "rm -rf /mnt/mtd/code/config*/sensor-thermal*.cfg";
// Scheme files from this index on are not named by the visible clean-up
// command.
const u32 FIRST_SCHEME_PAST_CLEANUP = 4;

// The scheme file of a user scheme, into a cleared buffer: the thermal name
// by scheme alone, the visible one by channel and scheme.
inline void formatSchemeFile(bool p_bThermal, int p_nChannel, int p_nScheme, char* p_szName, size_t p_nSize) {
    memset(p_szName, 0, p_nSize);
    if (p_bThermal)
        snprintf(p_szName, p_nSize, camerapath::THERMAL_SCHEME_FILE, p_nScheme);
    else
        snprintf(p_szName, p_nSize, camerapath::VISIBLE_SCHEME_FILE, p_nChannel, p_nScheme);
}

inline std::string schemeFile(bool p_bThermal, int p_nChannel, int p_nScheme) {
    char szName[256];
    formatSchemeFile(p_bThermal, p_nChannel, p_nScheme, szName, sizeof(szName));
    return szName;
}

// The channel's clean-up command, into a cleared buffer.
inline void formatCleanupCommand(bool p_bThermal, int p_nChannel, char* p_szCommand, size_t p_nSize) {
    memset(p_szCommand, 0, p_nSize);
    if (p_bThermal)
        snprintf(p_szCommand, p_nSize, "%s", THERMAL_CLEANUP_COMMAND);
    else
        snprintf(p_szCommand, p_nSize, VISIBLE_CLEANUP_COMMAND, p_nChannel);
}

}  // namespace schemefiles

#endif
