// A simulated camera brought up in one statement, for tests, fuzz targets and
// benchmarks:
//
//   auto cam = simdevice::Camera("ir-bullet").detail("(max_scheme=4)(lensId=0)")
//                  .storedScheme(1, {{KEY_BRIGHTNESS, 77}}).clock(18, 30).dayNight(1).start();
//   cam->controller().getParamScheme(nScheme);
//
// gives a device root with the profile installed, the ISP replacement loaded
// with its sensors, the module configuration, a recording video module and a
// started controller. Header only: it needs the controller library, which the
// simulated-device library itself does not link.
#ifndef SIMULATED_CAMERA_H
#define SIMULATED_CAMERA_H

#include <stdlib.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "HostSimulation.h"
#include "ISensorController.h"
#include "IspSimulation.h"
#include "MachineInfo.h"
#include "ModuleConfigure.h"
#include "SimulatedDevice.h"
#include "SimulatedVideoModule.h"

namespace simdevice {

// A scheme file's bytes: little-endian key and value words per record.
inline std::string schemeImage(const KeyVal* p_pRecords, u32 p_nCount) {
    std::string strImage;
    for (u32 i = 0; i < p_nCount; ++i)
        for (u32 nWord : {p_pRecords[i].key, p_pRecords[i].value})
            for (int nShift = 0; nShift < 32; nShift += 8) strImage += static_cast<char>(nWord >> nShift);
    return strImage;
}
inline std::string schemeImage(const std::vector<KeyVal>& p_vecRecords) {
    return schemeImage(p_vecRecords.data(), static_cast<u32>(p_vecRecords.size()));
}
inline std::vector<KeyVal> schemeRecords(const std::string& p_strImage) {
    std::vector<KeyVal> vecRecords;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(p_strImage.data());
    const auto word = [p](size_t i) {
        return p[i] | p[i + 1] << 8 | p[i + 2] << 16 | static_cast<u32>(p[i + 3]) << 24;
    };
    for (size_t i = 0; i + 8 <= p_strImage.size(); i += 8) vecRecords.push_back({word(i), word(i + 4)});
    return vecRecords;
}
inline std::string schemeFile(int p_nChannel, int p_nScheme) {
    return "/mnt/mtd/code/config_file/sensor" + std::to_string(p_nChannel) + "_" + std::to_string(p_nScheme) + ".cfg";
}

// The p_nModule-th module of the root's moduleConfig.xml for its machine, its
// detail text replaced when one is given.
inline ModuleConfigure moduleConfig(size_t p_nModule = 0, const std::string& p_strDetail = "") {
    MachineInfo objInfo;
    SystemInfoParser::parseMachineInfo("/mnt/mtd/code/factory_setting/machineinfo.ini", objInfo);
    std::vector<ModuleConfigure> vecModules;
    ModuleConfigureParser::parse("/hd1/moduleConfig/moduleConfig.xml", objInfo.getHardwareModel(),
                                 objInfo.getHardwareCode(), vecModules);
    ModuleConfigure objConfig;
    if (p_nModule < vecModules.size()) objConfig = vecModules[p_nModule];
    if (!p_strDetail.empty()) objConfig.setDetail(p_strDetail);
    return objConfig;
}

// A camera that is up: its controllers (shut down first) and, when the
// builder made it, its device root (left and removed last).
struct RunningCamera {
    std::string root;
    bool ownsRoot = false;
    ModuleConfigure config;
    SimulatedVideoModule video;
    std::vector<std::unique_ptr<ISensorController>> controllers;
    bool started = false;  // every controller's init succeeded

    RunningCamera() = default;
    RunningCamera(const RunningCamera&) = delete;
    RunningCamera& operator=(const RunningCamera&) = delete;
    ~RunningCamera() {
        for (std::unique_ptr<ISensorController>& pController : controllers) pController->uinit();
        controllers.clear();
        if (!ownsRoot) return;
        leaveRoot();
        if (getenv("SENSORDLL_KEEP_TEST_ROOT") == nullptr) removeTree(root);
    }
    ISensorController& controller(size_t p_nIndex = 0) { return *controllers.at(p_nIndex); }
    // The path on this machine of a camera path.
    std::string hostPath(const std::string& p_strCameraPath) const { return root + p_strCameraPath; }
};

class Camera {
public:
    // A bundled profile ("ir-bullet", "dome", "thermal-dual"); "" for a bare
    // camera with only its empty folders.
    explicit Camera(std::string p_strProfile = "ir-bullet") : m_strProfile(std::move(p_strProfile)) {
#ifdef SENSORDLL_DEVICES_DIR
        m_strDevices = SENSORDLL_DEVICES_DIR;
#endif
    }

