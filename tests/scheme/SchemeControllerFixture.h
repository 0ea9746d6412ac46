// A device fixture that also owns one or two controllers, started from the
// bundled device data or set up directly, with helpers for the scheme and
// version files.
#ifndef SENSORDLL_TESTS_SCHEME_CONTROLLER_FIXTURE_H
#define SENSORDLL_TESTS_SCHEME_CONTROLLER_FIXTURE_H

#include <sys/stat.h>
#include <utime.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ControllerAccess.h"
#include "DeviceFixture.h"
#include "DeviceRoot.h"
#include "ISensorController.h"
#include "MachineInfo.h"
#include "ModuleConfigure.h"
#include "SensorDebug.h"

class SchemeControllerFixture : public DeviceFixture {
protected:
    void TearDown() override {
        for (std::unique_ptr<ISensorControllerTestAccess>& pAccess : m_vecAccess) pAccess->tearDownSchemes();
        for (std::unique_ptr<ISensorController>& pController : m_vecControllers) pController->uinit();
        m_vecAccess.clear();
        m_vecControllers.clear();
        setshowBeawayFalg(true);
        ISensorController::m_nChanneldDosomething = -1;
        ISensorController::m_nPassKeycmd = -1;
        DeviceFixture::TearDown();
    }

    // A controller for the channel, constructed now (it reads the machine
    // information of the root as it stands) and given the video module.
    ISensorController& makeController(int p_nChannel = 1) {
        m_vecControllers.emplace_back(new ISensorController());
        ISensorController& objController = *m_vecControllers.back();
        objController.setChannelID(p_nChannel);
        objController.setVideoStreamModule(&m_objVideo);
        m_vecAccess.emplace_back(new ISensorControllerTestAccess(objController));
        return objController;
    }
    ISensorController& controller(size_t p_nIndex = 0) { return *m_vecControllers.at(p_nIndex); }
    ISensorControllerTestAccess& access(size_t p_nIndex = 0) { return *m_vecAccess.at(p_nIndex); }

