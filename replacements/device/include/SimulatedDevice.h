// A simulated camera's file system for the programs that run the controller
// off the camera (tests, simulator, benchmarks, fuzz targets): a private
// directory standing for the camera's "/", filled from the bundled device
// data, with the host and ISP replacements pointed at it.
#ifndef SIMULATED_DEVICE_H
#define SIMULATED_DEVICE_H

#include <string>
#include <vector>

namespace simdevice {

// Directory and whole-file helpers on host paths.
bool isDirectory(const std::string& p_strPath);
bool isFile(const std::string& p_strPath);
// Creates the directory and its parents; false when one cannot be made.
bool makeDirectories(const std::string& p_strPath);
// Names of the entries of a directory, sorted; empty when it cannot be read.
std::vector<std::string> listDirectory(const std::string& p_strPath);
// Copies the contents of a directory into another, creating it as needed.
bool copyTree(const std::string& p_strFrom, const std::string& p_strTo, std::string& p_strError);
void removeTree(const std::string& p_strPath);
bool readWholeFile(const std::string& p_strPath, std::string& p_strContent);
// Creates the file's directory as needed.
bool writeWholeFile(const std::string& p_strPath, const std::string& p_strContent);

// A new empty directory "<base>/<prefix>-XXXXXX"; the base is $TMPDIR when
// set, else p_strFallbackBase.
bool createTemporaryRoot(const std::string& p_strPrefix, const std::string& p_strFallbackBase, std::string& p_strRoot,
                         std::string& p_strError);
// The folders every camera has and the controller writes into.
bool makeCameraDirectories(const std::string& p_strRoot, std::string& p_strError);
// Copies the bundled styles (<devices>/common, when there) and the profile's
// root/ into the root, and loads the profile's isp/sensor-ch1.xml and
// sensor-ch2.xml, those it has, into the ISP replacement.
bool installProfile(const std::string& p_strDevicesDir, const std::string& p_strProfileDir,
                    const std::string& p_strRoot, std::string& p_strError);

// Every camera path resolves under the root from now on; the host replacement
// (instant waits, no simulated clock) and the ISP replacement start afresh.
void enterRoot(const std::string& p_strRoot);
// Camera paths are host paths again; both replacements start afresh.
void leaveRoot();

}  // namespace simdevice

#endif
