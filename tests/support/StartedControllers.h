// A device fixture owning the controllers a test makes (shut down at its
// end, with the cross-channel request cleared), with the scheme-file images
// and what the ISP and the error log received.
#ifndef SENSORDLL_TESTS_STARTED_CONTROLLERS_H
#define SENSORDLL_TESTS_STARTED_CONTROLLERS_H

#include <memory>
#include <string>
#include <vector>

#include "ControllerAccess.h"
#include "DeviceFixture.h"
#include "ISensorController.h"
#include "MachineInfo.h"
#include "ModuleConfigure.h"

class StartedControllers : public DeviceFixture {
public:
    static constexpr const char* kConfigDir = "/mnt/mtd/code/config_file";

    // A scheme file's bytes: little-endian key and value words per record.
    static std::string image(const KeyVal* p_pRecords, u32 p_nCount) {
        std::string strImage;
        for (u32 i = 0; i < p_nCount; ++i)
            for (u32 nWord : {p_pRecords[i].key, p_pRecords[i].value})
                for (int nShift = 0; nShift < 32; nShift += 8) strImage += static_cast<char>(nWord >> nShift);
        return strImage;
    }
    static std::string image(const std::vector<KeyVal>& p_vecRecords) {
        return image(p_vecRecords.data(), static_cast<u32>(p_vecRecords.size()));
    }
    static std::vector<KeyVal> records(const std::string& p_strImage) {
        std::vector<KeyVal> vecRecords;
        const unsigned char* p = reinterpret_cast<const unsigned char*>(p_strImage.data());
        const auto word = [p](size_t i) { return p[i] | p[i + 1] << 8 | p[i + 2] << 16 | static_cast<u32>(p[i + 3]) << 24; };
        for (size_t i = 0; i + 8 <= p_strImage.size(); i += 8) vecRecords.push_back({word(i), word(i + 4)});
        return vecRecords;
    }
    // Value of the first record of the key; -12345 when absent.
    static int valueOf(const std::vector<KeyVal>& p_vecRecords, u32 p_nKey) {
        for (const KeyVal& stRecord : p_vecRecords)
            if (stRecord.key == p_nKey) return static_cast<int>(stRecord.value);
        return -12345;
    }
    static int valueOf(const std::string& p_strImage, u32 p_nKey) { return valueOf(records(p_strImage), p_nKey); }
    static void setValue(std::vector<KeyVal>& p_vecRecords, u32 p_nKey, u32 p_nValue) {
        for (KeyVal& stRecord : p_vecRecords) {
            if (stRecord.key == p_nKey) {
                stRecord.value = p_nValue;
                return;
            }
        }
    }
    static std::string withValue(const std::string& p_strImage, u32 p_nKey, u32 p_nValue) {
        std::vector<KeyVal> vecRecords = records(p_strImage);
        setValue(vecRecords, p_nKey, p_nValue);
        return image(vecRecords);
    }

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

    // A controller of the channel, constructed now (it reads the machine
    // information as it stands) and given the video module.
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

    // A controller of channel 1 started and shut down again, so that what a
    // start writes is on disk; whether the start succeeded.
    bool startAndStop() {
        ISensorController objController;
        objController.setChannelID(1);
        objController.setVideoStreamModule(&m_objVideo);
        const bool bStarted = objController.init(moduleConfig());
        objController.uinit();
        return bStarted;
    }

    // The p_nModule-th module of the root's moduleConfig.xml for its machine,
    // its detail text replaced when one is given.
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

    // Values the ISP received with option set for a command, in order.
    static std::vector<int> sentValues(int p_nCmd) {
        std::vector<int> vecValues;
        for (const ispsim::Call& stCall : ispsim::setCalls(p_nCmd)) vecValues.push_back(stCall.valueIn());
        return vecValues;
    }

    std::string errorLog() const { return readFile("/mnt/mtd/log/SensorError.log"); }

    std::vector<std::unique_ptr<ISensorController>> m_vecControllers;
    std::vector<std::unique_ptr<ISensorControllerTestAccess>> m_vecAccess;
};

#endif