    // The module configuration of the root's moduleConfig.xml for the
    // machine, the p_nModule-th matching module; the detail text replaced when
    // one is given.
    ModuleConfigure moduleConfig(size_t p_nModule = 0, const std::string& p_strDetail = "") {
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

    // Rewrites the deviceType line of the machine information.
    void setDeviceType(int p_nDeviceType, const std::string& p_strModel = "Hi3516AV200") {
        writeFile("/mnt/mtd/code/factory_setting/machineinfo.ini",
                  "[machine]\ndeviceType=" + std::to_string(p_nDeviceType) + "\nhardwareModel=" + p_strModel +
                      "\nhardwareCode=IPC-B4-IRZ\n");
    }

    static std::string schemePath(int p_nChannel, int p_nScheme) {
        return "/mnt/mtd/code/config_file/sensor" + std::to_string(p_nChannel) + "_" + std::to_string(p_nScheme) +
               ".cfg";
    }
    static std::string thermalPath(int p_nScheme) {
        return "/mnt/mtd/code/config_file/sensor-thermal" + std::to_string(p_nScheme) + ".cfg";
    }
    static const char* versionPath() { return "/mnt/mtd/code/config_file/snsversion.cfg"; }

    std::vector<KeyVal> readScheme(const std::string& p_strPath) const {
        const std::string strBytes = readFile(p_strPath);
        std::vector<KeyVal> vecRecords(strBytes.size() / sizeof(KeyVal));
        if (!vecRecords.empty()) std::memcpy(vecRecords.data(), strBytes.data(), vecRecords.size() * sizeof(KeyVal));
        return vecRecords;
    }
    void writeScheme(const std::string& p_strPath, const std::vector<KeyVal>& p_vecRecords) const {
        std::string strBytes(p_vecRecords.size() * sizeof(KeyVal), '\0');
        if (!p_vecRecords.empty()) std::memcpy(&strBytes[0], p_vecRecords.data(), strBytes.size());
        writeFile(p_strPath, strBytes);
    }
    void writeVersion(u32 p_nVersion) const {
        std::string strBytes(4, '\0');
        std::memcpy(&strBytes[0], &p_nVersion, 4);
        writeFile(versionPath(), strBytes);
    }
    // Value of the first record of the key; -12345 when absent.
    static int valueOf(const std::vector<KeyVal>& p_vecRecords, u32 p_nKey) {
        for (const KeyVal& stRecord : p_vecRecords)
            if (stRecord.key == p_nKey) return static_cast<int>(stRecord.value);
        return -12345;
    }
    static void setValue(std::vector<KeyVal>& p_vecRecords, u32 p_nKey, u32 p_nValue) {
        for (KeyVal& stRecord : p_vecRecords) {
            if (stRecord.key == p_nKey) {
                stRecord.value = p_nValue;
                return;
            }
        }
    }

    // Modification time, and setting it far in the past, to see rewrites.
    long long mtime(const std::string& p_strPath) const {
        struct stat st;
        return stat(hostPath(p_strPath).c_str(), &st) == 0 ? static_cast<long long>(st.st_mtime) : -1;
    }
    void age(const std::string& p_strPath) const {
        struct utimbuf stTimes;
        stTimes.actime = 1000;
        stTimes.modtime = 1000;
        utime(hostPath(p_strPath).c_str(), &stTimes);
    }

    std::string errorLog() const { return readFile("/mnt/mtd/log/SensorError.log"); }

    // Values the ISP received with option set for a command, in order.
    static std::vector<int> sentValues(int p_nCmd) {
        std::vector<int> vecValues;
        for (const ispsim::Call& stCall : ispsim::setCalls(p_nCmd)) vecValues.push_back(stCall.valueIn());
        return vecValues;
    }

    std::vector<std::unique_ptr<ISensorController>> m_vecControllers;
    std::vector<std::unique_ptr<ISensorControllerTestAccess>> m_vecAccess;
};

// Controllers whose scheme arrays and key map are laid out directly, without
// init: four user schemes holding the same records unless a test changes them.
class SchemeLayoutFixture : public SchemeControllerFixture {
protected:
    static std::vector<KeyVal> layoutRecords() {
        return {{KEY_SCHEME_MODE, 0}, {KEY_SCHEME_START_HOUR, 0}, {KEY_SCHEME_START_MIN, 0},
                {KEY_SCHEME_END_HOUR, 0}, {KEY_SCHEME_END_MIN, 0}, {KEY_BRIGHTNESS, 50},
                {KEY_SATURATION, 50},   {KEY_CONTRAST, 50},      {KEY_DN_MODE, 0},
                {KEY_IR_SWITCH, 0},     {KEY_WHITE_SWITCH, 0},   {KEY_WHITE_MODE, 0},
                {KEY_LIGHT_TYPE, 0},    {KEY_AUTO_FOCUS_MODE, 0}, {KEY_EXPOSE_MODE, 0}};
    }

    // A controller of the channel with p_nSchemeSum user schemes laid out; its
    // windows are all empty (00:00 to 00:00).
    ISensorController& layOut(int p_nChannel = 1, u32 p_nSchemeSum = 4) {
        ISensorController& objController = makeController(p_nChannel);
        m_vecAccess.back()->setUpSchemes(p_nSchemeSum, layoutRecords());
        return objController;
    }

    void put(u32 p_nScheme, u32 p_nKey, u32 p_nValue, size_t p_nController = 0) {
        ISensorControllerTestAccess& objAccess = access(p_nController);
        for (u32 i = 0; i < objAccess.keyValSum(); ++i) {
            if (objAccess.scheme(p_nScheme)[i].key == p_nKey) {
                objAccess.scheme(p_nScheme)[i].value = p_nValue;
                return;
            }
        }
        ADD_FAILURE() << "key " << p_nKey << " is not laid out";
    }
    void setWindow(u32 p_nScheme, u32 p_nStartHour, u32 p_nStartMin, u32 p_nEndHour, u32 p_nEndMin,
                   size_t p_nController = 0) {
        put(p_nScheme, KEY_SCHEME_START_HOUR, p_nStartHour, p_nController);
        put(p_nScheme, KEY_SCHEME_START_MIN, p_nStartMin, p_nController);
        put(p_nScheme, KEY_SCHEME_END_HOUR, p_nEndHour, p_nController);
        put(p_nScheme, KEY_SCHEME_END_MIN, p_nEndMin, p_nController);
    }
};

#endif
