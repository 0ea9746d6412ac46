// The state of one simulator run: the working root, the simulated video
// module, one controller per channel, and the session's switches.
#ifndef SENSOR_SIM_SESSION_H
#define SENSOR_SIM_SESSION_H

#include <memory>
#include <string>
#include <vector>

#include "ISensorController.h"
#include "MachineInfo.h"
#include "ModuleConfigure.h"
#include "Options.h"
#include "SimulatedVideoModule.h"
#include "Trace.h"
#include "VideoSettings.h"

namespace sensorsim {

struct Channel {
    // The channel as the controller numbers it (1-based); ISP channel is one less.
    int number = 1;
    bool thermal = false;
    ModuleConfigure module;
    std::string ispProfile;  // the sensor profile's name, "" without one
    std::string ispProfileFile;
    int dayNightState = 0;
    std::unique_ptr<ISensorController> controller;
};

struct Session {
    Options options;
    std::string devicesDir;
    std::string profileDir;
    std::string root;  // the working root on this machine
    bool removeRootAtExit = false;
    bool reusedRoot = false;
    MachineInfo machine;
    VideoSettings videoSettings;
    SimulatedVideoModule video;
    IspRecorder isp;
    std::vector<Channel> channels;
    size_t current = 0;
    bool trace = false;
    bool quit = false;
    // Whether the camera's clock is the simulated one.
    bool clockSet = false;

    Channel& channel() { return channels[current]; }
    ISensorController& controller() { return *channels[current].controller; }
    // "ch1", the prefix of per-channel result lines.
    std::string tag() const { return "ch" + std::to_string(channels[current].number); }
    // The machine path of a camera path.
    std::string hostPath(const std::string& p_strCameraPath) const { return root + p_strCameraPath; }
};

// User schemes of a channel, as its module detail's max_scheme gives them.
unsigned int schemeCount(const Channel& p_stChannel);
// Camera path of a channel's scheme file.
std::string schemeFile(const Channel& p_stChannel, int p_nScheme);

}  // namespace sensorsim

#endif
