// The settings of the simulated video module, read from a profile's video.ini.
#ifndef SENSOR_SIM_VIDEO_SETTINGS_H
#define SENSOR_SIM_VIDEO_SETTINGS_H

#include <string>
#include <utility>
#include <vector>

class SimulatedVideoModule;

namespace sensorsim {

struct VideoSettings {
    std::string hardwareModel;
    std::vector<std::pair<int, int>> streams;  // encoder type, picture height
    int limitFramesModeId = 1;
    int limitWdr = 0;
};

// Reads "name=value" lines ('#' comments). False with a message naming the
// line when a line is not understood.
bool readVideoSettings(const std::string& p_strPath, VideoSettings& p_stSettings, std::string& p_strError);
void applyVideoSettings(const VideoSettings& p_stSettings, SimulatedVideoModule& p_objVideo);
// "1520, 576 and 288 lines (encoder 1)" style summary of the streams.
std::string describeStreams(const VideoSettings& p_stSettings);

}  // namespace sensorsim

#endif
