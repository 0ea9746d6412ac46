// Bringing a bundled device profile up under a private device root.
#include "Device.h"

#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <stdexcept>

#include "HostSimulation.h"
#include "IspSimulation.h"
#include "Probe.h"
#include "SimulatedCamera.h"
#include "platform/CameraPaths.h"
#include "storage/SchemeFiles.h"

namespace bench {
namespace {

const int MAX_SCHEMES = 16;

// video.ini: "stream=<encoder type>,<height>" lines, "limitFramesModeId=" and
// "limitWdr="; '#' starts a comment line.
void configureVideo(const std::string& p_strPath, SimulatedVideoModule& p_objVideo) {
    std::ifstream in(p_strPath);
    std::vector<AVStreamParam> vecStreams;
    int nModeId = 0;
    int nLimitWdr = 0;
    std::string strLine;
    while (std::getline(in, strLine)) {
        if (strLine.empty() || strLine[0] == '#') continue;
        const size_t nEquals = strLine.find('=');
        if (nEquals == std::string::npos) continue;
        const std::string strName = strLine.substr(0, nEquals);
        const std::string strValue = strLine.substr(nEquals + 1);
        if (strName == "stream") {
            int nEncoder = 0;
            int nHeight = 0;
            if (sscanf(strValue.c_str(), "%d,%d", &nEncoder, &nHeight) == 2)
                vecStreams.push_back(AVStreamParam(nEncoder, nHeight));
        } else if (strName == "limitFramesModeId") {
            nModeId = atoi(strValue.c_str());
        } else if (strName == "limitWdr") {
            nLimitWdr = atoi(strValue.c_str());
        }
    }
    p_objVideo.setStreams(vecStreams);
    p_objVideo.setLimitedFrames(nModeId, nLimitWdr);
}

std::unique_ptr<Device>& activeDevice() {
    static std::unique_ptr<Device> s_pDevice;
    return s_pDevice;
}

}  // namespace

std::string Profile::label() const {
    return device == "thermal-dual" ? device + ":" + std::to_string(channel) : device;
}

std::vector<Profile> bundledProfiles() {
    return {{"ir-bullet", 1}, {"dome", 1}, {"thermal-dual", 1}, {"thermal-dual", 2}};
}

bool profileByLabel(const std::string& p_strLabel, Profile& p_stProfile) {
    for (const Profile& stProfile : bundledProfiles()) {
        if (stProfile.label() == p_strLabel) {
            p_stProfile = stProfile;
            return true;
        }
    }
    return false;
}

std::string readHostFile(const std::string& p_strPath) {
    std::string strContent;
    simdevice::readWholeFile(p_strPath, strContent);
    return strContent;
}

void writeHostFile(const std::string& p_strPath, const std::string& p_strContent) {
    simdevice::writeWholeFile(p_strPath, p_strContent);
}

int RecordingVideoModule::listStreamParams(std::vector<AVStreamParam>& p_vecStreams) const {
    if (probing()) recordOp(Op{OpKind::VideoList});
    detail::OutsideScope objOutside;
    return m_objVideo.listStreamParams(p_vecStreams);
}

int RecordingVideoModule::notifySensorParam(int p_nChannel, int p_nKey, int p_nValue) const {
    if (probing()) {
        Op stOp{OpKind::VideoNotify};
        stOp.channel = p_nChannel;
        stOp.cmd = p_nKey;
        stOp.length = p_nValue;
        recordOp(std::move(stOp));
    }
    detail::OutsideScope objOutside;
    return m_objVideo.notifySensorParam(p_nChannel, p_nKey, p_nValue);
}

int RecordingVideoModule::getLimitedFramesWDRModeParam(int p_nChannel, LimitedFramesWDRModeParam& p_objParam) const {
    if (probing()) {
        Op stOp{OpKind::VideoLimited};
        stOp.channel = p_nChannel;
        recordOp(std::move(stOp));
    }
    detail::OutsideScope objOutside;
    return m_objVideo.getLimitedFramesWDRModeParam(p_nChannel, p_objParam);
}

int RecordingVideoModule::isVideoBusy() const {
    if (probing()) recordOp(Op{OpKind::VideoBusy});
    detail::OutsideScope objOutside;
    return m_objVideo.isVideoBusy();
}

Device::Device(const Profile& p_stProfile) : m_stProfile(p_stProfile), m_objRecording(m_objVideo) {
    // A two-sensor device lists one module per channel.
    m_pCamera = simdevice::Camera(m_stProfile.device)
                    .channel(m_stProfile.channel, static_cast<size_t>(m_stProfile.channel - 1))
                    .install();
    if (m_pCamera->config.getDetail().empty())
        throw std::runtime_error("no module configuration for " + m_stProfile.label());
    installIspObserver();
    setControlFile(hostPath(camerapath::DEBUG_CONTROL_FILE));
    configureVideo(std::string(SENSORDLL_DEVICES_DIR) + "/" + m_stProfile.device + "/video.ini", m_objVideo);
}

Device::~Device() {
    dropSteady();
    setControlFile("");
}

std::string Device::hostPath(const std::string& p_strCameraPath) const { return m_pCamera->hostPath(p_strCameraPath); }

const ModuleConfigure& Device::moduleConfigure() const { return m_pCamera->config; }

std::unique_ptr<ISensorController> Device::makeController() {
    std::unique_ptr<ISensorController> pController(new ISensorController());
    pController->setChannelID(m_stProfile.channel);
    pController->setVideoStreamModule(&m_objRecording);
    return pController;
}

ISensorController& Device::steady() {
    if (!m_pSteady) {
        hostsim::setWaitScale(0.0);
        m_pSteady = makeController();
        m_pSteady->init(m_pCamera->config);
        hostsim::setWaitScale(1.0);
        clearRecords();
    }
    return *m_pSteady;
}

void Device::dropSteady() {
    if (!m_pSteady) return;
    m_pSteady->uinit();
    m_pSteady.reset();
    hostsim::setWaitScale(0.0);
    clearRecords();
}

void Device::removeStoredFiles() {
    for (int i = 0; i < MAX_SCHEMES; ++i) {
        const bool bThermal = m_stProfile.channel == 2 && m_stProfile.device == "thermal-dual";
        const std::string strName = schemefiles::schemeFile(bThermal, m_stProfile.channel, i);
        unlink(hostPath(strName).c_str());
    }
    unlink(hostPath(camerapath::VERSION_FILE).c_str());
}

void Device::writeControlFile(const std::string& p_strContent) {
    writeHostFile(hostPath(camerapath::DEBUG_CONTROL_FILE), p_strContent);
}

void Device::removeControlFile() { unlink(hostPath(camerapath::DEBUG_CONTROL_FILE).c_str()); }

void Device::clearRecords() {
    ispsim::clearCalls();
    m_objVideo.clearNotifications();
}

Device& activate(const Profile& p_stProfile) {
    std::unique_ptr<Device>& pDevice = activeDevice();
    if (pDevice && pDevice->profile().label() == p_stProfile.label()) return *pDevice;
    pDevice.reset();
    pDevice.reset(new Device(p_stProfile));
    return *pDevice;
}

void deactivate() { activeDevice().reset(); }

}  // namespace bench
