// Where the bundled device data lies. An installed program finds it beside
// itself, at ../share/sensordll/devices from its own directory, so a prefix
// can be moved or the source tree removed; a program in the build tree finds
// none there and uses the source tree's devices/, whose path is built in.
// --devices DIR overrides both.
#ifndef SENSOR_SIM_DATA_PATH_H
#define SENSOR_SIM_DATA_PATH_H

#include <string>

namespace sensorsim {

// The installed data relative to the installed program's directory, as the
// install directories give it: "../share/sensordll/devices" by default.
extern const char* const INSTALLED_DEVICES_DIR;

// The running program's own file (/proc/self/exe); "" when it cannot be read.
std::string executablePath();

// The devices folder: p_strOverride when given, else the installed one
// relative to p_strExecutable, else p_strBuiltIn. False with a message naming
// the places looked at when none is a directory.
bool findDevicesDir(const std::string& p_strOverride, const std::string& p_strExecutable,
                    const std::string& p_strBuiltIn, std::string& p_strDir, std::string& p_strError);
// The same for this program: its own file and the source tree's devices/.
bool findDevicesDir(const std::string& p_strOverride, std::string& p_strDir, std::string& p_strError);

}  // namespace sensorsim

#endif
