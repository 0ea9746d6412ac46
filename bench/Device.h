// A bundled device profile brought up under a private device root, as the
// benchmark's host: the ISP replacement loaded with the profile's sensors, the
// module configuration parsed, a simulated video module set up from the
// profile's video.ini, and (for most measurements) one initialised controller
// whose sensor thread runs as on a camera.
#ifndef SENSORDLL_BENCH_DEVICE_H
#define SENSORDLL_BENCH_DEVICE_H

#include <memory>
#include <string>
#include <vector>

#include "ISensorController.h"
#include "ModuleConfigure.h"
#include "SimulatedVideoModule.h"

namespace simdevice {
struct RunningCamera;
}

namespace bench {

struct Profile {
    std::string device;  // folder under devices/
    int channel;         // 1, or 2 for the thermal channel of a two-sensor device
    std::string label() const;
};

// The bundled profiles: "ir-bullet", "dome", "thermal-dual:1", "thermal-dual:2".
std::vector<Profile> bundledProfiles();
// A profile by its label; false when there is none.
bool profileByLabel(const std::string& p_strLabel, Profile& p_stProfile);

// Forwards to the simulated module and records each call while a probe runs.
class RecordingVideoModule : public VideoStreamModule {
public:
    explicit RecordingVideoModule(SimulatedVideoModule& p_objVideo) : m_objVideo(p_objVideo) {}
    int listStreamParams(std::vector<AVStreamParam>& p_vecStreams) const override;
    int notifySensorParam(int p_nChannel, int p_nKey, int p_nValue) const override;
    int getLimitedFramesWDRModeParam(int p_nChannel, LimitedFramesWDRModeParam& p_objParam) const override;
    int isVideoBusy() const override;

private:
    SimulatedVideoModule& m_objVideo;
};

class Device {
public:
    explicit Device(const Profile& p_stProfile);
    ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    const Profile& profile() const { return m_stProfile; }
    // The path on this machine of a camera path.
    std::string hostPath(const std::string& p_strCameraPath) const;
    const ModuleConfigure& moduleConfigure() const;
    const VideoStreamModule* video() const { return &m_objRecording; }
    SimulatedVideoModule& simulatedVideo() { return m_objVideo; }

    // A constructed controller for this channel with the video module set.
    std::unique_ptr<ISensorController> makeController();

    // The initialised controller shared by the measurements of host calls;
    // made on first use. Once it runs, waits take their real length again, so
    // its sensor thread makes one pass a second as on a camera.
    ISensorController& steady();
    void dropSteady();
    bool hasSteady() const { return m_pSteady != nullptr; }

    // The channel's scheme files and the version file, as before a first start.
    void removeStoredFiles();
    // The debug-level control file: written, or removed (the default).
    void writeControlFile(const std::string& p_strContent);
    void removeControlFile();

    // Drops what the ISP replacement and the video module have recorded.
    void clearRecords();

private:
    Profile m_stProfile;
    std::unique_ptr<simdevice::RunningCamera> m_pCamera;  // the device root, the ISP's sensors, the configuration
    SimulatedVideoModule m_objVideo;
    RecordingVideoModule m_objRecording;
    std::unique_ptr<ISensorController> m_pSteady;
};

// At most one device is up at a time: the device root, the ISP and the host
// replacements are process-wide.
Device& activate(const Profile& p_stProfile);
void deactivate();

// Whole-file helpers on host paths.
std::string readHostFile(const std::string& p_strPath);
void writeHostFile(const std::string& p_strPath, const std::string& p_strContent);

}  // namespace bench

#endif
