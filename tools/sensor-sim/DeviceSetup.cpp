// Bringing up the simulated camera and describing its channels.
#include "DeviceSetup.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>

#include "DataPath.h"
#include "DeviceRoot.h"
#include "HostSimulation.h"
#include "IspSimulation.h"
#include "Output.h"
#include "SensorFile.h"
#include "ThreadControl.h"
#include "platform/CameraPaths.h"
#include "storage/SchemeFiles.h"
#include "style/DeviceFamilies.h"

namespace sensorsim {

namespace {

bool makeWorkingRoot(Session& p_objSession, std::string& p_strError) {
    const Options& stOptions = p_objSession.options;
    std::string strRoot;
    if (stOptions.workDir.empty()) {
        if (!simdevice::createTemporaryRoot("sensor-sim", "/tmp", strRoot, p_strError)) return false;
        p_objSession.removeRootAtExit = !stOptions.keep;
    } else {
        if (!makeDirectories(stOptions.workDir)) {
            p_strError = "cannot create the working root " + stOptions.workDir;
            return false;
        }
        strRoot = stOptions.workDir;
    }
    char* szAbsolute = realpath(strRoot.c_str(), nullptr);
    if (szAbsolute == nullptr) {
        p_strError = "cannot resolve the working root " + strRoot;
        return false;
    }
    p_objSession.root = szAbsolute;
    free(szAbsolute);
    p_objSession.reusedRoot = !stOptions.workDir.empty() && isFile(p_objSession.root + camerapath::MACHINE_INFO_FILE);
    return true;
}

bool fillWorkingRoot(Session& p_objSession, std::string& p_strError) {
    if (p_objSession.reusedRoot) return true;
    const std::string& strRoot = p_objSession.root;
    if (!p_objSession.options.deviceRoot.empty()) {
        if (!copyTree(p_objSession.options.deviceRoot, strRoot, p_strError)) return false;
    } else {
        const std::string strCommon = p_objSession.devicesDir + "/common";
        if (isDirectory(strCommon) && !copyTree(strCommon, strRoot, p_strError)) return false;
        if (!copyTree(p_objSession.profileDir + "/root", strRoot, p_strError)) return false;
    }
    return simdevice::makeCameraDirectories(strRoot, p_strError);
}

bool findProfile(Session& p_objSession, std::string& p_strError) {
    const std::string& strProfile = p_objSession.options.profile;
    const std::string strBundled = p_objSession.devicesDir + "/" + strProfile;
    if (strProfile.find('/') == std::string::npos && isDirectory(strBundled + "/root")) {
        p_objSession.profileDir = strBundled;
        return true;
    }
    if (strProfile.find('/') != std::string::npos || isDirectory(strProfile)) {
        if (!isDirectory(strProfile)) {
            p_strError = "no profile directory " + strProfile;
            return false;
        }
        if (p_objSession.options.deviceRoot.empty() && !isDirectory(strProfile + "/root")) {
            p_strError = "profile directory " + strProfile + " has no root/ folder";
            return false;
        }
        p_objSession.profileDir = strProfile;
        return true;
    }
    std::string strList;
    for (const std::string& strName : bundledProfiles(p_objSession.devicesDir))
        strList += (strList.empty() ? "" : ", ") + strName;
    p_strError = "unknown profile '" + strProfile + "' (bundled: " + (strList.empty() ? "none found" : strList) + ")";
    return false;
}

bool readModules(Session& p_objSession, std::vector<ModuleConfigure>& p_vecModules) {
    if (!SystemInfoParser::parseMachineInfo(camerapath::MACHINE_INFO_FILE, p_objSession.machine))
        out::line(std::string("warning: cannot read ") + camerapath::MACHINE_INFO_FILE +
                  "; the controller will report it");
    if (!ModuleConfigureParser::parse(camerapath::MODULE_CONFIG_FILE, p_objSession.machine.getHardwareModel(),
                                      p_objSession.machine.getHardwareCode(), p_vecModules))
        out::line(std::string("warning: cannot read ") + camerapath::MODULE_CONFIG_FILE);
    if (p_vecModules.empty()) {
        out::line("warning: no module matches this machine; one channel starts with an empty module configuration");
        p_vecModules.emplace_back();
    }
    return true;
}

bool loadSensorProfile(Session& p_objSession, Channel& p_stChannel, std::string& p_strError) {
    const std::string strFile = "isp/sensor-ch" + std::to_string(p_stChannel.number) + ".xml";
    const std::string strPath = p_objSession.profileDir + "/" + strFile;
    if (!isFile(strPath)) {
        out::linef("warning: no ISP sensor profile %s: the ISP of ch%d lists no ranges", strPath.c_str(),
                   p_stChannel.number);
        return true;
    }
    ispsim::SensorProfile stProfile;
    if (!ispsim::loadProfile(strPath, stProfile) || !ispsim::setProfileFromFile(p_stChannel.number - 1, strPath)) {
        p_strError = "cannot read the ISP sensor profile " + strPath;
        return false;
    }
    p_stChannel.ispProfile = stProfile.name;
    p_stChannel.ispProfileFile = strFile;
    return true;
}

}  // namespace

std::vector<std::string> bundledProfiles(const std::string& p_strDevicesDir) {
    std::vector<std::string> vecNames;
    for (const std::string& strName : listDirectory(p_strDevicesDir))
        if (isDirectory(p_strDevicesDir + "/" + strName + "/root")) vecNames.push_back(strName);
    return vecNames;
}

unsigned int schemeCount(const Channel& p_stChannel) {
    u32 nSchemes = 4;
    const std::string strDetail = p_stChannel.module.getDetail();
    if (getDetailFieldTou32(strDetail.c_str(), "max_scheme", &nSchemes) != 0) nSchemes = 4;
    return nSchemes;
}

std::string schemeFile(const Channel& p_stChannel, int p_nScheme) {
    return schemefiles::schemeFile(p_stChannel.thermal, p_stChannel.number, p_nScheme);
}

std::string deviceTypeName(int p_nDeviceType) {
    const devicefamily::DeviceFamily* pFamily = devicefamily::findDeviceFamily(p_nDeviceType);
    return pFamily != nullptr ? pFamily->name : "not a known device type";
}

std::string schemeModeName(int p_nMode) {
    switch (p_nMode) {
        case 1:
            return "timed: schemes follow their daily windows";
        case 2:
            return "day/night: scheme 0 by day, scheme 1 by night";
        default:
            return "fixed: no automatic switching";
    }
}

void printChannelSummary(Session& p_objSession, Channel& p_stChannel) {
    ISensorController& objController = *p_stChannel.controller;
    const int nType = p_objSession.machine.getDeviceType();
    out::linef("ch%d: %s, module %d, detail %s", p_stChannel.number,
               p_stChannel.ispProfile.empty()
                   ? "no ISP sensor profile"
                   : (p_stChannel.ispProfile + " sensor (" + p_stChannel.ispProfileFile + ")").c_str(),
               p_stChannel.module.getModuleId(), p_stChannel.module.getDetail().c_str());
    out::linef("  device type %d (%s), hardware %s %s%s", nType, deviceTypeName(nType).c_str(),
               p_objSession.machine.getHardwareModel().c_str(), p_objSession.machine.getHardwareCode().c_str(),
               p_stChannel.thermal ? ", thermal channel" : "");
    // The style pair the controller chooses, so that a style author sees which
    // documents a profile uses.
    const char* szBase = nullptr;
    const char* szDiversity = nullptr;
    devicefamily::chooseStyleFiles(nType, p_stChannel.number, szBase, szDiversity);
    char szMerged[64];
    snprintf(szMerged, sizeof(szMerged), camerapath::MERGED_STYLE_FILE, p_stChannel.number);
    out::linef("  styles %s + %s, merged into %s", szBase, szDiversity, szMerged);
    const unsigned int nSchemes = schemeCount(p_stChannel);
    const std::string strScheme0 = p_objSession.hostPath(schemeFile(p_stChannel, 0));
    std::ifstream scheme0(strScheme0, std::ios::binary | std::ios::ate);
    const std::string strKeys = scheme0 ? std::to_string(static_cast<long long>(scheme0.tellg()) / 8) + " keys"
                                        : "keys unknown (no scheme file 0)";
    out::linef("  %s, %u user schemes (0 to %d) and the factory set (%u)", strKeys.c_str(), nSchemes,
               static_cast<int>(nSchemes) - 1, nSchemes);
    int nScheme = -1;
    int nSchemeMode = 0;
    int nParamMode = 1;
    objController.getParamScheme(nScheme);
    objController.getParameter(KEY_SCHEME_MODE, nSchemeMode);
    objController.getParamMode(nParamMode);
    out::linef("  current scheme %d, scheme mode %d (%s), parameter mode %d%s", nScheme, nSchemeMode,
               schemeModeName(nSchemeMode).c_str(), nParamMode,
               nParamMode == 0 ? " (the host's choice stands)" : " (the sensor thread may switch)");
}

bool startDevice(Session& p_objSession, std::string& p_strError) {
    const Options& stOptions = p_objSession.options;
    if (!findDevicesDir(stOptions.devicesDir, p_objSession.devicesDir, p_strError)) return false;
    if (!stOptions.deviceRoot.empty() && !isDirectory(stOptions.deviceRoot)) {
        p_strError = "no device root " + stOptions.deviceRoot;
        return false;
    }
    if (!findProfile(p_objSession, p_strError) || !makeWorkingRoot(p_objSession, p_strError) ||
        !fillWorkingRoot(p_objSession, p_strError))
        return false;

    DeviceRoot::setRoot(p_objSession.root);
    hostsim::reset();
    // Waits return at once: passes run when a command asks for them, and a
    // host wait for a busy flag ends as soon as it can.
    hostsim::setWaitScale(0.0);
    ispsim::reset();

    out::linef("profile %s, working root %s%s", p_objSession.profileDir.c_str(), p_objSession.root.c_str(),
               p_objSession.reusedRoot         ? " (reused as it stands)"
               : p_objSession.removeRootAtExit ? " (temporary, removed at exit; --keep keeps it)"
                                               : "");
    if (!stOptions.deviceRoot.empty()) out::linef("device files from %s", stOptions.deviceRoot.c_str());

    if (stOptions.hasDebugLevel && !writeWholeFile(p_objSession.hostPath(camerapath::DEBUG_CONTROL_FILE),
                                                   std::to_string(stOptions.debugLevel) + "\n")) {
        p_strError = "cannot write the debug control file";
        return false;
    }

    const std::string strVideo = p_objSession.profileDir + "/video.ini";
    if (isFile(strVideo)) {
        if (!readVideoSettings(strVideo, p_objSession.videoSettings, p_strError)) return false;
        applyVideoSettings(p_objSession.videoSettings, p_objSession.video);
        out::linef("video module: %s; limited frames mode %d, WDR limit %d",
                   describeStreams(p_objSession.videoSettings).c_str(), p_objSession.videoSettings.limitFramesModeId,
                   p_objSession.videoSettings.limitWdr);
    } else {
        out::linef("video module: no %s, so no streams", strVideo.c_str());
    }

    std::vector<ModuleConfigure> vecModules;
    readModules(p_objSession, vecModules);
    const VideoSettings& stVideo = p_objSession.videoSettings;
    if (!stVideo.hardwareModel.empty() && stVideo.hardwareModel != p_objSession.machine.getHardwareModel())
        out::linef("warning: video.ini describes %s, the machine is %s", stVideo.hardwareModel.c_str(),
                   p_objSession.machine.getHardwareModel().c_str());

    const int nType = p_objSession.machine.getDeviceType();
    p_objSession.isp.install();
    for (size_t i = 0; i < vecModules.size(); ++i) {
        Channel stChannel;
        // A single-sensor thermal device runs its one controller as channel 2.
        const devicefamily::DeviceFamily* pFamily = devicefamily::findDeviceFamily(nType);
        stChannel.number = pFamily != nullptr && pFamily->thermalOnly ? 2 : static_cast<int>(i) + 1;
        stChannel.thermal = devicefamily::isThermalChannel(nType, stChannel.number);
        stChannel.module = vecModules[i];
        if (!loadSensorProfile(p_objSession, stChannel, p_strError)) return false;
        p_objSession.channels.push_back(std::move(stChannel));
    }
    holdSensorThreads();
    for (Channel& stChannel : p_objSession.channels) {
        EffectWatch objWatch(p_objSession.root, p_objSession.isp, p_objSession.video);
        stChannel.controller.reset(new ISensorController());
        stChannel.controller->setChannelID(stChannel.number);
        stChannel.controller->setVideoStreamModule(&p_objSession.video);
        stChannel.controller->init(stChannel.module);
        printChannelSummary(p_objSession, stChannel);
        objWatch.report(p_objSession.trace, "start-up");
    }
    return true;
}

void stopDevice(Session& p_objSession) {
    for (Channel& stChannel : p_objSession.channels) {
        if (!stChannel.controller) continue;
        stChannel.controller->uinit();
        stChannel.controller.reset();
    }
    p_objSession.channels.clear();
    p_objSession.isp.uninstall();
    DeviceRoot::setRoot("");
    if (p_objSession.root.empty()) return;
    if (p_objSession.removeRootAtExit)
        removeTree(p_objSession.root);
    else
        out::linef("working root kept: %s", p_objSession.root.c_str());
}

}  // namespace sensorsim