    // The bundled device data folder, when the build gives none.
    Camera& devices(std::string p_strDir) { return m_strDevices = std::move(p_strDir), *this; }
    // Where the fresh device root goes when $TMPDIR is not set.
    Camera& under(std::string p_strBase) { return m_strBase = std::move(p_strBase), *this; }
    // Installs into a device root that is entered already (a test fixture's)
    // instead of a fresh one.
    Camera& inRoot(std::string p_strRoot) { return m_strRoot = std::move(p_strRoot), *this; }
    // The channel (1, or 2 for the thermal channel of a two-sensor device) and
    // its module in moduleConfig.xml.
    Camera& channel(int p_nChannel, size_t p_nModule = 0) {
        m_nChannel = p_nChannel;
        m_nModule = p_nModule;
        return *this;
    }
    Camera& detail(std::string p_strDetail) { return m_strDetail = std::move(p_strDetail), *this; }
    // The scheme file holds these values over what a first start stores.
    Camera& storedScheme(int p_nScheme, std::vector<KeyVal> p_vecValues) {
        m_vecStored.emplace_back(p_nScheme, std::move(p_vecValues));
        return *this;
    }
    Camera& clock(int p_nHour, int p_nMinute) {
        m_nHour = p_nHour;
        m_nMinute = p_nMinute;
        return *this;
    }
    // The ISP's day/night state (0 day, 1 night).
    Camera& dayNight(int p_nState) { return m_nDayNight = p_nState, *this; }
    // The controllers talk to this module instead of the camera's own.
    Camera& videoModule(const VideoStreamModule* p_pVideo) { return m_pVideo = p_pVideo, *this; }

    // The device root, the ISP's sensors, the stored schemes, clock and
    // day/night state and the module configuration; no controller yet.
    std::unique_ptr<RunningCamera> install() const {
        std::unique_ptr<RunningCamera> pCamera(new RunningCamera());
        std::string strError;
        if (m_strRoot.empty()) {
            require(createTemporaryRoot("sensordll-camera", m_strBase, pCamera->root, strError) &&
                        makeCameraDirectories(pCamera->root, strError),
                    strError);
            pCamera->ownsRoot = true;
            enterRoot(pCamera->root);
        } else {
            pCamera->root = m_strRoot;
        }
        if (!m_strProfile.empty())
            require(installProfile(m_strDevices, m_strDevices + "/" + m_strProfile, pCamera->root, strError), strError);
        pCamera->config = moduleConfig(m_nModule, m_strDetail);
        if (!m_vecStored.empty()) {
            // A first start stores every scheme file and the version.
            ISensorController objFirst;
            objFirst.setChannelID(m_nChannel);
            objFirst.setVideoStreamModule(video(*pCamera));
            require(objFirst.init(pCamera->config), "the first start failed");
            objFirst.uinit();
            ispsim::clearCalls();
        }
        for (const std::pair<int, std::vector<KeyVal>>& stStored : m_vecStored) {
            const std::string strPath = pCamera->hostPath(schemeFile(m_nChannel, stStored.first));
            std::string strImage;
            readWholeFile(strPath, strImage);
            std::vector<KeyVal> vecRecords = schemeRecords(strImage);
            for (const KeyVal& stValue : stStored.second)
                for (KeyVal& stRecord : vecRecords)
                    if (stRecord.key == stValue.key) stRecord.value = stValue.value;
            require(writeWholeFile(strPath, schemeImage(vecRecords)), "cannot write " + strPath);
        }
        if (m_nHour >= 0) hostsim::setClock(m_nHour, m_nMinute);
        if (m_nDayNight >= 0) ispsim::setDayNightState(m_nChannel - 1, m_nDayNight);
        return pCamera;
    }

    // install(), then a controller of the channel constructed, given the video
    // module and started.
    std::unique_ptr<RunningCamera> start() const {
        std::unique_ptr<RunningCamera> pCamera = install();
        pCamera->controllers.emplace_back(new ISensorController());
        ISensorController& objController = *pCamera->controllers.back();
        objController.setChannelID(m_nChannel);
        objController.setVideoStreamModule(video(*pCamera));
        pCamera->started = objController.init(pCamera->config);
        return pCamera;
    }

private:
    static void require(bool p_bDone, const std::string& p_strError) {
        if (!p_bDone) throw std::runtime_error(p_strError);
    }
    const VideoStreamModule* video(RunningCamera& p_objCamera) const {
        return m_pVideo != nullptr ? m_pVideo : &p_objCamera.video;
    }

    std::string m_strProfile;
    std::string m_strDevices;
    std::string m_strBase = "/tmp";
    std::string m_strRoot;
    int m_nChannel = 1;
    size_t m_nModule = 0;
    std::string m_strDetail;
    std::vector<std::pair<int, std::vector<KeyVal>>> m_vecStored;
    int m_nHour = -1, m_nMinute = 0;
    int m_nDayNight = -1;
    const VideoStreamModule* m_pVideo = nullptr;
};

}  // namespace simdevice

#endif
