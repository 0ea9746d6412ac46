// Start-up of a simulated camera: the working root and its device files, the
// ISP replacement's sensor profiles, the video module, one controller per
// channel brought up as the host does it, and the summary of each channel.
#ifndef SENSOR_SIM_DEVICE_SETUP_H
#define SENSOR_SIM_DEVICE_SETUP_H

#include <string>
#include <vector>

#include "Session.h"

namespace sensorsim {

// The bundled profiles of a devices folder, sorted.
std::vector<std::string> bundledProfiles(const std::string& p_strDevicesDir);

// Prepares the working root, the ISP and the video module and brings up every
// channel. False with a message when the device cannot be set up.
bool startDevice(Session& p_objSession, std::string& p_strError);
// Takes every channel down (uinit, destroy) and removes a temporary root.
void stopDevice(Session& p_objSession);

// Per-channel summary lines: device, styles, keys, schemes, modes.
void printChannelSummary(Session& p_objSession, Channel& p_stChannel);

// Words for the numbers the summary and the commands show.
std::string deviceTypeName(int p_nDeviceType);
std::string schemeModeName(int p_nMode);

}  // namespace sensorsim

#endif
